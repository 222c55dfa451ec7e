// A DLL with an export but no DLL_HEADER resources: the host cannot learn its functions.
#include <windows.h>

extern "C" __declspec(dllexport) int WINAPI Undescribed(void)
{
    return 0;
}
