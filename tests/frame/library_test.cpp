// Unloading the library: a private copy of the DLL is loaded and freed in this program (the
// program's own copy stays as it is), and a child program ends with the DLL still loaded. Either
// way no hook may remain, clicks and key presses pass again and the confinement is lifted.
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "common/input_fixtures.h"

using qimapi_test::ClipSpy;
using qimapi_test::Clicks;
using qimapi_test::Describe;
using qimapi_test::Dll;
using qimapi_test::ExportOf;
using qimapi_test::HookSpy;
using qimapi_test::ImportPatch;
using qimapi_test::KeyPresses;
using qimapi_test::Neutralised;
using qimapi_test::operator+;
using qimapi_test::ProbeRecorder;
using qimapi_test::SameRect;
using qimapi_test::TestWindow;
using qimapi_test::WholeScreen;
using qimapi_test::WindowThread;

namespace {

const RECT kConfinement = {100, 100, 300, 250};

// A file in the temporary folder, deleted with the object.
class TempFile {
public:
    explicit TempFile(const char *name)
    {
        char folder[MAX_PATH];
        EXPECT_TRUE(GetTempPathA(MAX_PATH, folder));
        path_ = std::string(folder) + name + "-" + std::to_string(GetCurrentProcessId());
    }
    ~TempFile() { DeleteFileA(path_.c_str()); }
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;
    const char *path() const { return path_.c_str(); }

private:
    std::string path_;
};

// QIMAPI.dll copied under a name of its own and loaded from there: a module apart from the one
// the other tests of this program use, with its own hook state.
class PrivateCopy {
public:
    PrivateCopy() : file_("qimapi-private-copy.dll")
    {
        char original[MAX_PATH];
        EXPECT_TRUE(GetModuleFileNameA(Dll(), original, MAX_PATH));
        EXPECT_TRUE(CopyFileA(original, file_.path(), FALSE));
        module_ = LoadLibraryA(file_.path());
        EXPECT_TRUE(module_);
        EXPECT_NE(module_, Dll());
    }
    ~PrivateCopy()
    {
        if (module_) FreeLibrary(module_);
    }
    PrivateCopy(const PrivateCopy &) = delete;
    PrivateCopy &operator=(const PrivateCopy &) = delete;
    HMODULE module() const { return module_; }
    int Disable(const char *name) const { return ExportOf<int(WINAPI *)(void)>(module_, name)(); }
    // True when the copy is gone from the program.
    bool Unload()
    {
        FreeLibrary(module_);
        module_ = 0;
        return GetModuleHandleA(file_.path()) == nullptr;
    }

private:
    TempFile file_;
    HMODULE module_ = 0;
};

class LibraryUnload : public testing::Test {
protected:
    void TearDown() override
    {
        QIMAPI(RestoreMouse)();
        ClipCursor(nullptr);
    }
};

struct UnloadCase {
    const char *state;
    std::vector<const char *> disables;
    Neutralised blocked;
};

TEST_F(LibraryUnload, FreeLibraryFromEveryStateRemovesTheHookAndLiftsTheConfinementOnce)
{
    const UnloadCase cases[] = {
        {"nothing called", {}, {}},
        {"mouse blocked", {"DisableMouse"}, Clicks()},
        {"keys blocked", {"DisableKeys"}, KeyPresses()},
        {"both blocked, mouse first", {"DisableMouse", "DisableKeys"}, Clicks() + KeyPresses()},
        {"both blocked, keys first", {"DisableKeys", "DisableMouse"}, Clicks() + KeyPresses()},
    };
    TestWindow active;
    active.ShowActive();
    ProbeRecorder probe(active.hwnd());
    for (const UnloadCase &c : cases) {
        SCOPED_TRACE(c.state);
        PrivateCopy copy;
        ASSERT_TRUE(copy.module());
        HookSpy hooks(copy.module());
        ClipSpy clips(copy.module());
        ASSERT_TRUE(hooks.ok() && clips.ok());
        for (const char *disable : c.disables) EXPECT_EQ(copy.Disable(disable), 1) << disable;
        EXPECT_EQ(probe.Probe(), c.blocked);
        ASSERT_TRUE(ClipCursor(&kConfinement));   // whoever set it, the unload lifts it

        hooks.release();
        clips.release();
        EXPECT_TRUE(copy.Unload());

        if (c.disables.empty()) {
            EXPECT_TRUE(hooks.installs.empty());
            EXPECT_TRUE(hooks.removals.empty());
        } else {
            ASSERT_EQ(hooks.installs.size(), 1u);
            EXPECT_EQ(hooks.removals, std::vector<HHOOK>{hooks.installs[0].hook});
            // Removing the hook again fails if the unload did; a hook left behind would otherwise
            // call into the unloaded copy.
            EXPECT_FALSE(UnhookWindowsHookEx(hooks.installs[0].hook)) << "the hook outlived the library";
        }
        EXPECT_EQ(probe.Probe(), Neutralised{});
        ASSERT_EQ(clips.calls.size(), 1u);
        EXPECT_TRUE(clips.calls[0].noRectangle);
        RECT clip;
        ASSERT_TRUE(GetClipCursor(&clip));
        EXPECT_TRUE(SameRect(clip, WholeScreen())) << Describe(clip);
    }
}

// The hook procedure runs in this process too, on the copy's own hook: the host's unload still
// removes the hook and lifts the confinement.
TEST_F(LibraryUnload, AfterAHookOnAllThreadsTheHostsUnloadStillRemovesItAndLiftsTheConfinement)
{
    TestWindow window("not active");
    ProbeRecorder probe(window.hwnd());
    qimapi_test::DeactivateThread();
    PrivateCopy copy;
    ASSERT_TRUE(copy.module());
    HookSpy hooks(copy.module());
    ClipSpy clips(copy.module());
    ASSERT_TRUE(hooks.ok() && clips.ok());
    EXPECT_EQ(copy.Disable("DisableMouse"), 1);
    ASSERT_EQ(hooks.installs.size(), 1u);
    EXPECT_EQ(hooks.installs[0].thread, 0u);
    EXPECT_EQ(probe.Probe(), Clicks());   // the hook procedure has run here
    ASSERT_TRUE(ClipCursor(&kConfinement));

    hooks.release();
    clips.release();
    EXPECT_TRUE(copy.Unload());
    EXPECT_EQ(hooks.removals, std::vector<HHOOK>{hooks.installs[0].hook});
    EXPECT_EQ(probe.Probe(), Neutralised{});
    ASSERT_EQ(clips.calls.size(), 1u);
    EXPECT_TRUE(clips.calls[0].noRectangle);
}

// The program of the tests' own that takes one message and ends (hook_guest.c), with argument;
// what it said.
std::string RunHookGuest(const std::string &argument)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    folder.resize(folder.rfind('\\') + 1);
    qimapi_test::ChildOutcome guest =
        qimapi_test::RunChild(nullptr, "\"" + folder + "hook_guest.exe\" " + argument, 10000);
    EXPECT_EQ(guest.status, 0u) << guest.err;
    return guest.out;
}

bool SaysLoaded(const std::string &output)
{
    return output.find("QIMAPI.dll loaded") != std::string::npos;
}

// With no active window the hook is one for all threads of the desktop: the system loads the
// library into another program as soon as a thread of it takes a message.
TEST_F(LibraryUnload, AHookOnAllThreadsLoadsTheLibraryIntoAnotherProgramThatTakesAMessage)
{
    EXPECT_FALSE(SaysLoaded(RunHookGuest(""))) << "loaded without a hook";
    qimapi_test::DeactivateThread();
    ASSERT_EQ(QIMAPI(DisableMouse)(), 1);
    EXPECT_TRUE(SaysLoaded(RunHookGuest("")));
    QIMAPI(RestoreMouse)();
}

// The copy in the other program unloads when that program ends (on Windows also when the hook
// goes). Having only run the host's hook, it leaves the host's confinement and hook alone; a copy
// that a script of that program used to block input acts as any host's copy and lifts it.
TEST_F(LibraryUnload, ACopyThatOnlyRanTheHostsHookLeavesItsConfinementAndHookAlone)
{
    const struct {
        const char *argument;
        bool lifts;
    } cases[] = {{"", false}, {"block-keys", true}};
    TestWindow window("not active");
    ProbeRecorder probe(window.hwnd());
    qimapi_test::DeactivateThread();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.argument);
        QIMAPI(RestrictCursor)(kConfinement.left, kConfinement.top, kConfinement.right, kConfinement.bottom);
        ASSERT_EQ(QIMAPI(DisableMouse)(), 1);
        EXPECT_TRUE(SaysLoaded(RunHookGuest(c.argument)));
        RECT clip;
        ASSERT_TRUE(GetClipCursor(&clip));
        EXPECT_TRUE(SameRect(clip, c.lifts ? WholeScreen() : kConfinement)) << Describe(clip);
        EXPECT_EQ(probe.Probe(), Clicks()) << "the host's hook went";
        QIMAPI(RestoreMouse)();
        QIMAPI(FreeCursor)();
    }
}

TEST_F(LibraryUnload, ThreadsThatStartAndEndChangeNothing)
{
    TestWindow active;
    active.ShowActive();
    ProbeRecorder probe(active.hwnd());
    ASSERT_EQ(QIMAPI(DisableMouse)(), 1);
    ASSERT_EQ(QIMAPI(DisableKeys)(), 1);
    QIMAPI(RestrictCursor)(kConfinement.left, kConfinement.top, kConfinement.right, kConfinement.bottom);
    {
        // The DLL's own cursor calls are the evidence: Wine itself now and then lifts a
        // confinement when another thread's window comes and goes (seen once on a clean machine).
        ClipSpy clips(Dll());
        ASSERT_TRUE(clips.ok());
        { WindowThread thread; }   // the loader tells the DLL of its start and end
        EXPECT_TRUE(clips.calls.empty()) << "the DLL changed the confinement";
    }
    EXPECT_EQ(probe.Probe(), Clicks() + KeyPresses());
    QIMAPI(RestoreKeys)();
    QIMAPI(RestoreMouse)();
}

// The child program below records the DLL's hook and cursor calls, up to its very end, as lines
// in the file that kEndLog names.
const char kEndChild[] = "QIMAPI_UNLOAD_AT_END_CHILD";
const char kEndLog[] = "QIMAPI_UNLOAD_AT_END_LOG";
const UINT kEndExitCode = 7;
HANDLE endLog;
ImportPatch *installPatch, *unhookPatch, *clipPatch;

void Log(const std::string &line)
{
    DWORD written;
    std::string text = line + "\n";
    WriteFile(endLog, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string HookName(HHOOK hook)
{
    return std::to_string(reinterpret_cast<UINT_PTR>(hook));
}

HHOOK WINAPI LogInstall(int type, HOOKPROC proc, HINSTANCE module, DWORD thread)
{
    HHOOK hook = installPatch->original<decltype(&SetWindowsHookExA)>()(type, proc, module, thread);
    Log("install " + HookName(hook));
    return hook;
}

BOOL WINAPI LogUnhook(HHOOK hook)
{
    Log("unhook " + HookName(hook));
    return unhookPatch->original<decltype(&UnhookWindowsHookEx)>()(hook);
}

BOOL WINAPI LogClip(const RECT *rect)
{
    Log(rect ? "clip " + Describe(*rect) : "clip none");
    return clipPatch->original<decltype(&ClipCursor)>()(rect);
}

TEST(LibraryUnloadChild, EndsWithBothBlockedAndTheCursorConfined)
{
    if (!getenv(kEndChild)) GTEST_SKIP() << "only as the child program of LibraryUnload.AtTheEnd...";
    endLog = CreateFileA(getenv(kEndLog), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(endLog, INVALID_HANDLE_VALUE);
    TestWindow active;
    active.ShowActive();
    ImportPatch install(Dll(), "user32.dll", "SetWindowsHookExA", (void *)LogInstall);
    ImportPatch unhook(Dll(), "user32.dll", "UnhookWindowsHookEx", (void *)LogUnhook);
    ImportPatch clip(Dll(), "user32.dll", "ClipCursor", (void *)LogClip);
    ASSERT_TRUE(install.ok() && unhook.ok() && clip.ok());
    installPatch = &install;
    unhookPatch = &unhook;
    clipPatch = &clip;
    EXPECT_EQ(QIMAPI(DisableMouse)(), 1);
    EXPECT_EQ(QIMAPI(DisableKeys)(), 1);
    QIMAPI(RestrictCursor)(kConfinement.left, kConfinement.top, kConfinement.right, kConfinement.bottom);
    Log("ending");
    // The recorders stay in place for the unload, which the end of the process brings.
    install.release();
    unhook.release();
    clip.release();
    if (!HasFailure()) ExitProcess(kEndExitCode);
}

std::string ReadFileText(const char *path)
{
    std::string text;
    FILE *file = fopen(path, "rb");
    if (!file) return text;
    char buffer[512];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, got);
    fclose(file);
    return text;
}

TEST_F(LibraryUnload, AtTheEndOfTheProcessRemovesTheHookAndLiftsTheConfinement)
{
    TempFile log("qimapi-unload-at-end.log");
    SetEnvironmentVariableA(kEndLog, log.path());
    DWORD exitCode = qimapi_test::RunThisProgram("LibraryUnloadChild.*", kEndChild);
    SetEnvironmentVariableA(kEndLog, nullptr);
    EXPECT_EQ(exitCode, kEndExitCode);

    const std::string text = ReadFileText(log.path());
    const std::string installed = "install ";
    ASSERT_EQ(text.rfind(installed, 0), 0u) << text;
    const std::string hook = text.substr(installed.size(), text.find('\n') - installed.size());
    EXPECT_NE(hook, "0");
    EXPECT_EQ(text, "install " + hook + "\nclip " + Describe(kConfinement) + "\nending\nunhook " + hook +
                        "\nclip none\n");
    RECT clip;
    ASSERT_TRUE(GetClipCursor(&clip));
    EXPECT_TRUE(SameRect(clip, WholeScreen())) << Describe(clip);
}

}  // namespace
