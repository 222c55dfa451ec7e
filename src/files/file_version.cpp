// The "FileVersion" text of a file's version resource.
#include "files/file_version_text.h"
#include "frame/frame.h"
#include "frame/qimapi.h"

// Only the US English table with the Windows code page counts, and only in a file that lists its
// translations; "0" wherever the text cannot be had. The text is returned as the file has it, cut
// to 63 characters. A value stored without its NUL is not terminated where the version functions
// point: only the count they return says where it ends.
HGLOBAL WINAPI FileVersion(const char *fileName)
{
    char answer[kFileVersionAnswerSize] = "0";
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
        CopyFileVersionText(text, length, answer);
    if (block) HeapFree(GetProcessHeap(), 0, block);
    return StringToGlobal(answer);
}
