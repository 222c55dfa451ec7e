// qimhost: calls the exports of QIMAPI.dll (or another DLL that describes itself the same way)
// from the command line, as the authoring host calls them from scripts. Everything it knows about
// the functions comes from the DLL's own DLL_HEADER resources: the function list (resource 1) and
// one descriptor per function (result letter, argument letters, help text).
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <optional>
#include <string>
#include <vector>

#include "call_export.h"

// Texts in calls may hold * and ?: the C runtime must not expand arguments as file names.
extern "C" {
int _dowildcard = 0;
}

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

// Bad input of any kind. main reports it on one line; status 2 is a command line that is unusable.
struct Failure {
    std::string message;
    int status;
};

[[noreturn]] void Fail(const std::string &message, int status = 1)
{
    throw Failure{message, status};
}

// What a descriptor says about one function.
struct Descriptor {
    std::string name;        // as the function list spells it, which is also the export name
    char result;             // I, W, L, S or V
    std::string arguments;   // one letter a slot; empty where the descriptor says "V"
    std::string help;        // lines joined by CR LF; the first is the prototype line
};

bool IsOneOf(char c, const char *letters)
{
    return c && strchr(letters, c);
}

// The NUL-terminated fields of bytes from start on; an unterminated tail is no field.
std::vector<std::string> NulTerminatedFields(const std::string &bytes, size_t start)
{
    std::vector<std::string> fields;
    for (size_t end; (end = bytes.find('\0', start)) != std::string::npos; start = end + 1)
        fields.push_back(bytes.substr(start, end - start));
    return fields;
}

// The function list: names, each with its NUL, up to the empty name of the closing NUL.
std::vector<std::string> ParseFunctionList(const std::string &bytes)
{
    std::vector<std::string> names;
    for (const std::string &field : NulTerminatedFields(bytes, 0)) {
        if (field.empty()) break;
        names.push_back(field);
    }
    return names;
}

bool AreArgumentLetters(const std::string &letters)
{
    if (letters.empty() || letters.size() > kMaxArguments) return false;
    for (char c : letters)
        if (!IsOneOf(c, "IWLS")) return false;
    return true;
}

// A descriptor: a lead NUL, then the result letter, the argument letters and the help text, each
// closed by a NUL.
Descriptor ParseDescriptor(const std::string &name, const std::string &bytes)
{
    std::vector<std::string> fields = NulTerminatedFields(bytes, 1);
    bool wellFormed = !bytes.empty() && bytes[0] == '\0' && fields.size() >= 3 &&
                      fields[0].size() == 1 && IsOneOf(fields[0][0], "IWLSV") &&
                      (fields[1] == "V" || AreArgumentLetters(fields[1]));
    if (!wellFormed) Fail("the descriptor of " + name + " is malformed");
    return {name, fields[0][0], fields[1] == "V" ? "" : fields[1], fields[2]};
}

std::string ToUpper(std::string text)
{
    for (char &c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// The extension DLL, loaded for calling, and the functions it describes.
class ExtensionDll {
public:
    explicit ExtensionDll(const std::string &path) : path_(path)
    {
        module_ = LoadLibraryA(path.c_str());
        if (!module_) Fail("cannot load " + path + " (error " + std::to_string(GetLastError()) + ")");
        std::string list;
        if (!ReadResource(MAKEINTRESOURCEA(1), &list))
            Fail(path + " has no DLL_HEADER function list: it describes no functions");
        functions_ = ParseFunctionList(list);
    }
    ~ExtensionDll() { FreeLibrary(module_); }
    ExtensionDll(const ExtensionDll &) = delete;
    ExtensionDll &operator=(const ExtensionDll &) = delete;

    const std::vector<std::string> &functions() const { return functions_; }

    // The descriptor of a function named as in the list, apart from the case of its letters.
    Descriptor Describe(const std::string &typedName) const
    {
        const std::string name = ListedName(typedName);
        std::string bytes;
        if (!ReadResource(ToUpper(name).c_str(), &bytes)) Fail(path_ + " has no descriptor for " + name);
        return ParseDescriptor(name, bytes);
    }

    void *Address(const Descriptor &function) const
    {
        FARPROC address = GetProcAddress(module_, function.name.c_str());
        if (!address) Fail(path_ + " describes " + function.name + " but does not export it");
        return reinterpret_cast<void *>(address);
    }

    // The ordinal under which the DLL exports a name, from its export directory.
    std::optional<DWORD> Ordinal(const std::string &name) const
    {
        auto *base = reinterpret_cast<const BYTE *>(module_);
        auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + reinterpret_cast<const IMAGE_DOS_HEADER *>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY &directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
        if (!directory.Size) return std::nullopt;
        auto *exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY *>(base + directory.VirtualAddress);
        auto *names = reinterpret_cast<const DWORD *>(base + exports->AddressOfNames);
        auto *ordinals = reinterpret_cast<const WORD *>(base + exports->AddressOfNameOrdinals);
        for (DWORD i = 0; i < exports->NumberOfNames; ++i)
            if (name == reinterpret_cast<const char *>(base + names[i])) return exports->Base + ordinals[i];
        return std::nullopt;
    }

private:
    std::string ListedName(const std::string &typedName) const
    {
        for (const std::string &name : functions_)
            if (_stricmp(name.c_str(), typedName.c_str()) == 0) return name;
        Fail("unknown function " + typedName + " (not in the function list of " + path_ + ")");
    }

    bool ReadResource(LPCSTR name, std::string *bytes) const
    {
        HRSRC found = FindResourceA(module_, name, "DLL_HEADER");
        HGLOBAL loaded = found ? LoadResource(module_, found) : nullptr;
        const char *data = loaded ? static_cast<const char *>(LockResource(loaded)) : nullptr;
        if (!data) return false;
        bytes->assign(data, SizeofResource(module_, found));
        return true;
    }

    std::string path_;
    HMODULE module_;
    std::vector<std::string> functions_;
};

// One argument as a script writes it.
struct Value {
    bool isText;
    std::string text;
    uint32_t number;   // two's complement for negative numbers
};

struct Call {
    std::string name;
    std::vector<Value> arguments;
};

bool IsNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

int DigitValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// Decimal digits, or hexadecimal ones after 0x. Values beyond 32 bits stop growing at 2^32, which
// is out of range either way.
bool ParseMagnitude(const std::string &digits, uint64_t *value)
{
    bool hex = digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
    int base = hex ? 16 : 10;
    size_t first = hex ? 2 : 0;
    if (first == digits.size()) return false;
    *value = 0;
    for (size_t i = first; i < digits.size(); ++i) {
        int digit = DigitValue(digits[i]);
        if (digit >= base) return false;
        *value = *value * base + digit;
        if (*value > 0x100000000ull) *value = 0x100000000ull;
    }
    return true;
}

// NAME ( argument , ... ) with spaces anywhere between the parts.
class CallParser {
public:
    explicit CallParser(const std::string &text) : text_(text) {}

    Call Parse()
    {
        Call call;
        call.name = Name();
        Expect('(', "after the function name");
        if (!Take(')')) {
            do call.arguments.push_back(Argument());
            while (Take(','));
            Expect(')', "after argument " + std::to_string(call.arguments.size()));
        }
        SkipSpaces();
        if (at_ != text_.size()) Fail("malformed call: unexpected text after ')': " + text_.substr(at_));
        return call;
    }

private:
    void SkipSpaces()
    {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t')) ++at_;
    }

    bool Take(char c)
    {
        SkipSpaces();
        if (at_ == text_.size() || text_[at_] != c) return false;
        ++at_;
        return true;
    }

    void Expect(char c, const std::string &where)
    {
        if (!Take(c)) Fail(std::string("malformed call: expected '") + c + "' " + where);
    }

    std::string Name()
    {
        SkipSpaces();
        size_t start = at_;
        while (at_ < text_.size() && IsNameChar(text_[at_])) ++at_;
        if (at_ == start) Fail("malformed call: expected a function name");
        return text_.substr(start, at_ - start);
    }

    Value Argument()
    {
        SkipSpaces();
        char next = at_ < text_.size() ? text_[at_] : '\0';
        if (next == '"') return Text();
        if (next == '-' || (next >= '0' && next <= '9')) return Number();
        Fail("malformed call: expected a number or a \"text\" as argument");
    }

    // "..." where "" stands for one quote; every other character, backslashes too, is itself.
    Value Text()
    {
        std::string text;
        for (++at_; at_ < text_.size(); ++at_) {
            if (text_[at_] != '"') {
                text += text_[at_];
            } else if (at_ + 1 < text_.size() && text_[at_ + 1] == '"') {
                text += '"';
                ++at_;
            } else {
                ++at_;
                return {true, text, 0};
            }
        }
        Fail("malformed call: unterminated text \"" + text);
    }

    // -2147483648 to 4294967295, decimal or 0x hexadecimal, either with a leading minus.
    Value Number()
    {
        size_t start = at_;
        bool negative = text_[at_] == '-';
        if (negative) ++at_;
        size_t digitsStart = at_;
        while (at_ < text_.size() && !IsOneOf(text_[at_], " \t,)")) ++at_;
        const std::string literal = text_.substr(start, at_ - start);
        uint64_t magnitude = 0;
        if (!ParseMagnitude(text_.substr(digitsStart, at_ - digitsStart), &magnitude))
            Fail("malformed number " + literal);
        if (magnitude > (negative ? 0x80000000ull : 0xFFFFFFFFull))
            Fail("number out of 32-bit range: " + literal);
        uint32_t value = static_cast<uint32_t>(magnitude);
        return {false, "", negative ? 0u - value : value};
    }

    const std::string &text_;
    size_t at_ = 0;
};

void CheckArguments(const Descriptor &function, const std::vector<Value> &arguments)
{
    const std::string &letters = function.arguments;
    if (arguments.size() != letters.size())
        Fail(function.name + " takes " + std::to_string(letters.size()) + " argument(s), not " +
             std::to_string(arguments.size()));
    for (size_t i = 0; i < letters.size(); ++i) {
        bool wantsText = letters[i] == 'S';
        if (arguments[i].isText != wantsText)
            Fail("argument " + std::to_string(i + 1) + " of " + function.name + " must be " +
                 (wantsText ? "a \"text\"" : "a number"));
    }
}

// One 32-bit slot, widened for 64-bit code the way a 32-bit value of its kind widens: texts as
// whole pointers, I and L sign-extended, W (handles and words) zero-extended.
uintptr_t Slot(char letter, const Value &value)
{
    if (letter == 'S') return reinterpret_cast<uintptr_t>(value.text.c_str());
    if (letter == 'W') return value.number;
    return static_cast<uintptr_t>(static_cast<intptr_t>(static_cast<int32_t>(value.number)));
}

// A result string is handed over to the host, which reads it and frees the block. 0: no text.
std::string TakeResultString(HGLOBAL block)
{
    if (!block) return "";
    const char *text = static_cast<const char *>(GlobalLock(block));
    if (!text) Fail("the result string is not a global memory block");
    std::string copy(text, strnlen(text, GlobalSize(block)));
    GlobalUnlock(block);
    GlobalFree(block);
    return copy;
}

std::string FormatResult(char letter, uintptr_t result)
{
    if (letter == 'S') return TakeResultString(reinterpret_cast<HGLOBAL>(result));
    if (letter == 'W') return std::to_string(static_cast<uint32_t>(result));
    return std::to_string(static_cast<int32_t>(result));
}

// Calls what text says and returns the printed result; none for a V result.
std::optional<std::string> Execute(const ExtensionDll &dll, const std::string &text)
{
    Call call = CallParser(text).Parse();
    Descriptor function = dll.Describe(call.name);
    CheckArguments(function, call.arguments);
    void *address = dll.Address(function);
    std::vector<uintptr_t> slots;
    for (size_t i = 0; i < call.arguments.size(); ++i)
        slots.push_back(Slot(function.arguments[i], call.arguments[i]));
    ptrdiff_t imbalance = 0;
    uintptr_t result = CallExport(address, slots.data(), slots.size(), &imbalance);
    if (imbalance)
        Fail(function.name + " left the stack unbalanced by " + std::to_string(imbalance) +
             " bytes: its descriptor does not match its code");
    if (function.result == 'V') return std::nullopt;
    return FormatResult(function.result, result);
}

void Print(const std::string &text)
{
    fwrite(text.data(), 1, text.size(), stdout);
}

std::string PrototypeLine(const std::string &help)
{
    return help.substr(0, help.find("\r\n"));
}

// A text as a JSON string. The DLL's texts are in the system's ANSI code page: beyond printable
// ASCII they are written as \u escapes of their UTF-16 units.
std::string JsonString(const std::string &text)
{
    std::wstring wide(text.size(), L'\0');
    int length = text.empty() ? 0
                              : MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0],
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
void ListJson(const ExtensionDll &dll)
{
    Print("[\n");
    const std::vector<std::string> &names = dll.functions();
    for (size_t i = 0; i < names.size(); ++i) {
        Descriptor function = dll.Describe(names[i]);
        std::optional<DWORD> ordinal = dll.Ordinal(function.name);
        Print("  {\"name\": " + JsonString(function.name) +
              ", \"ordinal\": " + (ordinal ? std::to_string(*ordinal) : "null") +
              ", \"result\": " + JsonString(std::string(1, function.result)) +
              ", \"arguments\": " + JsonString(function.arguments) + ", \"help\": " + JsonString(function.help) +
              (i + 1 < names.size() ? "},\n" : "}\n"));
    }
    Print("]\n");
}

int List(const ExtensionDll &dll, const std::string &option)
{
    if (option == "--json") {
        ListJson(dll);
        return 0;
    }
    if (!option.empty()) Fail("usage: qimhost [--dll PATH] list [--json]", 2);
    for (const std::string &name : dll.functions()) Print(PrototypeLine(dll.Describe(name).help) + "\n");
    return 0;
}

// Every line of the help text with its own line end, whether or not the text ends in CR LF.
int Help(const ExtensionDll &dll, const std::string &name)
{
    std::string text;
    for (char c : dll.Describe(name).help)
        if (c != '\r') text += c;
    if (text.empty() || text.back() != '\n') text += '\n';
    Print(text);
    return 0;
}

int CallOne(const ExtensionDll &dll, const std::string &call)
{
    std::optional<std::string> result = Execute(dll, call);
    if (result) Print(*result + "\n");
    return 0;
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
// do nothing. Echoed calls are printed with their results, as a record of the run. False: quit.
bool RunLine(const ExtensionDll &dll, const std::string &line, bool echo)
{
    const std::string text = Trim(line);
    if (text.empty() || text[0] == '#') return true;
    if (text == "quit") return false;
    if (text == "list") {
        List(dll, "");
    } else if (text.rfind("help ", 0) == 0) {
        Help(dll, Trim(text.substr(5)));
    } else {
        std::optional<std::string> result = Execute(dll, text);
        if (echo) Print(result ? text + " => " + *result + "\n" : text + "\n");
        else if (result) Print(*result + "\n");
    }
    fflush(stdout);   // what ran stays on record should a later call bring the process down
    return true;
}

// Runs the lines of input one by one. Read from a file or a pipe, each call is echoed with its
// result and the first bad line ends the run, named by source and number. A person at a terminal
// is prompted instead, sees each result alone, and goes on after a line that fails.
int RunLines(const ExtensionDll &dll, FILE *input, const std::string &source, bool interactive)
{
    std::string line;
    for (size_t number = 1;; ++number) {
        if (interactive) {
            Print("qimhost> ");
            fflush(stdout);
        }
        if (!ReadLine(input, &line)) break;
        try {
            if (!RunLine(dll, line, !interactive)) return 0;
        } catch (Failure &failure) {
            if (!interactive) {
                failure.message = source + ":" + std::to_string(number) + ": " + failure.message;
                throw;
            }
            fprintf(stderr, "qimhost: %s\n", failure.message.c_str());
        }
    }
    if (interactive) Print("\n");   // the input ended on the prompt's line
    return 0;
}

// "-": standard input.
int Run(const ExtensionDll &dll, const std::string &path)
{
    if (path == "-") return RunLines(dll, stdin, "standard input", _isatty(_fileno(stdin)) != 0);
    FILE *file = fopen(path.c_str(), "rb");
    if (!file) Fail("cannot open " + path);
    try {
        RunLines(dll, file, path, false);
    } catch (...) {
        fclose(file);
        throw;
    }
    fclose(file);
    return 0;
}

struct Command {
    const char *name;
    const char *operand;   // nullptr: the command takes none
    bool optional;         // the operand may be left out
    int (*run)(const ExtensionDll &dll, const std::string &operand);
};

const Command kCommands[] = {
    {"list", "[--json]", true, List},
    {"help", "NAME", false, Help},
    {"call", "CALL", false, CallOne},
    {"run", "FILE", false, Run},
};

const Command &FindCommand(const std::string &name)
{
    for (const Command &command : kCommands)
        if (name == command.name) return command;
    Fail("unknown command '" + name + "' (commands: list, help, call, run)", 2);
}

int Dispatch(std::vector<std::string> words)
{
    std::string dllPath = "QIMAPI.dll";   // LoadLibraryA looks beside qimhost.exe first
    if (!words.empty() && words[0] == "--dll") {
        if (words.size() < 2) Fail("--dll needs a path", 2);
        dllPath = words[1];
        words.erase(words.begin(), words.begin() + 2);
    }
    if (words.empty()) words = {"run", "-"};   // no command: calls from standard input
    if (words[0] == "--help") {
        Print(kUsage);
        return 0;
    }
    const Command &command = FindCommand(words[0]);
    const size_t operands = words.size() - 1;
    if (operands > (command.operand ? 1u : 0u) || (operands == 0 && command.operand && !command.optional))
        Fail(std::string("usage: qimhost [--dll PATH] ") + command.name +
             (command.operand ? std::string(" ") + command.operand : ""), 2);
    ExtensionDll dll(dllPath);
    return command.run(dll, operands ? words[1] : "");
}

}  // namespace

int main(int argc, char **argv)
{
    // A DLL that cannot be loaded gives an error line, not a dialog box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // "\n" line ends on both streams, whatever reads them.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    try {
        return Dispatch(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const Failure &failure) {
        fflush(stdout);
        fprintf(stderr, "qimhost: %s\n", failure.message.c_str());
        return failure.status;
    }
}
