// Calls one export of an extension DLL with the argument slots its descriptor asks for, the way
// the host does. One interface, one implementation per architecture (see host/CMakeLists.txt).
#pragma once

#include <stddef.h>
#include <stdint.h>

// The most argument slots one call passes; the longest argument list in QIMAPI.dll has five.
const size_t kMaxArguments = 8;

// Calls function with count slots (at most kMaxArguments), the first slot as the first argument,
// and returns what it left in the result register. *imbalance: how many bytes the call left on
// the stack (negative: took off beyond its arguments); 0 when the callee removed exactly the slots
// pushed, as a standard-call function whose argument count matches its descriptor does.
extern "C" uintptr_t CallExport(void *function, const uintptr_t *slots, size_t count, ptrdiff_t *imbalance);
