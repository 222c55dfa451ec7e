// Prints one line: the version the system reports to this program (GetVersion in hex and the
// platform id), then IsWinNT, WindowsVersion and DosVersion as QIMAPI.dll reports them, all
// separated by "|". Exits 2 when the DLL or an export is missing.
#include <windows.h>

#include <stdio.h>

#include <string>

#include "frame/qimapi.h"

static FARPROC Find(HMODULE dll, const char *name)
{
    FARPROC address = GetProcAddress(dll, name);
    if (!address) {
        fprintf(stderr, "version_probe: QIMAPI.dll does not export %s\n", name);
        ExitProcess(2);
    }
    return address;
}

template <class Fn>
static Fn Export(HMODULE dll, const char *name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void *>(Find(dll, name)));
}

// Takes a result string over as the host does.
static std::string Take(HGLOBAL block)
{
    if (!block) return "<no block>";
    std::string text = static_cast<const char *>(GlobalLock(block));
    GlobalUnlock(block);
    GlobalFree(block);
    return text;
}

int main()
{
    HMODULE dll = LoadLibraryA("QIMAPI.dll");
    if (!dll) {
        fprintf(stderr, "version_probe: cannot load QIMAPI.dll, error %lu\n", GetLastError());
        return 2;
    }
    OSVERSIONINFOA platform = {};
    platform.dwOSVersionInfoSize = sizeof platform;
    GetVersionExA(&platform);
    int isWinNT = Export<decltype(&IsWinNT)>(dll, "IsWinNT")();
    std::string windows = Take(Export<decltype(&WindowsVersion)>(dll, "WindowsVersion")());
    std::string dos = Take(Export<decltype(&DosVersion)>(dll, "DosVersion")());
    char line[256];
    int length = snprintf(line, sizeof line, "%08lx %lu|%d|%s|%s\n", GetVersion(), platform.dwPlatformId, isWinNT,
                          windows.c_str(), dos.c_str());
    DWORD written = 0;   // written as it is: the C runtime would end the line with CR LF
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, static_cast<DWORD>(length), &written, nullptr);
    return 0;
}
