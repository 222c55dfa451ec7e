// Documents handed to the programs that their types are associated with, to open or to print.
#include <windows.h>

#include <shellapi.h>

#include "frame/qimapi.h"
#include "launch/launch.h"

// The shell's value is passed through: above 32 when the action started, else its error number.
// Empty parameters and folder are the shell's "none".
int WINAPI OpenDocument(const char *fileName, const char *state)
{
    HINSTANCE status = ShellExecuteA(GetActiveWindow(), "open", fileName, "", "", StateToShowCommand(state));
    return static_cast<int>(reinterpret_cast<INT_PTR>(status));
}

// Printing programs need no window of their own: they are always asked to stay hidden.
int WINAPI PrintFile(const char *fileName)
{
    HINSTANCE status = ShellExecuteA(GetActiveWindow(), "print", fileName, "", "", SW_HIDE);
    return static_cast<int>(reinterpret_cast<INT_PTR>(status));
}
