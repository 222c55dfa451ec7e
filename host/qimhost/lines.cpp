// qimhost's calls: one from the command line, or one per line of a file, of piped input or of a
// person typing at the prompt.
#include <io.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "host/call_function.h"
#include "host/qimhost/qimhost.h"
#include "host/result_text.h"
#include "host/script_call.h"

namespace qimhost {
namespace {

// Calls what a line says. *hasResult: whether the function has a result, which *result then
// holds as printed. Empty, or the problem.
std::string Execute(const host::Module &dll, const std::string &line, bool *hasResult, std::string *result)
{
    *hasResult = false;
    host::ScriptCall call;
    std::string problem = host::ParseScriptCall(line, &call);
    if (!problem.empty()) return problem;
    const host::Function *function = host::FindFunction(dll, call.name);
    if (!function) return UnknownFunction(dll, call.name);
    problem = host::CheckArguments(*function, call.arguments);
    if (!problem.empty()) return problem;
    const std::vector<uintptr_t> slots = host::ArgumentSlots(*function, call);
    uintptr_t returned = 0;
    problem = host::CallFunction(dll, *function, slots.data(), slots.size(), &returned);
    if (!problem.empty() || function->result == 'V') return problem;
    *hasResult = true;
    return host::FormatResult(function->result, returned, result);
}

std::string Trim(const std::string &text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The next line of input without its line end; false once the input has ended.
bool ReadLine(FILE *input, std::string *line)
{
    line->clear();
    int c;
    while ((c = fgetc(input)) != EOF && c != '\n')
        if (c != '\r') *line += static_cast<char>(c);
    return c != EOF || !line->empty();
}

// One line of calls: a call, "list", "help NAME" or "quit"; blank lines and lines starting with #
// do nothing. Echoed calls are printed with their results, as a record of the run. Empty, or the
// problem; *quit is set by "quit".
std::string RunLine(const host::Module &dll, const std::string &line, bool echo, bool *quit)
{
    const std::string text = Trim(line);
    std::string problem;
    if (text.empty() || text[0] == '#') return "";
    if (text == "quit") {
        *quit = true;
    } else if (text == "list") {
        problem = List(dll, "");
    } else if (text.rfind("help ", 0) == 0) {
        problem = Help(dll, Trim(text.substr(5)));
    } else {
        bool hasResult = false;
        std::string result;
        problem = Execute(dll, text, &hasResult, &result);
        if (problem.empty() && echo) Print(hasResult ? text + " => " + result + "\n" : text + "\n");
        else if (problem.empty() && hasResult) Print(result + "\n");
    }
    fflush(stdout);   // what ran stays on record should a later call bring the process down
    return problem;
}

// Runs the lines of input one by one. Read from a file or a pipe, each call is echoed with its
// result and the first bad line ends the run, named by source and number. A person at a terminal
// is prompted instead, sees each result alone, and goes on after a line that fails.
std::string RunLines(const host::Module &dll, FILE *input, const std::string &source, bool interactive)
{
    std::string line;
    bool quit = false;
    for (size_t number = 1; !quit; ++number) {
        if (interactive) {
            Print("qimhost> ");
            fflush(stdout);
        }
        if (!ReadLine(input, &line)) {
            if (interactive) Print("\n");   // the input ended on the prompt's line
            break;
        }
        std::string problem = RunLine(dll, line, !interactive, &quit);
        if (problem.empty()) continue;
        if (!interactive) return source + ":" + std::to_string(number) + ": " + problem;
        Refuse(problem);
    }
    return "";
}

}  // namespace

std::string CallOne(const host::Module &dll, const std::string &call)
{
    bool hasResult = false;
    std::string result;
    std::string problem = Execute(dll, call, &hasResult, &result);
    if (problem.empty() && hasResult) Print(result + "\n");
    return problem;
}

// "-": standard input.
std::string Run(const host::Module &dll, const std::string &path)
{
    if (path == "-") return RunLines(dll, stdin, "standard input", _isatty(_fileno(stdin)) != 0);
    FILE *file = fopen(path.c_str(), "rb");
    if (!file) return "cannot open " + path;
    std::string problem = RunLines(dll, file, path, false);
    fclose(file);
    return problem;
}

}  // namespace qimhost
