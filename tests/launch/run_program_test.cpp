// Programs started by RunProgram: the recorder, which tells its command line, show state, folder,
// priority and run time; error numbers from real failures and, for the rest, from CreateProcessA
// made to fail.
#include "common/leak_probe.h"
#include "common/qimapi_test.h"
#include "launch/launch_fixture.h"

#include <string>
#include <vector>

using launch_test::NowMs;
using launch_test::QuotedRecorder;
using launch_test::Record;
using launch_test::Recordings;
using launch_test::TempFile;
using qimapi_test::Dll;
using qimapi_test::ImportPatch;

namespace {

auto RunProgram()
{
    return QIMAPI(RunProgram);
}

// Runs the recorder with the wait flag set and returns its one record.
Record RunAndRecord(Recordings &recordings, const std::string &commandLine, const char *state)
{
    EXPECT_EQ(RunProgram()(commandLine.c_str(), state, 1), 33u);
    std::vector<Record> records = recordings.Wait();
    EXPECT_EQ(records.size(), 1u);
    return records.empty() ? Record() : records.front();
}

TEST(RunProgram, StartsTheCommandLineAsItStandsInTheHostsFolderAndEnvironment)
{
    Recordings recordings;   // the recorder finds its file through the inherited environment
    std::string commandLine = QuotedRecorder() + " first \"second word\"  --exit=3";
    const std::string before = commandLine;
    Record record = RunAndRecord(recordings, commandLine, "Normal");   // 33, though the program fails
    EXPECT_EQ(commandLine, before) << "the host's text was written";
    EXPECT_EQ(record.commandLine, commandLine);
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof folder, folder);
    EXPECT_EQ(record.folder, folder);
    EXPECT_EQ(record.flags, static_cast<DWORD>(STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK));
    EXPECT_EQ(record.priorityClass, static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
    EXPECT_EQ(record.show, SW_SHOW);
}

// The launch table, shared with OpenFile and OpenURL; not SetWindowState's, so "restored",
// "NotActive" and "MinNotActive" are unknown here and show like any other word.
TEST(RunProgram, ShowsTheProgramAsTheLaunchStateTableSays)
{
    struct Case {
        const char *state;
        int show;
    };
    const Case cases[] = {
        {"minimized", SW_MINIMIZE},          {"Minimised", SW_MINIMIZE},         {"MiNiMiSeD", SW_MINIMIZE},
        {"maximized", SW_SHOWMAXIMIZED},     {"MAXIMISED", SW_SHOWMAXIMIZED},    {"hidden", SW_HIDE},
        {"Hidden", SW_HIDE},                 {"normal", SW_SHOW},                {"showminimised", SW_SHOWMINIMIZED},
        {"ShowMinimized", SW_SHOWMINIMIZED}, {"ShowMinNoActive", SW_SHOWMINNOACTIVE},
        {"showminnoactive", SW_SHOWMINNOACTIVE},
        {"", SW_SHOW},                       {" hidden", SW_SHOW},               {"hidden ", SW_SHOW},
        {"restored", SW_SHOW},               {"Restored", SW_SHOW},              {"NotActive", SW_SHOW},
        {"MinNotActive", SW_SHOW},           {"minimise", SW_SHOW},              {"minimizedd", SW_SHOW},
    };
    Recordings recordings;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.state);
        EXPECT_EQ(RunAndRecord(recordings, QuotedRecorder(), c.state).show, c.show);
    }
}

// Any nonzero Wait counts, not only its low byte or word.
TEST(RunProgram, WithWaitReturnsOnlyOnceTheProgramHasEnded)
{
    Recordings recordings;
    for (int wait : {1, -1, 0x100, 0x10000, static_cast<int>(0x80000000)}) {
        SCOPED_TRACE(wait);
        EXPECT_EQ(RunProgram()((QuotedRecorder() + " --sleep=300").c_str(), "Hidden", wait), 33u);
        ULONGLONG returned = NowMs();
        std::vector<Record> records = recordings.Wait();
        ASSERT_EQ(records.size(), 1u);
        EXPECT_GE(returned, records.front().end);
    }
}

TEST(RunProgram, WithoutWaitReturnsWhileTheProgramRuns)
{
    Recordings recordings;
    EXPECT_EQ(RunProgram()((QuotedRecorder() + " --sleep=3000").c_str(), "Hidden", 0), 33u);
    ULONGLONG returned = NowMs();
    std::vector<Record> records = recordings.Wait();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_LT(returned, records.front().end);
}

TEST(RunProgram, ReportsRealFailuresOnTheShellsScale)
{
    TempFile text("notes.txt", "not a program\r\n");
    TempFile fakeProgram("fake.exe", "not a program either\r\n");
    struct Case {
        std::string commandLine;
        UINT expected;
    };
    const Case cases[] = {
        {text.folder() + "\\no such program.exe", 2},
        {"\"" + text.folder() + "\\no such program.exe\" with arguments", 2},
        {"", 2},
        {text.path(), 11},
        {"\"" + fakeProgram.path() + "\" /x", 11},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.commandLine);
        EXPECT_EQ(RunProgram()(c.commandLine.c_str(), "Normal", 1), c.expected);
    }
}

// Windows reports a missing folder as ERROR_PATH_NOT_FOUND, which gives 3 (see the mapping
// test); Wine reports ERROR_FILE_NOT_FOUND.
TEST(RunProgram, MissingFolderGivesFileNotFoundUnderWine)
{
    EXPECT_EQ(RunProgram()("C:\\no\\such\\folder\\program.exe", "Normal", 1), 2u);
}

DWORD failure;
BOOL WINAPI FailingCreateProcess(LPCSTR, LPSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID,
                                 LPCSTR, LPSTARTUPINFOA, LPPROCESS_INFORMATION)
{
    SetLastError(failure);
    return FALSE;
}

TEST(RunProgram, MapsEachCreateProcessFailure)
{
    ImportPatch patch(Dll(), "kernel32.dll", "CreateProcessA", reinterpret_cast<void *>(FailingCreateProcess));
    ASSERT_TRUE(patch.ok());
    const struct {
        DWORD error;
        UINT expected;
    } cases[] = {
        {ERROR_FILE_NOT_FOUND, 2},          {ERROR_PATH_NOT_FOUND, 3}, {ERROR_NOT_ENOUGH_MEMORY, 0},
        {ERROR_NETWORK_ACCESS_DENIED, 5},   {ERROR_BAD_EXE_FORMAT, 11}, {ERROR_ACCESS_DENIED, 1},
        {ERROR_INVALID_PARAMETER, 1},       {ERROR_OUTOFMEMORY, 1}, {0, 1},
    };
    for (const auto &c : cases) {
        failure = c.error;
        EXPECT_EQ(RunProgram()("program.exe", "Normal", 1), c.expected) << "error " << c.error;
    }
}

TEST(RunProgram, LeavesNoHandleOpenWithOrWithoutWait)
{
    Recordings recordings;
    const std::string commandLine = QuotedRecorder();
    RunProgram()(commandLine.c_str(), "Hidden", 1);   // whatever the first start sets up for good
    recordings.Wait();
    ULONG_PTR before = qimapi_test::HandleHighWater();
    for (int wait : {1, 0, 1, 0, 0}) EXPECT_EQ(RunProgram()(commandLine.c_str(), "Hidden", wait), 33u);
    EXPECT_EQ(qimapi_test::HandleHighWater(), before);
    EXPECT_EQ(recordings.Wait().size(), 5u);
}

}  // namespace
