/* The benchmark's fair measure of loading and unloading: a DLL that does nothing but what
   QIMAPI.dll's unload must do, lift the cursor confinement. No runtime, one import. */
#include <windows.h>

BOOL WINAPI ClipEntry(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reserved;
    if (reason == DLL_PROCESS_DETACH) ClipCursor(NULL);
    return TRUE;
}
