// How OpenFile, RunProgram and OpenURL read their State words.
#include "frame/frame.h"
#include "launch/launch.h"

// Not the window-state table of SetWindowState: there is no "restored" here, and "normal" shows
// without restoring, SW_SHOW like any word the table lacks.
static const Keyword kLaunchStates[] = {
    {"minimized", SW_MINIMIZE},          {"minimised", SW_MINIMIZE},
    {"maximized", SW_SHOWMAXIMIZED},     {"maximised", SW_SHOWMAXIMIZED},
    {"hidden", SW_HIDE},                 {"normal", SW_SHOW},
    {"showminimised", SW_SHOWMINIMIZED}, {"showminimized", SW_SHOWMINIMIZED},
    {"ShowMinNoActive", SW_SHOWMINNOACTIVE},
};

int StateToShowCommand(const char *state)
{
    return LookUpKeyword(state, kLaunchStates, SW_SHOW);
}
