// Programs started from their command line, and waited for when the script asks.
#include "frame/qimapi.h"
#include "launch/launch.h"

// CreateProcessA's failures on the scale of the shell's launch errors, which scripts read
// alongside OpenFile's and PrintFile's results.
static UINT LaunchError(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND: return 2;
    case ERROR_PATH_NOT_FOUND: return 3;
    case ERROR_NOT_ENOUGH_MEMORY: return 0;
    case ERROR_NETWORK_ACCESS_DENIED: return 5;
    case ERROR_BAD_EXE_FORMAT: return 11;
    default: return 1;
    }
}

UINT WINAPI RunProgram(const char *program, const char *state, int wait)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK;
    startup.wShowWindow = static_cast<WORD>(StateToShowCommand(state));
    PROCESS_INFORMATION child = {};
    // CreateProcessA works on a converted copy of the command line: the host's text stays unwritten.
    if (!CreateProcessA(/*applicationName=*/nullptr, const_cast<char *>(program), nullptr, nullptr,
                        /*inheritHandles=*/FALSE, NORMAL_PRIORITY_CLASS, /*environment=*/nullptr,
                        /*currentDirectory=*/nullptr, &startup, &child))
        return LaunchError(GetLastError());
    // The handles serve only the wait; kept, every launch would hold two for the host's lifetime.
    CloseHandle(child.hThread);
    if (wait) WaitForSingleObject(child.hProcess, INFINITE);
    CloseHandle(child.hProcess);
    return 33;
}
