// Shows kernel handles left open by a series of calls. Wine answers 0 to GetProcessHandleCount,
// but its handle table hands out the lowest free slot. A call that opens handles of its own
// along the way (CreateProcessA does) can leave one open above a slot it freed, so the probe
// fills the free slots up to well past the last used one and reads how far they reach: the
// same before and after a series of calls unless one of them left a handle open.
#pragma once

#include <windows.h>

namespace qimapi_test {

inline ULONG_PTR HandleHighWater()
{
    const int kProbes = 256;
    HANDLE probes[kProbes];
    ULONG_PTR highest = 0;
    for (HANDLE &probe : probes) {
        probe = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (reinterpret_cast<ULONG_PTR>(probe) > highest) highest = reinterpret_cast<ULONG_PTR>(probe);
    }
    for (HANDLE probe : probes) CloseHandle(probe);
    return highest;
}

}  // namespace qimapi_test
