// Short and temporary file names and whether a file exists.
#include "files/files.h"
#include "frame/frame.h"
#include "frame/qimapi.h"

bool FileExists(const char *name)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(name, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;

    FILETIME local;
    WORD date, time;
    return FileTimeToLocalFileTime(&found.ftLastWriteTime, &local) && FileTimeToDosDateTime(&local, &date, &time);
}

// The empty text for a file that does not exist, and for a short name longer than 258 characters.
HGLOBAL WINAPI ShortFileName(const char *fileName)
{
    char shortName[261];
    DWORD length = GetShortPathNameA(fileName, shortName, 259);
    if (length == 0 || length >= 259) shortName[0] = '\0';   // failed, or the name did not fit
    return StringToGlobal(shortName);
}

// The system makes the file, empty, so that the name stays taken; the caller removes it. The
// empty text when no file can be made there, or the temporary folder's name is too long.
HGLOBAL WINAPI TempFileName(const char *prefix)
{
    char folder[257];
    char name[MAX_PATH];   // the size GetTempFileNameA writes into
    DWORD length = GetTempPathA(255, folder);
    // The name adds up to 14 characters to the folder; a longer folder leaves the name unterminated.
    if (length == 0 || length > MAX_PATH - 14 || !GetTempFileNameA(folder, prefix, 0, name)) name[0] = '\0';
    return StringToGlobal(name);
}

// A drive without a medium fails the test instead of asking the user; the mode is 0 afterwards.
int WINAPI DoesFileExist(const char *fileName)
{
    SetErrorMode(SEM_FAILCRITICALERRORS);
    bool exists = FileExists(fileName);
    SetErrorMode(0);
    return exists;
}
