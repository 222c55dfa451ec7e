// The library's entry point: it keeps the instance handle at load and undoes at unload what
// scripts may have left in force.
#include "frame/frame.h"
#include "frame/qimapi.h"

HINSTANCE LibraryInstance;

// Keys first: RestoreKeys keeps the hook while the mouse is blocked, and RestoreMouse then finds
// key blocking off and removes it. So no hook outlives the library, in whatever state it was.
static void LibraryUnload()
{
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
