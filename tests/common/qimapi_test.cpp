#include "common/qimapi_test.h"

#include <stdio.h>
#include <string.h>
#include <tlhelp32.h>

#include <thread>

namespace qimapi_test {

static const char kTestWindowClass[] = "QimapiTestWindow";

TestWindow::TestWindow(const char *title, DWORD style, HWND owner)
{
    static ATOM registered = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.lpszClassName = kTestWindowClass;
        return RegisterClassA(&wc);
    }();
    EXPECT_TRUE(registered);
    hwnd_ = CreateWindowExA(0, kTestWindowClass, title, style, 100, 100, 320, 200, owner, 0,
                            GetModuleHandleA(nullptr), this);
    EXPECT_TRUE(hwnd_);
}

void TestWindow::ShowActive()
{
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    SetActiveWindow(hwnd_);
    Pump();
    EXPECT_EQ(GetActiveWindow(), hwnd_);
}

void TestWindow::Destroy()
{
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    hwnd_ = 0;
    Pump();
}

void DeactivateThread()
{
    SetActiveWindow(0);
    Pump();
    ASSERT_EQ(GetActiveWindow(), nullptr);
}

HWND GoneWindow()
{
    TestWindow window("gone");
    return window.hwnd();
}

static ULONGLONG CreationTime(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// Whether the process was started by the parent. Its parent's id alone does not tell: Wine hands a
// finished process's id out again at once, so a program that an earlier process started (Wine's
// own desktop among them) may name the parent's id as its own parent. A child cannot be older
// than its parent.
static bool StartedBy(HANDLE parent, const PROCESSENTRY32 &entry)
{
    if (entry.th32ParentProcessID != GetProcessId(parent)) return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
    if (!process) return false;   // already gone
    bool younger = CreationTime(process) >= CreationTime(parent);
    CloseHandle(process);
    return younger;
}

std::vector<DWORD> RunningChildren(HANDLE parent)
{
    std::vector<DWORD> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return children;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (StartedBy(parent, entry)) children.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return children;
}

DWORD RunThisProgram(const char *filter, const char *variable, DWORD timeoutMs)
{
    char program[MAX_PATH];
    EXPECT_TRUE(GetModuleFileNameA(nullptr, program, sizeof program));
    std::string command = std::string("\"") + program + "\" --gtest_filter=" + filter;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    SetEnvironmentVariableA(variable, "1");
    BOOL started = StartProcess(nullptr, &command[0], FALSE, &startup, &child);
    SetEnvironmentVariableA(variable, nullptr);
    if (!started) {
        ADD_FAILURE() << "cannot start " << command << ", error " << GetLastError();
        return ~0u;
    }
    if (WaitForSingleObject(child.hProcess, Limit(timeoutMs)) == WAIT_TIMEOUT) {
        TerminateProcess(child.hProcess, ~0u);
        WaitForSingleObject(child.hProcess, 5000);
        ADD_FAILURE() << "the child program did not end: " << command;
    }
    DWORD exitCode = ~0u;
    GetExitCodeProcess(child.hProcess, &exitCode);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return exitCode;
}

// Reads a pipe until every writer has closed it.
static void Drain(HANDLE pipe, std::string *text)
{
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got) text->append(buffer, got);
}

// A pipe one end of which the child inherits as one of its standard handles: the write end for
// its output, the read end for its input.
struct ChildPipe {
    explicit ChildPipe(bool childWrites = true)
    {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        EXPECT_TRUE(CreatePipe(&read, &write, &inherit, 0));
        SetHandleInformation(childWrites ? read : write, HANDLE_FLAG_INHERIT, 0);
    }
    ~ChildPipe()
    {
        CloseRead();
        CloseWrite();
    }
    // Once the child has its copy: the other end sees the pipe end when the child's copy closes.
    void CloseRead()
    {
        if (read) CloseHandle(read);
        read = nullptr;
    }
    void CloseWrite()
    {
        if (write) CloseHandle(write);
        write = nullptr;
    }
    HANDLE read = nullptr;
    HANDLE write = nullptr;
};

// Writes text into a pipe and closes it, so that the reader then sees the end of its input.
static void Feed(HANDLE pipe, std::string text)
{
    DWORD written = 0;
    for (size_t at = 0; at < text.size() && WriteFile(pipe, text.data() + at, static_cast<DWORD>(text.size() - at), &written, nullptr);)
        at += written;
    CloseHandle(pipe);
}

ChildOutcome RunChild(const char *application, std::string commandLine, DWORD timeoutMs, const char *input)
{
    ChildPipe out, err, in(/*childWrites=*/false);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input ? in.read : nullptr;
    startup.hStdOutput = out.write;
    startup.hStdError = err.write;
    PROCESS_INFORMATION child = {};
    ChildOutcome outcome = {~0u, "", ""};
    BOOL started = StartProcess(application, &commandLine[0], TRUE, &startup, &child);
    out.CloseWrite();
    err.CloseWrite();
    in.CloseRead();
    if (!started) {
        ADD_FAILURE() << "cannot start " << commandLine << ", error " << GetLastError();
        return outcome;
    }
    std::thread feeder(Feed, in.write, input ? input : "");
    in.write = nullptr;   // the feeder closes it
    std::thread outReader(Drain, out.read, &outcome.out), errReader(Drain, err.read, &outcome.err);
    timeoutMs = Limit(timeoutMs);
    if (WaitForSingleObject(child.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "did not finish: " << commandLine;
        TerminateProcess(child.hProcess, 99);
        WaitForSingleObject(child.hProcess, timeoutMs);
    }
    feeder.join();
    outReader.join();
    errReader.join();
    GetExitCodeProcess(child.hProcess, &outcome.status);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return outcome;
}

HandleSlots ProbeHandleSlots()
{
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HBRUSH brush = CreateSolidBrush(0);
    CloseHandle(event);
    DeleteObject(brush);
    return {reinterpret_cast<ULONG_PTR>(event), LOWORD(reinterpret_cast<ULONG_PTR>(brush))};
}

static bool KeyExists(HKEY root, const std::string &key)
{
    HKEY opened;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

ScopedRegistryValue::ScopedRegistryValue(HKEY root, const std::string &key, const char *name)
    : root_(root), key_(key), name_(name)
{
    for (size_t end = 0; end != std::string::npos;) {
        end = key.find('\\', end + 1);
        std::string path = key.substr(0, end);
        if (!KeyExists(root, path)) {
            firstMissing_ = path;
            return;
        }
    }
    HKEY opened;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return;
    DWORD size = 0;
    if (RegQueryValueExA(opened, name, nullptr, &savedType_, nullptr, &size) == ERROR_SUCCESS) {
        saved_.resize(size);
        hadValue_ = RegQueryValueExA(opened, name, nullptr, &savedType_, saved_.data(), &size) == ERROR_SUCCESS;
    }
    RegCloseKey(opened);
}

ScopedRegistryValue::~ScopedRegistryValue()
{
    if (!firstMissing_.empty()) {
        // Leaf first: RegDeleteKeyA takes keys without subkeys only.
        std::string path = key_;
        while (RegDeleteKeyA(root_, path.c_str()) == ERROR_SUCCESS && path != firstMissing_)
            path.resize(path.rfind('\\'));   // firstMissing_ is a parent of key_, so one is left
        return;
    }
    HKEY opened;
    if (RegOpenKeyExA(root_, key_.c_str(), 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS) return;
    if (hadValue_) {
        RegSetValueExA(opened, name_.c_str(), 0, savedType_, saved_.data(), static_cast<DWORD>(saved_.size()));
    } else {
        RegDeleteValueA(opened, name_.c_str());
    }
    RegCloseKey(opened);
}

bool ScopedRegistryValue::Set(const char *text)
{
    HKEY opened;
    if (RegCreateKeyExA(root_, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr) != ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExA(opened, name_.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                                 static_cast<DWORD>(strlen(text) + 1));
    RegCloseKey(opened);
    return status == ERROR_SUCCESS;
}

size_t TestWindow::Count(UINT message) const
{
    size_t n = 0;
    for (const SeenMessage &m : seen_) n += m.message == message;
    return n;
}

LRESULT CALLBACK TestWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto *create = reinterpret_cast<CREATESTRUCTA *>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto *self = reinterpret_cast<TestWindow *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && (message >= WM_USER || message == WM_CLOSE || message == WM_NCACTIVATE))
        self->seen_.push_back({message, wParam, lParam});
    if (message >= WM_USER) return static_cast<LRESULT>(lParam ^ 0x5A5A);   // proves who answered
    if (message == WM_CLOSE && self && !self->closes) return 0;
    if (message == WM_NCDESTROY && self) self->hwnd_ = 0;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The wide form with the \\?\ prefix reaches paths longer than MAX_PATH. Names are in the ANSI
// code page, as the A functions that made them take them (bytes above 0x7F among them).
static std::wstring LongPath(const std::string &path)
{
    std::wstring wide(path.size(), L'\0');
    int length = MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), &wide[0],
                                     static_cast<int>(wide.size()));
    wide.resize(length > 0 ? length : 0);
    return L"\\\\?\\" + wide;
}

static std::string AnsiName(const wchar_t *name)
{
    char ansi[MAX_PATH * 2] = "";
    WideCharToMultiByte(CP_ACP, 0, name, -1, ansi, sizeof ansi, nullptr, nullptr);
    return ansi;
}

static DWORD Attributes(const std::string &path)
{
    return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(LongPath(path).c_str());
}

bool IsFile(const std::string &path)
{
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(const std::string &path)
{
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RemovePath(const std::string &path)
{
    DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesW(LongPath(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(LongPath(path).c_str());
        return;
    }
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(LongPath(path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") RemovePath(path + "\\" + AnsiName(found.cFileName));
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(LongPath(path).c_str());
}

GuardedBytes::GuardedBytes(size_t size)
{
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const size_t page = system.dwPageSize, dataPages = (size + page - 1) / page;
    pages_ = static_cast<char *>(VirtualAlloc(nullptr, (dataPages + 1) * page, MEM_COMMIT, PAGE_READWRITE));
    DWORD old;
    EXPECT_TRUE(pages_ && VirtualProtect(pages_ + dataPages * page, page, PAGE_NOACCESS, &old));
    if (pages_) data_ = pages_ + dataPages * page - size;
}

GuardedBytes::~GuardedBytes()
{
    if (pages_) VirtualFree(pages_, 0, MEM_RELEASE);
}

static const char *faultMessage = "";

static LONG WINAPI EndAtFault(EXCEPTION_POINTERS *exception)
{
    fprintf(stderr, "exception 0x%lx: %s\n", static_cast<unsigned long>(exception->ExceptionRecord->ExceptionCode),
            faultMessage);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

void EndProgramAtFault(const char *message)
{
    faultMessage = message;
    SetUnhandledExceptionFilter(EndAtFault);
}

static void **FindImportSlot(HMODULE module, const char *dll, const char *function)
{
    BYTE *base = reinterpret_cast<BYTE *>(module);
    if (!base) return nullptr;
    auto *dos = reinterpret_cast<IMAGE_DOS_HEADER *>(base);
    auto *nt = reinterpret_cast<IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    DWORD rva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    if (!rva) return nullptr;
    for (auto *d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + rva); d->Name; ++d) {
        if (_stricmp(reinterpret_cast<char *>(base + d->Name), dll)) continue;
        auto *names = reinterpret_cast<IMAGE_THUNK_DATA *>(base + d->OriginalFirstThunk);
        auto *slots = reinterpret_cast<IMAGE_THUNK_DATA *>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto *byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData);
            if (!strcmp(reinterpret_cast<char *>(byName->Name), function))
                return reinterpret_cast<void **>(&slots->u1.Function);
        }
    }
    return nullptr;
}

ImportPatch::ImportPatch(HMODULE module, const char *dll, const char *function, void *replacement)
    : slot_(FindImportSlot(module, dll, function))
{
    if (!slot_) return;
    original_ = *slot_;
    Write(replacement);
}

ImportPatch::~ImportPatch()
{
    if (slot_) Write(original_);
}

void ImportPatch::Write(void *value)
{
    DWORD old;
    VirtualProtect(slot_, sizeof value, PAGE_READWRITE, &old);
    *slot_ = value;
    VirtualProtect(slot_, sizeof value, old, &old);
}

}  // namespace qimapi_test
