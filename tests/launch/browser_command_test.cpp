// The browser's command line built from each form of registered browser command, as a table.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "launch/browser_command.h"

namespace {

const std::string k254(254, 'p');   // a program path as long as a registry value can be read
const std::string k255(255, 'p');
const std::string kLongUrl = "http://example.com/" + std::string(300, 'u');

struct Case {
    const char *what;
    std::string browserCommand;
    std::string url;
    std::string expected;
};

const Case kCases[] = {
    {"bare path", "C:\\Web\\browse.exe", "http://a/", "C:\\Web\\browse.exe http://a/"},
    {"quoted path with options: the options go", "\"C:\\Program Files\\Web\\browse.exe\" -nohome -new",
     "http://a/", "\"C:\\Program Files\\Web\\browse.exe\" http://a/"},
    {"quoted placeholder gives way to the URL", "C:\\Web\\browse.exe -new \"%1\"", "http://a/?x=1&y=2",
     "C:\\Web\\browse.exe -new  http://a/?x=1&y=2"},
    {"quoted path and quoted placeholder", "\"C:\\Web\\browse.exe\" \"%1\"", "http://a/", "\"C:\\Web\\browse.exe\" http://a/"},
    {"unquoted placeholder stays", "C:\\Web\\browse.exe %1", "http://a/", "C:\\Web\\browse.exe %1 http://a/"},
    {"opening quote never closed: closed before the URL", "\"C:\\Web\\browse.exe -new", "http://a/",
     "\"C:\\Web\\browse.exe -new\" http://a/"},
    {"quote at the very end", "C:\\Web\\browse.exe\"", "http://a/", "C:\\Web\\browse.exe http://a/"},
    {"only a quote", "\"", "http://a/", "\"\" http://a/"},
    {"two quotes", "\"\"", "http://a/", "\"\" http://a/"},
    {"empty command", "", "http://a/", " http://a/"},
    {"empty URL", "C:\\Web\\browse.exe", "", "C:\\Web\\browse.exe "},
    {"long URL cut at 255 characters", "C:\\Web\\browse.exe", kLongUrl,
     ("C:\\Web\\browse.exe " + kLongUrl).substr(0, 255)},
    {"254 characters: the blank fits, the URL not", k254, "http://a/", k254 + " "},
    {"255 characters: no blank", k255, "http://a/", k255},
    {"longer command cut at 255", k255 + "qqq", "http://a/", k255},
    {"leading quote, then 255 characters", "\"" + k255, "http://a/", "\"" + k254},
    {"URL with a blank: quoted", "C:\\Web\\browse.exe", "http://a/b c", "C:\\Web\\browse.exe \"http://a/b c\""},
    {"URL with a tab: quoted", "C:\\Web\\browse.exe", "http://a/b\tc", "C:\\Web\\browse.exe \"http://a/b\tc\""},
    {"URL's quotes written as %22", "C:\\Web\\browse.exe", "http://a/\"x\" -y",
     "C:\\Web\\browse.exe \"http://a/%22x%22 -y\""},
    {"quoted URL cut with the line", k254, "a b", k254 + " "},
    {"quote beyond the cut is not seen", k254 + "q\"", "http://a/", k254 + "q"},
    {"quote at the cut's last character", k254 + "\"", "http://a/", k254 + " "},
};

TEST(BuildBrowserCommandLine, BuildsEachFormOfBrowserCommand)
{
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.what);
        char line[kBrowserCommandLineSize];
        memset(line, 'x', sizeof line);   // no NUL of its own: the result must bring it
        BuildBrowserCommandLine(c.browserCommand.c_str(), c.url.c_str(), line);
        ASSERT_LE(strnlen(line, sizeof line), kBrowserCommandLineChars);
        EXPECT_EQ(std::string(line), c.expected);
    }
}

TEST(BuildBrowserCommandLine, NeverWritesBeyondItsBuffer)
{
    struct Guarded {
        char line[kBrowserCommandLineSize];
        char guard[16];
    } buffer;
    memset(&buffer, 'x', sizeof buffer);
    const std::string longest(1000, '"');
    BuildBrowserCommandLine((k255 + k255).c_str(), longest.c_str(), buffer.line);
    EXPECT_EQ(std::string(buffer.guard, sizeof buffer.guard), std::string(sizeof buffer.guard, 'x'));
    EXPECT_EQ(std::string(buffer.line), k255);
    BuildBrowserCommandLine("b", longest.c_str(), buffer.line);
    std::string escaped;   // each quote of the URL as %22
    for (size_t i = 0; i < longest.size(); ++i) escaped += "%22";
    EXPECT_EQ(std::string(buffer.line), "b " + escaped.substr(0, 253));
    EXPECT_EQ(std::string(buffer.guard, sizeof buffer.guard), std::string(sizeof buffer.guard, 'x'));
}

}  // namespace
