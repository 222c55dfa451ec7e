// qimhost: calls the functions of QIMAPI.dll, or of another DLL that describes itself the same
// way, from the command line, as the authoring host calls them from scripts. Its commands work
// over the DLL's function table and return what went wrong: empty when nothing did.
#pragma once

#include <string>

#include "host/function_table.h"

namespace qimhost {

// Writes text to standard output as it is.
void Print(const std::string &text);

// Reports a problem on one line of standard error and returns the exit status it ends with:
// 1, or 2 for a command line that is unusable.
int Refuse(const std::string &problem, int status = 1);

// "unknown function NAME (...)".
std::string UnknownFunction(const host::Module &dll, const std::string &name);

// list [--json], help NAME, call CALL and run FILE (or run - for standard input).
std::string List(const host::Module &dll, const std::string &option);
std::string Help(const host::Module &dll, const std::string &name);
std::string CallOne(const host::Module &dll, const std::string &call);
std::string Run(const host::Module &dll, const std::string &path);

}  // namespace qimhost
