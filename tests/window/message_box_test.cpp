// The message box: real boxes answered from a second thread, and the exact style through a
// recorded MessageBoxA.
#include "common/message_boxes.h"
#include "common/qimapi_test.h"

#include <set>
#include <string>
#include <vector>

using qimapi_test::BoxAnswerer;
using qimapi_test::DeactivateThread;
using qimapi_test::Dll;
using qimapi_test::ImportPatch;
using qimapi_test::SeenBox;
using qimapi_test::TakeResultString;
using qimapi_test::TestWindow;

namespace {

// Shows a real box and answers it by pressing press; returns MsgBox's answer.
std::string ShowAndPress(const char *buttons, const char *icon, int defaultButton, int press, SeenBox *seen,
                         const char *message = "Message text")
{
    static int boxes;
    std::string caption = "QIMAPI box " + std::to_string(++boxes);
    BoxAnswerer answerer(caption.c_str(), press);
    HGLOBAL answer = QIMAPI(MsgBox)(message, caption.c_str(), buttons, icon, defaultButton);
    *seen = answerer.Finish();
    EXPECT_TRUE(seen->appeared) << "no box called " << caption;
    return TakeResultString(answer);
}

struct ButtonSet {
    const char *buttons;
    std::set<int> ids;
};
const ButtonSet kButtonSets[] = {
    {"OK", {IDOK}},
    {"OKCancel", {IDOK, IDCANCEL}},
    {"YesNo", {IDYES, IDNO}},
    {"yesno", {IDYES, IDNO}},
    {"YesNoCancel", {IDYES, IDNO, IDCANCEL}},
    {"ABORTRETRYIGNORE", {IDABORT, IDRETRY, IDIGNORE}},
    {"RetryCancel", {IDOK}},   // offered by Windows, not by the host's words
    {"", {IDOK}},
};

TEST(MsgBox, ShowsEachButtonSetAndNamesEveryButtonPressed)
{
    const char *names[] = {"", "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No"};
    for (const ButtonSet &set : kButtonSets) {
        for (int id : set.ids) {
            SCOPED_TRACE(testing::Message() << '"' << set.buttons << "\" pressing " << names[id]);
            SeenBox seen;
            EXPECT_EQ(ShowAndPress(set.buttons, "", 0, id, &seen), names[id]);
            EXPECT_EQ(seen.buttons, set.ids);
        }
    }
}

TEST(MsgBox, ShowsTheMessageCaptionAndDefaultButton)
{
    struct Case {
        int defaultButton;
        int expected;
    } cases[] = {{1, IDYES}, {2, IDNO}, {3, IDCANCEL}, {0, IDYES}, {-1, IDYES}, {4, IDYES}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.defaultButton);
        SeenBox seen;
        ShowAndPress("YesNoCancel", "", c.defaultButton, IDNO, &seen, "The message");
        EXPECT_EQ(seen.defaultButton, c.expected);
        EXPECT_EQ(seen.message, "The message");
    }
}

TEST(MsgBox, ShowsTheIconNamed)
{
    struct Case {
        const char *icon;
        LPCSTR standard;   // 0: no icon
    } cases[] = {
        {"Stop", IDI_HAND},         {"exclamation", IDI_EXCLAMATION}, {"Question", IDI_QUESTION},
        {"INFORMATION", IDI_ASTERISK}, {"Warning", 0},                {"", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.icon);
        SeenBox seen;
        ShowAndPress("OK", c.icon, 1, IDOK, &seen);
        EXPECT_EQ(seen.icon, c.standard ? LoadIconA(nullptr, c.standard) : nullptr);
    }
}

TEST(MsgBox, IsOwnedByTheActiveWindow)
{
    SeenBox seen;
    {
        TestWindow active;
        active.ShowActive();
        ShowAndPress("OK", "", 1, IDOK, &seen);
        EXPECT_EQ(seen.owner, active.hwnd());
    }
    DeactivateThread();
    ShowAndPress("OK", "", 1, IDOK, &seen);
    EXPECT_EQ(seen.owner, nullptr);
}

// What the DLL passed to MessageBoxA, which answers with boxAnswer without showing a box.
struct BoxCall {
    HWND owner;
    std::string text, caption;
    UINT style;
};
std::vector<BoxCall> boxCalls;
int boxAnswer;

int WINAPI RecordMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT style)
{
    boxCalls.push_back({owner, text, caption, style});
    return boxAnswer;
}

TEST(MsgBox, AddsButtonsIconDefaultButtonAndTaskModalToTheStyle)
{
    struct Case {
        const char *buttons, *icon;
        int defaultButton;
        UINT style;
    } cases[] = {
        {"OK", "", 1, MB_OK | MB_TASKMODAL},
        {"okcancel", "stop", 2, MB_OKCANCEL | MB_ICONSTOP | MB_DEFBUTTON2 | MB_TASKMODAL},
        {"YesNo", "Question", 3, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON3 | MB_TASKMODAL},
        {"YesNoCancel", "Exclamation", 0, MB_YESNOCANCEL | MB_ICONEXCLAMATION | MB_TASKMODAL},
        {"AbortRetryIgnore", "Information", -2, MB_ABORTRETRYIGNORE | MB_ICONINFORMATION | MB_TASKMODAL},
        {"Yes No", "Hand", 4, MB_TASKMODAL},
        {"", "", 0x100, MB_TASKMODAL},
    };
    TestWindow active;
    active.ShowActive();
    ImportPatch patch(Dll(), "user32.dll", "MessageBoxA", (void *)RecordMessageBox);
    ASSERT_TRUE(patch.ok());
    boxAnswer = IDOK;
    for (const Case &c : cases) {
        boxCalls.clear();
        TakeResultString(QIMAPI(MsgBox)("text", "caption", c.buttons, c.icon, c.defaultButton));
        ASSERT_EQ(boxCalls.size(), 1u);
        EXPECT_EQ(boxCalls[0].style, c.style) << c.buttons << ' ' << c.icon << ' ' << c.defaultButton;
        EXPECT_EQ(boxCalls[0].owner, active.hwnd());
        EXPECT_EQ(boxCalls[0].text, "text");
        EXPECT_EQ(boxCalls[0].caption, "caption");
    }
}

TEST(MsgBox, NamesEveryAnswerAndTakesFailureOrAnUnknownAnswerAsOk)
{
    const char *names[] = {"OK", "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No", "OK"};
    ImportPatch patch(Dll(), "user32.dll", "MessageBoxA", (void *)RecordMessageBox);
    ASSERT_TRUE(patch.ok());
    for (int answer = 0; answer <= 8; ++answer) {
        boxAnswer = answer;
        EXPECT_EQ(TakeResultString(QIMAPI(MsgBox)("", "", "OK", "", 1)), names[answer]) << answer;
    }
}

HGLOBAL WINAPI NoMemory(UINT, SIZE_T) { return 0; }

TEST(MsgBox, GivesZeroWhenTheAnswerCannotBeAllocatedAfterTheBox)
{
    ImportPatch box(Dll(), "user32.dll", "MessageBoxA", (void *)RecordMessageBox);
    ImportPatch alloc(Dll(), "kernel32.dll", "GlobalAlloc", (void *)NoMemory);
    ASSERT_TRUE(box.ok() && alloc.ok());
    boxCalls.clear();
    boxAnswer = IDYES;
    EXPECT_EQ(QIMAPI(MsgBox)("text", "caption", "YesNo", "", 1), nullptr);
    EXPECT_EQ(boxCalls.size(), 1u);
}

}  // namespace
