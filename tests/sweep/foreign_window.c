/* A window of another process for the hostile-argument sweep: a top-level window that declines
   WM_CLOSE, so that a script's KillWindow leaves it standing. It ends when the sweep ends it, or
   by itself after two minutes should the sweep have been stopped first. */
#include <windows.h>

static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

int main(void)
{
    WNDCLASSA windowClass = {0};
    windowClass.lpfnWndProc = Proc;
    windowClass.lpszClassName = "QimapiSweepForeign";
    RegisterClassA(&windowClass);
    CreateWindowExA(0, windowClass.lpszClassName, "QIMAPI sweep foreign window", WS_OVERLAPPEDWINDOW,
                    /*x=*/40, /*y=*/40, /*width=*/200, /*height=*/120, 0, 0, 0, 0);
    SetTimer(0, 0, /*elapse=*/120000, 0);
    MSG msg;
    while (GetMessageA(&msg, 0, 0, 0) > 0 && msg.message != WM_TIMER) DispatchMessageA(&msg);
    return 0;
}
