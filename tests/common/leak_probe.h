// Probes that show what a series of calls left behind in the process, read before and after it.
// Wine answers 0 to GetProcessHandleCount and GetGuiResources, so the object probes read the
// handle tables instead. The kernel and GDI probes make 256 objects at once, read how far their
// slots reach and destroy them again. As long as fewer than 256 slots are free, the reach is the number of slots
// in use plus a constant, in whatever order the table hands free slots out: it stays the same
// unless an object was left alive (then it grows by one slot per object).
//
// Kernel handles come from the lowest free slot. GDI and USER handles (Wine 8, seen with a
// test program: create A and B, destroy A then B, create one more) come from the slot freed
// last, so a single probe object only shows which slot was freed last; hence 256 at once.
// The low 16 bits of a GDI or USER handle are its slot (USER handles step by 2), the high 16
// bits a generation count that changes on every reuse.
//
// The USER table is shared by all the session's processes, so its free slots are not only the
// probe's: a slot freed by another process (a started program that ends) would hide an object
// kept here from a reach of 256. Its probe counts the slots in use instead (see UserSlotsInUse),
// and the tests that use it run beside no other program.
#pragma once

#include <windows.h>

#include <psapi.h>

#include <string>
#include <vector>

namespace qimapi_test {

const int kProbeObjects = 256;

// A call that opens handles of its own along the way (CreateProcessA does) can leave one open
// above a slot it freed; filling the free slots reads past it.
inline ULONG_PTR HandleHighWater()
{
    HANDLE probes[kProbeObjects];
    ULONG_PTR highest = 0;
    for (HANDLE &probe : probes) {
        probe = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (reinterpret_cast<ULONG_PTR>(probe) > highest) highest = reinterpret_cast<ULONG_PTR>(probe);
    }
    for (HANDLE probe : probes) CloseHandle(probe);
    return highest;
}

// The highest slot (low word) of kProbeObjects objects made at once by make, then destroyed.
template <class Handle, class Make, class Destroy>
unsigned Reach(Make make, Destroy destroy)
{
    Handle probes[kProbeObjects];
    unsigned highest = 0;
    for (Handle &probe : probes) {
        probe = make();
        unsigned slot = LOWORD(reinterpret_cast<ULONG_PTR>(probe));
        if (slot > highest) highest = slot;
    }
    for (Handle probe : probes) destroy(probe);
    return highest;
}

inline unsigned GdiReach()
{
    return Reach<HBRUSH>([] { return CreateSolidBrush(RGB(1, 2, 3)); }, [](HBRUSH b) { DeleteObject(b); });
}

// The USER slots in use in the session, plus a constant. Wine takes every free slot before it
// grows the table, and a slot used for the first time has generation 1 (a reused one counts
// up from 2): so the menus made until one has generation 1 took every free slot, and that
// first new slot, less the free ones taken before it, is the number in use. -1 when no new
// slot came.
inline long UserSlotsInUse()
{
    std::vector<HMENU> taken;
    long inUse = -1;
    while (taken.size() < 0x10000) {
        HMENU menu = CreateMenu();
        if (!menu) break;
        taken.push_back(menu);
        const ULONG_PTR value = reinterpret_cast<ULONG_PTR>(menu);
        if (HIWORD(value) == 1) {   // handle values step by 2
            inUse = static_cast<long>(LOWORD(value) / 2) - static_cast<long>(taken.size() - 1);
            break;
        }
    }
    for (HMENU menu : taken) DestroyMenu(menu);
    return inUse;
}

// A program that ends leaves USER objects in the table for a moment after it is gone from the
// process list (seen under Wine: a dozen, for up to 0.2 s, after a launched recorder ended),
// while an object kept here stays. So a count that differs from the last one read is read again
// over 0.3 s, and the fewest counts.
inline long SettledUserSlotsInUse()
{
    static long last = -1;
    long fewest = UserSlotsInUse();
    for (int reading = 0; reading < 3 && fewest != last; ++reading) {
        Sleep(100);
        const long inUse = UserSlotsInUse();
        if (inUse >= 0 && (fewest < 0 || inUse < fewest)) fewest = inUse;
    }
    last = fewest;
    return fewest;
}

// The process's private bytes: memory that no other process shares. Wine 8 answers 0 for
// PrivateUsage and counts the process's anonymous memory in RAM or swap as PagefileUsage, which
// grows alike when memory is committed and used; that serves where PrivateUsage is 0.
inline SIZE_T PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&counters),
                                 sizeof counters))
        return 0;
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

// The blocks in use in the process heap, where global memory blocks (result strings) live too.
inline long HeapBusyBlocks()
{
    HANDLE heap = GetProcessHeap();
    if (!HeapLock(heap)) return -1;
    PROCESS_HEAP_ENTRY entry = {};
    long busy = 0;
    while (HeapWalk(heap, &entry))
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) ++busy;
    HeapUnlock(heap);
    return busy;
}

// Every probe above, read together.
struct Measures {
    long handles, gdi, user;
    long long privateBytes;
    long heapBlocks;
};

inline Measures Measure()
{
    Measures m;
    // Heap and memory first: the object probes below may move them, never the other way round.
    m.heapBlocks = HeapBusyBlocks();
    m.privateBytes = static_cast<long long>(PrivateBytes());
    m.handles = static_cast<long>(HandleHighWater() / 4);   // handle values step by 4
    m.gdi = static_cast<long>(GdiReach());
    m.user = SettledUserSlotsInUse();
    return m;
}

// What a call keeps, by the object and heap probes: the ones that grew in each of two rounds of
// callsPerRound calls, after a first call that fills the system's caches. A leak grows in every
// round, a cache in steps; private bytes are left to the soak, which watches over more calls.
// Empty when nothing was kept.
template <class Call>
std::string KeptBy(Call call, int callsPerRound = 2)
{
    call();
    bool handles = true, gdi = true, user = true, heapBlocks = true;
    for (int round = 0; round < 2; ++round) {
        const Measures before = Measure();
        for (int i = 0; i < callsPerRound; ++i) call();
        const Measures after = Measure();
        handles = handles && after.handles > before.handles;
        gdi = gdi && after.gdi > before.gdi;
        user = user && after.user > before.user;
        heapBlocks = heapBlocks && after.heapBlocks > before.heapBlocks;
    }
    return std::string(handles ? "kernel handles; " : "") + (gdi ? "GDI objects; " : "") +
           (user ? "USER objects; " : "") + (heapBlocks ? "heap blocks; " : "");
}

}  // namespace qimapi_test
