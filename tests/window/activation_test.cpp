// Closing, raising, activating and waiting for activation, on real windows of the test thread.
#include "common/qimapi_test.h"

#include <stdio.h>
#include <stdlib.h>

#include <memory>

using qimapi_test::DeactivateThread;
using qimapi_test::GoneWindow;
using qimapi_test::Pump;
using qimapi_test::TestWindow;

namespace {

// True when upper stands above lower in the Z order.
bool IsAbove(HWND upper, HWND lower)
{
    for (HWND w = GetWindow(upper, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
        if (w == lower) return true;
    return false;
}

TEST(KillWindow, ForAHandleThatIsNoWindowGivesZeroAndClosesNothing)
{
    TestWindow active;
    active.closes = false;
    active.ShowActive();
    EXPECT_EQ(QIMAPI(KillWindow)(GoneWindow()), 0);
    EXPECT_EQ(QIMAPI(KillWindow)(0), 0);
    Pump();
    EXPECT_EQ(active.Count(WM_CLOSE), 0u) << "no fallback to the active window";
}

// Wine's desktop process ends on a WM_CLOSE posted to the desktop window, taking the session's
// desktop with it; no script may close the desktop.
TEST(KillWindow, RefusesTheDesktopWindow)
{
    EXPECT_EQ(QIMAPI(KillWindow)(GetDesktopWindow()), 0);
}

TEST(KillWindow, PostsCloseSoItArrivesAfterTheCallEvenWhenDeclined)
{
    TestWindow declining;
    declining.closes = false;
    EXPECT_EQ(QIMAPI(KillWindow)(declining.hwnd()), 1);
    EXPECT_EQ(declining.Count(WM_CLOSE), 0u) << "sent, not posted";
    Pump();
    EXPECT_EQ(declining.Count(WM_CLOSE), 1u);
    EXPECT_TRUE(IsWindow(declining.hwnd()));

    TestWindow closing;
    HWND handle = closing.hwnd();
    EXPECT_EQ(QIMAPI(KillWindow)(handle), 1);
    EXPECT_TRUE(IsWindow(handle));
    Pump();
    EXPECT_FALSE(IsWindow(handle));
}

TEST(WindowToFront, RaisesTheWindowOrElseTheActiveWindow)
{
    TestWindow lower("lower"), upper("upper");
    lower.ShowActive();
    upper.ShowActive();
    ASSERT_TRUE(IsAbove(upper.hwnd(), lower.hwnd()));

    EXPECT_EQ(QIMAPI(WindowToFront)(lower.hwnd()), 1);
    EXPECT_TRUE(IsAbove(lower.hwnd(), upper.hwnd()));

    upper.ShowActive();
    SetWindowPos(upper.hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    ASSERT_TRUE(IsAbove(lower.hwnd(), upper.hwnd()));
    EXPECT_EQ(QIMAPI(WindowToFront)(GoneWindow()), 1);   // the active window, upper, rises
    EXPECT_TRUE(IsAbove(upper.hwnd(), lower.hwnd()));
    EXPECT_EQ(QIMAPI(WindowToFront)(0), 1);
}

TEST(WindowToFront, WithoutAWindowOrActiveWindowGivesZero)
{
    DeactivateThread();
    EXPECT_EQ(QIMAPI(WindowToFront)(0), 0);
    EXPECT_EQ(QIMAPI(WindowToFront)(GoneWindow()), 0);
}

TEST(ActivateWindow, ActivatesTheWindowOrReactivatesTheActiveOne)
{
    TestWindow first("first"), second("second");
    first.ShowActive();
    ShowWindow(second.hwnd(), SW_SHOWNA);
    EXPECT_EQ(QIMAPI(ActivateWindow)(second.hwnd()), 1);
    EXPECT_EQ(GetActiveWindow(), second.hwnd());

    EXPECT_EQ(QIMAPI(ActivateWindow)(GoneWindow()), 1);
    EXPECT_EQ(GetActiveWindow(), second.hwnd());
    EXPECT_EQ(QIMAPI(ActivateWindow)(0), 1);
    EXPECT_EQ(GetActiveWindow(), second.hwnd());
}

TEST(ActivateWindow, GivesZeroWhenNoWindowWasActiveBeforeYetActivates)
{
    DeactivateThread();
    TestWindow window;
    ShowWindow(window.hwnd(), SW_SHOWNA);
    ASSERT_EQ(GetActiveWindow(), nullptr);
    EXPECT_EQ(QIMAPI(ActivateWindow)(window.hwnd()), 0);
    EXPECT_EQ(GetActiveWindow(), window.hwnd());
}

// Ends a wait that should have ended, so that a faulty wait fails its test instead of hanging:
// after 5 s it posts WM_CLOSE to the rescue window, and if the program still waits 5 s later
// (a target that is gone cannot be rescued), it ends the program with exit code 99.
class Watchdog {
public:
    explicit Watchdog(HWND rescue) : rescue_(rescue)
    {
        done_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }
    ~Watchdog()
    {
        SetEvent(done_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        CloseHandle(done_);
    }
    bool fired() const { return fired_ != 0; }

private:
    static DWORD WINAPI Run(void *param)
    {
        auto *self = static_cast<Watchdog *>(param);
        if (WaitForSingleObject(self->done_, 5000) != WAIT_TIMEOUT) return 0;
        self->fired_ = 1;
        if (self->rescue_) PostMessageA(self->rescue_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(self->done_, 5000) != WAIT_TIMEOUT) return 0;
        fputs("WaitTillActive did not return: ending the test program\n", stderr);
        fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 99);
        return 0;
    }
    HWND rescue_;
    HANDLE done_;
    HANDLE thread_;
    volatile LONG fired_ = 0;
};

TEST(WaitTillActive, ForAnActiveWindowReturnsOnceTheQueueIsEmpty)
{
    TestWindow window;
    window.ShowActive();
    PostMessageA(window.hwnd(), WM_APP + 1, 0, 0);
    PostMessageA(window.hwnd(), WM_APP + 2, 0, 0);
    Watchdog watchdog(window.hwnd());
    QIMAPI(WaitTillActive)(window.hwnd());
    EXPECT_FALSE(watchdog.fired());
    EXPECT_EQ(window.Count(WM_APP + 1), 1u);
    EXPECT_EQ(window.Count(WM_APP + 2), 1u);
}

TEST(WaitTillActive, ForAHandleThatIsNoWindowReturnsAtOnce)
{
    HWND gone = GoneWindow();
    TestWindow window;
    window.ShowActive();
    PostMessageA(window.hwnd(), WM_APP, 0, 0);
    Watchdog watchdog(window.hwnd());
    QIMAPI(WaitTillActive)(0);
    QIMAPI(WaitTillActive)(gone);
    EXPECT_EQ(window.Count(WM_APP), 0u) << "dispatched messages instead of returning";
    Pump();
}

// What a thread timer does during a wait, to the window it was set for.
HWND laterWindow;
bool laterDone;

void CALLBACK ActivateLater(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(0, timer);
    SetActiveWindow(laterWindow);
    laterDone = true;
}

void CALLBACK DestroyLater(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(0, timer);
    DestroyWindow(laterWindow);
    laterDone = true;
}

void SetTimerFor(HWND window, TIMERPROC action)
{
    laterWindow = window;
    laterDone = false;
    ASSERT_TRUE(SetTimer(0, 0, /*elapse=*/100, action));
}

// A child waits for its parent, an owned pop-up for its owner, a top-level window for itself.
struct Waited {
    const char *what;
    DWORD style;     // of a window made below the target and passed; 0: the target is passed
};
const Waited kWaited[] = {
    {"child", WS_CHILD | WS_VISIBLE},
    {"owned pop-up", WS_POPUP},
    {"top-level window", 0},
};

// The desktop window is never active: a wait for it would keep the host busy for ever.
TEST(WaitTillActive, ForTheDesktopWindowReturnsAtOnce)
{
    Watchdog watchdog(0);
    QIMAPI(WaitTillActive)(GetDesktopWindow());
    EXPECT_FALSE(watchdog.fired());
}

TEST(WaitTillActive, WaitsUntilTheParentOwnerOrWindowItselfIsActivated)
{
    for (const Waited &c : kWaited) {
        SCOPED_TRACE(c.what);
        TestWindow target("target");
        ShowWindow(target.hwnd(), SW_SHOWNA);
        HWND handle = target.hwnd();
        std::unique_ptr<TestWindow> below;
        if (c.style) {
            below.reset(new TestWindow("below", c.style, target.hwnd()));
            handle = below->hwnd();
        }
        TestWindow other("other");
        other.ShowActive();

        SetTimerFor(target.hwnd(), ActivateLater);
        Watchdog watchdog(handle);
        QIMAPI(WaitTillActive)(handle);
        EXPECT_FALSE(watchdog.fired());
        EXPECT_TRUE(laterDone) << "returned before the target was activated";
        EXPECT_EQ(GetActiveWindow(), target.hwnd());
    }
}

TEST(WaitTillActive, ReturnsWhenTheTargetIsDestroyedWhileWaiting)
{
    TestWindow other("other");
    other.ShowActive();
    TestWindow target("target");
    HWND handle = target.hwnd();
    SetTimerFor(handle, DestroyLater);
    Watchdog watchdog(0);   // nothing rescues a wait for a window that is gone
    QIMAPI(WaitTillActive)(handle);
    EXPECT_TRUE(laterDone);
    EXPECT_FALSE(IsWindow(handle));
}

// Run only as the child program of the next test: the host quits while WaitTillActive waits.
const char kQuitChild[] = "QIMAPI_WAIT_QUIT_CHILD";

TEST(WaitTillActiveChild, QuitsWithTheExitCodeOfWmQuit)
{
    if (!getenv(kQuitChild)) GTEST_SKIP() << "only as the child program of WaitTillActive.WmQuit...";
    TestWindow other("other");
    other.ShowActive();
    TestWindow target("target");
    PostQuitMessage(3);
    Watchdog watchdog(target.hwnd());
    QIMAPI(WaitTillActive)(target.hwnd());
    ADD_FAILURE() << "WaitTillActive returned after WM_QUIT";
}

TEST(WaitTillActive, WmQuitEndsTheProgramWithItsExitCode)
{
    EXPECT_EQ(qimapi_test::RunThisProgram("WaitTillActiveChild.*", kQuitChild), 3u);
}

}  // namespace
