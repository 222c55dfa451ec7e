// One export of a module called as its descriptor says: one slot per argument letter, and on
// 32-bit x86 the check that the export removed exactly those slots from the stack.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

#include "host/call_export.h"
#include "host/function_table.h"

namespace host {

// The address of the function's export; nullptr where the module does not export it.
void *ExportAddress(const Module &module, const Function &function);

// Calls the function with count slots, the first slot as the first argument; *result is what it
// left in the return register. Empty, or the problem: the slots are not one per argument letter,
// the module does not export the function, or the call left the stack unbalanced.
std::string CallFunction(const Module &module, const Function &function, const uintptr_t *slots, size_t count,
                         uintptr_t *result);

}  // namespace host
