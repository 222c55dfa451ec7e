// Documents handed to the programs that their types are associated with, to open or to print.
#include <windows.h>

#include <shellapi.h>

#include "frame/qimapi.h"
#include "launch/launch.h"

const int kLongestShellName = 899;

bool FitsShell(const char *name)
{
    return lstrlenA(name) <= kLongestShellName;
}

// The shell's value is passed through: above 32 when the action started, else its error number.
// Empty parameters and folder are the shell's "none". A name too long for the shell names no file.
int WINAPI OpenDocument(const char *fileName, const char *state)
{
    if (!FitsShell(fileName)) return SE_ERR_FNF;
    HINSTANCE status = ShellExecuteA(GetActiveWindow(), "open", fileName, "", "", StateToShowCommand(state));
    return static_cast<int>(reinterpret_cast<INT_PTR>(status));
}

// Printing programs need no window of their own: they are always asked to stay hidden.
int WINAPI PrintFile(const char *fileName)
{
    if (!FitsShell(fileName)) return SE_ERR_FNF;
    HINSTANCE status = ShellExecuteA(GetActiveWindow(), "print", fileName, "", "", SW_HIDE);
    return static_cast<int>(reinterpret_cast<INT_PTR>(status));
}
