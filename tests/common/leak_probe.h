// Shows handles left open by a series of calls. Wine answers 0 to GetProcessHandleCount, but its
// handle table hands out the lowest free slot: a handle made and closed at once names the first
// free slot, which stays the same across calls unless one of them left a handle open.
#pragma once

#include <windows.h>

namespace qimapi_test {

inline HANDLE FirstFreeHandleSlot()
{
    HANDLE probe = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    CloseHandle(probe);
    return probe;
}

}  // namespace qimapi_test
