// The command-line host as a user runs it: scripts, piped input and the command lines and DLLs
// it refuses, read back from qimhost.exe started beside QIMAPI.dll and the fixture DLLs.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "common/clipboard_fixtures.h"
#include "common/qimapi_test.h"
#include "qimhost_child.h"

namespace {

using namespace qimhost_test;

TEST(QimhostErrors, RefusesBadCommandLinesAndDlls)
{
    struct CommandLineCase {
        std::vector<std::string> words;
        const char *problem;
    };
    const CommandLineCase cases[] = {
        {{"frob"}, "unknown command 'frob'"},
        {{"list", "extra"}, "usage: qimhost [--dll PATH] list [--json]"},
        {{"list", "--json", "extra"}, "usage: qimhost [--dll PATH] list [--json]"},
        {{"list", "--jsn"}, "usage: qimhost [--dll PATH] list [--json]"},
        {{"help"}, "usage: qimhost [--dll PATH] help NAME"},
        {{"--dll"}, "--dll needs a path"},
        {{"help", "NoSuchFunction"}, "unknown function NoSuchFunction"},
        {{"--dll", "no_such.dll", "list"}, "cannot load no_such.dll"},
        {{"--dll", "qimhost_bare.dll", "list"}, "qimhost_bare.dll has no DLL_HEADER function list"},
        {{"--dll", "host_undescribed.dll", "call", "Add(1, 2)"}, "host_undescribed.dll has no descriptor for Missing"},
        {{"run", "no_such_script.qim"}, "cannot open no_such_script.qim"},
    };
    for (const CommandLineCase &c : cases) {
        SCOPED_TRACE(c.problem);
        ExpectRefusal(Qimhost(c.words), c.problem);
    }
}

// A script in %TEMP%, deleted at the end of the test.
class Script {
public:
    explicit Script(const std::string &text)
    {
        char folder[MAX_PATH], path[MAX_PATH];
        EXPECT_TRUE(GetTempPathA(MAX_PATH, folder) && GetTempFileNameA(folder, "qim", 0, path));
        path_ = path;
        FILE *file = fopen(path, "wb");
        EXPECT_TRUE(file);
        if (!file) return;
        fwrite(text.data(), 1, text.size(), file);
        fclose(file);
    }
    ~Script() { DeleteFileA(path_.c_str()); }
    Script(const Script &) = delete;
    Script &operator=(const Script &) = delete;
    const std::string &path() const { return path_; }

private:
    std::string path_;
};

TEST(QimhostRun, EchoesEachCallWithItsResult)
{
    Script script("# comment\r\n\r\nAdd(1, 2)\r\n   \n  # indented comment\nNothing()\nEcho(\"a \"\"b\"\"\")");
    ExpectSuccess(Qimhost({"--dll", kFixture, "run", script.path()}),
                  "Add(1, 2) => 3\nNothing()\nEcho(\"a \"\"b\"\"\") => a \"b\"\n");
}

TEST(QimhostRun, StopsAtTheFirstBadLineNamingIt)
{
    Script script("Add(1, 2)\n\nAdd(1)\nAdd(3, 4)\n");
    Outcome outcome = Qimhost({"--dll", kFixture, "run", script.path()});
    EXPECT_EQ(outcome.status, 1u);
    EXPECT_EQ(outcome.out, "Add(1, 2) => 3\n");
    EXPECT_EQ(outcome.err, "qimhost: " + script.path() + ":3: Add takes 2 argument(s), not 1\n");
}

// Without a command, or with "run -", the lines come from standard input and are run as a
// script's are: here a pipe, so without a prompt and with each call echoed.
TEST(QimhostInput, RunsCallsFromStandardInput)
{
    const char input[] = "# comment\r\nAdd(1, 2)\n\n  Nothing()\nEcho(\"x\")";
    for (const std::vector<std::string> &words : {std::vector<std::string>{"--dll", kFixture},
                                                  std::vector<std::string>{"--dll", kFixture, "run", "-"}}) {
        SCOPED_TRACE(words.size());
        ExpectSuccess(Qimhost(words, input), "Add(1, 2) => 3\nNothing()\nEcho(\"x\") => x\n");
    }
    ExpectSuccess(Qimhost({"--dll", kFixture}, ""), "");
}

// The lines a person exploring types besides calls: list, help NAME and quit.
TEST(QimhostInput, TakesListHelpAndQuitLines)
{
    ExpectSuccess(Qimhost({"--dll", kFixture}, "help add\nAdd(2, 2)\nlist\nquit\nAdd(3, 3)\n"),
                  "Sum := Add( A , B )\n\nAdds two integers.\nAdd(2, 2) => 4\nSum := Add( A , B )\n"
                  "Copy := Echo( Text )\nMinus := Negate( Number )\nSame := Handle( Word )\nNothing()\n"
                  "Result := Liar( A , B )\nGhost()\n");
}

TEST(QimhostInput, StopsAtTheFirstBadLineNamingIt)
{
    Outcome outcome = Qimhost({"--dll", kFixture}, "Add(1, 2)\n\nAdd(1)\nAdd(3, 4)\n");
    EXPECT_EQ(outcome.status, 1u);
    EXPECT_EQ(outcome.out, "Add(1, 2) => 3\n");
    EXPECT_EQ(outcome.err, "qimhost: standard input:3: Add takes 2 argument(s), not 1\n");
}

TEST(QimhostRun, RunsTheDemoScript)
{
    qimapi_test::ClipboardKeeper keeper;
    // The demo switches the screen saver and sets its time-out: both are put back.
    BOOL saverActive = TRUE;
    UINT saverTimeOut = 0;
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &saverActive, 0);
    SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &saverTimeOut, 0);
    Outcome outcome = Qimhost({"run", "demo.qim"});
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, saverActive, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
    SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, saverTimeOut, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
    EXPECT_EQ(outcome.status, 0u);
    EXPECT_EQ(outcome.err, "");
    for (const char *line : {"GetWindowState(0) => 0\n", "QimAPIVersion() => 200\n", "FreeCursor()\n",
                             "CopyToClipboard(\"Hello from QIMAPI\") => 1\nCopyFromClipboard() => Hello from QIMAPI\n",
                             "RunProgram(\"cmd /c exit 3\", \"Hidden\", 1) => 33\n",
                             "RunProgram(\"C:\\windows\\win.ini\", \"Normal\", 0) => 11\n",
                             "FindDrive(\"A\", \"windows\\win.ini\") => C\n",
                             "FontInstalled(\"No Such Family\", \"found\") => 0\n"})
        EXPECT_NE(outcome.out.find(line), std::string::npos) << line << " not in:\n" << outcome.out;
}

}  // namespace
