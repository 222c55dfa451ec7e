// Blocking mouse clicks and key presses: one WH_GETMESSAGE hook turns the blocked messages into
// WM_NULL before the hooked thread's message loop sees them. The hook serves both kinds of
// blocking; it is installed by the first Disable and removed when neither kind is left on.
#include "frame/frame.h"
#include "frame/qimapi.h"
#include "input/input.h"

// A flag is 1 only while HookHandle is set. Where the system runs the hook procedure in another
// process, that process has its own copies, both flags 0, and nothing is blocked there.
static HHOOK HookHandle;
static int MouseBlocked;
static int KeysBlocked;

// What this copy is in its process: not yet known, a guest that runs another process's hook
// procedure, or the copy of a host whose scripts block input or confine the cursor through it.
// Set by the host's thread and by whichever thread runs the hook procedure: each change is one
// atomic step, so that a guest's first hook call never overwrites a host's request.
enum CopyRole { kRoleNotKnown, kHookGuest, kHostCopy };
static volatile LONG Role;

void NoteHostRequest()
{
    InterlockedExchange(&Role, kHostCopy);
}

bool IsOnlyAHookGuest()
{
    return Role == kHookGuest;
}

// Button presses, releases and double clicks of the client area; moves and the wheel pass.
static bool IsMouseClick(UINT message)
{
    return message >= WM_LBUTTONDOWN && message <= WM_MBUTTONDBLCLK;
}

// Dead characters and the system characters of Alt combinations pass.
static bool IsKeyPress(UINT message)
{
    switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: return true;
    default: return false;
    }
}

// WM_NULL with wParam 0: the thread's loop takes it and nothing happens.
static void Neutralise(MSG *msg)
{
    msg->message = WM_NULL;
    msg->wParam = 0;
}

// A message for no window, or for a window of this process. A hook on all threads runs here also
// for the programs of the other bitness, which cannot load this library (64-bit programs for
// this 32-bit build): their messages pass through this procedure, in the host's process.
static bool IsForThisProcess(HWND window)
{
    DWORD process = 0;
    return !window || (GetWindowThreadProcessId(window, &process) && process == GetCurrentProcessId());
}

// Every window of the hooked thread is affected, whether its loop peeks at the message or
// removes it. The MSG's window, lParam, time and point stay as they were.
static LRESULT CALLBACK InputHookProc(int code, WPARAM removal, LPARAM lParam)
{
    // Without a hook of its own, this copy runs the hook of a copy in another process.
    if (!HookHandle) InterlockedCompareExchange(&Role, kHookGuest, kRoleNotKnown);
    if (code >= 0) {
        MSG *msg = reinterpret_cast<MSG *>(lParam);
        bool blocked = (MouseBlocked && IsMouseClick(msg->message)) || (KeysBlocked && IsKeyPress(msg->message));
        if (blocked && IsForThisProcess(msg->hwnd)) Neutralise(msg);
    }
    return CallNextHookEx(HookHandle, code, LOWORD(removal), lParam);
}

struct HookTarget {
    HINSTANCE module;
    DWORD thread;   // 0: all threads of the desktop
};

// The thread that created the window, and the library's module found by its file name. A file
// name that cannot be had whole makes the hook one for all threads, with the instance handle.
static HookTarget FindHookTarget(HWND window)
{
    if (!IsWindow(window)) window = GetActiveWindow();
    DWORD thread = window ? GetWindowThreadProcessId(window, nullptr) : 0;
    char fileName[256];
    DWORD length = GetModuleFileNameA(LibraryInstance, fileName, /*size=*/256);
    if (length == 0 || length > 254) return {LibraryInstance, 0};
    return {GetModuleHandleA(fileName), thread};
}

// A hook that exists serves on, whichever thread it watches.
static void InstallInputHook(HWND window)
{
    if (HookHandle) return;
    HookTarget target = FindHookTarget(window);
    HookHandle = SetWindowsHookExA(WH_GETMESSAGE, InputHookProc, target.module, target.thread);
}

// 1 once blocked; 0, with nothing changed, when the hook cannot be installed.
static int Block(int *flag)
{
    NoteHostRequest();
    InstallInputHook(GetActiveWindow());
    if (!HookHandle) return 0;
    *flag = 1;
    return 1;
}

// The hook goes only when the other kind of blocking is off as well.
static void Unblock(int *flag, int otherFlag)
{
    if (!HookHandle) return;
    if (!otherFlag) {
        UnhookWindowsHookEx(HookHandle);
        HookHandle = 0;
    }
    *flag = 0;
}

int WINAPI DisableMouse(void)
{
    return Block(&MouseBlocked);
}

int WINAPI DisableKeys(void)
{
    return Block(&KeysBlocked);
}

void WINAPI RestoreMouse(void)
{
    Unblock(&MouseBlocked, KeysBlocked);
}

void WINAPI RestoreKeys(void)
{
    Unblock(&KeysBlocked, MouseBlocked);
}
