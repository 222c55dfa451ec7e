// Every function's example in the manual, run through qimhost chapter by chapter (those of the
// cursor, mouse and keys in examples_input_test.cpp), with what each chapter's examples change
// for the user put back.
#include "common/clipboard_fixtures.h"
#include "common/qimapi_test.h"
#include "frame/example_runner.h"
#include "frame/product_file.h"
#include "launch/launch_fixture.h"

#include <set>
#include <string>

namespace {

const char *const kChapters[] = {"frame", "window", "sysinfo", "settings", "files", "launch", "input", "clipboard"};

TEST(Examples, EveryExportHasOne)
{
    std::set<std::string> examples;
    for (const char *chapter : kChapters)
        for (const std::string &name : examples::ExamplesOf(chapter)) examples.insert(name);
    std::set<std::string> exports;
    for (const auto &[name, ordinal] : qimapi_test::ProductExports()) exports.insert(name);
    EXPECT_EQ(exports.size(), 53u);
    EXPECT_EQ(examples, exports);
}

TEST(Examples, Library)
{
    examples::RunChapter("frame");
}

TEST(Examples, Windows)
{
    examples::RunChapter("window");
}

// The screen saver examples put back what they changed; should one fail halfway, this does.
TEST(Examples, SystemInformation)
{
    BOOL saverActive = TRUE;
    UINT saverTimeOut = 0;
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &saverActive, 0);
    SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &saverTimeOut, 0);
    examples::RunChapter("sysinfo");
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, saverActive, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
    SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, saverTimeOut, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
}

// The key and the INI file that the examples write.
void RemoveExampleSettings()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QIMAPI example");
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, sizeof windows);
    DeleteFileA((std::string(windows) + "\\qimapi_example.ini").c_str());
}

TEST(Examples, Settings)
{
    RemoveExampleSettings();
    examples::RunChapter("settings");
    RemoveExampleSettings();
}

TEST(Examples, Files)
{
    examples::RunChapter("files");
}

// Web addresses go to a program that ends at once, not to a browser of this machine.
TEST(Examples, Launching)
{
    launch_test::ClassesKey http("http");
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, sizeof system);
    launch_test::SetClassesValue("http\\shell\\open\\command", "\"" + std::string(system) + "\\cmd.exe\" /c exit");
    examples::RunChapter("launch");
}

TEST(Examples, Clipboard)
{
    qimapi_test::ClipboardKeeper keeper;
    examples::RunChapter("clipboard");
}

}  // namespace
