// What the tests share: the DLL loaded as the host loads it, its exports by name, result
// strings taken over as the host takes them, real windows, and import patching for the few
// call-level facts that cannot be observed otherwise.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "frame/qimapi.h"

namespace qimapi_test {

inline HMODULE Dll()
{
    static HMODULE dll = LoadLibraryA("QIMAPI.dll");
    return dll;
}

// An export found by name in a loaded copy of the DLL, typed after its declaration in qimapi.h.
template <class Fn>
Fn ExportOf(HMODULE dll, const char *name)
{
    FARPROC address = dll ? GetProcAddress(dll, name) : nullptr;
    EXPECT_TRUE(address) << "QIMAPI.dll does not export " << name;
    return reinterpret_cast<Fn>(reinterpret_cast<void *>(address));
}
template <class Fn>
Fn Export(const char *name)
{
    return ExportOf<Fn>(Dll(), name);
}
#define QIMAPI(name) ::qimapi_test::Export<decltype(&::name)>(#name)
// The same from another loaded copy of the DLL.
#define QIMAPI_OF(dll, name) ::qimapi_test::ExportOf<decltype(&::name)>(dll, #name)
// An export whose C function has another name, because <windows.h> declares the export's own.
#define QIMAPI_AS(name, function) ::qimapi_test::Export<decltype(&::function)>(#name)

// Takes over a result string as the host does, after checking the block's promises: movable,
// unlocked, exactly the text's length plus one byte. Returns the text and frees the block.
inline std::string TakeResultString(HGLOBAL block)
{
    EXPECT_TRUE(block) << "no result string";
    if (!block) return "";
    EXPECT_EQ(GlobalFlags(block) & GMEM_LOCKCOUNT, 0u) << "result string returned locked";
    const char *text = static_cast<const char *>(GlobalLock(block));
    EXPECT_NE(static_cast<const void *>(text), static_cast<void *>(block)) << "block is fixed";
    std::string result = text ? text : "";
    EXPECT_EQ(GlobalSize(block), result.size() + 1);
    GlobalUnlock(block);
    GlobalFree(block);
    return result;
}

// The lengths every text argument is tried at: empty, around the 255-character buffers, past
// MAX_PATH, and past 65,535 (not a multiple of 65,536, which Wine's A functions take as empty).
const size_t kTextLengths[] = {0, 254, 255, 256, 260, 70000};

// A text of n characters, the letters a to z over and over, so that a cut shows where it fell.
inline std::string Letters(size_t n)
{
    std::string text(n, 'a');
    for (size_t i = 0; i < n; ++i) text[i] = static_cast<char>('a' + i % 26);
    return text;
}

// A name no other test process uses: stem, this process's id, its start time (Wine soon gives a
// process id again) and a count.
inline std::string UniqueName(const char *stem)
{
    static const DWORD start = GetTickCount();
    static int count;
    return std::string(stem) + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(start) + "-" +
           std::to_string(++count);
}

// The temporary folder, ending in a backslash.
inline std::string TempFolder()
{
    char folder[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, folder);
    return folder;
}

// The whole content of a file; "" when it cannot be read.
inline std::string ReadFileText(const std::string &path)
{
    std::string text;
    FILE *file = fopen(path.c_str(), "rb");
    if (!file) return text;
    char buffer[4096];
    for (size_t read; (read = fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, read);
    fclose(file);
    return text;
}

// Whether a file or folder of this absolute path (of any length) exists; "file" or "folder".
bool IsFile(const std::string &path);
bool IsFolder(const std::string &path);

// Deletes a file, or a folder with everything in it, by an absolute path of any length.
void RemovePath(const std::string &path);

// Dispatches everything waiting in the thread's queue.
inline void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// How many times longer than natively the tests may take here: QIMAPI_TIME_FACTOR, set where the
// tests run under full-system emulation; 1 when unset.
inline DWORD TimeFactor()
{
    char text[16] = "";
    DWORD length = GetEnvironmentVariableA("QIMAPI_TIME_FACTOR", text, sizeof text);
    int factor = length && length < sizeof text ? atoi(text) : 1;
    return factor > 1 ? factor : 1;
}

// A time limit in milliseconds, scaled by TimeFactor().
inline DWORD Limit(DWORD ms) { return ms * TimeFactor(); }

// Checks a condition every 10 ms until it holds or timeoutMs (scaled) have passed; true if it held.
template <class Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs = 4000)
{
    timeoutMs = Limit(timeoutMs);
    for (DWORD waited = 0;; waited += 10) {
        if (condition()) return true;
        if (waited >= timeoutMs) return false;
        Sleep(10);
    }
}

// Leaves the test thread without an active window.
void DeactivateThread();

// The handle of a window that existed and is gone: no window, yet not 0. Destroying it
// dispatches the messages waiting for the thread.
HWND GoneWindow();

// CreateProcessA without security attributes, flags, environment or folder of its own, tried
// again when Wine answers ERROR_INTERNAL_ERROR: seen once in several hundred starts under a
// parallel test run, while the same start succeeds a moment later.
inline BOOL StartProcess(const char *application, char *commandLine, BOOL inheritHandles,
                         STARTUPINFOA *startup, PROCESS_INFORMATION *child)
{
    for (int attempt = 1;; ++attempt) {
        if (CreateProcessA(application, commandLine, nullptr, nullptr, inheritHandles, 0, nullptr, nullptr,
                           startup, child))
            return TRUE;
        if (GetLastError() != ERROR_INTERNAL_ERROR || attempt == 3) return FALSE;
        Sleep(100);
    }
}

// The ids of the programs that the parent process, this one unless named, started and that still
// run. Keep the parent's handle open meanwhile: its id may be given again once it is gone.
std::vector<DWORD> RunningChildren(HANDLE parent = GetCurrentProcess());

// Runs this test program again as a child process, with only the tests that filter names and with
// the environment variable set (the child tests skip themselves without it). Its exit code; ends
// the child and fails the test if it runs longer than timeoutMs (scaled).
DWORD RunThisProgram(const char *filter, const char *variable, DWORD timeoutMs = 30000);

// What a child program left: its exit status (~0 when it could not be started) and all it
// wrote to its standard output and standard error.
struct ChildOutcome {
    DWORD status;
    std::string out;
    std::string err;
};

// Runs a program with its standard output and error read through pipes and waits for it at
// most timeoutMs (scaled), ending it (and failing the test) if it takes longer. With input, the program
// reads that text from its standard input, which then ends; without, it has no standard input.
ChildOutcome RunChild(const char *application, std::string commandLine, DWORD timeoutMs,
                      const char *input = nullptr);

// Where the next kernel handle and the next GDI object would go. Wine hands out the lowest free
// slot of each table, so a call that leaves a handle, device context or GDI object behind moves
// the probe and one that releases everything does not (GetProcessHandleCount and
// GetGuiResources answer 0 under Wine and cannot show it).
struct HandleSlots {
    ULONG_PTR kernel;
    WORD gdi;   // the low 16 bits; the high ones count the slot's generations
    bool operator==(const HandleSlots &other) const { return kernel == other.kernel && gdi == other.gdi; }
};
HandleSlots ProbeHandleSlots();
inline std::ostream &operator<<(std::ostream &out, const HandleSlots &slots)
{
    return out << "kernel slot " << slots.kernel << ", GDI slot " << slots.gdi;
}

// Sets a registry value for the life of the object, then puts back what was there before: the
// old value, no value, or no key (with the parent keys the object had to create).
class ScopedRegistryValue {
public:
    ScopedRegistryValue(HKEY root, const std::string &key, const char *name);
    ~ScopedRegistryValue();
    ScopedRegistryValue(const ScopedRegistryValue &) = delete;
    ScopedRegistryValue &operator=(const ScopedRegistryValue &) = delete;
    bool Set(const char *text);

private:
    HKEY root_;
    std::string key_;
    std::string name_;
    std::string firstMissing_;   // the outermost key of the path that did not exist, or ""
    bool hadValue_ = false;
    DWORD savedType_ = REG_NONE;
    std::vector<BYTE> saved_;
};

struct SeenMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A real top-level window of the test thread that records the messages at or above WM_USER and
// WM_CLOSE, WM_NCACTIVATE, and may refuse to close.
class TestWindow {
public:
    explicit TestWindow(const char *title = "QIMAPI test window", DWORD style = WS_OVERLAPPEDWINDOW,
                        HWND owner = 0);
    ~TestWindow() { Destroy(); }
    TestWindow(const TestWindow &) = delete;
    TestWindow &operator=(const TestWindow &) = delete;

    HWND hwnd() const { return hwnd_; }
    // Shows the window and makes it the test thread's active window.
    void ShowActive();
    void Destroy();
    const std::vector<SeenMessage> &seen() const { return seen_; }
    size_t Count(UINT message) const;
    bool closes = true;   // false: WM_CLOSE is ignored, as a window that asks first may do

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = 0;
    std::vector<SeenMessage> seen_;
};

// Bytes whose last one lies right before a page that cannot be read, so that a read past them
// faults; freed with the object.
class GuardedBytes {
public:
    explicit GuardedBytes(size_t size);
    ~GuardedBytes();
    GuardedBytes(const GuardedBytes &) = delete;
    GuardedBytes &operator=(const GuardedBytes &) = delete;
    char *data() const { return data_; }

private:
    char *pages_ = nullptr;
    char *data_ = nullptr;
};

// From now on, a fault that nothing catches ends the program at once with the message given
// (what a fault there means), where Wine would wait for a debugger.
void EndProgramAtFault(const char *message);

// Replaces one import of a module for the life of the object (the module calls its imports
// through its import address table, so the replacement sees every call the module makes).
class ImportPatch {
public:
    ImportPatch(HMODULE module, const char *dll, const char *function, void *replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch &) = delete;
    ImportPatch &operator=(const ImportPatch &) = delete;
    bool ok() const { return slot_ != nullptr; }
    // Before FreeLibrary: the slot goes away with the module.
    void release() { slot_ = nullptr; }
    template <class Fn>
    Fn original() const { return reinterpret_cast<Fn>(original_); }

private:
    void Write(void *value);
    void **slot_;
    void *original_ = nullptr;
};

}  // namespace qimapi_test
