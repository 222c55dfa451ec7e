// Finding top-level windows, reading and changing their show and topmost state, title and messages.
#include "frame/frame.h"
#include "frame/qimapi.h"

// ShowWindow commands by script word. "normal" shows without restoring: SW_SHOW, not SW_SHOWNORMAL.
static const Keyword kWindowStates[] = {
    {"minimized", SW_MINIMIZE},         {"minimised", SW_MINIMIZE},
    {"maximized", SW_SHOWMAXIMIZED},    {"maximised", SW_SHOWMAXIMIZED},
    {"hidden", SW_HIDE},                {"restored", SW_RESTORE},
    {"normal", SW_SHOW},                {"showminimised", SW_SHOWMINIMIZED},
    {"showminimized", SW_SHOWMINIMIZED}, {"MinNotActive", SW_SHOWMINNOACTIVE},
    {"NotActive", SW_SHOWNA},           {"NoActivate", SW_SHOWNOACTIVATE},
};

// Insert-after handles for SetWindowPos; 0 (no word) changes nothing.
static const Keyword kZOrderWords[] = {
    {"StayOnTop", -1 /* HWND_TOPMOST */},
    {"DontStayOnTop", -2 /* HWND_NOTOPMOST */},
};

// The ShowWindow command that state names, or -1.
static int ParseWindowState(const char *state)
{
    return LookUpKeyword(state, kWindowStates, -1);
}

// The host's script language is 16-bit at heart: Msg and wParam carry only their low words.
LRESULT WINAPI SendMsg(HWND window, DWORD message, DWORD wParam, LPARAM lParam)
{
    return SendMessageA(window, LOWORD(message), LOWORD(wParam), lParam);
}

int WINAPI GetWindowState(HWND window)
{
    if (!IsWindow(window)) return 0;
    if (IsIconic(window)) return 2;
    if (IsZoomed(window)) return 3;
    return 1;
}

void WINAPI SetWindowState(HWND window, const char *state)
{
    if (!IsWindow(window)) window = GetActiveWindow();
    if (!IsWindow(window)) return;

    int command = ParseWindowState(state);
    if (command >= 0) {
        ShowWindow(window, command);
        return;
    }
    int insertAfter = LookUpKeyword(state, kZOrderWords, 0);
    if (insertAfter)
        SetWindowPos(window, reinterpret_cast<HWND>(static_cast<INT_PTR>(insertAfter)), 0, 0, 0, 0,
                     /*flags=*/SWP_NOSIZE | SWP_NOMOVE);
}

HWND WINAPI ActiveWindow(void)
{
    return GetActiveWindow();
}

// An empty text matches any class or title: FindWindowA takes that as a null pointer.
HWND WINAPI GetWindowHandle(const char *className, const char *caption)
{
    return FindWindowA(*className ? className : nullptr, *caption ? caption : nullptr);
}

// Longer titles are cut: Wine stops answering when a title of a million characters goes to a
// window of another process, and no caption shows a fraction of this many.
const int kLongestTitle = 65535;

void WINAPI SetWindowTitle(HWND window, const char *title)
{
    if (!IsWindow(window)) window = ActiveWindow();
    if (lstrlenA(title) <= kLongestTitle) {
        SetWindowTextA(window, title);
        return;
    }
    char *cut = static_cast<char *>(HeapAlloc(GetProcessHeap(), 0, kLongestTitle + 1));
    if (!cut) return;
    lstrcpynA(cut, title, kLongestTitle + 1);
    SetWindowTextA(window, cut);
    HeapFree(GetProcessHeap(), 0, cut);
}
