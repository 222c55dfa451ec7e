// Placing and confining the cursor: the exact ClipCursor and SetCursorPos arguments through
// recorders, and the real cursor under Xvfb.
#include <limits.h>

#include "common/input_fixtures.h"

using qimapi_test::ClipSpy;
using qimapi_test::Describe;
using qimapi_test::Dll;
using qimapi_test::ImportPatch;
using qimapi_test::SameRect;
using qimapi_test::WaitUntil;
using qimapi_test::WholeScreen;

namespace {

// A confinement left by a failing test must not outlive it.
class Cursor : public testing::Test {
protected:
    void TearDown() override { ClipCursor(nullptr); }
};

TEST_F(Cursor, RestrictCursorPassesLeftTopRightBottomAsGiven)
{
    const RECT cases[] = {{10, 20, 300, 400}, {300, 400, 10, 20}, {-50, -60, 70000, INT_MAX}};
    ClipSpy spy(Dll(), /*passOn=*/false);
    ASSERT_TRUE(spy.ok());
    for (const RECT &r : cases) QIMAPI(RestrictCursor)(r.left, r.top, r.right, r.bottom);
    ASSERT_EQ(spy.calls.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_FALSE(spy.calls[i].noRectangle);
        EXPECT_TRUE(SameRect(spy.calls[i].rect, cases[i])) << Describe(spy.calls[i].rect);
    }
}

TEST_F(Cursor, FreeCursorCallsClipCursorWithNoRectangleEvenWithoutAConfinement)
{
    ClipSpy spy(Dll());
    ASSERT_TRUE(spy.ok());
    QIMAPI(FreeCursor)();
    ASSERT_EQ(spy.calls.size(), 1u);
    EXPECT_TRUE(spy.calls[0].noRectangle);
    RECT clip;
    ASSERT_TRUE(GetClipCursor(&clip));
    EXPECT_TRUE(SameRect(clip, WholeScreen())) << Describe(clip);
}

std::vector<POINT> placed;

BOOL WINAPI RecordSetCursorPos(int x, int y)
{
    placed.push_back({x, y});
    return TRUE;
}

TEST_F(Cursor, PlaceCursorPassesBothCoordinatesUnchanged)
{
    const POINT cases[] = {{-5, 100000}, {INT_MIN, INT_MAX}, {7, 0}};
    ImportPatch patch(Dll(), "user32.dll", "SetCursorPos", (void *)RecordSetCursorPos);
    ASSERT_TRUE(patch.ok());
    placed.clear();
    for (const POINT &p : cases) QIMAPI(PlaceCursor)(p.x, p.y);
    ASSERT_EQ(placed.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(placed[i].x, cases[i].x);
        EXPECT_EQ(placed[i].y, cases[i].y);
    }
}

// The desktop can echo earlier positions for a moment after a move: wait (bounded) for the
// position rather than read it once.
::testing::AssertionResult CursorReaches(int x, int y)
{
    POINT at = {};
    if (WaitUntil([&] { return GetCursorPos(&at) && at.x == x && at.y == y; }))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the cursor stays at (" << at.x << ',' << at.y << "), not ("
                                         << x << ',' << y << ')';
}

TEST_F(Cursor, RestrictCursorConfinesTheRealCursorUntilFreeCursor)
{
    QIMAPI(RestrictCursor)(100, 100, 300, 250);
    RECT clip;
    ASSERT_TRUE(GetClipCursor(&clip));
    EXPECT_TRUE(SameRect(clip, RECT{100, 100, 300, 250})) << Describe(clip);
    QIMAPI(PlaceCursor)(500, 500);
    EXPECT_TRUE(CursorReaches(299, 249));   // right and bottom lie outside the confinement
    QIMAPI(PlaceCursor)(150, 120);
    EXPECT_TRUE(CursorReaches(150, 120));

    QIMAPI(FreeCursor)();
    ASSERT_TRUE(GetClipCursor(&clip));
    EXPECT_TRUE(SameRect(clip, WholeScreen())) << Describe(clip);
    QIMAPI(PlaceCursor)(500, 500);
    EXPECT_TRUE(CursorReaches(500, 500));
}

}  // namespace
