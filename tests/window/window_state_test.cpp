// Window state and lookup on real windows of the test thread.
#include "common/qimapi_test.h"

#include <string>
#include <vector>

using qimapi_test::DeactivateThread;
using qimapi_test::GoneWindow;
using qimapi_test::Dll;
using qimapi_test::ImportPatch;
using qimapi_test::Pump;
using qimapi_test::TestWindow;

namespace {

std::string TitleOf(HWND window)
{
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    return title;
}

TEST(SendMsg, CutsMsgAndWParamToSixteenBitsButNotLParamOrTheResult)
{
    TestWindow window;
    ASSERT_NE(HIWORD(window.hwnd()), 0) << "needs a handle with upper bits to show they are kept";
    LRESULT result = QIMAPI(SendMsg)(window.hwnd(), 0x10000 | (WM_APP + 1), 0x12345, -1);
    ASSERT_EQ(window.seen().size(), 1u);
    EXPECT_EQ(window.seen()[0].message, static_cast<UINT>(WM_APP + 1));
    EXPECT_EQ(window.seen()[0].wParam, 0x2345u);
    EXPECT_EQ(window.seen()[0].lParam, -1);
    EXPECT_EQ(result, -1 ^ 0x5A5A);   // the window procedure's answer, whole
}

TEST(SendMsg, MessageWithUpperBitsSetArrivesAsItsLowWord)
{
    TestWindow window;
    window.closes = false;
    QIMAPI(SendMsg)(window.hwnd(), 0x10010, 0, 0);   // 0x0010 is WM_CLOSE
    EXPECT_EQ(window.Count(WM_CLOSE), 1u);
}

TEST(SendMsg, ToAHandleThatIsNoWindowGivesZero)
{
    EXPECT_EQ(QIMAPI(SendMsg)(GoneWindow(), WM_APP, 1, 2), 0);
}

TEST(GetWindowState, ReportsIconicBeforeZoomedAndIgnoresVisibility)
{
    struct Case {
        int show;
        bool hideAfter;
        int expected;
    } cases[] = {
        {SW_SHOWNORMAL, false, 1}, {SW_MINIMIZE, false, 2}, {SW_MAXIMIZE, false, 3},
        {SW_SHOWNORMAL, true, 1},  {SW_MINIMIZE, true, 2},  {SW_MAXIMIZE, true, 3},
    };
    for (const Case &c : cases) {
        TestWindow window;
        ShowWindow(window.hwnd(), c.show);
        if (c.hideAfter) ShowWindow(window.hwnd(), SW_HIDE);
        Pump();
        EXPECT_EQ(QIMAPI(GetWindowState)(window.hwnd()), c.expected) << c.show << " hidden " << c.hideAfter;
    }
    EXPECT_EQ(QIMAPI(GetWindowState)(0), 0);
}

TEST(GetWindowState, ForAHandleThatIsNoWindowGivesZero)
{
    TestWindow window;
    window.ShowActive();
    HWND gone = window.hwnd();
    window.Destroy();
    EXPECT_EQ(QIMAPI(GetWindowState)(gone), 0);
}

// The exact ShowWindow command cannot be told from the window afterwards (SW_SHOWNA and
// SW_SHOWNOACTIVATE look alike), so the import is recorded instead of called.
std::vector<int> shownCommands;
int zOrderCalls;
BOOL WINAPI RecordShowWindow(HWND, int command)
{
    shownCommands.push_back(command);
    return TRUE;
}
BOOL WINAPI RecordSetWindowPos(HWND, HWND, int, int, int, int, UINT)
{
    ++zOrderCalls;
    return TRUE;
}

struct StateCommand {
    const char *state;
    int command;   // -1: neither ShowWindow nor SetWindowPos is called
};

TEST(SetWindowState, TurnsEachStateWordIntoItsShowCommand)
{
    const StateCommand cases[] = {
        {"minimized", SW_MINIMIZE},       {"Minimised", SW_MINIMIZE},
        {"MAXIMIZED", SW_SHOWMAXIMIZED},  {"maximised", SW_SHOWMAXIMIZED},
        {"hidden", SW_HIDE},              {"HIDDEN", SW_HIDE},     {"Hidden", SW_HIDE},
        {"restored", SW_RESTORE},         {"normal", SW_SHOW},     {"Normal", SW_SHOW},
        {"showminimised", SW_SHOWMINIMIZED}, {"ShowMinimized", SW_SHOWMINIMIZED},
        {"MinNotActive", SW_SHOWMINNOACTIVE}, {"notactive", SW_SHOWNA},
        {"NoActivate", SW_SHOWNOACTIVATE},
        {"ShowNotActive", -1},   // offered by the help text, yet in neither table
        {"maximised ", -1},      {" normal", -1}, {"max", -1}, {"", -1},
    };
    TestWindow window;
    ImportPatch show(Dll(), "user32.dll", "ShowWindow", (void *)RecordShowWindow);
    ImportPatch pos(Dll(), "user32.dll", "SetWindowPos", (void *)RecordSetWindowPos);
    ASSERT_TRUE(show.ok() && pos.ok());
    for (const StateCommand &c : cases) {
        shownCommands.clear();
        zOrderCalls = 0;
        QIMAPI(SetWindowState)(window.hwnd(), c.state);
        EXPECT_EQ(shownCommands, c.command < 0 ? std::vector<int>{} : std::vector<int>{c.command})
            << '"' << c.state << '"';
        EXPECT_EQ(zOrderCalls, 0) << '"' << c.state << '"';
    }
}

TEST(SetWindowState, ChangesRealWindows)
{
    TestWindow window;
    window.ShowActive();
    QIMAPI(SetWindowState)(window.hwnd(), "Minimised");
    EXPECT_TRUE(IsIconic(window.hwnd()));
    QIMAPI(SetWindowState)(window.hwnd(), "normal");   // SW_SHOW leaves a minimised window minimised
    EXPECT_TRUE(IsIconic(window.hwnd()));
    QIMAPI(SetWindowState)(window.hwnd(), "restored");
    EXPECT_FALSE(IsIconic(window.hwnd()));
    QIMAPI(SetWindowState)(window.hwnd(), "MAXIMISED");
    EXPECT_TRUE(IsZoomed(window.hwnd()));
    QIMAPI(SetWindowState)(window.hwnd(), "HIDDEN");
    EXPECT_FALSE(IsWindowVisible(window.hwnd()));
    QIMAPI(SetWindowState)(window.hwnd(), "NotActive");
    EXPECT_TRUE(IsWindowVisible(window.hwnd()));
}

TEST(SetWindowState, StayOnTopTogglesTopmostWithoutMovingTheWindow)
{
    TestWindow window;
    window.ShowActive();
    RECT before, after;
    GetWindowRect(window.hwnd(), &before);

    QIMAPI(SetWindowState)(window.hwnd(), "stayontop");
    EXPECT_TRUE(GetWindowLongA(window.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    GetWindowRect(window.hwnd(), &after);
    EXPECT_TRUE(EqualRect(&before, &after));

    QIMAPI(SetWindowState)(window.hwnd(), "DontStayOnTop");
    EXPECT_FALSE(GetWindowLongA(window.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    GetWindowRect(window.hwnd(), &after);
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_TRUE(IsWindowVisible(window.hwnd()));
}

TEST(SetWindowState, FallsBackToTheActiveWindow)
{
    TestWindow window;
    window.ShowActive();
    QIMAPI(SetWindowState)(0, "maximised");
    EXPECT_TRUE(IsZoomed(window.hwnd()));

    QIMAPI(SetWindowState)(GoneWindow(), "StayOnTop");
    EXPECT_TRUE(GetWindowLongA(window.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST(SetWindowState, WithoutAWindowOrActiveWindowCallsNothing)
{
    DeactivateThread();
    ImportPatch show(Dll(), "user32.dll", "ShowWindow", (void *)RecordShowWindow);
    ImportPatch pos(Dll(), "user32.dll", "SetWindowPos", (void *)RecordSetWindowPos);
    ASSERT_TRUE(show.ok() && pos.ok());
    shownCommands.clear();
    zOrderCalls = 0;
    QIMAPI(SetWindowState)(0, "hidden");
    QIMAPI(SetWindowState)(0, "StayOnTop");
    EXPECT_TRUE(shownCommands.empty());
    EXPECT_EQ(zOrderCalls, 0);
}

TEST(ActiveWindow, IsTheThreadsActiveWindowOrZero)
{
    DeactivateThread();
    EXPECT_EQ(QIMAPI(ActiveWindow)(), nullptr);
    TestWindow window;
    window.ShowActive();
    EXPECT_EQ(QIMAPI(ActiveWindow)(), window.hwnd());
}

TEST(GetWindowHandle, FindsByClassByTitleOrBoth)
{
    TestWindow window("QIMAPI lookup 7f3a");
    HWND found = window.hwnd();
    EXPECT_EQ(QIMAPI(GetWindowHandle)("", "QIMAPI lookup 7f3a"), found);
    EXPECT_EQ(QIMAPI(GetWindowHandle)("QimapiTestWindow", "QIMAPI lookup 7f3a"), found);
    EXPECT_EQ(QIMAPI(GetWindowHandle)("QimapiTestWindow", ""), FindWindowA("QimapiTestWindow", nullptr));
    EXPECT_EQ(QIMAPI(GetWindowHandle)("", ""), FindWindowA(nullptr, nullptr));
    EXPECT_NE(QIMAPI(GetWindowHandle)("", ""), nullptr);
    EXPECT_EQ(QIMAPI(GetWindowHandle)("NoSuchClass7f3a", ""), nullptr);
    EXPECT_EQ(QIMAPI(GetWindowHandle)("", "QIMAPI lookup"), nullptr);   // whole titles only
}

// Wine stops answering when a title of a million characters goes to a window of another process.
TEST(SetWindowTitle, CutsTitlesAt65535Characters)
{
    TestWindow window;
    for (size_t length : {65535, 65536, 1048576}) {
        SCOPED_TRACE(length);
        QIMAPI(SetWindowTitle)(window.hwnd(), qimapi_test::Letters(length).c_str());
        std::string title(70000, '\0');
        title.resize(GetWindowTextA(window.hwnd(), &title[0], static_cast<int>(title.size())));
        EXPECT_EQ(title, qimapi_test::Letters(65535));
    }
}

TEST(SetWindowTitle, SetsTheTitleOrThatOfTheActiveWindow)
{
    TestWindow window("before");
    QIMAPI(SetWindowTitle)(window.hwnd(), "after");
    EXPECT_EQ(TitleOf(window.hwnd()), "after");

    TestWindow active("active before");
    active.ShowActive();
    QIMAPI(SetWindowTitle)(0, "active after");
    EXPECT_EQ(TitleOf(active.hwnd()), "active after");
    EXPECT_EQ(TitleOf(window.hwnd()), "after");
}

}  // namespace
