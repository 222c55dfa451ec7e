// Windows and DOS versions seen by programs that the prefix runs as different Windows versions,
// and the two directories, real and with a failing directory call.
#include "common/qimapi_test.h"

#include <string.h>

#include <string>

using qimapi_test::Dll;
using qimapi_test::ImportPatch;
using qimapi_test::TakeResultString;

namespace {

// Wine reads a program's Windows version from here when the program starts.
const char kProbeDefaults[] = "Software\\Wine\\AppDefaults\\version_probe.exe";

struct VersionCase {
    const char *version;    // as the prefix names it
    const char *reported;   // what the system tells the probe: GetVersion and platform id
    const char *expected;   // IsWinNT|WindowsVersion|DosVersion
};

// Both platforms and the byte patterns of their high words: a DOS version on Win32s and the 9x
// line (3 digits, one digit), a build number on NT (minor of 1, 2 and 3 digits).
const VersionCase kVersions[] = {
    {"win31", "80000a03 0", "0|3.10|128.0"}, {"win95", "c0000004 1", "0|4.0|192.0"},
    {"win98", "c0000a04 1", "0|4.10|192.0"}, {"winme", "c0005a04 1", "0|4.90|192.0"},
    {"nt40", "05650004 2", "1|4.0|5.101"},   {"win2k", "08930005 2", "1|5.0|8.147"},
    {"winxp", "0a280105 2", "1|5.1|10.40"},  {"vista", "17720006 2", "1|6.0|23.114"},
    {"win7", "1db10106 2", "1|6.1|29.177"},  {"win10", "23f00206 2", "1|6.2|35.240"},
};

TEST(Versions, AsProgramsOfEachWindowsVersionSeeThem)
{
    qimapi_test::ScopedRegistryValue probeVersion(HKEY_CURRENT_USER, kProbeDefaults, "Version");
    for (const VersionCase &c : kVersions) {
        ASSERT_TRUE(probeVersion.Set(c.version));
        qimapi_test::ChildOutcome outcome = qimapi_test::RunChild("version_probe.exe", "version_probe.exe", 20000);
        ASSERT_EQ(outcome.status, 0u) << outcome.err;
        EXPECT_EQ(outcome.out, std::string(c.reported) + "|" + c.expected + "\n") << c.version;
    }
}

// The test program itself runs as whatever version the prefix gives by default.
TEST(Versions, InThisProgramAreResultStringsOfItsVersion)
{
    DWORD version = GetVersion();
    EXPECT_EQ(TakeResultString(QIMAPI(WindowsVersion)()),
              std::to_string(version & 0xFF) + "." + std::to_string(version >> 8 & 0xFF));
    EXPECT_EQ(TakeResultString(QIMAPI(DosVersion)()),
              std::to_string(version >> 24) + "." + std::to_string(version >> 16 & 0xFF));
    OSVERSIONINFOA platform = {};
    platform.dwOSVersionInfoSize = sizeof platform;
    ASSERT_TRUE(GetVersionExA(&platform));
    EXPECT_EQ(QIMAPI(IsWinNT)(), platform.dwPlatformId == VER_PLATFORM_WIN32_NT ? 1 : 0);
}

BOOL WINAPI FailVersionQuery(OSVERSIONINFOA *)
{
    return FALSE;
}

TEST(IsWinNT, IsZeroWhenThePlatformCannotBeRead)
{
    ImportPatch patch(Dll(), "kernel32.dll", "GetVersionExA", (void *)FailVersionQuery);
    ASSERT_TRUE(patch.ok());
    EXPECT_EQ(QIMAPI(IsWinNT)(), 0);
}

std::string Directory(UINT (WINAPI *query)(LPSTR, UINT))
{
    char path[MAX_PATH] = "";
    UINT length = query(path, sizeof path);
    EXPECT_TRUE(length > 0 && length < sizeof path);
    return path;
}

bool IsDirectory(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(Directories, AreTheSystemsOwnPathsAsItWritesThem)
{
    std::string windows = TakeResultString(QIMAPI(GetWindowsDir)());
    std::string system = TakeResultString(QIMAPI(GetSystemDir)());
    EXPECT_EQ(windows, Directory(GetWindowsDirectoryA));
    EXPECT_EQ(system, Directory(GetSystemDirectoryA));
    EXPECT_NE(windows, system);
    EXPECT_TRUE(IsDirectory(windows)) << windows;
    EXPECT_TRUE(IsDirectory(system)) << system;
}

// Stand-ins for a directory call, by what they leave in the buffer and what they answer.
UINT WINAPI FailLeavingJunk(LPSTR buffer, UINT size)
{
    memset(buffer, 'x', size);
    return 0;
}
UINT WINAPI NeedMoreRoom(LPSTR, UINT)
{
    return 300;
}
UINT WINAPI NeedMoreRoomLeavingJunk(LPSTR buffer, UINT size)
{
    memset(buffer, 'x', size);   // unterminated
    return size + 1;
}
UINT WINAPI LongestPathThatFits(LPSTR buffer, UINT size)
{
    memset(buffer, 'p', size - 1);
    buffer[size - 1] = '\0';
    return size - 1;
}

TEST(Directories, AreEmptyWhenTheDirectoryCallGivesNoPath)
{
    const struct {
        void *call;
        std::string expected;
    } cases[] = {
        {(void *)FailLeavingJunk, ""},
        {(void *)NeedMoreRoom, ""},
        {(void *)NeedMoreRoomLeavingJunk, ""},
        {(void *)LongestPathThatFits, std::string(254, 'p')},
    };
    for (const auto &c : cases) {
        ImportPatch windows(Dll(), "kernel32.dll", "GetWindowsDirectoryA", c.call);
        ImportPatch system(Dll(), "kernel32.dll", "GetSystemDirectoryA", c.call);
        ASSERT_TRUE(windows.ok() && system.ok());
        EXPECT_EQ(TakeResultString(QIMAPI(GetWindowsDir)()), c.expected);
        EXPECT_EQ(TakeResultString(QIMAPI(GetSystemDir)()), c.expected);
    }
}

}  // namespace
