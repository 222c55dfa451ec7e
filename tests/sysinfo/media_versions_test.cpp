// Video for Windows and QuickTime versions from the system's media control drivers: Wine's own
// AVI driver, a QuickTime device type served by it for the length of a test, and a stand-in for
// mciSendStringA for the answers no real driver gives.
#include "common/qimapi_test.h"

#include <string.h>

#include <string>

using qimapi_test::Dll;
using qimapi_test::ImportPatch;
using qimapi_test::ProbeHandleSlots;
using qimapi_test::TakeResultString;

namespace {

// The driver's answer as the test program asks for it itself, or "error N".
std::string AskDriver(const char *command)
{
    char answer[260] = "";
    MCIERROR error = mciSendStringA(command, answer, 250, 0);
    return error ? "error " + std::to_string(error) : answer;
}

TEST(VfwVersion, IsTheAviDriversAnswer)
{
    std::string answer = AskDriver("info AVIVideo version");
    ASSERT_EQ(answer.rfind("error", 0), std::string::npos) << "no AVIVideo driver: " << answer;
    EXPECT_EQ(TakeResultString(QIMAPI(VfwVersion)()), answer);
}

// Where Wine looks up the driver of an MCI device type.
const char kMciDrivers[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\MCI";

// One test, so that no other test of QtVersion runs while the driver serves QTWVideo.
TEST(QtVersion, IsZeroWithoutADriverAndTheDriversAnswerWithOne)
{
    ASSERT_EQ(AskDriver("info QTWVideo version").rfind("error ", 0), 0u) << "a QTWVideo driver is installed";
    EXPECT_EQ(TakeResultString(QIMAPI(QtVersion)()), "0");

    qimapi_test::ScopedRegistryValue quickTimeDriver(HKEY_LOCAL_MACHINE, kMciDrivers, "QTWVideo");
    ASSERT_TRUE(quickTimeDriver.Set("mciavi32.dll"));   // Wine's AVI driver
    std::string answer = AskDriver("info QTWVideo version");
    ASSERT_EQ(answer.rfind("error", 0), std::string::npos) << answer;
    EXPECT_EQ(TakeResultString(QIMAPI(QtVersion)()), answer);
}

// A stand-in driver: records the call and answers as the case says.
struct FakeAnswer {
    MCIERROR error;
    std::string text;   // written with its NUL, cut to the room offered
    bool terminated;    // false: the whole room is filled, no NUL
};
FakeAnswer fake;
std::string seenCommand;
UINT seenRoom;
HWND seenCallback;

MCIERROR WINAPI FakeMciSendString(LPCSTR command, LPSTR answer, UINT room, HWND callback)
{
    seenCommand = command;
    seenRoom = room;
    seenCallback = callback;
    if (fake.terminated) {
        lstrcpynA(answer, fake.text.c_str(), room);
    } else {
        memset(answer, 'u', room);
    }
    return fake.error;
}

TEST(MediaVersions, PassTheDriversAnswerOnAndAnyErrorAsZero)
{
    const struct {
        FakeAnswer answer;
        std::string expected;
    } cases[] = {
        {{0, "", true}, ""},                          // even an empty answer is the answer
        {{0, "not a number", true}, "not a number"},
        {{0, std::string(249, 'v'), true}, std::string(249, 'v')},   // the longest that fits
        {{0, std::string(400, 'w'), true}, std::string(249, 'w')},   // cut as the system cuts it
        {{0, "", false}, std::string(250, 'u')},      // an unterminated answer ends at the room offered
        {{MCIERR_INVALID_DEVICE_NAME, "", true}, "0"},
        {{MCIERR_PARAM_OVERFLOW, "junk", true}, "0"},
        {{MCIERR_PARAM_OVERFLOW, "", false}, "0"},
    };
    ImportPatch patch(Dll(), "winmm.dll", "mciSendStringA", (void *)FakeMciSendString);
    ASSERT_TRUE(patch.ok());
    for (const auto &c : cases) {
        fake = c.answer;
        EXPECT_EQ(TakeResultString(QIMAPI(VfwVersion)()), c.expected) << c.answer.text;
        EXPECT_EQ(seenCommand, "info AVIVideo version");
        EXPECT_EQ(TakeResultString(QIMAPI(QtVersion)()), c.expected) << c.answer.text;
        EXPECT_EQ(seenCommand, "info QTWVideo version");
        EXPECT_EQ(seenRoom, 250u);
        EXPECT_EQ(seenCallback, nullptr);
    }
}

TEST(MediaVersions, LeaveNoDeviceOrHandleOpen)
{
    auto callAll = [] {
        TakeResultString(QIMAPI(VfwVersion)());
        TakeResultString(QIMAPI(QtVersion)());
    };
    callAll();   // loads the drivers, which stay loaded
    qimapi_test::HandleSlots before = ProbeHandleSlots();
    for (int i = 0; i < 10; ++i) callAll();
    EXPECT_EQ(AskDriver("sysinfo all quantity open"), "0");
    EXPECT_EQ(ProbeHandleSlots(), before);
}

}  // namespace
