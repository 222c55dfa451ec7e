// qimhost.exe run as a child process of a test, from the bin folder beside QIMAPI.dll and the
// fixture DLLs, and what its outcome should be.
#pragma once

#include <string>
#include <vector>

#include "common/qimapi_test.h"

namespace qimhost_test {

// The DLL that describes a few exports as QIMAPI.dll does (tests/host/fixture_dll.rc).
extern const char kFixture[];

using Outcome = qimapi_test::ChildOutcome;

// Runs qimhost.exe with these arguments, and input on its standard input if given, and waits for
// it, ending it if it hangs.
Outcome Qimhost(const std::vector<std::string> &arguments, const char *input = nullptr);

// qimhost --dll qimhost_fixture.dll call CALL
Outcome CallFixture(const std::string &call);

// Succeeded: status 0, this output, nothing on stderr.
void ExpectSuccess(const Outcome &outcome, const std::string &out);

// Refused: a non-zero status, nothing on stdout, and one line on stderr that names the problem.
void ExpectRefusal(const Outcome &outcome, const std::string &problem);

}  // namespace qimhost_test
