// A call as a script writes it, NAME ( argument , ... ) with numbers and "texts" as arguments,
// checked against the function's descriptor and turned into argument slots. Text work only,
// without a Windows header.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "host/descriptor_format.h"

namespace host {

// One argument as a script writes it.
struct Argument {
    bool isText = false;
    std::string text;
    uint32_t number = 0;   // two's complement for negative numbers
};

struct ScriptCall {
    std::string name;
    std::vector<Argument> arguments;
};

// Reads a call: spaces anywhere between its parts; numbers from -2147483648 to 4294967295,
// decimal or 0x hexadecimal, either with a leading minus; texts in quotes, where "" stands for
// one quote and every other character, backslashes too, for itself. Empty, or what is malformed.
std::string ParseScriptCall(const std::string &line, ScriptCall *call);

// Whether the arguments fit the function's argument letters: as many, texts where it takes S
// and numbers elsewhere. Empty, or the first that does not fit.
std::string CheckArguments(const Function &function, const std::vector<Argument> &arguments);

// One slot per argument, each 32-bit value widened the way a value of its letter widens: texts
// as pointers to the call's own strings (valid while the call lives), I and L sign-extended,
// W (handles and words) zero-extended.
std::vector<uintptr_t> ArgumentSlots(const Function &function, const ScriptCall &call);

}  // namespace host
