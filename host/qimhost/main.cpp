// qimhost's command line: the command table, the DLL it loads, and the exit status.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "host/qimhost/qimhost.h"

// Texts in calls may hold * and ?: the C runtime must not expand arguments as file names.
extern "C" {
int _dowildcard = 0;
}

namespace qimhost {
namespace {

const char kUsage[] =
    "usage: qimhost [--dll PATH] [COMMAND]\n"
    "  list         the prototype line of every function the DLL describes\n"
    "  list --json  every function as JSON: name, ordinal, result, arguments, help\n"
    "  help NAME    the help text of one function\n"
    "  call CALL    calls one function and prints its result, e.g. call 'GetWindowState(0)'\n"
    "  run FILE     runs one call per line (blank lines and lines starting with # are skipped)\n"
    "  run -        the same from standard input; so does qimhost without a command, with a\n"
    "               prompt at a terminal. Lines may also say list, help NAME or quit.\n"
    "The DLL defaults to QIMAPI.dll beside qimhost.exe.\n";

struct Command {
    const char *name;
    const char *operand;   // nullptr: the command takes none; in brackets: the one option it may take
    std::string (*run)(const host::Module &dll, const std::string &operand);
};

const Command kCommands[] = {
    {"list", "[--json]", List},
    {"help", "NAME", Help},
    {"call", "CALL", CallOne},
    {"run", "FILE", Run},
};

const Command *FindCommand(const std::string &name)
{
    for (const Command &command : kCommands)
        if (name == command.name) return &command;
    return nullptr;
}

// Loads the DLL, reads what it describes and runs the command over it.
int RunCommand(const Command &command, const std::string &dllPath, const std::string &operand)
{
    HMODULE handle = LoadLibraryA(dllPath.c_str());
    if (!handle) return Refuse("cannot load " + dllPath + " (error " + std::to_string(GetLastError()) + ")");
    host::Module dll;
    std::string problem = host::ReadFunctionTable(handle, dllPath, &dll);
    if (problem.empty()) problem = command.run(dll, operand);
    FreeLibrary(handle);
    return problem.empty() ? 0 : Refuse(problem);
}

int Dispatch(std::vector<std::string> words)
{
    std::string dllPath = "QIMAPI.dll";   // LoadLibraryA looks beside qimhost.exe first
    if (!words.empty() && words[0] == "--dll") {
        if (words.size() < 2) return Refuse("--dll needs a path", 2);
        dllPath = words[1];
        words.erase(words.begin(), words.begin() + 2);
    }
    if (words.empty()) words = {"run", "-"};   // no command: calls from standard input
    if (words[0] == "--help") {
        Print(kUsage);
        return 0;
    }
    const Command *command = FindCommand(words[0]);
    if (!command) return Refuse("unknown command '" + words[0] + "' (commands: list, help, call, run)", 2);
    const size_t operands = words.size() - 1;
    const bool optional = command->operand && command->operand[0] == '[';
    if (operands > (command->operand ? 1u : 0u) || (operands == 0 && command->operand && !optional) ||
        (operands == 1 && optional && "[" + words[1] + "]" != command->operand))
        return Refuse(std::string("usage: qimhost [--dll PATH] ") + command->name +
                          (command->operand ? std::string(" ") + command->operand : ""),
                      2);
    return RunCommand(*command, dllPath, operands ? words[1] : "");
}

}  // namespace

void Print(const std::string &text)
{
    fwrite(text.data(), 1, text.size(), stdout);
}

int Refuse(const std::string &problem, int status)
{
    fflush(stdout);
    fprintf(stderr, "qimhost: %s\n", problem.c_str());
    return status;
}

std::string UnknownFunction(const host::Module &dll, const std::string &name)
{
    return "unknown function " + name + " (not in the function list of " + dll.name + ")";
}

}  // namespace qimhost

int main(int argc, char **argv)
{
    // A DLL that cannot be loaded gives an error line, not a dialog box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // "\n" line ends on both streams, whatever reads them.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    return qimhost::Dispatch(std::vector<std::string>(argv + 1, argv + argc));
}
