// The world a hostile-argument sweep runs in: the windows that W arguments name, the programs
// and boxes that launching and interactive exports bring up, a bound on every call, and the
// host's and the user's state put back as it was.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "common/input_fixtures.h"
#include "common/qimapi_test.h"

namespace sweep {

// The windows a W argument is tried with, in this order.
enum WindowKind { kNoWindow, kGoneWindow, kDesktopWindow, kChildWindow, kForeignWindow, kWindowKinds };
const char *DescribeWindow(WindowKind kind);

// A top-level window of another process (tests/sweep/foreign_window.c), which declines WM_CLOSE.
class ForeignWindow {
public:
    ForeignWindow() = default;
    ~ForeignWindow() { End(); }
    ForeignWindow(const ForeignWindow &) = delete;
    ForeignWindow &operator=(const ForeignWindow &) = delete;
    // The window, its program started again if it has ended.
    HWND Get();
    void End();

private:
    PROCESS_INFORMATION program_ = {};
    HWND window_ = 0;
};

// The windows of the sweep: a top-level window of the test thread (active, so that exports that
// fall back on the active window reach it), its child, a window that is gone, the desktop
// window and a window of another process. Whatever a call closed is made again when next asked for.
class SweepWindows {
public:
    SweepWindows();
    HWND Get(WindowKind kind);
    HWND TopLevel();
    // For a wait until a window becomes active: makes the test thread's window active and ends
    // the other process's window, which can never become active here.
    void ReleaseWaiters();
    // The same from a timer of the test thread after a moment, while a wait dispatches messages.
    UINT_PTR ReleaseWaitersSoon();

private:
    static void CALLBACK Release(HWND, UINT, UINT_PTR timer, DWORD);
    static SweepWindows *releasing_;
    std::unique_ptr<qimapi_test::TestWindow> topLevel_;
    HWND child_ = 0;
    HWND gone_;
    ForeignWindow foreign_;
};

// Ends the test program when a call has not returned within the bound, or has crashed, naming
// the call: a hang or a crash fails the sweep instead of stopping the test run. Meanwhile it
// answers the message boxes of the programs that the call started, and after a few seconds
// closes those programs, as a person would.
class CallBound {
public:
    explicit CallBound(DWORD milliseconds);
    ~CallBound();
    CallBound(const CallBound &) = delete;
    CallBound &operator=(const CallBound &) = delete;
    void Begin(const std::string &call);
    void End();

private:
    static DWORD WINAPI Watch(void *param);
    static LONG WINAPI Crashed(EXCEPTION_POINTERS *exception);
    static CallBound *current_;
    LPTOP_LEVEL_EXCEPTION_FILTER previousFilter_;
    DWORD bound_;
    HANDLE started_;   // set when a call begins
    HANDLE ended_;     // set when it ends, or when the sweep ends
    HANDLE thread_;
    std::string call_;
    volatile bool stop_ = false;
};

// Clicks the first visible button of a message box (a dialog whose unused buttons are hidden).
void ClickBox(HWND box);

// Answers every message box of the test thread at once with its first visible button.
class BoxClicker {
public:
    BoxClicker();
    ~BoxClicker();
    BoxClicker(const BoxClicker &) = delete;
    BoxClicker &operator=(const BoxClicker &) = delete;
private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    HHOOK hook_;
};

// Ends every program that this process started and that still runs; how many there were.
// JoinSweepJob, before the first program is started, lets it tell quickly when there is none.
void JoinSweepJob();
int EndStartedPrograms();

// What the design promises to leave as it was after any call: the error mode 0, the clipboard
// closed, no input hook on the test thread, the cursor free. Empty when all hold, else what broke.
// Input is neutralised by nothing but the DLL's own hook: it is probed while the DLL holds one
// (hooks records its calls), which spares two dozen messages per call for the other exports.
std::string BrokenHostState(qimapi_test::ProbeRecorder *probe, const qimapi_test::HookSpy &hooks);

// Puts back at the end what the sweep's calls may change by design or by a script's request:
// the screen saver settings, the desktop window's title and style, the clipboard text, keys and
// the default value of HKEY_CLASSES_ROOT, and files in the Windows, temporary and working folders
// (new ones removed, INI files rewritten as they were).
class UserStateGuard {
public:
    UserStateGuard();
    ~UserStateGuard();
    UserStateGuard(const UserStateGuard &) = delete;
    UserStateGuard &operator=(const UserStateGuard &) = delete;

private:
    struct Folder {
        std::string path;   // with a final backslash
        std::vector<std::string> names;
        std::vector<std::pair<std::string, std::string>> iniFiles;   // name, content
    };
    BOOL screenSaverActive_ = FALSE;
    UINT screenSaverTimeout_ = 0;
    std::string desktopTitle_;
    LONG desktopStyle_;
    bool hadClipboardText_;
    std::string clipboardText_;
    std::vector<std::string> classesKeys_;
    bool hadClassesDefault_;
    std::string classesDefault_;
    std::vector<Folder> folders_;
};

}  // namespace sweep
