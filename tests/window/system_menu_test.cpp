// Adding and removing the system menu, minimize and maximize boxes, on real windows.
#include "common/qimapi_test.h"

#include <vector>

using qimapi_test::DeactivateThread;
using qimapi_test::Dll;
using qimapi_test::GoneWindow;
using qimapi_test::ImportPatch;
using qimapi_test::TestWindow;

namespace {

const LONG kItems = WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
const DWORD kBare = WS_OVERLAPPED | WS_CAPTION;   // a caption without any of the items

LONG StyleOf(HWND window)
{
    return GetWindowLongA(window, GWL_STYLE);
}

// The WM_NCACTIVATE messages a window received from the seen message at index from on.
std::vector<WPARAM> NcActivatesSince(const TestWindow &window, size_t from)
{
    std::vector<WPARAM> wParams;
    for (size_t i = from; i < window.seen().size(); ++i)
        if (window.seen()[i].message == WM_NCACTIVATE) wParams.push_back(window.seen()[i].wParam);
    return wParams;
}

// Any non-zero flag counts; items are the style bits the flags name.
struct Flags {
    int systemMenu, minimizeBox, maximizeBox;
    LONG items;
};
const Flags kFlags[] = {
    {0, 0, 0, 0},
    {1, 0, 0, WS_SYSMENU},
    {0, 2, 0, WS_MINIMIZEBOX},
    {0, 0, -1, WS_MAXIMIZEBOX},
    {0, 1, 1, WS_MINIMIZEBOX | WS_MAXIMIZEBOX},
    {-1, 0, 2, WS_SYSMENU | WS_MAXIMIZEBOX},
    {1, 1, 1, kItems},
};

TEST(SysItems, AddAndRemoveChangeOnlyTheFlaggedItemsAndRedrawTheCaptionAsActive)
{
    for (const Flags &f : kFlags) {
        SCOPED_TRACE(testing::Message() << f.systemMenu << ", " << f.minimizeBox << ", " << f.maximizeBox);
        TestWindow bare("bare", kBare), full("full", WS_OVERLAPPEDWINDOW);
        const LONG bareStyle = StyleOf(bare.hwnd()), fullStyle = StyleOf(full.hwnd());
        ASSERT_EQ(bareStyle & kItems, 0);
        ASSERT_EQ(fullStyle & kItems, kItems);

        size_t seen = bare.seen().size();
        QIMAPI(AddSysItems)(f.systemMenu, f.minimizeBox, f.maximizeBox, bare.hwnd());
        EXPECT_EQ(StyleOf(bare.hwnd()), bareStyle | f.items);
        EXPECT_EQ(NcActivatesSince(bare, seen), std::vector<WPARAM>{1});

        seen = full.seen().size();
        QIMAPI(RemoveSysItems)(f.systemMenu, f.minimizeBox, f.maximizeBox, full.hwnd());
        EXPECT_EQ(StyleOf(full.hwnd()), fullStyle & ~f.items);
        EXPECT_EQ(NcActivatesSince(full, seen), std::vector<WPARAM>{1});

        // Each undoes the other.
        QIMAPI(RemoveSysItems)(f.systemMenu, f.minimizeBox, f.maximizeBox, bare.hwnd());
        EXPECT_EQ(StyleOf(bare.hwnd()), bareStyle);
        QIMAPI(AddSysItems)(f.systemMenu, f.minimizeBox, f.maximizeBox, full.hwnd());
        EXPECT_EQ(StyleOf(full.hwnd()), fullStyle);
    }
}

// Style reads and writes of the DLL, passed on to user32.
int styleReads;
std::vector<LONG> styleWrites;
ImportPatch *getPatch, *setPatch;

LONG WINAPI CountGetWindowLong(HWND window, int index)
{
    styleReads += index == GWL_STYLE;
    return getPatch->original<decltype(&GetWindowLongA)>()(window, index);
}

LONG WINAPI RecordSetWindowLong(HWND window, int index, LONG value)
{
    if (index == GWL_STYLE) styleWrites.push_back(value);
    return setPatch->original<decltype(&SetWindowLongA)>()(window, index, value);
}

class StyleSpy {
public:
    StyleSpy()
        : get_(Dll(), "user32.dll", "GetWindowLongA", (void *)CountGetWindowLong),
          set_(Dll(), "user32.dll", "SetWindowLongA", (void *)RecordSetWindowLong)
    {
        getPatch = &get_;
        setPatch = &set_;
        styleReads = 0;
        styleWrites.clear();
    }
    bool ok() const { return get_.ok() && set_.ok(); }

private:
    ImportPatch get_, set_;
};

TEST(SysItems, ReadsTheStyleForEveryItemAndWritesEachChangeOnItsOwn)
{
    TestWindow window("full", WS_OVERLAPPEDWINDOW);
    const LONG full = StyleOf(window.hwnd());
    {
        StyleSpy spy;
        ASSERT_TRUE(spy.ok());
        QIMAPI(RemoveSysItems)(0, 1, 1, window.hwnd());
        EXPECT_EQ(styleReads, 3);
        EXPECT_EQ(styleWrites, (std::vector<LONG>{full & ~WS_MINIMIZEBOX, full & ~(WS_MINIMIZEBOX | WS_MAXIMIZEBOX)}));
    }
    struct NoChange {
        decltype(&AddSysItems) change;
        int systemMenu, minimizeBox, maximizeBox;
    } noChanges[] = {
        {QIMAPI(RemoveSysItems), 0, 1, 1},   // already removed
        {QIMAPI(AddSysItems), 1, 0, 0},      // already there
        {QIMAPI(AddSysItems), 0, 0, 0},
        {QIMAPI(RemoveSysItems), 0, 0, 0},
    };
    for (const NoChange &c : noChanges) {
        StyleSpy spy;
        ASSERT_TRUE(spy.ok());
        c.change(c.systemMenu, c.minimizeBox, c.maximizeBox, window.hwnd());
        EXPECT_EQ(styleReads, 3);
        EXPECT_EQ(styleWrites, std::vector<LONG>{});
    }
}

TEST(SysItems, FallBackToTheActiveWindow)
{
    TestWindow active("active", WS_OVERLAPPEDWINDOW);
    active.ShowActive();
    const LONG style = StyleOf(active.hwnd());

    size_t seen = active.seen().size();
    QIMAPI(RemoveSysItems)(1, 0, 1, GoneWindow());
    EXPECT_EQ(StyleOf(active.hwnd()), style & ~(WS_SYSMENU | WS_MAXIMIZEBOX));
    EXPECT_EQ(NcActivatesSince(active, seen), std::vector<WPARAM>{1});

    seen = active.seen().size();
    QIMAPI(AddSysItems)(1, 0, 1, 0);
    EXPECT_EQ(StyleOf(active.hwnd()), style);
    EXPECT_EQ(NcActivatesSince(active, seen), std::vector<WPARAM>{1});
}

TEST(SysItems, WithoutAWindowOrActiveWindowDoNothing)
{
    DeactivateThread();
    StyleSpy spy;
    ASSERT_TRUE(spy.ok());
    QIMAPI(AddSysItems)(1, 1, 1, 0);
    QIMAPI(RemoveSysItems)(1, 1, 1, GoneWindow());
    EXPECT_EQ(styleReads, 0);
    EXPECT_EQ(styleWrites, std::vector<LONG>{});
}

}  // namespace
