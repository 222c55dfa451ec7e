// Keys of INI files, read and written by the system's private profile functions.
#include "frame/frame.h"
#include "frame/qimapi.h"

// No file the profile functions can open has a name this long, and some implementations
// overrun a buffer of their own on a longer bare name: such names go no further.
static bool IsOverlongFileName(const char *iniFile)
{
    return lstrlenA(iniFile) >= MAX_PATH;
}

// A missing file, section or key gives Default; either text is cut to 254 characters.
HGLOBAL WINAPI ReadIni(const char *section, const char *keyName, const char *defaultValue, const char *iniFile)
{
    char value[255];
    if (IsOverlongFileName(iniFile))
        lstrcpynA(value, defaultValue, sizeof value);
    else
        GetPrivateProfileStringA(section, keyName, defaultValue, value, sizeof value, iniFile);
    return StringToGlobal(value);
}

// A name without a folder is a file in the Windows folder; the file and section are made as needed.
int WINAPI WriteIni(const char *section, const char *keyName, const char *newString, const char *iniFile)
{
    if (IsOverlongFileName(iniFile)) return 0;
    return WritePrivateProfileStringA(section, keyName, newString, iniFile) != 0;
}
