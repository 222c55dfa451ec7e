// For the tests of input blocking, the cursor and the library's unload: probe messages posted to
// real windows to see which ones the input hook neutralises, windows of a second thread, and
// recorders of the DLL's hook and cursor calls.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "common/qimapi_test.h"

namespace qimapi_test {

// The names of the probe messages that arrived neutralised: WM_NULL, wParam 0, lParam kept. A
// probe that arrived in any other shape, or not once, is named with what went wrong.
using Neutralised = std::set<std::string>;

// The nine clicks and five key messages the library blocks (the probes also hold messages
// beside them that it lets pass).
Neutralised Clicks();
Neutralised KeyPresses();
Neutralised operator+(Neutralised a, const Neutralised &b);

// Records the probe messages that reach a window, by subclassing it.
class ProbeRecorder {
public:
    explicit ProbeRecorder(HWND window);
    ~ProbeRecorder();
    ProbeRecorder(const ProbeRecorder &) = delete;
    ProbeRecorder &operator=(const ProbeRecorder &) = delete;

    // Posts every probe to the window and lets its thread take them: the test thread's own
    // queue is emptied here without translating keys; another thread is waited for (bounded).
    Neutralised Probe();
    // Posts every probe without taking them.
    void PostProbes();
    // What became of the probes posted last.
    Neutralised Outcome() const;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_;
    WNDPROC original_;
    HANDLE handled_;   // set when the window has handled the message that follows the probes
    std::vector<SeenMessage> seen_;
};

// A top-level window of a thread of its own, with a probe recorder; the thread takes messages
// without translating keys until the object goes.
class WindowThread {
public:
    WindowThread();
    ~WindowThread();
    WindowThread(const WindowThread &) = delete;
    WindowThread &operator=(const WindowThread &) = delete;
    Neutralised Probe() { return recorder_ ? recorder_->Probe() : Neutralised{"no second thread"}; }

private:
    static DWORD WINAPI Run(void *param);
    HANDLE ready_;
    HANDLE thread_;
    DWORD threadId_ = 0;
    ProbeRecorder *recorder_ = nullptr;
};

// Dispatches what waits in the thread's queue without TranslateMessage, which would add a
// WM_CHAR for every key press.
void PumpUntranslated();

// One call of SetWindowsHookExA.
struct HookInstall {
    int type;
    HOOKPROC proc;
    HINSTANCE module;
    DWORD thread;
    HHOOK hook;   // what the call answered
};

// Records the DLL's SetWindowsHookExA and UnhookWindowsHookEx calls and passes them on, or
// refuses every install (answers 0 without a hook). One at a time.
class HookSpy {
public:
    explicit HookSpy(HMODULE dll);
    ~HookSpy();
    bool ok() const { return install_.ok() && unhook_.ok(); }
    // Before FreeLibrary: the calls at unload still reach the recorder.
    void release();

    std::vector<HookInstall> installs;
    std::vector<HHOOK> removals;
    bool refuse = false;

private:
    static HHOOK WINAPI Install(int type, HOOKPROC proc, HINSTANCE module, DWORD thread);
    static BOOL WINAPI Unhook(HHOOK hook);
    ImportPatch install_;
    ImportPatch unhook_;
};

// One call of ClipCursor.
struct ClipCall {
    bool noRectangle;
    RECT rect;
};

// Records the DLL's ClipCursor calls and passes them on unless told not to. One at a time.
class ClipSpy {
public:
    explicit ClipSpy(HMODULE dll, bool passOn = true);
    ~ClipSpy();
    bool ok() const { return patch_.ok(); }
    void release() { patch_.release(); }

    std::vector<ClipCall> calls;
    bool passOn;

private:
    static BOOL WINAPI Clip(const RECT *rect);
    ImportPatch patch_;
};

// The whole screen, which ClipCursor(NULL) leaves as the confinement.
RECT WholeScreen();
bool SameRect(const RECT &a, const RECT &b);
std::string Describe(const RECT &r);

}  // namespace qimapi_test
