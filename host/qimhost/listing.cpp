// What qimhost shows of the functions: their prototype lines, their whole help texts, and every
// descriptor as JSON for tools that make bindings.
#include <windows.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "host/qimhost/qimhost.h"

namespace qimhost {
namespace {

std::string PrototypeLine(const std::string &help)
{
    return help.substr(0, help.find("\r\n"));
}

// A text as a JSON string. The DLL's texts are in the system's ANSI code page: beyond printable
// ASCII they are written as \u escapes of their UTF-16 units.
std::string JsonString(const std::string &text)
{
    std::vector<wchar_t> wide(text.size());
    int length = text.empty() ? 0
                              : MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                                    static_cast<int>(wide.size()));
    wide.resize(length > 0 ? length : 0);
    std::string json = "\"";
    for (wchar_t c : wide) {
        if (c == L'"' || c == L'\\') {
            json += '\\';
            json += static_cast<char>(c);
        } else if (c == L'\r') {
            json += "\\r";
        } else if (c == L'\n') {
            json += "\\n";
        } else if (c >= 0x20 && c < 0x7F) {
            json += static_cast<char>(c);
        } else {
            char escape[8];
            snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            json += escape;
        }
    }
    return json + "\"";
}

// What a tool that generates bindings needs of each function, in the order of the function list:
// one JSON object a line. "arguments" is empty for none; "ordinal" is null where the DLL
// describes a function it does not export.
void ListJson(const host::Module &dll)
{
    Print("[\n");
    const std::vector<host::Function> &functions = dll.functions;
    for (size_t i = 0; i < functions.size(); ++i) {
        const host::Function &function = functions[i];
        Print("  {\"name\": " + JsonString(function.name) +
              ", \"ordinal\": " + (function.ordinal ? std::to_string(function.ordinal) : "null") +
              ", \"result\": " + JsonString(std::string(1, function.result)) +
              ", \"arguments\": " + JsonString(function.arguments) + ", \"help\": " + JsonString(function.help) +
              (i + 1 < functions.size() ? "},\n" : "}\n"));
    }
    Print("]\n");
}

}  // namespace

// The command line has made sure that the option is --json or nothing.
std::string List(const host::Module &dll, const std::string &option)
{
    if (option == "--json") {
        ListJson(dll);
        return "";
    }
    for (const host::Function &function : dll.functions) Print(PrototypeLine(function.help) + "\n");
    return "";
}

// Every line of the help text with its own line end, whether or not the text ends in CR LF.
std::string Help(const host::Module &dll, const std::string &name)
{
    const host::Function *function = host::FindFunction(dll, name);
    if (!function) return UnknownFunction(dll, name);
    std::string text;
    for (char c : function->help)
        if (c != '\r') text += c;
    if (text.empty() || text.back() != '\n') text += '\n';
    Print(text);
    return "";
}

}  // namespace qimhost
