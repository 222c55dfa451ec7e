// The command-line host as a user runs it: qimhost.exe started from the bin folder, beside
// QIMAPI.dll and the fixture DLLs, with its output, error line and exit status read back.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/clipboard_fixtures.h"
#include "common/qimapi_test.h"
#include "frame/descriptor_data.h"

#include <stdio.h>

#include <string>
#include <thread>
#include <vector>

namespace {

const char kFixture[] = "qimhost_fixture.dll";
const DWORD kTimeoutMs = 20000;

using Outcome = qimapi_test::ChildOutcome;

// Quotes one argument so that the C runtime hands it to main unchanged: quotes are escaped, and
// backslashes doubled where a quote follows them.
std::string Quote(const std::string &argument)
{
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '"') quoted.append(backslashes + 1, '\\');
        backslashes = c == '\\' ? backslashes + 1 : 0;
        quoted += c;
    }
    quoted.append(backslashes, '\\');
    return quoted + "\"";
}

// Runs qimhost.exe with these arguments, and input on its standard input if given, and waits for
// it, ending it if it hangs.
Outcome Qimhost(const std::vector<std::string> &arguments, const char *input = nullptr)
{
    std::string commandLine = "qimhost.exe";
    for (const std::string &argument : arguments) commandLine += " " + Quote(argument);
    return qimapi_test::RunChild("qimhost.exe", commandLine, kTimeoutMs, input);
}

Outcome CallFixture(const std::string &call)
{
    return Qimhost({"--dll", kFixture, "call", call});
}

void ExpectSuccess(const Outcome &outcome, const std::string &out)
{
    EXPECT_EQ(outcome.status, 0u);
    EXPECT_EQ(outcome.out, out);
    EXPECT_EQ(outcome.err, "");
}

// Refused: a non-zero status, nothing on stdout, and one line on stderr that names the problem.
void ExpectRefusal(const Outcome &outcome, const std::string &problem)
{
    EXPECT_NE(outcome.status, 0u);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err.rfind("qimhost: ", 0), 0u) << outcome.err;
    const bool oneLine = !outcome.err.empty() && outcome.err.find('\n') == outcome.err.size() - 1;
    EXPECT_TRUE(oneLine) << outcome.err;
    EXPECT_NE(outcome.err.find(problem), std::string::npos) << "expected \"" << problem << "\" in " << outcome.err;
}

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

struct Case {
    const char *call;
    const char *expected;   // output, or for a refusal what its error line names
};

void ExpectFixtureOutputs(const std::vector<Case> &cases)
{
    for (const Case &c : cases) {
        SCOPED_TRACE(c.call);
        ExpectSuccess(CallFixture(c.call), c.expected);
    }
}

void ExpectFixtureRefusals(const std::vector<Case> &cases)
{
    for (const Case &c : cases) {
        SCOPED_TRACE(c.call);
        ExpectRefusal(CallFixture(c.call), c.expected);
    }
}

TEST(QimhostUsage, HelpOptionPrintsUsage)
{
    Outcome outcome = Qimhost({"--help"});
    EXPECT_EQ(outcome.status, 0u);
    EXPECT_EQ(outcome.out.rfind("usage: qimhost", 0), 0u) << outcome.out;
    EXPECT_EQ(outcome.err, "");
}

TEST(QimhostList, PrintsEveryPrototypeLineInFunctionListOrder)
{
    Outcome outcome = Qimhost({"list"});
    std::vector<std::string> lines = Lines(outcome.out);
    EXPECT_EQ(outcome.status, 0u);
    EXPECT_EQ(outcome.err, "");
    ASSERT_EQ(lines.size(), 53u) << outcome.out;
    EXPECT_EQ(lines.front(), "SetWindowTitle( WindowHandle , Title )");
    EXPECT_EQ(lines[18], "Result := FindAppWindow( Class, Caption )");   // the list's order, not the alphabet's
    EXPECT_EQ(lines.back(), "Result := SendMsg( Wnd , Msg , wParam , lParam )");
}

// Names match in any case; every help line ends in "\n", whether or not the text ends in CR LF.
// A JSON string as the descriptor's text would be written: quotes, backslashes and line ends
// escaped (the help texts are printable ASCII otherwise).
std::string Json(const std::string &text)
{
    std::string json = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') json += std::string("\\") + c;
        else if (c == '\r') json += "\\r";
        else if (c == '\n') json += "\\n";
        else json += c;
    }
    return json + "\"";
}

// The published descriptors, in the function list's order, with the ordinals of the export table.
TEST(QimhostList, PrintsEveryDescriptorAsJson)
{
    std::string expected = "[\n";
    for (const char *name : kFunctionList) {
        const ExpectedDescriptor *d = FindExpectedDescriptor(name);
        ASSERT_TRUE(d) << name;
        const std::string help = ExpectedHelp(*d);
        const std::string arguments = std::string(d->arguments) == "V" ? "" : d->arguments;
        expected += "  {\"name\": " + Json(name) + ", \"ordinal\": " + std::to_string(d->ordinal) +
                    ", \"result\": " + Json(std::string(1, d->result)) + ", \"arguments\": " + Json(arguments) +
                    ", \"help\": " + Json(help) + "},\n";
    }
    expected.replace(expected.size() - 2, 2, "\n]\n");   // no comma after the last
    ExpectSuccess(Qimhost({"list", "--json"}), expected);
}

TEST(QimhostList, JsonGivesNoOrdinalWhereTheDllExportsNothing)
{
    Outcome outcome = Qimhost({"--dll", kFixture, "list", "--json"});
    EXPECT_EQ(outcome.status, 0u);
    EXPECT_NE(outcome.out.find("  {\"name\": \"Ghost\", \"ordinal\": null, \"result\": \"V\", \"arguments\": \"\", "
                               "\"help\": \"Ghost()\"}\n]\n"),
              std::string::npos)
        << outcome.out;
    size_t unexported = 0;
    for (size_t at = 0; (at = outcome.out.find("\"ordinal\": null", at)) != std::string::npos; ++at) ++unexported;
    EXPECT_EQ(unexported, 1u) << "only Ghost is not exported";
}

TEST(QimhostHelp, PrintsWholeHelpText)
{
    const Case cases[] = {
        {"getwindowstate",
         "State := GetWindowState( WindowHandle )\n\nReturns the state of the specified window.\n"
         "Can return:\n0 - window doesn't exist\n1 - window is normal\n2 - window is iconized\n"
         "3 - window is maximized\n"},
        {"ACTIVEWINDOW", "Result := ActiveWindow()\n\nReturns the handle of the active window.\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.call);
        ExpectSuccess(Qimhost({"help", c.call}), c.expected);
    }
}

TEST(QimhostCall, PrintsResultByItsLetter)
{
    ExpectFixtureOutputs({
        {"Add(2, 3)", "5\n"},                                // I
        {"Add(0xFFFFFFFF, 0)", "-1\n"},                      // I: signed
        {"Negate(5)", "-5\n"},                               // L: signed
        {"Handle(0xFFFFFFFF)", "4294967295\n"},              // W: unsigned
        {"Echo(\"result string\")", "result string\n"},      // S: the block's text
        {"Echo(\"\")", "\n"},                                // S: 0 is no text, an empty line
        {"Nothing()", ""},                                   // V: nothing at all
        {"  add ( 1 ,2 )  ", "3\n"},                         // any case, spaces between the parts
    });
}

TEST(QimhostCall, CallsQimapiExports)
{
    ExpectSuccess(Qimhost({"call", "GetWindowState(0)"}), "0\n");
    ExpectSuccess(Qimhost({"call", "ActiveWindow()"}), "0\n");   // qimhost has no windows
    ExpectSuccess(Qimhost({"call", "GetWindowHandle(\"\", \"No window has this caption\")"}), "0\n");
    // Without a window or an active one these change nothing, but each passes through its
    // descriptor's letters (and, on 32-bit builds, the stack check).
    ExpectSuccess(Qimhost({"call", "KillWindow(0)"}), "0\n");
    ExpectSuccess(Qimhost({"call", "WindowToFront(0)"}), "0\n");
    ExpectSuccess(Qimhost({"call", "ActivateWindow(0)"}), "0\n");
    ExpectSuccess(Qimhost({"call", "WaitTillActive(0)"}), "");
    ExpectSuccess(Qimhost({"call", "AddSysItems(1, 1, 1, 0)"}), "");
    ExpectSuccess(Qimhost({"call", "RemoveSysItems(1, 1, 1, 0)"}), "");
    ExpectSuccess(Qimhost({"call", "QimAPIVersion()"}), "200\n");
    ExpectSuccess(Qimhost({"call", "PlaceCursor(-5, 100000)"}), "");
    ExpectSuccess(Qimhost({"call", "RestrictCursor(10, 20, 300, 400)"}), "");
    ExpectSuccess(Qimhost({"call", "FreeCursor()"}), "");
}

// Texts go in and result strings come out in the script's order of arguments, and GetDriveType
// reaches the C function it exports under its own name.
TEST(QimhostCall, CallsSettingsAndFileExports)
{
    ExpectSuccess(Qimhost({"call", "ReadIni(\"No such section\", \"Key\", \"the default\", \"win.ini\")"}),
                  "the default\n");
    ExpectSuccess(Qimhost({"call", "ReadReg(\"No such key\", \"the default\", \"HKEY_CURRENT_USER\")"}),
                  "the default\n");
    ExpectSuccess(Qimhost({"call", "FindDrive(\"a\", \"windows\\win.ini\")"}), "C\n");
    ExpectSuccess(Qimhost({"call", "GetDriveType(\"C:\\\")"}), "Hard\n");
    ExpectSuccess(Qimhost({"call", "DoesFileExist(\"C:\\windows\\win.ini\")"}), "1\n");
    ExpectSuccess(Qimhost({"call", "FileVersion(\"QIMAPI.dll\")"}), "2.0\n");
    ExpectSuccess(Qimhost({"call", "DisableDiskErrors(1)"}), "");
}

// The box belongs to the qimhost process: it is answered from here by posting the button's command.
// Answers the box of that caption, shown by a qimhost process, by posting the button's command.
std::thread AnswerBox(const std::string &caption, int button)
{
    return std::thread([caption, button] {
        qimapi_test::WaitUntil([&caption, button] {
            HWND box = FindWindowA("#32770", caption.c_str());
            if (!box || !IsWindowVisible(box)) return false;
            PostMessageA(box, WM_COMMAND, button, 0);
            return true;
        }, 10000);
    });
}

TEST(QimhostCall, ReturnsTheNameOfTheButtonPressedInMsgBox)
{
    const char caption[] = "qimhost box 5e1";
    std::thread answer = AnswerBox(caption, IDNO);
    Outcome outcome = Qimhost({"call", std::string("MsgBox(\"Proceed?\", \"") + caption + "\", \"YesNo\", \"Question\", 2)"});
    answer.join();
    ExpectSuccess(outcome, "No\n");
}

TEST(QimhostCall, ShowsTheAboutBoxUntilItIsClosed)
{
    std::thread answer = AnswerBox("Qimmo Utilities", IDOK);
    Outcome outcome = Qimhost({"call", "QimAPIAbout()"});
    answer.join();
    ExpectSuccess(outcome, "");
}

// The text stays on the clipboard from one qimhost process to the next.
TEST(QimhostCall, MovesTextToTheClipboardAndBack)
{
    qimapi_test::ClipboardKeeper keeper;
    ExpectSuccess(Qimhost({"call", "CopyToClipboard(\"from one \"\"host\"\" to the next\")"}), "1\n");
    ExpectSuccess(Qimhost({"call", "CopyFromClipboard()"}), "from one \"host\" to the next\n");
}

// Each refusal on its one line; the host library's tests hold the rest of the cases.
TEST(QimhostCall, RefusesCallsTheirDescriptorsDoNotAllow)
{
    ExpectFixtureRefusals({
        {"Add(1 2)", "malformed call: expected ')' after argument 1"},
        {"Subtract(1, 2)", "unknown function Subtract"},
        {"Add(1)", "Add takes 2 argument(s), not 1"},
        {"Echo(1)", "argument 1 of Echo must be a \"text\""},
        {"Ghost()", "qimhost_fixture.dll describes Ghost but does not export it"},
    });
}

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
