#include "host/descriptor_format.h"

#include <string.h>

#include "host/call_export.h"

namespace host {
namespace {

bool IsOneOf(char c, const char *letters)
{
    return c && strchr(letters, c);
}

// Letters, digits and underscores, as a script writes a function's name.
bool IsFunctionName(const std::string &name)
{
    for (char c : name)
        if (!IsOneOf(c, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_")) return false;
    return !name.empty();
}

bool SameNameAnyCase(const std::string &a, const std::string &b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if ((a[i] | 0x20) != (b[i] | 0x20)) return false;   // names hold letters, digits and _ only
    return true;
}

// The NUL-terminated fields of bytes from start on; *rest: where the unterminated tail begins.
std::vector<std::string> NulTerminatedFields(const std::string &bytes, size_t start, size_t *rest)
{
    std::vector<std::string> fields;
    for (size_t end; (end = bytes.find('\0', start)) != std::string::npos; start = end + 1)
        fields.push_back(bytes.substr(start, end - start));
    *rest = start;
    return fields;
}

bool AreArgumentLetters(const std::string &letters)
{
    if (letters.empty() || letters.size() > kMaxArguments) return false;
    for (char c : letters)
        if (!IsOneOf(c, "IWLS")) return false;
    return true;
}

}  // namespace

// Names up to the empty name of the closing NUL. Descriptors are found by the name in capitals,
// so two names that differ only in case would share one.
std::string ParseFunctionList(const std::string &bytes, std::vector<std::string> *names)
{
    names->clear();
    size_t rest = 0;
    for (const std::string &name : NulTerminatedFields(bytes, 0, &rest)) {
        if (name.empty()) return "";
        if (!IsFunctionName(name)) return "it lists \"" + name + "\", which is no function name";
        for (const std::string &listed : *names)
            if (SameNameAnyCase(listed, name)) return "it lists " + name + " twice";
        names->push_back(name);
    }
    return "it does not end in an empty name";
}

std::string ParseDescriptor(const std::string &bytes, Function *function)
{
    if (bytes.empty() || bytes[0] != '\0') return "it does not begin with a NUL";
    size_t rest = 0;
    std::vector<std::string> fields = NulTerminatedFields(bytes, 1, &rest);
    if (fields.empty() || fields[0].size() != 1 || !IsOneOf(fields[0][0], "IWLSV"))
        return "its result letter is not one of I, W, L, S and V";
    if (fields.size() < 2 || (fields[1] != "V" && !AreArgumentLetters(fields[1])))
        return "its argument letters are neither V nor up to " + std::to_string(kMaxArguments) +
               " of I, W, L and S";
    if (fields.size() < 3) return "its help text does not end in a NUL";
    // Only NUL bytes, which pad the resource, may follow the help text's NUL.
    bool padded = rest == bytes.size();
    for (size_t i = 3; i < fields.size(); ++i) padded = padded && fields[i].empty();
    if (!padded) return "bytes follow its help text";
    function->result = fields[0][0];
    function->arguments = fields[1] == "V" ? "" : fields[1];
    function->help = fields[2];
    return "";
}

size_t DescriptorSize(const Function &function)
{
    const size_t argumentLetters = function.arguments.empty() ? 1 : function.arguments.size();
    return 1 + 2 + argumentLetters + 1 + function.help.size() + 1;
}

}  // namespace host
