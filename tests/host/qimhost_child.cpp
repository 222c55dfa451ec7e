#include "qimhost_child.h"

#include <gtest/gtest.h>

namespace qimhost_test {
namespace {

const DWORD kTimeoutMs = 20000;

// Quotes one argument so that the C runtime hands it to main unchanged: quotes are escaped, and
// backslashes doubled where a quote follows them.
std::string Quote(const std::string &argument)
{
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '"') quoted.append(backslashes + 1, '\\');
        backslashes = c == '\\' ? backslashes + 1 : 0;
        quoted += c;
    }
    quoted.append(backslashes, '\\');
    return quoted + "\"";
}

}  // namespace

const char kFixture[] = "qimhost_fixture.dll";

Outcome Qimhost(const std::vector<std::string> &arguments, const char *input)
{
    std::string commandLine = "qimhost.exe";
    for (const std::string &argument : arguments) commandLine += " " + Quote(argument);
    return qimapi_test::RunChild("qimhost.exe", commandLine, kTimeoutMs, input);
}

Outcome CallFixture(const std::string &call)
{
    return Qimhost({"--dll", kFixture, "call", call});
}

void ExpectSuccess(const Outcome &outcome, const std::string &out)
{
    EXPECT_EQ(outcome.status, 0u);
    EXPECT_EQ(outcome.out, out);
    EXPECT_EQ(outcome.err, "");
}

void ExpectRefusal(const Outcome &outcome, const std::string &problem)
{
    EXPECT_NE(outcome.status, 0u);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err.rfind("qimhost: ", 0), 0u) << outcome.err;
    const bool oneLine = !outcome.err.empty() && outcome.err.find('\n') == outcome.err.size() - 1;
    EXPECT_TRUE(oneLine) << outcome.err;
    EXPECT_NE(outcome.err.find(problem), std::string::npos) << "expected \"" << problem << "\" in " << outcome.err;
}

}  // namespace qimhost_test
