// The help viewer: the command and data WindowsHelp hands to WinHelpA, seen by a WinHelpA that
// records them; and Wine's own viewer, started for real and ended again.
#include "common/qimapi_test.h"

#include <string>
#include <thread>

using qimapi_test::DeactivateThread;
using qimapi_test::Dll;
using qimapi_test::ImportPatch;
using qimapi_test::TestWindow;

namespace {

struct HelpCall {
    int calls = 0;
    HWND owner = 0;
    const char *file = nullptr;
    UINT command = 0;
    ULONG_PTR data = 0;
};
HelpCall seen;
BOOL answer = TRUE;

BOOL WINAPI RecordWinHelp(HWND owner, LPCSTR file, UINT command, ULONG_PTR data)
{
    seen.calls++;
    seen.owner = owner;
    seen.file = file;
    seen.command = command;
    seen.data = data;
    return answer;
}

class RecordedHelp : public testing::Test {
protected:
    RecordedHelp()
    {
        seen = HelpCall();
        answer = TRUE;
    }
    ImportPatch patch_{Dll(), "user32.dll", "WinHelpA", reinterpret_cast<void *>(RecordWinHelp)};
};

// Data goes as the text itself (its address), as a number, or not at all.
enum DataKind { kText, kNumber, kNothing };

TEST_F(RecordedHelp, PassesTheCommandAndTheDataThatTheWordNames)
{
    ASSERT_TRUE(patch_.ok());
    TestWindow window;
    window.ShowActive();
    const struct {
        const char *command;
        const char *data;
        UINT helpCommand;
        DataKind kind;
        DWORD number;
    } cases[] = {
        {"Show", "keyword", HELP_KEY, kText, 0},
        {"SHOW", "keyword", HELP_KEY, kText, 0},
        {"sHoW", "", HELP_KEY, kText, 0},
        {"Search", "key", HELP_PARTIALKEY, kText, 0},
        {"Help", "42", HELP_HELPONHELP, kNothing, 0},
        {"quit", "42", HELP_QUIT, kNothing, 0},
        {"Macro", "JumpID(\"a.hlp\", \"b\")", HELP_COMMAND, kText, 0},
        {"Context", "", HELP_CONTEXT, kNumber, 0},
        {"Context", "$1F", HELP_CONTEXT, kNumber, 31},
        {"CONTEXT", "-5", HELP_CONTEXT, kNumber, static_cast<DWORD>(-5)},
        {"Context", "  12 topics", HELP_CONTEXT, kNumber, 12},
        {"PopUp", "42abc", HELP_CONTEXTPOPUP, kNumber, 42},
        {"popup", "$ff", HELP_CONTEXTPOPUP, kNumber, 255},
        {"Contents", "42", HELP_CONTENTS, kNothing, 0},
        {"Key", "keyword", HELP_CONTENTS, kNothing, 0},
        {"", "42", HELP_CONTENTS, kNothing, 0},
        {" Show", "keyword", HELP_CONTENTS, kNothing, 0},
        {"Show ", "keyword", HELP_CONTENTS, kNothing, 0},
    };
    const char helpFile[] = "C:\\help\\demo.hlp";
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.command) + " / " + c.data);
        seen = HelpCall();
        EXPECT_EQ(QIMAPI(WindowsHelp)(c.command, helpFile, c.data), 1);
        EXPECT_EQ(seen.calls, 1);
        EXPECT_EQ(seen.owner, window.hwnd());
        EXPECT_EQ(seen.file, helpFile);
        EXPECT_EQ(seen.command, c.helpCommand);
        ULONG_PTR data = c.kind == kText ? reinterpret_cast<ULONG_PTR>(c.data) : c.number;
        EXPECT_EQ(seen.data, data);
    }
}

TEST_F(RecordedHelp, GivesOneOnlyWhenWinHelpSucceeds)
{
    ASSERT_TRUE(patch_.ok());
    TestWindow window;
    window.ShowActive();
    for (BOOL result : {FALSE, TRUE, 7, -1}) {
        answer = result;
        EXPECT_EQ(QIMAPI(WindowsHelp)("Context", "demo.hlp", "3"), result ? 1 : 0) << result;
    }
}

TEST_F(RecordedHelp, WithoutAnActiveWindowGivesZeroAndCallsNothing)
{
    ASSERT_TRUE(patch_.ok());
    DeactivateThread();
    for (const char *command : {"Show", "Quit", "Contents"})
        EXPECT_EQ(QIMAPI(WindowsHelp)(command, "demo.hlp", "keyword"), 0) << command;
    EXPECT_EQ(seen.calls, 0);
}

const char kViewerClass[] = "MS_WINHELP";

// Waits at most 10 s (scaled) for the viewer's window to be there (or gone).
bool WaitForViewer(bool there)
{
    return qimapi_test::WaitUntil([there] { return (FindWindowA(kViewerClass, nullptr) != nullptr) == there; }, 10000);
}

// Ends the viewer if it still runs: asked first, then by force.
void EndViewer()
{
    HWND viewer = FindWindowA(kViewerClass, nullptr);
    if (!viewer) return;
    PostMessageA(viewer, WM_CLOSE, 0, 0);
    if (WaitForViewer(false)) return;
    DWORD id = 0;
    GetWindowThreadProcessId(FindWindowA(kViewerClass, nullptr), &id);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (!process) return;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, qimapi_test::Limit(10000));
    CloseHandle(process);
}

// Answers the viewer's "cannot find the file" box with No, from another thread (WinHelpA waits
// until the viewer has dealt with the command), and tells which process showed it.
void AnswerMissingFileBox(DWORD *boxProcess)
{
    qimapi_test::WaitUntil([boxProcess] {
        HWND box = FindWindowA("#32770", "ERROR");
        if (!box || !IsWindowVisible(box)) return false;
        GetWindowThreadProcessId(box, boxProcess);
        PostMessageA(box, WM_COMMAND, IDNO, 0);
        return true;
    }, 10000);
}

// Wine's viewer ends by itself once the box about a missing file is answered with No.
TEST(WindowsHelp, DrivesWinesOwnViewer)
{
    ASSERT_FALSE(FindWindowA(kViewerClass, nullptr)) << "a help viewer runs already";
    TestWindow window;
    window.ShowActive();
    // No viewer runs: nothing to quit, and nothing is started.
    EXPECT_EQ(QIMAPI(WindowsHelp)("Quit", "C:\\no such help.hlp", ""), 1);
    EXPECT_FALSE(FindWindowA(kViewerClass, nullptr));

    DWORD boxProcess = 0;
    std::thread answer(AnswerMissingFileBox, &boxProcess);
    int opened = QIMAPI(WindowsHelp)("Contents", "C:\\no such help.hlp", "");
    answer.join();
    EXPECT_EQ(opened, 1);
    EXPECT_NE(boxProcess, 0u) << "no viewer reported the missing file";
    EXPECT_NE(boxProcess, GetCurrentProcessId());
    EXPECT_TRUE(WaitForViewer(false)) << "the viewer still runs";
    EndViewer();
}

}  // namespace
