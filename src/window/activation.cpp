// Closing, raising and activating windows, and waiting until one becomes active.
#include "frame/qimapi.h"

// Posted, not sent: the window closes, or declines to, after the call has returned. The desktop
// window is no window a script may close (Wine's desktop process ends on it).
int WINAPI KillWindow(HWND window)
{
    if (!IsWindow(window) || window == GetDesktopWindow()) return 0;
    return PostMessageA(window, WM_CLOSE, 0, 0) ? 1 : 0;
}

int WINAPI WindowToFront(HWND window)
{
    if (!IsWindow(window)) window = GetActiveWindow();
    return BringWindowToTop(window) ? 1 : 0;
}

// SetActiveWindow answers with the window that was active before: 0 when there was none, even
// though the window is active now.
int WINAPI ActivateWindow(HWND window)
{
    if (!IsWindow(window)) window = GetActiveWindow();
    return SetActiveWindow(window) ? 1 : 0;
}

// Dispatches one message waiting for the thread; false when there is none. WM_QUIT ends the
// host at once with the exit code it carries.
static bool DispatchWaitingMessage()
{
    MSG msg;
    if (!PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) ExitProcess(static_cast<UINT>(msg.wParam));
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

// Waits for the window's parent or owner, one level up, or for the window itself when it has
// neither. The host's windows go on handling their messages meanwhile; the wait never sleeps, so
// it keeps the processor busy, and it ends only when the target is active or gone. The desktop
// window is never active: a wait for it would never end.
void WINAPI WaitTillActive(HWND window)
{
    if (!IsWindow(window)) return;
    HWND target = GetParent(window);
    if (!target) target = window;
    if (target == GetDesktopWindow()) return;
    for (;;) {
        if (DispatchWaitingMessage()) continue;
        if (GetActiveWindow() == target || !IsWindow(target)) return;
    }
}
