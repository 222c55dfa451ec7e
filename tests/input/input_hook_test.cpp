// Blocking clicks and key presses through the one input hook: probe messages posted to real
// windows of the hooked thread and of a second thread, and the hook calls the DLL makes.
#include "common/input_fixtures.h"

using qimapi_test::Clicks;
using qimapi_test::DeactivateThread;
using qimapi_test::Dll;
using qimapi_test::HookSpy;
using qimapi_test::ImportPatch;
using qimapi_test::KeyPresses;
using qimapi_test::Neutralised;
using qimapi_test::operator+;
using qimapi_test::ProbeRecorder;
using qimapi_test::PumpUntranslated;
using qimapi_test::TestWindow;
using qimapi_test::WindowThread;

namespace {

enum class Call { DisableMouse, DisableKeys, RestoreMouse, RestoreKeys };

// Makes the call: the result of a Disable export, -1 for a Restore export, which has none.
int Make(Call call)
{
    switch (call) {
    case Call::DisableMouse: return QIMAPI(DisableMouse)();
    case Call::DisableKeys: return QIMAPI(DisableKeys)();
    case Call::RestoreMouse: QIMAPI(RestoreMouse)(); return -1;
    case Call::RestoreKeys: QIMAPI(RestoreKeys)(); return -1;
    }
    return -1;
}

const char *Name(Call call)
{
    const char *names[] = {"DisableMouse", "DisableKeys", "RestoreMouse", "RestoreKeys"};
    return names[static_cast<int>(call)];
}

// Blocking left on by a failing test must not outlive it.
class InputBlocking : public testing::Test {
protected:
    void TearDown() override
    {
        QIMAPI(RestoreKeys)();
        QIMAPI(RestoreMouse)();
    }
};

enum class Blocked { Nothing, Mouse, Keys, Both };

Neutralised Expected(Blocked blocked)
{
    switch (blocked) {
    case Blocked::Mouse: return Clicks();
    case Blocked::Keys: return KeyPresses();
    case Blocked::Both: return Clicks() + KeyPresses();
    default: return {};
    }
}

struct Transition {
    Call call;
    int result;        // -1: a Restore export
    Blocked after;
    size_t installs;   // SetWindowsHookExA calls it makes
    size_t removals;   // UnhookWindowsHookEx calls it makes
};

// Every transition of the state table, each kind of blocking switched on and off in both orders.
const Transition kWalk[] = {
    {Call::RestoreMouse, -1, Blocked::Nothing, 0, 0},   // Free: nothing to undo, no call
    {Call::RestoreKeys, -1, Blocked::Nothing, 0, 0},
    {Call::DisableMouse, 1, Blocked::Mouse, 1, 0},      // Free -> Mouse: the hook is installed
    {Call::DisableMouse, 1, Blocked::Mouse, 0, 0},      // repeated: no change
    {Call::RestoreKeys, -1, Blocked::Mouse, 0, 0},      // the hook stays for the mouse
    {Call::DisableKeys, 1, Blocked::Both, 0, 0},        // Mouse -> Both, on the same hook
    {Call::DisableKeys, 1, Blocked::Both, 0, 0},
    {Call::DisableMouse, 1, Blocked::Both, 0, 0},
    {Call::RestoreKeys, -1, Blocked::Mouse, 0, 0},      // Both -> Mouse, hook kept
    {Call::RestoreMouse, -1, Blocked::Nothing, 0, 1},   // Mouse -> Free: hook removed
    {Call::DisableKeys, 1, Blocked::Keys, 1, 0},        // Free -> Keys
    {Call::DisableKeys, 1, Blocked::Keys, 0, 0},
    {Call::RestoreMouse, -1, Blocked::Keys, 0, 0},      // the hook stays for the keys
    {Call::DisableMouse, 1, Blocked::Both, 0, 0},       // Keys -> Both
    {Call::RestoreMouse, -1, Blocked::Keys, 0, 0},      // Both -> Keys, hook kept
    {Call::RestoreKeys, -1, Blocked::Nothing, 0, 1},    // Keys -> Free
    {Call::RestoreKeys, -1, Blocked::Nothing, 0, 0},
};

TEST_F(InputBlocking, EveryTransitionActsOnAllWindowsOfTheActiveWindowsThreadAndNoOtherThread)
{
    TestWindow active("active"), inactive("inactive, same thread");
    active.ShowActive();
    ProbeRecorder onActive(active.hwnd()), onInactive(inactive.hwnd());
    WindowThread second;
    HookSpy spy(Dll());
    ASSERT_TRUE(spy.ok());
    HHOOK hook = 0;
    int step = 0;
    for (const Transition &t : kWalk) {
        SCOPED_TRACE(testing::Message() << "step " << ++step << ": " << Name(t.call));
        const size_t installs = spy.installs.size(), removals = spy.removals.size();
        EXPECT_EQ(Make(t.call), t.result);
        ASSERT_EQ(spy.installs.size() - installs, t.installs);
        ASSERT_EQ(spy.removals.size() - removals, t.removals);
        if (t.installs) {
            const qimapi_test::HookInstall &install = spy.installs.back();
            EXPECT_EQ(install.type, WH_GETMESSAGE);
            EXPECT_EQ(install.module, Dll());
            EXPECT_EQ(install.thread, GetCurrentThreadId());
            EXPECT_TRUE(install.hook);
            hook = install.hook;
        }
        if (t.removals) {
            EXPECT_EQ(spy.removals.back(), hook);
        }
        EXPECT_EQ(onActive.Probe(), Expected(t.after));
        EXPECT_EQ(onInactive.Probe(), Expected(t.after));
        EXPECT_EQ(second.Probe(), Neutralised{});
    }
}

TEST_F(InputBlocking, WithoutAnActiveWindowHooksAllThreadsAndStaysSoWhenOneBecomesActive)
{
    TestWindow window("not yet active");
    ProbeRecorder own(window.hwnd());
    WindowThread second;
    DeactivateThread();
    HookSpy spy(Dll());
    ASSERT_TRUE(spy.ok());

    EXPECT_EQ(QIMAPI(DisableMouse)(), 1);
    ASSERT_EQ(spy.installs.size(), 1u);
    EXPECT_EQ(spy.installs[0].thread, 0u);
    EXPECT_EQ(spy.installs[0].module, Dll());
    EXPECT_EQ(own.Probe(), Clicks());
    EXPECT_EQ(second.Probe(), Clicks());

    // The hook that exists serves on: it is not moved to the active window's thread.
    window.ShowActive();
    EXPECT_EQ(QIMAPI(DisableKeys)(), 1);
    EXPECT_EQ(spy.installs.size(), 1u);
    EXPECT_EQ(second.Probe(), Clicks() + KeyPresses());

    QIMAPI(RestoreMouse)();
    QIMAPI(RestoreKeys)();
    EXPECT_EQ(spy.removals.size(), 1u);
    EXPECT_EQ(own.Probe(), Neutralised{});
    EXPECT_EQ(second.Probe(), Neutralised{});
}

TEST_F(InputBlocking, AnInstallThatFailsGivesZeroAndLeavesTheStateFree)
{
    TestWindow active;
    active.ShowActive();
    ProbeRecorder probe(active.hwnd());
    HookSpy spy(Dll());
    ASSERT_TRUE(spy.ok());
    spy.refuse = true;
    EXPECT_EQ(QIMAPI(DisableKeys)(), 0);
    EXPECT_EQ(QIMAPI(DisableMouse)(), 0);
    EXPECT_EQ(spy.installs.size(), 2u);
    QIMAPI(RestoreKeys)();
    QIMAPI(RestoreMouse)();
    EXPECT_TRUE(spy.removals.empty());
    EXPECT_EQ(probe.Probe(), Neutralised{});

    // No flag was left set by the failures: the next hook blocks the clicks alone, and goes
    // with the mouse blocking.
    spy.refuse = false;
    EXPECT_EQ(QIMAPI(DisableMouse)(), 1);
    EXPECT_EQ(probe.Probe(), Clicks());
    QIMAPI(RestoreMouse)();
    EXPECT_EQ(spy.removals.size(), 1u);
    EXPECT_EQ(probe.Probe(), Neutralised{});
}

// GetModuleFileNameA answering with fakeLength, its text of that many characters cut to the
// buffer as the system cuts it.
DWORD fakeLength;

DWORD WINAPI FakeModuleFileName(HMODULE, LPSTR name, DWORD size)
{
    DWORD written = fakeLength < size ? fakeLength : size - 1;
    for (DWORD i = 0; i < written; ++i) name[i] = 'x';
    name[written] = '\0';
    return fakeLength < size ? fakeLength : size;
}

TEST_F(InputBlocking, AFileNameThatCannotBeHadWholeHooksAllThreadsWithTheInstanceHandle)
{
    struct Case {
        DWORD length;
        bool allThreads;   // else the active window's thread, with the module of that name
    } cases[] = {{0, true}, {254, false}, {255, true}, {256, true}, {4000, true}};
    TestWindow active;
    active.ShowActive();
    HookSpy spy(Dll());
    ImportPatch fileName(Dll(), "kernel32.dll", "GetModuleFileNameA", (void *)FakeModuleFileName);
    ASSERT_TRUE(spy.ok() && fileName.ok());
    spy.refuse = true;   // only the arguments matter here
    for (const Case &c : cases) {
        SCOPED_TRACE(c.length);
        fakeLength = c.length;
        spy.installs.clear();
        EXPECT_EQ(QIMAPI(DisableMouse)(), 0);
        ASSERT_EQ(spy.installs.size(), 1u);
        // No module has a name of x's: looked up by name, it is not found.
        EXPECT_EQ(spy.installs[0].module, c.allThreads ? Dll() : nullptr);
        EXPECT_EQ(spy.installs[0].thread, c.allThreads ? 0 : GetCurrentThreadId());
    }
}

// CallNextHookEx as the hook procedure calls it; answers kNextAnswer.
struct NextHookCall {
    HHOOK hook;
    int code;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<NextHookCall> nextHookCalls;
const LRESULT kNextAnswer = 0x5A5A;

LRESULT WINAPI RecordNextHook(HHOOK hook, int code, WPARAM wParam, LPARAM lParam)
{
    nextHookCalls.push_back({hook, code, wParam, lParam});
    return kNextAnswer;
}

// Both kinds blocked through the hook on this thread, whose procedure the tests call directly.
class HookProcedure : public InputBlocking {
protected:
    void SetUp() override
    {
        active_.ShowActive();
        ASSERT_TRUE(spy_.ok());
        ASSERT_EQ(QIMAPI(DisableMouse)(), 1);
        ASSERT_EQ(QIMAPI(DisableKeys)(), 1);
        ASSERT_EQ(spy_.installs.size(), 1u);
        proc_ = spy_.installs[0].proc;
    }

    TestWindow active_;
    HookSpy spy_{Dll()};
    HOOKPROC proc_ = nullptr;
};

TEST_F(HookProcedure, PassesNegativeCodesOnUntouchedAndWParamAsItsLowWord)
{
    ImportPatch next(Dll(), "user32.dll", "CallNextHookEx", (void *)RecordNextHook);
    ASSERT_TRUE(next.ok());

    struct Case {
        int code;
        WPARAM wParam;
        bool neutralises;
    } cases[] = {{-1, 0x10001, false}, {-3, PM_REMOVE, false}, {HC_ACTION, 0x10001, true}, {HC_ACTION, PM_NOREMOVE, true}};
    for (const Case &c : cases) {
        for (UINT message : {WM_RBUTTONUP, WM_SYSKEYDOWN}) {
            SCOPED_TRACE(testing::Message() << "code " << c.code << ", message " << message);
            MSG msg = {active_.hwnd(), message, 0x13, 0x1234, 77, {5, 6}};
            nextHookCalls.clear();
            EXPECT_EQ(proc_(c.code, c.wParam, reinterpret_cast<LPARAM>(&msg)), kNextAnswer);
            ASSERT_EQ(nextHookCalls.size(), 1u);
            EXPECT_EQ(nextHookCalls[0].hook, spy_.installs[0].hook);
            EXPECT_EQ(nextHookCalls[0].code, c.code);
            EXPECT_EQ(nextHookCalls[0].wParam, LOWORD(c.wParam));
            EXPECT_EQ(nextHookCalls[0].lParam, reinterpret_cast<LPARAM>(&msg));
            EXPECT_EQ(msg.message, c.neutralises ? WM_NULL : message);
            EXPECT_EQ(msg.wParam, c.neutralises ? 0u : 0x13u);
            EXPECT_EQ(msg.hwnd, active_.hwnd());
            EXPECT_EQ(msg.lParam, 0x1234);
            EXPECT_EQ(msg.time, 77u);
            EXPECT_EQ(msg.pt.x, 5);
            EXPECT_EQ(msg.pt.y, 6);
        }
    }
}

// A hook on all threads also runs here for the programs of the other bitness, which cannot load
// the library (64-bit Windows): a click or key for another process's window passes unchanged; one
// for this process's windows, or for no window, is neutralised.
TEST_F(HookProcedure, LeavesTheMessagesOfOtherProcessesWindowsAlone)
{
    const HWND otherProcess = GetDesktopWindow();   // the desktop's own process owns it
    DWORD owner = 0;
    GetWindowThreadProcessId(otherProcess, &owner);
    ASSERT_NE(owner, GetCurrentProcessId());

    const struct {
        HWND window;
        bool neutralised;
    } cases[] = {{active_.hwnd(), true}, {nullptr, true}, {otherProcess, false}};
    for (const auto &c : cases) {
        for (UINT message : {WM_LBUTTONDOWN, WM_KEYDOWN}) {
            SCOPED_TRACE(testing::Message() << "window " << c.window << ", message " << message);
            MSG msg = {c.window, message, 0x13, 0x1234, 77, {5, 6}};
            proc_(HC_ACTION, PM_REMOVE, reinterpret_cast<LPARAM>(&msg));
            EXPECT_EQ(msg.message, c.neutralised ? WM_NULL : message);
            EXPECT_EQ(msg.wParam, c.neutralised ? 0u : 0x13u);
        }
    }
}

TEST_F(InputBlocking, AMessageLeftInTheQueueByAPeekIsSeenNeutralisedThereToo)
{
    TestWindow active;
    active.ShowActive();
    PumpUntranslated();
    ASSERT_EQ(QIMAPI(DisableKeys)(), 1);
    PostMessageA(active.hwnd(), WM_KEYDOWN, 'A', 0x1E0001);
    for (UINT removal : {PM_NOREMOVE, PM_REMOVE}) {
        SCOPED_TRACE(removal);
        MSG msg = {};
        ASSERT_TRUE(PeekMessageA(&msg, active.hwnd(), WM_KEYDOWN, WM_KEYDOWN, removal));
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_NULL));
        EXPECT_EQ(msg.wParam, 0u);
        EXPECT_EQ(msg.lParam, 0x1E0001);
    }
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, active.hwnd(), WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
}

}  // namespace
