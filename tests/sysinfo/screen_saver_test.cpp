// The user's screen saver state and time-out: changed through the exports, checked through the
// system, the user's profile in the registry and a window that is told; put back after each test.
#include "common/qimapi_test.h"

#include <string>
#include <vector>

using qimapi_test::Dll;
using qimapi_test::ImportPatch;
using qimapi_test::Pump;

namespace {

const UINT kToProfileAndWindows = SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE;

BOOL SaverActive()
{
    BOOL active = -1;
    EXPECT_TRUE(SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0));
    return active;
}

UINT SaverTimeOut()
{
    UINT seconds = 12345;
    EXPECT_TRUE(SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &seconds, 0));
    return seconds;
}

// The setting as the user's profile keeps it.
std::string ProfileValue(const char *name)
{
    char value[64] = "<missing>";
    DWORD size = sizeof value - 1;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(value), &size);
        RegCloseKey(key);
    }
    return value;
}

class ScreenSaver : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedActive_ = SaverActive();
        savedTimeOut_ = SaverTimeOut();
    }
    // Read back as well: Wine keeps the state in the X server, and the reading sends the change
    // there before the program ends.
    void TearDown() override
    {
        SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, savedActive_, nullptr, kToProfileAndWindows);
        SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, savedTimeOut_, nullptr, kToProfileAndWindows);
        EXPECT_EQ(SaverActive(), savedActive_);
        EXPECT_EQ(SaverTimeOut(), savedTimeOut_);
    }

private:
    BOOL savedActive_ = TRUE;
    UINT savedTimeOut_ = 0;
};

TEST_F(ScreenSaver, ActiveReturnsTheStateItReplacedAndWritesTheNewOneToTheProfile)
{
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0));
    const struct {
        int on;
        int expected;      // the state before
        BOOL nowActive;
    } steps[] = {
        {0, 1, FALSE}, {0, 0, FALSE},   // the first switch is taken: the second finds it off
        {5, 0, TRUE},  {-1, 1, TRUE},   // any flag but 0 switches it on
        {1, 1, TRUE},  {0, 1, FALSE},
    };
    for (const auto &step : steps) {
        EXPECT_EQ(QIMAPI(ScreenSaverActive)(step.on), step.expected) << step.on;
        EXPECT_EQ(SaverActive(), step.nowActive) << step.on;
        EXPECT_EQ(ProfileValue("ScreenSaveActive"), step.nowActive ? "1" : "0") << step.on;
    }
}

TEST_F(ScreenSaver, TimeReturnsTheTimeOutItReplacedAndWritesTheNewOneToTheProfile)
{
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, 300, nullptr, 0));
    const struct {
        int seconds;
        int expected;   // the time-out before
    } steps[] = {
        {600, 300}, {300, 600}, {0, 300}, {1, 0}, {-1, 1}, {70000, -1},   // all 32 bits, both ways
    };
    for (const auto &step : steps) {
        EXPECT_EQ(QIMAPI(ScreenSaverTime)(step.seconds), step.expected) << step.seconds;
        EXPECT_EQ(SaverTimeOut(), static_cast<UINT>(step.seconds)) << step.seconds;
        EXPECT_EQ(ProfileValue("ScreenSaveTimeOut"), std::to_string(static_cast<UINT>(step.seconds))) << step.seconds;
    }
}

// Windows learn of each change: a top-level window of the test thread sees the broadcast. Wine
// announces the two queries as well, since they pass the same flags (Windows reads the flags of
// a change only).
std::vector<WPARAM> settingChanges;
LRESULT CALLBACK RecordSettingChange(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTINGCHANGE) settingChanges.push_back(wParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(ScreenSaver, EveryTopLevelWindowIsToldOfTheChange)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = RecordSettingChange;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QimapiSettingListener";
    RegisterClassA(&windowClass);
    HWND listener = CreateWindowExA(0, windowClass.lpszClassName, "listener", WS_OVERLAPPED, 0, 0, 10, 10, 0, 0,
                                    windowClass.hInstance, nullptr);
    ASSERT_TRUE(listener);
    settingChanges.clear();
    QIMAPI(ScreenSaverActive)(1);
    QIMAPI(ScreenSaverTime)(120);
    Pump();
    DestroyWindow(listener);
    UnregisterClassA(windowClass.lpszClassName, windowClass.hInstance);
    EXPECT_EQ(settingChanges, (std::vector<WPARAM>{SPI_GETSCREENSAVEACTIVE, SPI_SETSCREENSAVEACTIVE,
                                                   SPI_GETSCREENSAVETIMEOUT, SPI_SETSCREENSAVETIMEOUT}));
}

// The exact parameters cannot be seen afterwards (the system reads any flag but 0 as on), so
// the calls are recorded on their way to the system.
struct SeenCall {
    UINT action;
    UINT uiParam;
    bool hasValue;
    UINT fWinIni;
    bool operator==(const SeenCall &other) const
    {
        return action == other.action && uiParam == other.uiParam && hasValue == other.hasValue &&
               fWinIni == other.fWinIni;
    }
};
std::ostream &operator<<(std::ostream &out, const SeenCall &call)
{
    return out << "{" << call.action << ", " << call.uiParam << ", " << call.hasValue << ", " << call.fWinIni << "}";
}
std::vector<SeenCall> seenCalls;
ImportPatch *parameters;
bool queriesFail;

BOOL WINAPI RecordParameters(UINT action, UINT uiParam, void *value, UINT fWinIni)
{
    seenCalls.push_back({action, uiParam, value != nullptr, fWinIni});
    if (queriesFail && value) return FALSE;
    return parameters->original<decltype(&SystemParametersInfoA)>()(action, uiParam, value, fWinIni);
}

class ScreenSaverCalls : public ScreenSaver {
protected:
    void SetUp() override
    {
        ScreenSaver::SetUp();
        seenCalls.clear();
        queriesFail = false;
        parameters = &patch_;
        ASSERT_TRUE(patch_.ok());
    }
    void TearDown() override
    {
        parameters = nullptr;
        ScreenSaver::TearDown();
    }

private:
    ImportPatch patch_{Dll(), "user32.dll", "SystemParametersInfoA", (void *)RecordParameters};
};

TEST_F(ScreenSaverCalls, ReadBeforeSettingAndPassTheArgumentAsTheSystemTakesIt)
{
    QIMAPI(ScreenSaverActive)(5);
    QIMAPI(ScreenSaverActive)(0);
    QIMAPI(ScreenSaverTime)(-1);
    const std::vector<SeenCall> expected = {
        {SPI_GETSCREENSAVEACTIVE, 0, true, 3},  {SPI_SETSCREENSAVEACTIVE, 1, false, 3},
        {SPI_GETSCREENSAVEACTIVE, 0, true, 3},  {SPI_SETSCREENSAVEACTIVE, 0, false, 3},
        {SPI_GETSCREENSAVETIMEOUT, 0, true, 3}, {SPI_SETSCREENSAVETIMEOUT, 0xFFFFFFFF, false, 3},
    };
    EXPECT_EQ(seenCalls, expected);
}

TEST_F(ScreenSaverCalls, AnUnreadSettingCountsAsZeroAndTheNewOneIsStillSet)
{
    queriesFail = true;
    EXPECT_EQ(QIMAPI(ScreenSaverActive)(1), 0);
    EXPECT_EQ(QIMAPI(ScreenSaverTime)(450), 0);
    EXPECT_EQ(seenCalls.size(), 4u);
    queriesFail = false;
    EXPECT_TRUE(SaverActive());
    EXPECT_EQ(SaverTimeOut(), 450u);
}

}  // namespace
