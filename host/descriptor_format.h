// The bytes of the DLL_HEADER resources as a host reads them: the function list (each name
// closed by a NUL, one more NUL after the last) and one descriptor per function (a lead NUL, then
// the result letter, the argument letters and the help text, each closed by a NUL). Text work
// only, without a Windows header.
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

namespace host {

// One function as its module describes it: a row of the host's function table.
struct Function {
    std::string name;        // as the function list spells it, which is also the export name
    unsigned ordinal = 0;    // in the module's export directory; 0 where it does not export the name
    char result = 'V';       // I, W, L, S or V
    std::string arguments;   // one letter a slot (I, W, L or S); empty where the descriptor says V
    std::string help;        // lines joined by CR LF; the first is the prototype line
};

// The names of a function list into *names. Empty, or what makes the list unusable.
std::string ParseFunctionList(const std::string &bytes, std::vector<std::string> *names);

// A descriptor's letters and help text into *function. Empty, or what is malformed.
std::string ParseDescriptor(const std::string &bytes, Function *function);

// The size of the descriptor that says what function says: what a host reads of it.
size_t DescriptorSize(const Function &function);

}  // namespace host
