#include "host/script_call.h"

#include <string.h>

namespace host {
namespace {

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

// The line being read and how far: each reader below moves on past what it took, or sets the
// problem and returns false.
struct Reader {
    const std::string &text;
    size_t at;
    std::string problem;

    bool Fail(const std::string &what)
    {
        problem = "malformed call: " + what;
        return false;
    }

    void SkipSpaces()
    {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    }

    bool Take(char c)
    {
        SkipSpaces();
        if (at == text.size() || text[at] != c) return false;
        ++at;
        return true;
    }

    bool Expect(char c, const std::string &where)
    {
        return Take(c) || Fail(std::string("expected '") + c + "' " + where);
    }

    bool Name(std::string *name)
    {
        SkipSpaces();
        size_t start = at;
        while (at < text.size() && IsNameChar(text[at])) ++at;
        if (at == start) return Fail("expected a function name");
        *name = text.substr(start, at - start);
        return true;
    }

    bool Text(Argument *argument)
    {
        argument->isText = true;
        for (++at; at < text.size(); ++at) {
            if (text[at] != '"') {
                argument->text += text[at];
            } else if (at + 1 < text.size() && text[at + 1] == '"') {
                argument->text += '"';
                ++at;
            } else {
                ++at;
                return true;
            }
        }
        return Fail("unterminated text \"" + argument->text);
    }

    bool Number(Argument *argument)
    {
        size_t start = at;
        bool negative = text[at] == '-';
        if (negative) ++at;
        size_t digitsStart = at;
        while (at < text.size() && !strchr(" \t,)", text[at])) ++at;
        const std::string literal = text.substr(start, at - start);
        uint64_t magnitude = 0;
        if (!ParseMagnitude(text.substr(digitsStart, at - digitsStart), &magnitude)) {
            problem = "malformed number " + literal;
            return false;
        }
        if (magnitude > (negative ? 0x80000000ull : 0xFFFFFFFFull)) {
            problem = "number out of 32-bit range: " + literal;
            return false;
        }
        uint32_t value = static_cast<uint32_t>(magnitude);
        argument->number = negative ? 0u - value : value;
        return true;
    }

    bool NextArgument(Argument *argument)
    {
        SkipSpaces();
        char next = at < text.size() ? text[at] : '\0';
        if (next == '"') return Text(argument);
        if (next == '-' || (next >= '0' && next <= '9')) return Number(argument);
        return Fail("expected a number or a \"text\" as argument");
    }
};

}  // namespace

std::string ParseScriptCall(const std::string &line, ScriptCall *call)
{
    *call = ScriptCall();
    Reader reader{line, 0, ""};
    if (!reader.Name(&call->name) || !reader.Expect('(', "after the function name")) return reader.problem;
    if (!reader.Take(')')) {
        do {
            call->arguments.emplace_back();
            if (!reader.NextArgument(&call->arguments.back())) return reader.problem;
        } while (reader.Take(','));
        if (!reader.Expect(')', "after argument " + std::to_string(call->arguments.size()))) return reader.problem;
    }
    reader.SkipSpaces();
    if (reader.at != line.size()) return "malformed call: unexpected text after ')': " + line.substr(reader.at);
    return "";
}

std::string CheckArguments(const Function &function, const std::vector<Argument> &arguments)
{
    const std::string &letters = function.arguments;
    if (arguments.size() != letters.size())
        return function.name + " takes " + std::to_string(letters.size()) + " argument(s), not " +
               std::to_string(arguments.size());
    for (size_t i = 0; i < letters.size(); ++i) {
        bool wantsText = letters[i] == 'S';
        if (arguments[i].isText != wantsText)
            return "argument " + std::to_string(i + 1) + " of " + function.name + " must be " +
                   (wantsText ? "a \"text\"" : "a number");
    }
    return "";
}

std::vector<uintptr_t> ArgumentSlots(const Function &function, const ScriptCall &call)
{
    std::vector<uintptr_t> slots;
    for (size_t i = 0; i < call.arguments.size() && i < function.arguments.size(); ++i) {
        const Argument &argument = call.arguments[i];
        const char letter = function.arguments[i];
        if (letter == 'S') slots.push_back(reinterpret_cast<uintptr_t>(argument.text.c_str()));
        else if (letter == 'W') slots.push_back(argument.number);
        else slots.push_back(static_cast<uintptr_t>(static_cast<intptr_t>(static_cast<int32_t>(argument.number))));
    }
    return slots;
}

}  // namespace host
