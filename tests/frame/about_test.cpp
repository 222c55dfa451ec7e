// The about box, shown for real and answered from a second thread, and the exact call through
// a recorded MessageBoxA; the version number.
#include "common/message_boxes.h"
#include "common/qimapi_test.h"

using qimapi_test::BoxAnswerer;
using qimapi_test::Dll;
using qimapi_test::ImportPatch;
using qimapi_test::SeenBox;
using qimapi_test::TestWindow;

namespace {

// Its third line ends in LF CR.
const char kAboutText[] =
    "Qimmo API 2.0\r\n\r\n\n\rFor information contact\r\nThe QIMAPI project at\r\nCompuServe: none\r\n"
    "Internet:  the QIMAPI source repository";

struct BoxCall {
    HWND owner;
    std::string text, caption;
    UINT style;
};
std::vector<BoxCall> boxCalls;

int WINAPI RecordMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT style)
{
    boxCalls.push_back({owner, text, caption, style});
    return IDOK;
}

TEST(QimAPIAbout, ShowsTheAboutTextAsAnInformationBoxWithoutOwner)
{
    TestWindow active;   // not made the owner
    active.ShowActive();
    ImportPatch patch(Dll(), "user32.dll", "MessageBoxA", (void *)RecordMessageBox);
    ASSERT_TRUE(patch.ok());
    boxCalls.clear();
    QIMAPI(QimAPIAbout)();
    ASSERT_EQ(boxCalls.size(), 1u);
    EXPECT_EQ(boxCalls[0].owner, nullptr);
    EXPECT_EQ(boxCalls[0].text, kAboutText);
    EXPECT_EQ(boxCalls[0].caption, "Qimmo Utilities");
    EXPECT_EQ(boxCalls[0].style, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
}

TEST(QimAPIAbout, ShowsOneOkButtonAndTheInformationIconAndReturnsWhenClosed)
{
    TestWindow active;
    active.ShowActive();
    BoxAnswerer answerer("Qimmo Utilities", IDOK);
    QIMAPI(QimAPIAbout)();
    const SeenBox &seen = answerer.Finish();
    ASSERT_TRUE(seen.appeared);
    EXPECT_EQ(seen.buttons, std::set<int>{IDOK});
    EXPECT_EQ(seen.icon, LoadIconA(nullptr, IDI_ASTERISK));
    EXPECT_EQ(seen.owner, nullptr);
    EXPECT_EQ(seen.message, kAboutText);
}

TEST(QimAPIVersion, Is200OnEveryCall)
{
    for (int call = 0; call < 3; ++call) EXPECT_EQ(QIMAPI(QimAPIVersion)(), 200);
}

}  // namespace
