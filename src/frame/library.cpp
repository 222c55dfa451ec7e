// The library's entry point: it keeps the instance handle at load and undoes at unload what
// scripts may have left in force.
#include "frame/frame.h"
#include "frame/qimapi.h"
#include "input/input.h"

HINSTANCE LibraryInstance;

// Keys first: RestoreKeys keeps the hook while the mouse is blocked, and RestoreMouse then finds
// key blocking off and removes it. So no hook outlives the library, in whatever state it was.
// A copy that the system loaded into this program only to run the hook of a copy in another
// process leaves that process's hook and confinement alone when this program ends.
static void LibraryUnload()
{
    if (IsOnlyAHookGuest()) return;
    RestoreKeys();
    RestoreMouse();
    FreeCursor();
}

// Process detach comes once per unload, whether the host frees the library or ends.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH: LibraryInstance = instance; break;
    case DLL_PROCESS_DETACH: LibraryUnload(); break;
    default: break;
    }
    return TRUE;
}
