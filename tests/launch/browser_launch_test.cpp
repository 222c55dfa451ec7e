// URLs opened through registrations that the test puts in place of the prefix's own: an "http"
// handler and the two known ".htm" classes, each starting the recorder, so that the command line
// and show state of the browser that was started can be read back.
#include "common/qimapi_test.h"
#include "launch/launch_fixture.h"

#include <shellapi.h>

#include <string>
#include <vector>

using launch_test::ClassesKey;
using launch_test::CommandOfLength;
using launch_test::QuotedRecorder;
using launch_test::Record;
using launch_test::RecorderPath;
using launch_test::Recordings;
using launch_test::SetClassesData;
using launch_test::SetClassesValue;
using launch_test::TempFile;

namespace {

const char kHttpCommand[] = "http\\shell\\open\\command";
const char kHtmlFileCommand[] = "htmlfile\\shell\\open\\command";
const char kNetscapeServer[] = "NetscapeMarkup\\protocol\\StdFileEditing\\server";
const char kUrl[] = "http://example.com/page?a=1&b=2";

struct StateCase {
    const char *state;
    int show;
};
// The launch table, as OpenFile and RunProgram read it.
const StateCase kStates[] = {
    {"Maximised", SW_SHOWMAXIMIZED}, {"HIDDEN", SW_HIDE}, {"", SW_SHOW}, {"Restored", SW_SHOW},
};

// The prefix's browser registrations set aside: none of the keys exists until a test makes it.
class Browser : public testing::Test {
protected:
    // Opens url, expecting the result 1 and one program started, and returns its record.
    Record OpenOne(const std::string &url, const char *state)
    {
        EXPECT_EQ(QIMAPI(OpenURL)(url.c_str(), state), 1);
        std::vector<Record> records = recordings_.Wait();
        EXPECT_EQ(records.size(), 1u);
        return records.empty() ? Record() : records.front();
    }
    // Opens url, expecting the result 0 and no program started.
    void OpenNone(const std::string &url)
    {
        EXPECT_EQ(QIMAPI(OpenURL)(url.c_str(), "Normal"), 0);
        EXPECT_EQ(recordings_.Wait().size(), 0u) << "started a program";
    }

    ClassesKey http_{"http"}, htm_{".htm"}, htmlFile_{"htmlfile"}, netscape_{"NetscapeMarkup"};
    Recordings recordings_;
};

TEST_F(Browser, OpensThroughTheHttpHandlerFirstWithTheWholeUrl)
{
    SetClassesValue(kHttpCommand, QuotedRecorder() + " http \"%1\"");
    SetClassesValue(".htm", "htmlfile");
    SetClassesValue(kHtmlFileCommand, QuotedRecorder() + " htm \"%1\"");
    const std::string longUrl = std::string(kUrl) + "&c=" + std::string(400, 'x');
    for (const StateCase &c : kStates) {
        SCOPED_TRACE(c.state);
        Record record = OpenOne(longUrl, c.state);
        EXPECT_EQ(record.commandLine, QuotedRecorder() + " http \"" + longUrl + "\"");
        EXPECT_EQ(record.show, c.show);
    }
}

// The value buffer reads at most 254 characters; a longer handler is a handler all the same, and
// the shell reads its command itself. (Wine's shell reads at most 255: one more is all it shows.)
TEST_F(Browser, TakesAnHttpHandlerWhoseCommandIsLongerThanWhatIsRead)
{
    const std::string handler = CommandOfLength(QuotedRecorder() + " http", " \"%1\"", 255);
    SetClassesValue(kHttpCommand, handler);
    std::string expected = handler;
    EXPECT_EQ(OpenOne(kUrl, "Normal").commandLine, expected.replace(expected.find("%1"), 2, kUrl));
}

TEST_F(Browser, FallsBackToTheHtmlfileBrowserWhenTheHttpHandlerFailsOrIsEmpty)
{
    SetClassesValue(".htm", "htmlfile");
    SetClassesValue(kHtmlFileCommand, QuotedRecorder() + " -nohome \"%1\"");
    const std::string expected = QuotedRecorder() + " " + kUrl;   // the path as quoted, its options dropped
    for (const char *handler : {"\"C:\\no such browser.exe\" \"%1\"", ""}) {
        SCOPED_TRACE(handler);
        SetClassesValue(kHttpCommand, handler);
        for (const StateCase &c : kStates) {
            SCOPED_TRACE(c.state);
            Record record = OpenOne(kUrl, c.state);
            EXPECT_EQ(record.commandLine, expected);
            EXPECT_EQ(record.show, c.show);
        }
    }
}

TEST_F(Browser, TakesTheNetscapeMarkupServerWhateverTheCaseOfItsName)
{
    SetClassesValue(kNetscapeServer, RecorderPath() + " -remote");
    SetClassesValue(kHtmlFileCommand, QuotedRecorder() + " htmlfile \"%1\"");   // never taken here
    for (const char *className : {"NetscapeMarkup", "NETSCAPEMARKUP", "netscapemarkup"}) {
        SCOPED_TRACE(className);
        SetClassesValue(".htm", className);
        EXPECT_EQ(OpenOne(kUrl, "Normal").commandLine, RecorderPath() + " -remote " + kUrl);
    }
}

// The four usual forms of a registered browser command, end to end; the builder's own table
// has the rest.
TEST_F(Browser, BuildsTheBrowserCommandLineFromEachFormOfCommand)
{
    const std::string path = RecorderPath();
    const struct {
        std::string command;
        std::string expected;
    } cases[] = {
        {path, path + " " + kUrl},
        {"\"" + path + "\" -new-window -nohome", "\"" + path + "\" " + kUrl},
        {path + " -new \"%1\"", path + " -new  " + kUrl},
        {path + " %1", path + " %1 " + kUrl},
    };
    SetClassesValue(".htm", "htmlfile");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.command);
        SetClassesValue(kHtmlFileCommand, c.command);
        EXPECT_EQ(OpenOne(kUrl, "Normal").commandLine, c.expected);
    }
}

// The arguments of a command line as a program's startup code splits them.
std::vector<std::string> Arguments(const std::string &commandLine)
{
    std::vector<std::string> arguments;
    int count = 0;
    std::wstring wide(commandLine.begin(), commandLine.end());
    LPWSTR *split = CommandLineToArgvW(wide.c_str(), &count);
    for (int i = 0; split && i < count; ++i) arguments.emplace_back(split[i], split[i] + wcslen(split[i]));
    LocalFree(split);
    return arguments;
}

// A quoted program path with blanks reaches the system quoted: the browser starts, not a program
// named by the path's first word ("Program.exe" stands beside "Program Files" here). The URL is
// the browser's one argument, its blanks and quotes included.
TEST_F(Browser, StartsTheQuotedBrowserWithTheUrlAsOneArgument)
{
    TempFile planted("Program.exe", "");
    ASSERT_TRUE(CopyFileA(RecorderPath().c_str(), planted.path().c_str(), FALSE));
    const std::string folder = planted.folder() + "\\Program Files";
    const std::string browser = folder + "\\rec.exe";
    struct Cleanup {
        std::string folder;
        ~Cleanup() { qimapi_test::RemovePath(folder); }
    } cleanup{folder};
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA(RecorderPath().c_str(), browser.c_str(), FALSE));
    SetClassesValue(".htm", "htmlfile");
    SetClassesValue(kHtmlFileCommand, "\"" + browser + "\" \"%1\"");
    const struct {
        std::string url;
        std::string argument;
    } cases[] = {
        {kUrl, kUrl},
        {"http://example.com/a b?q=\"x\" -y", "http://example.com/a b?q=%22x%22 -y"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.url);
        Record record = OpenOne(c.url, "Normal");
        EXPECT_EQ(lstrcmpiA(record.program.c_str(), browser.c_str()), 0) << record.program << " ran";
        EXPECT_EQ(Arguments(record.commandLine), (std::vector<std::string>{browser, c.argument}));
    }
}

TEST_F(Browser, CutsALongUrlOnlyWhereItBuildsTheCommandLine)
{
    SetClassesValue(".htm", "htmlfile");
    SetClassesValue(kHtmlFileCommand, QuotedRecorder() + " \"%1\"");
    const std::string longUrl = std::string(kUrl) + "&c=" + std::string(400, 'x');
    EXPECT_EQ(OpenOne(longUrl, "Normal").commandLine, (QuotedRecorder() + " " + longUrl).substr(0, 255));
}

// Wine's ShellExecuteA overruns a buffer of its own on URLs of about 1,000 characters.
TEST_F(Browser, SendsAUrlTooLongForTheShellToTheHtmBrowserCut)
{
    SetClassesValue(kHttpCommand, QuotedRecorder() + " --http \"%1\"");
    SetClassesValue(".htm", "htmlfile");
    SetClassesValue(kHtmlFileCommand, QuotedRecorder() + " \"%1\"");
    const std::string head = std::string(kUrl) + "&c=";
    const std::string longest = head + std::string(899 - head.size(), 'x');
    EXPECT_EQ(OpenOne(longest, "Normal").commandLine, QuotedRecorder() + " --http \"" + longest + "\"")
        << "a URL of 899 characters goes to the http handler whole";
    for (size_t length : {900, 1048576}) {
        const std::string url = head + std::string(length - head.size(), 'x');
        EXPECT_EQ(OpenOne(url, "Normal").commandLine, (QuotedRecorder() + " " + url).substr(0, 255));
    }
}

// A browser command is read whole or not at all: one cut at 254 characters might name another
// program.
TEST_F(Browser, TakesABrowserCommandOfUpTo254Characters)
{
    SetClassesValue(".htm", "htmlfile");
    SetClassesValue(kHtmlFileCommand, CommandOfLength(QuotedRecorder(), " \"%1\"", 254));
    EXPECT_EQ(OpenOne(kUrl, "Normal").commandLine, QuotedRecorder() + " " + kUrl);
    SetClassesValue(kHtmlFileCommand, CommandOfLength(QuotedRecorder(), " \"%1\"", 255));
    OpenNone(kUrl);
}

// The reads share one buffer, and each text ends where the bytes read end: a value stored without
// its NUL (here as bytes of another type, which Wine hands over unterminated) or with no bytes at
// all does not end with the tail of the longer value read before it.
TEST_F(Browser, EachRegistryReadEndsWhereItsBytesEnd)
{
    // A handler that fails, read first and longer than the values after it.
    SetClassesValue(kHttpCommand, CommandOfLength("\"C:\\no such browser.exe\"", " \"%1\"", 200));
    SetClassesData(".htm", REG_BINARY, "htmlfile");
    SetClassesValue(kHtmlFileCommand, QuotedRecorder() + " \"%1\"");
    EXPECT_EQ(OpenOne(kUrl, "Normal").commandLine, QuotedRecorder() + " " + kUrl);

    // A browser command without bytes names no browser, and the class name read before it is no
    // program either, though one of that name stands in the current folder.
    TempFile htmlFileProgram("htmlfile.exe", "");
    ASSERT_TRUE(CopyFileA(RecorderPath().c_str(), htmlFileProgram.path().c_str(), FALSE));
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof folder, folder);
    ASSERT_TRUE(SetCurrentDirectoryA(htmlFileProgram.folder().c_str()));
    SetClassesValue(".htm", "htmlfile");
    SetClassesData(kHtmlFileCommand, REG_SZ, "");
    OpenNone(kUrl);
    SetCurrentDirectoryA(folder);
}

TEST_F(Browser, GivesZeroAndStartsNothingWithoutAKnownHtmClass)
{
    ClassesKey otherClass("QimapiOtherBrowser");
    SetClassesValue("QimapiOtherBrowser\\shell\\open\\command", QuotedRecorder() + " \"%1\"");
    SetClassesValue(kHtmlFileCommand, QuotedRecorder() + " \"%1\"");
    SetClassesValue(kNetscapeServer, RecorderPath());
    OpenNone(kUrl);   // no ".htm" at all
    for (const char *className : {"QimapiOtherBrowser", "", "htmlfile ", "Netscape"}) {
        SCOPED_TRACE(className);
        SetClassesValue(".htm", className);
        OpenNone(kUrl);
    }
}

TEST_F(Browser, GivesZeroWhenTheBrowserCannotStart)
{
    SetClassesValue(".htm", "htmlfile");
    SetClassesValue(kHtmlFileCommand, "\"C:\\no such browser.exe\" \"%1\"");
    OpenNone(kUrl);
}

// A class whose browser command is missing or empty names no browser. The class name itself is
// no program to start either, even where a program of that name would be found: one stands in
// the current folder here.
TEST_F(Browser, GivesZeroAndStartsNothingWithoutABrowserCommand)
{
    TempFile htmlFileProgram("htmlfile.exe", "");
    TempFile netscapeProgram("NetscapeMarkup.exe", "");
    ASSERT_TRUE(CopyFileA(RecorderPath().c_str(), htmlFileProgram.path().c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(RecorderPath().c_str(), netscapeProgram.path().c_str(), FALSE));
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof folder, folder);
    const struct {
        const char *className;
        const char *commandKey;
        const TempFile &program;
    } cases[] = {
        {"htmlfile", kHtmlFileCommand, htmlFileProgram},
        {"NetscapeMarkup", kNetscapeServer, netscapeProgram},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.className);
        ASSERT_TRUE(SetCurrentDirectoryA(c.program.folder().c_str()));
        SetClassesValue(".htm", c.className);
        OpenNone(kUrl);   // the class has no key of that name
        SetClassesValue(c.commandKey, "");
        OpenNone(kUrl);
        SetCurrentDirectoryA(folder);
    }
}

}  // namespace
