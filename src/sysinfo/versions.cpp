// Which Windows the host runs on, and where the system's own directories are.
#include "frame/frame.h"
#include "frame/qimapi.h"
#include "sysinfo/version_text.h"

// Offered to the directory calls: a path of 255 characters or more does not fit.
static const UINT kDirectoryRoom = 255;

int WINAPI IsWinNT(void)
{
    OSVERSIONINFOA platform = {};
    platform.dwOSVersionInfoSize = sizeof platform;
    GetVersionExA(&platform);   // when it fails the record stays zeroed: not NT
    return platform.dwPlatformId == VER_PLATFORM_WIN32_NT ? 1 : 0;
}

static HGLOBAL VersionToGlobal(unsigned char major, unsigned char minor)
{
    char text[32];
    FormatVersionText(major, minor, text, sizeof text);
    return StringToGlobal(text);
}

HGLOBAL WINAPI WindowsVersion(void)
{
    DWORD version = GetVersion();
    return VersionToGlobal(LOBYTE(LOWORD(version)), HIBYTE(LOWORD(version)));
}

// The high word is read as DOS major and minor bytes whatever the platform keeps there: the NT
// platforms keep a build number.
HGLOBAL WINAPI DosVersion(void)
{
    DWORD version = GetVersion();
    return VersionToGlobal(HIBYTE(HIWORD(version)), LOBYTE(HIWORD(version)));
}

// A directory call answers the path's length, 0 when it fails, or the room it needs when
// kDirectoryRoom is too little; only the first leaves a path in the buffer.
static HGLOBAL DirectoryToGlobal(const char *directory, UINT length)
{
    return StringToGlobal(length && length < kDirectoryRoom ? directory : "");
}

HGLOBAL WINAPI GetWindowsDir(void)
{
    char directory[260] = "";
    UINT length = GetWindowsDirectoryA(directory, kDirectoryRoom);
    return DirectoryToGlobal(directory, length);
}

HGLOBAL WINAPI GetSystemDir(void)
{
    char directory[260] = "";
    UINT length = GetSystemDirectoryA(directory, kDirectoryRoom);
    return DirectoryToGlobal(directory, length);
}
