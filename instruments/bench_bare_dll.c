/* The benchmark's measure of a DLL that costs nothing: a bare entry point, no runtime, no imports. */
#include <windows.h>

BOOL WINAPI BareEntry(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
