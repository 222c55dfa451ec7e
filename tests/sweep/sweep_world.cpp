#include "sweep/sweep_world.h"

#include <stdio.h>

#include "common/clipboard_fixtures.h"
#include "launch/launch_fixture.h"

namespace sweep {

const char *DescribeWindow(WindowKind kind)
{
    static const char *const names[] = {"no window", "a window that is gone", "the desktop window",
                                        "a child window", "a window of another process"};
    return names[kind];
}

static const char kForeignClass[] = "QimapiSweepForeign";

HWND ForeignWindow::Get()
{
    if (IsWindow(window_)) return window_;
    End();
    std::string command = "\"" + launch_test::BinFolder() + "sweep_foreign_window.exe\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    EXPECT_TRUE(qimapi_test::StartProcess(nullptr, &command[0], FALSE, &startup, &program_)) << command;
    // Its window is the only one of its class, once the program has made it.
    qimapi_test::WaitUntil([&] {
        window_ = FindWindowA(kForeignClass, nullptr);
        return window_ != 0;
    });
    EXPECT_TRUE(window_) << "the other process's window did not appear";
    return window_;
}

void ForeignWindow::End()
{
    if (!program_.hProcess) return;
    TerminateProcess(program_.hProcess, 0);
    WaitForSingleObject(program_.hProcess, 5000);
    CloseHandle(program_.hProcess);
    CloseHandle(program_.hThread);
    program_ = {};
    window_ = 0;
}

SweepWindows::SweepWindows() : gone_(qimapi_test::GoneWindow()) {}

HWND SweepWindows::TopLevel()
{
    if (!topLevel_ || !IsWindow(topLevel_->hwnd())) {
        topLevel_.reset(new qimapi_test::TestWindow("QIMAPI sweep window"));
        topLevel_->ShowActive();
    }
    return topLevel_->hwnd();
}

HWND SweepWindows::Get(WindowKind kind)
{
    switch (kind) {
    case kNoWindow: return 0;
    case kGoneWindow: return gone_;
    case kDesktopWindow: return GetDesktopWindow();
    case kChildWindow:
        if (!IsWindow(child_) || GetParent(child_) != TopLevel())
            child_ = CreateWindowExA(0, "STATIC", "child", WS_CHILD | WS_VISIBLE, /*x=*/10, /*y=*/10,
                                     /*width=*/50, /*height=*/20, TopLevel(), 0, 0, 0);
        return child_;
    case kForeignWindow: return foreign_.Get();
    default: return 0;
    }
}

void SweepWindows::ReleaseWaiters()
{
    if (topLevel_) SetActiveWindow(topLevel_->hwnd());
    foreign_.End();
}

SweepWindows *SweepWindows::releasing_ = nullptr;

UINT_PTR SweepWindows::ReleaseWaitersSoon()
{
    releasing_ = this;
    return SetTimer(0, 0, /*elapse=*/100, Release);
}

void CALLBACK SweepWindows::Release(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(0, timer);
    if (releasing_) releasing_->ReleaseWaiters();
}

CallBound *CallBound::current_ = nullptr;

CallBound::CallBound(DWORD milliseconds)
    : previousFilter_(SetUnhandledExceptionFilter(Crashed)), bound_(milliseconds), started_(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      ended_(CreateEventA(nullptr, FALSE, FALSE, nullptr)), thread_(CreateThread(nullptr, 0, Watch, this, 0, nullptr))
{
    current_ = this;
}

CallBound::~CallBound()
{
    SetUnhandledExceptionFilter(previousFilter_);
    current_ = nullptr;
    stop_ = true;
    SetEvent(started_);
    SetEvent(ended_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    CloseHandle(started_);
    CloseHandle(ended_);
}

void CallBound::Begin(const std::string &call)
{
    call_ = call;
    SetEvent(started_);
}

void CallBound::End()
{
    SetEvent(ended_);
}

LONG WINAPI CallBound::Crashed(EXCEPTION_POINTERS *exception)
{
    fprintf(stderr, "\nException 0x%08lx in: %s\n",
            static_cast<unsigned long>(exception->ExceptionRecord->ExceptionCode),
            current_ ? current_->call_.c_str() : "?");
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 98);
    return EXCEPTION_EXECUTE_HANDLER;
}

static BOOL CALLBACK AnswerChildBox(HWND window, LPARAM children)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    for (DWORD child : *reinterpret_cast<std::vector<DWORD> *>(children))
        if (child == process) ClickBox(window);
    return TRUE;
}

DWORD WINAPI CallBound::Watch(void *param)
{
    const DWORD kSlice = 250, kPatienceMs = 3000;
    auto *self = static_cast<CallBound *>(param);
    for (;;) {
        WaitForSingleObject(self->started_, INFINITE);
        if (self->stop_) return 0;
        DWORD waited = 0;
        for (; WaitForSingleObject(self->ended_, kSlice) == WAIT_TIMEOUT && waited < self->bound_; waited += kSlice) {
            std::vector<DWORD> children = qimapi_test::RunningChildren();
            if (!children.empty()) EnumWindows(AnswerChildBox, reinterpret_cast<LPARAM>(&children));
            // A call that waits on what it started, which shows no box and does not end, has it
            // closed after a while, as the person at the screen would.
            if (waited >= kPatienceMs) EndStartedPrograms();
        }
        if (waited >= self->bound_) {
            fprintf(stderr, "\nNo return within %lu ms: %s\n", static_cast<unsigned long>(self->bound_),
                    self->call_.c_str());
            fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 99);
        }
    }
}

BoxClicker::BoxClicker() : hook_(SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId()))
{
    EXPECT_TRUE(hook_);
}

BoxClicker::~BoxClicker()
{
    UnhookWindowsHookEx(hook_);
}

// The click is posted, so it comes from the box's own message loop.
void ClickBox(HWND box)
{
    char name[16] = "";
    if (!GetClassNameA(box, name, sizeof name) || lstrcmpA(name, "#32770") != 0) return;
    for (HWND button = FindWindowExA(box, 0, "Button", nullptr); button;
         button = FindWindowExA(box, button, "Button", nullptr)) {
        if (GetWindowLongA(button, GWL_STYLE) & WS_VISIBLE) {
            PostMessageA(button, BM_CLICK, 0, 0);
            return;
        }
    }
}

// By the time a box is activated its dialog procedure has hidden the buttons it does not use.
LRESULT CALLBACK BoxClicker::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) ClickBox(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(0, code, wParam, lParam);
}

// The sweep's process in a job of its own, which every program it starts joins: the job's count
// of running processes tells at once whether there is anything to end, where a list of all the
// system's processes takes a second or more under emulation. 0 where the process cannot join.
static HANDLE SweepJob()
{
    static const HANDLE job = [] {
        HANDLE made = CreateJobObjectA(nullptr, nullptr);
        if (made && !AssignProcessToJobObject(made, GetCurrentProcess())) {
            CloseHandle(made);
            made = 0;
        }
        return made;
    }();
    return job;
}

void JoinSweepJob()
{
    SweepJob();
}

int EndStartedPrograms()
{
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION job = {};
    if (SweepJob() &&
        QueryInformationJobObject(SweepJob(), JobObjectBasicAccountingInformation, &job, sizeof job, nullptr) &&
        job.ActiveProcesses == 1)
        return 0;   // this process alone
    std::vector<DWORD> children = qimapi_test::RunningChildren();
    for (DWORD id : children) {
        HANDLE program = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (!program) continue;
        TerminateProcess(program, 0);
        WaitForSingleObject(program, 5000);
        CloseHandle(program);
    }
    return static_cast<int>(children.size());
}

static bool HoldsAHook(const qimapi_test::HookSpy &hooks)
{
    for (const qimapi_test::HookInstall &install : hooks.installs) {
        bool removed = false;
        for (HHOOK removal : hooks.removals) removed = removed || removal == install.hook;
        if (install.hook && !removed) return true;
    }
    return false;
}

std::string BrokenHostState(qimapi_test::ProbeRecorder *probe, const qimapi_test::HookSpy &hooks)
{
    std::string broken;
    UINT mode = SetErrorMode(0);
    if (mode != 0) broken += "error mode " + std::to_string(mode) + " left; ";
    if (OpenClipboard(0))
        CloseClipboard();
    else
        broken += "clipboard left open; ";
    qimapi_test::Neutralised blocked;
    if (HoldsAHook(hooks)) blocked = probe->Probe();
    if (!blocked.empty()) broken += "input still blocked (" + *blocked.begin() + "...); ";
    RECT clip;
    GetClipCursor(&clip);
    if (!qimapi_test::SameRect(clip, qimapi_test::WholeScreen()))
        broken += "cursor confined to " + qimapi_test::Describe(clip) + "; ";
    return broken;
}

// ---- What the sweep puts back ----

static std::vector<std::string> SubkeyNames(HKEY root)
{
    std::vector<std::string> names;
    char name[256];
    for (DWORD i = 0; RegEnumKeyA(root, i, name, sizeof name) == ERROR_SUCCESS; ++i) names.push_back(name);
    return names;
}

static bool Contains(const std::vector<std::string> &names, const std::string &name)
{
    for (const std::string &known : names)
        if (lstrcmpiA(known.c_str(), name.c_str()) == 0) return true;
    return false;
}

static bool ReadClassesDefault(std::string *value)
{
    char text[1024];
    LONG size = sizeof text;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, nullptr, text, &size) != ERROR_SUCCESS) return false;
    value->assign(text);
    return true;
}

static std::vector<std::string> FolderNames(const std::string &folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

static std::string ReadWholeFile(const std::string &path)
{
    std::string content;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return content;
    char buffer[4096];
    for (DWORD got; ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got;) content.append(buffer, got);
    CloseHandle(file);
    return content;
}

static void WriteWholeFile(const std::string &path, const std::string &content)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    EXPECT_TRUE(file != INVALID_HANDLE_VALUE && WriteFile(file, content.data(), static_cast<DWORD>(content.size()),
                                                          &written, nullptr)) << path;
    CloseHandle(file);
}

static bool IsIniName(const std::string &name)
{
    return name.size() > 4 && lstrcmpiA(name.c_str() + name.size() - 4, ".ini") == 0;
}

UserStateGuard::UserStateGuard()
{
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &screenSaverActive_, 0);
    SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &screenSaverTimeout_, 0);
    char title[1024] = "";
    GetWindowTextA(GetDesktopWindow(), title, sizeof title);
    desktopTitle_ = title;
    desktopStyle_ = GetWindowLongA(GetDesktopWindow(), GWL_STYLE);
    clipboardText_ = qimapi_test::ClipboardText();
    hadClipboardText_ = IsClipboardFormatAvailable(CF_TEXT);
    classesKeys_ = SubkeyNames(HKEY_CLASSES_ROOT);
    hadClassesDefault_ = ReadClassesDefault(&classesDefault_);

    char path[MAX_PATH];
    std::vector<std::string> paths;
    if (GetWindowsDirectoryA(path, MAX_PATH)) paths.push_back(std::string(path) + "\\");
    paths.push_back(qimapi_test::TempFolder());
    if (GetCurrentDirectoryA(MAX_PATH, path)) paths.push_back(std::string(path) + "\\");
    for (const std::string &folder : paths) {
        Folder saved{folder, FolderNames(folder), {}};
        for (const std::string &name : saved.names)
            if (IsIniName(name)) saved.iniFiles.push_back({name, ReadWholeFile(folder + name)});
        folders_.push_back(saved);
    }
}

// Only what changed is put back: a setting put back is announced to every window of the desktop
// (SPIF_SENDCHANGE), and the clipboard's text is handed to X, which under emulation costs seconds.
UserStateGuard::~UserStateGuard()
{
    const UINT toProfile = SPIF_UPDATEINIFILE | SPIF_SENDCHANGE;
    BOOL screenSaverActive = FALSE;
    UINT screenSaverTimeout = 0;
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &screenSaverActive, 0);
    SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &screenSaverTimeout, 0);
    if (screenSaverActive != screenSaverActive_)
        SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, screenSaverActive_, nullptr, toProfile);
    if (screenSaverTimeout != screenSaverTimeout_)
        SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, screenSaverTimeout_, nullptr, toProfile);
    char title[1024] = "";
    GetWindowTextA(GetDesktopWindow(), title, sizeof title);
    if (desktopTitle_ != title) SetWindowTextA(GetDesktopWindow(), desktopTitle_.c_str());
    if (GetWindowLongA(GetDesktopWindow(), GWL_STYLE) != desktopStyle_)
        SetWindowLongA(GetDesktopWindow(), GWL_STYLE, desktopStyle_);
    const bool hasClipboardText = IsClipboardFormatAvailable(CF_TEXT);
    if (hadClipboardText_) {
        if (!hasClipboardText || qimapi_test::ClipboardText() != clipboardText_) qimapi_test::PutText(clipboardText_);
    } else if (hasClipboardText && OpenClipboard(0)) {
        EmptyClipboard();
        CloseClipboard();
    }
    for (const std::string &name : SubkeyNames(HKEY_CLASSES_ROOT))
        if (!Contains(classesKeys_, name)) RegDeleteTreeA(HKEY_CLASSES_ROOT, name.c_str());
    if (hadClassesDefault_)
        RegSetValueA(HKEY_CLASSES_ROOT, nullptr, REG_SZ, classesDefault_.c_str(), 0);
    else
        RegDeleteValueA(HKEY_CLASSES_ROOT, nullptr);
    for (const Folder &folder : folders_) {
        for (const std::string &name : FolderNames(folder.path))
            if (!Contains(folder.names, name)) qimapi_test::RemovePath(folder.path + name);
        for (const auto &ini : folder.iniFiles)
            if (ReadWholeFile(folder.path + ini.first) != ini.second) WriteWholeFile(folder.path + ini.first, ini.second);
    }
}

}  // namespace sweep
