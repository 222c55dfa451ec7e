// The command-line host as a user runs it: what it lists, the help it shows and the calls it
// makes, read back from qimhost.exe started beside QIMAPI.dll and the fixture DLLs.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "common/clipboard_fixtures.h"
#include "common/qimapi_test.h"
#include "frame/descriptor_data.h"
#include "qimhost_child.h"

namespace {

using namespace qimhost_test;

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

}  // namespace
