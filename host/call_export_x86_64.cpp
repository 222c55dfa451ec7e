// CallExport for 64-bit Windows (interface in call_export.h), where the test build runs.
//
// x86_64 has a single calling convention: the first four arguments travel in rcx, rdx, r8 and
// r9, the rest on the stack, and the caller removes them. An export therefore cannot leave the
// stack unbalanced, and the imbalance is always 0. Passing kMaxArguments slots to a function that
// takes fewer is harmless for the same reason: the caller owns that stack space.
#include "call_export.h"

extern "C" uintptr_t CallExport(void *function, const uintptr_t *slots, size_t count, ptrdiff_t *imbalance)
{
    using Export = uintptr_t (*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                 uintptr_t, uintptr_t);
    static_assert(kMaxArguments == 8, "Export takes kMaxArguments slots");
    uintptr_t a[kMaxArguments] = {};
    for (size_t i = 0; i < count && i < kMaxArguments; ++i) a[i] = slots[i];
    *imbalance = 0;
    return reinterpret_cast<Export>(function)(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
}
