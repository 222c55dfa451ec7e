// The "FileVersion" text of a file's version resource.
#include "frame/frame.h"
#include "frame/qimapi.h"

// Only the US English table with the Windows code page counts, and only in a file that lists its
// translations; "0" wherever the text cannot be had. The text is returned as the file has it, cut
// to 63 characters.
HGLOBAL WINAPI FileVersion(const char *fileName)
{
    char answer[65] = "0";
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(fileName, &handle);
    if (!size) return StringToGlobal(answer);

    void *block = HeapAlloc(GetProcessHeap(), 0, size + 1);
    void *translations;
    char *text;
    UINT length;
    if (block && GetFileVersionInfoA(fileName, handle, size, block) &&
        VerQueryValueA(block, "\\VarFileInfo\\Translation", &translations, &length) &&
        VerQueryValueA(block, "\\StringFileInfo\\040904E4\\FileVersion", reinterpret_cast<void **>(&text), &length))
        lstrcpynA(answer, text, 64);
    if (block) HeapFree(GetProcessHeap(), 0, block);
    return StringToGlobal(answer);
}
