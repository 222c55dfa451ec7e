#include "common/input_fixtures.h"

#include <sstream>

namespace qimapi_test {

namespace {

struct ProbeMessage {
    UINT message;
    const char *name;
};
#define PROBE(message) {message, #message}

// The clicks and key presses come first, in the order of Clicks() and KeyPresses().
const ProbeMessage kProbes[] = {
    PROBE(WM_LBUTTONDOWN), PROBE(WM_LBUTTONUP),  PROBE(WM_LBUTTONDBLCLK), PROBE(WM_RBUTTONDOWN),
    PROBE(WM_RBUTTONUP),   PROBE(WM_RBUTTONDBLCLK), PROBE(WM_MBUTTONDOWN), PROBE(WM_MBUTTONUP),
    PROBE(WM_MBUTTONDBLCLK),
    PROBE(WM_KEYDOWN), PROBE(WM_KEYUP), PROBE(WM_CHAR), PROBE(WM_SYSKEYDOWN), PROBE(WM_SYSKEYUP),
    // Beside them, and never blocked:
    PROBE(WM_MOUSEMOVE), PROBE(WM_MOUSEWHEEL), PROBE(WM_XBUTTONDOWN), PROBE(WM_MOUSEHWHEEL),
    PROBE(WM_NCLBUTTONDOWN), PROBE(WM_NCRBUTTONUP), PROBE(WM_DEADCHAR), PROBE(WM_SYSCHAR),
    PROBE(WM_SYSDEADCHAR), PROBE(WM_USER),
};
const size_t kClicks = 9, kKeyPresses = 5;
const size_t kProbeCount = sizeof kProbes / sizeof kProbes[0];

// Probe i carries lParam kMarker + i, which marks it and its neutralised form apart from the
// messages the system sends; its wParam is not 0, so a neutralised one is told by it too.
const LPARAM kMarker = 0x51A70000;
const WPARAM kProbeWParam = 0x13;
// Posted after the probes: once handled, the probes before it are too.
const UINT kProbesHandled = WM_APP + 0x2F1;
const char kRecorderProperty[] = "QimapiProbeRecorder";

Neutralised Names(size_t first, size_t count)
{
    Neutralised names;
    for (size_t i = first; i < first + count; ++i) names.insert(kProbes[i].name);
    return names;
}

}  // namespace

Neutralised Clicks()
{
    return Names(0, kClicks);
}

Neutralised KeyPresses()
{
    return Names(kClicks, kKeyPresses);
}

Neutralised operator+(Neutralised a, const Neutralised &b)
{
    a.insert(b.begin(), b.end());
    return a;
}

void PumpUntranslated()
{
    MSG msg;
    while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

ProbeRecorder::ProbeRecorder(HWND window) : window_(window)
{
    handled_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SetPropA(window_, kRecorderProperty, this);
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
    EXPECT_TRUE(original_);
}

ProbeRecorder::~ProbeRecorder()
{
    if (IsWindow(window_)) {
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
        RemovePropA(window_, kRecorderProperty);
    }
    CloseHandle(handled_);
}

LRESULT CALLBACK ProbeRecorder::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *self = static_cast<ProbeRecorder *>(GetPropA(hwnd, kRecorderProperty));
    if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == kProbesHandled) {
        SetEvent(self->handled_);
        return 0;
    }
    if (lParam >= kMarker && lParam < kMarker + static_cast<LPARAM>(kProbeCount)) {
        self->seen_.push_back({message, wParam, lParam});
        return 0;   // no default handling: a probe must not move, size or activate anything
    }
    return CallWindowProcA(self->original_, hwnd, message, wParam, lParam);
}

void ProbeRecorder::PostProbes()
{
    seen_.clear();
    ResetEvent(handled_);
    for (size_t i = 0; i < kProbeCount; ++i)
        PostMessageA(window_, kProbes[i].message, kProbeWParam, kMarker + static_cast<LPARAM>(i));
    PostMessageA(window_, kProbesHandled, 0, 0);
}

Neutralised ProbeRecorder::Probe()
{
    PostProbes();
    if (GetWindowThreadProcessId(window_, nullptr) == GetCurrentThreadId())
        PumpUntranslated();
    else
        WaitForSingleObject(handled_, 5000);
    return Outcome();
}

Neutralised ProbeRecorder::Outcome() const
{
    Neutralised outcome;
    if (WaitForSingleObject(handled_, 0) != WAIT_OBJECT_0) outcome.insert("probes not handled");
    for (size_t i = 0; i < kProbeCount; ++i) {
        const std::string name = kProbes[i].name;
        std::vector<SeenMessage> arrived;
        for (const SeenMessage &m : seen_)
            if (m.lParam == kMarker + static_cast<LPARAM>(i)) arrived.push_back(m);
        if (arrived.size() != 1)
            outcome.insert(name + (arrived.empty() ? " lost" : " repeated"));
        else if (arrived[0].message == WM_NULL && arrived[0].wParam == 0)
            outcome.insert(name);
        else if (arrived[0].message != kProbes[i].message || arrived[0].wParam != kProbeWParam)
            outcome.insert(name + " altered");
    }
    return outcome;
}

WindowThread::WindowThread()
{
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Run, this, 0, &threadId_);
    EXPECT_EQ(WaitForSingleObject(ready_, 5000), WAIT_OBJECT_0) << "the second thread made no window";
}

WindowThread::~WindowThread()
{
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    EXPECT_EQ(WaitForSingleObject(thread_, 5000), WAIT_OBJECT_0) << "the second thread did not end";
    CloseHandle(thread_);
    CloseHandle(ready_);
}

DWORD WINAPI WindowThread::Run(void *param)
{
    auto *self = static_cast<WindowThread *>(param);
    TestWindow window("second thread");
    ProbeRecorder recorder(window.hwnd());
    self->recorder_ = &recorder;
    SetEvent(self->ready_);
    MSG msg;
    while (GetMessageA(&msg, 0, 0, 0) > 0) DispatchMessageA(&msg);
    self->recorder_ = nullptr;
    return 0;
}

static HookSpy *currentHookSpy;

HookSpy::HookSpy(HMODULE dll)
    : install_(dll, "user32.dll", "SetWindowsHookExA", reinterpret_cast<void *>(Install)),
      unhook_(dll, "user32.dll", "UnhookWindowsHookEx", reinterpret_cast<void *>(Unhook))
{
    currentHookSpy = this;
}

HookSpy::~HookSpy()
{
    currentHookSpy = nullptr;
}

void HookSpy::release()
{
    install_.release();
    unhook_.release();
}

HHOOK WINAPI HookSpy::Install(int type, HOOKPROC proc, HINSTANCE module, DWORD thread)
{
    HookSpy *self = currentHookSpy;
    HHOOK hook = 0;
    if (!self->refuse)
        hook = self->install_.original<decltype(&SetWindowsHookExA)>()(type, proc, module, thread);
    self->installs.push_back({type, proc, module, thread, hook});
    return hook;
}

BOOL WINAPI HookSpy::Unhook(HHOOK hook)
{
    HookSpy *self = currentHookSpy;
    self->removals.push_back(hook);
    return self->unhook_.original<decltype(&UnhookWindowsHookEx)>()(hook);
}

static ClipSpy *currentClipSpy;

ClipSpy::ClipSpy(HMODULE dll, bool passOn)
    : passOn(passOn), patch_(dll, "user32.dll", "ClipCursor", reinterpret_cast<void *>(Clip))
{
    currentClipSpy = this;
}

ClipSpy::~ClipSpy()
{
    currentClipSpy = nullptr;
}

BOOL WINAPI ClipSpy::Clip(const RECT *rect)
{
    ClipSpy *self = currentClipSpy;
    self->calls.push_back({rect == nullptr, rect ? *rect : RECT{}});
    return self->passOn ? self->patch_.original<decltype(&ClipCursor)>()(rect) : TRUE;
}

RECT WholeScreen()
{
    int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

bool SameRect(const RECT &a, const RECT &b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Describe(const RECT &r)
{
    std::ostringstream text;
    text << '(' << r.left << ',' << r.top << ")-(" << r.right << ',' << r.bottom << ')';
    return text.str();
}

}  // namespace qimapi_test
