// A DLL with an export but no DLL_HEADER resources: the host cannot learn its functions. Linked
// with a resource script, it describes itself badly instead (tests/host/CMakeLists.txt).
#include <windows.h>

extern "C" __declspec(dllexport) int WINAPI Undescribed(void)
{
    return 0;
}
