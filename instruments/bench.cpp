// What QIMAPI.dll costs its host, measured side by side in one run: loading and unloading it
// against a DLL that has nothing in it and against one whose unload lifts the cursor confinement
// as QIMAPI.dll's must, reading its descriptors as a host does, and calling one export of each
// subsystem against the same system calls made directly, both sides called the way a host calls
// an export. Each figure is the median over rounds of the ratio of the two sides, measured
// interleaved, so that what the machine is doing meanwhile weighs on both alike.
//
// bench.exe [--rounds N] [--product PATH-OF-THE-SHIPPED-DLL]
#include <windows.h>

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

#include "host/call_function.h"
#include "host/function_table.h"
#include "host/result_text.h"

namespace {

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The host's side of a result string: lock, copy, unlock, free.
volatile char takenOver;
void TakeOver(uintptr_t block)
{
    std::string text;
    host::TakeResultString(reinterpret_cast<HGLOBAL>(block), &text);
    takenOver = text.empty() ? 0 : text[0];
}

// What the library does to hand a text to the host, for the direct side.
HGLOBAL CopyToGlobal(const char *text)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, lstrlenA(text) + 1);
    if (!block) return 0;
    lstrcpyA(static_cast<char *>(GlobalLock(block)), text);
    GlobalUnlock(block);
    return block;
}

// One side of a comparison: runs the operation n times.
typedef void (*Run)(int n);

// The time per operation of each side in one round. The round is cut into slices that alternate
// between the sides (A B B A A B ...), so that a slow spell of the machine falls on both alike.
struct Round {
    double dll, direct;
};
const int kSlices = 8;
Round MeasureRound(Run dll, Run direct, int n, bool dllFirst)
{
    int perSlice = std::max(1, n / kSlices);
    double spent[2] = {0, 0};   // dll, direct
    for (int slice = 0; slice < 2 * kSlices; ++slice) {
        bool isDll = ((slice + 1) / 2 % 2 == 0) == dllFirst;
        double start = Now();
        (isDll ? dll : direct)(perSlice);
        spent[isDll ? 0 : 1] += Now() - start;
    }
    return {spent[0] / (perSlice * kSlices), spent[1] / (perSlice * kSlices)};
}

// Enough repetitions for a side to take about 20 ms a round, so the timer's grain does not count.
int Calibrate(Run run)
{
    int n = 1;
    for (;;) {
        double start = Now();
        run(n);
        if (Now() - start > 0.02 || n >= (1 << 24)) return n;
        n *= 2;
    }
}

struct Figure {
    std::string name;
    double dll, direct, ratio;   // seconds per operation; ratio of medians of rounds
};

Figure Compare(const char *name, Run dll, Run direct, int rounds)
{
    int n = std::max(Calibrate(dll), Calibrate(direct));
    std::vector<double> dlls, directs, ratios;
    for (int i = 0; i < rounds; ++i) {
        Round r = MeasureRound(dll, direct, n, i % 2 == 0);
        dlls.push_back(r.dll);
        directs.push_back(r.direct);
        ratios.push_back(r.dll / r.direct);
    }
    return {name, Median(dlls), Median(directs), Median(ratios)};
}

// ---- The library and its exports ----

HMODULE qimapi;
host::Module qimapiFunctions;   // read from its descriptors after the last time it is loaded

// An export's address as a host finds it, through the descriptors; nullptr where it has none.
void *ExportOf(const char *name)
{
    const host::Function *function = host::FindFunction(qimapiFunctions, name);
    return function ? host::ExportAddress(qimapiFunctions, *function) : nullptr;
}

// A call as a host makes it, through the host library's call of one export. Both sides of every
// comparison call this way: an export, and the function that makes its system calls directly.
uintptr_t Call(void *function, std::initializer_list<uintptr_t> slots)
{
    ptrdiff_t imbalance = 0;
    return CallExport(function, slots.begin(), slots.size(), &imbalance);
}
template <class Fn>
void *Direct(Fn function)
{
    return reinterpret_cast<void *>(function);
}
uintptr_t Text(const char *text) { return reinterpret_cast<uintptr_t>(text); }
uintptr_t Window(HWND w) { return reinterpret_cast<uintptr_t>(w); }

// Arguments that every per-call comparison shares: a window of this thread, a file that exists,
// an INI file with one key, a program that does not exist.
HWND window;
char existingFile[MAX_PATH];
char iniFile[MAX_PATH];
const char kMissingProgram[] = "Z:\\no\\such\\directory\\program.exe";
volatile LONG_PTR sink;

// ---- Load and unload ----

void LoadQimapi(int n)
{
    for (int i = 0; i < n; ++i) FreeLibrary(LoadLibraryA("QIMAPI.dll"));
}
void LoadBare(int n)
{
    for (int i = 0; i < n; ++i) FreeLibrary(LoadLibraryA("bench_bare.dll"));
}
void LoadClip(int n)
{
    for (int i = 0; i < n; ++i) FreeLibrary(LoadLibraryA("bench_clip.dll"));
}

// ---- Host start: the function list and every descriptor, as a host reads them ----

double ReadDescriptors(HMODULE module)
{
    host::Module functions;
    host::ReadFunctionTable(module, "QIMAPI.dll", &functions);
    double bytes = 0;
    for (const host::Function &function : functions.functions) bytes += host::DescriptorSize(function);
    return bytes;
}

// ---- Per call: each export against the system calls it makes ----

void DllVersion(int n)
{
    void *fn = ExportOf("QimAPIVersion");
    for (int i = 0; i < n; ++i) sink = Call(fn, {});
}
int WINAPI DirectVersionImpl() { return 200; }
void DirectVersion(int n)
{
    void *fn = Direct(DirectVersionImpl);
    for (int i = 0; i < n; ++i) sink = Call(fn, {});
}

void DllWindowState(int n)
{
    void *fn = ExportOf("GetWindowState");
    for (int i = 0; i < n; ++i) sink = Call(fn, {Window(window)});
}
int WINAPI DirectWindowStateImpl(HWND w)
{
    if (!IsWindow(w)) return 0;
    if (IsIconic(w)) return 2;
    if (IsZoomed(w)) return 3;
    return 1;
}
void DirectWindowState(int n)
{
    void *fn = Direct(DirectWindowStateImpl);
    for (int i = 0; i < n; ++i) sink = Call(fn, {Window(window)});
}

void DllSendMsg(int n)
{
    void *fn = ExportOf("SendMsg");
    for (int i = 0; i < n; ++i) sink = Call(fn, {Window(window), WM_APP, 1, 2});
}
LRESULT WINAPI DirectSendMsgImpl(HWND w, DWORD message, DWORD wParam, LPARAM lParam)
{
    return SendMessageA(w, LOWORD(message), LOWORD(wParam), lParam);
}
void DirectSendMsg(int n)
{
    void *fn = Direct(DirectSendMsgImpl);
    for (int i = 0; i < n; ++i) sink = Call(fn, {Window(window), WM_APP, 1, 2});
}

void DllScreenWidth(int n)
{
    void *fn = ExportOf("ScreenWidth");
    for (int i = 0; i < n; ++i) sink = Call(fn, {});
}
int WINAPI DirectScreenWidthImpl()
{
    HWND desktop = GetDesktopWindow();
    HDC dc = GetDC(desktop);
    int width = GetDeviceCaps(dc, HORZRES);
    ReleaseDC(desktop, dc);
    return width;
}
void DirectScreenWidth(int n)
{
    void *fn = Direct(DirectScreenWidthImpl);
    for (int i = 0; i < n; ++i) sink = Call(fn, {});
}

void DllReadIni(int n)
{
    void *fn = ExportOf("ReadIni");
    for (int i = 0; i < n; ++i) TakeOver(Call(fn, {Text("Bench"), Text("Key"), Text("default"), Text(iniFile)}));
}
HGLOBAL WINAPI DirectReadIniImpl(const char *section, const char *key, const char *fallback, const char *file)
{
    char value[260];
    GetPrivateProfileStringA(section, key, fallback, value, 255, file);
    return CopyToGlobal(value);
}
void DirectReadIni(int n)
{
    void *fn = Direct(DirectReadIniImpl);
    for (int i = 0; i < n; ++i) TakeOver(Call(fn, {Text("Bench"), Text("Key"), Text("default"), Text(iniFile)}));
}

void DllDoesFileExist(int n)
{
    void *fn = ExportOf("DoesFileExist");
    for (int i = 0; i < n; ++i) sink = Call(fn, {Text(existingFile)});
}
int WINAPI DirectDoesFileExistImpl(const char *name)
{
    SetErrorMode(SEM_FAILCRITICALERRORS);
    WIN32_FIND_DATAA found;
    bool exists = false;
    HANDLE search = FindFirstFileA(name, &found);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        FILETIME local;
        WORD date, time;
        exists = !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                 FileTimeToLocalFileTime(&found.ftLastWriteTime, &local) &&
                 FileTimeToDosDateTime(&local, &date, &time);
    }
    SetErrorMode(0);
    return exists;
}
void DirectDoesFileExist(int n)
{
    void *fn = Direct(DirectDoesFileExistImpl);
    for (int i = 0; i < n; ++i) sink = Call(fn, {Text(existingFile)});
}

void DllRunProgram(int n)
{
    void *fn = ExportOf("RunProgram");
    for (int i = 0; i < n; ++i) sink = Call(fn, {Text(kMissingProgram), Text("Hidden"), 0});
}
HWND WINAPI DirectRunProgramImpl(const char *program, const char *, int wait)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION child = {};
    if (CreateProcessA(nullptr, const_cast<char *>(program), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                       nullptr, nullptr, &startup, &child)) {
        WaitForSingleObject(child.hProcess, wait ? INFINITE : 0);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
        return reinterpret_cast<HWND>(33);
    }
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(GetLastError() == ERROR_FILE_NOT_FOUND ? 2 : 1));
}
void DirectRunProgram(int n)
{
    void *fn = Direct(DirectRunProgramImpl);
    for (int i = 0; i < n; ++i) sink = Call(fn, {Text(kMissingProgram), Text("Hidden"), 0});
}

void DllPlaceCursor(int n)
{
    void *fn = ExportOf("PlaceCursor");
    for (int i = 0; i < n; ++i) Call(fn, {uintptr_t(100 + (i & 1)), 100});
}
void WINAPI DirectPlaceCursorImpl(int x, int y) { SetCursorPos(x, y); }
void DirectPlaceCursor(int n)
{
    void *fn = Direct(DirectPlaceCursorImpl);
    for (int i = 0; i < n; ++i) Call(fn, {uintptr_t(100 + (i & 1)), 100});
}

void DllCopyFromClipboard(int n)
{
    void *fn = ExportOf("CopyFromClipboard");
    for (int i = 0; i < n; ++i) TakeOver(Call(fn, {}));
}
HGLOBAL WINAPI DirectCopyFromClipboardImpl()
{
    if (!OpenClipboard(GetActiveWindow())) return CopyToGlobal("");
    HGLOBAL result;
    HANDLE data = GetClipboardData(CF_TEXT);
    if (!data) {
        result = CopyToGlobal("");
    } else {
        result = CopyToGlobal(static_cast<const char *>(GlobalLock(data)));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return result;
}
void DirectCopyFromClipboard(int n)
{
    void *fn = Direct(DirectCopyFromClipboardImpl);
    for (int i = 0; i < n; ++i) TakeOver(Call(fn, {}));
}

struct PerCall {
    const char *subsystem;
    const char *exportName;
    Run dll, direct;
};
const PerCall kPerCall[] = {
    {"frame", "QimAPIVersion", DllVersion, DirectVersion},
    {"window", "GetWindowState", DllWindowState, DirectWindowState},
    {"window", "SendMsg", DllSendMsg, DirectSendMsg},
    {"sysinfo", "ScreenWidth", DllScreenWidth, DirectScreenWidth},
    {"settings", "ReadIni", DllReadIni, DirectReadIni},
    {"files", "DoesFileExist", DllDoesFileExist, DirectDoesFileExist},
    {"launch", "RunProgram", DllRunProgram, DirectRunProgram},
    {"input", "PlaceCursor", DllPlaceCursor, DirectPlaceCursor},
    {"clipboard", "CopyFromClipboard", DllCopyFromClipboard, DirectCopyFromClipboard},
};

// ---- The file: size and sections ----

struct Section {
    std::string name;
    DWORD size;
};
bool ReadSections(const char *path, DWORD *fileSize, std::vector<Section> *sections)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    *fileSize = GetFileSize(file, nullptr);
    std::vector<BYTE> bytes(*fileSize);
    DWORD read = 0;
    ReadFile(file, bytes.data(), *fileSize, &read, nullptr);
    CloseHandle(file);
    if (read < 0x400) return false;
    auto *nt = reinterpret_cast<IMAGE_NT_HEADERS32 *>(bytes.data() + reinterpret_cast<IMAGE_DOS_HEADER *>(bytes.data())->e_lfanew);
    const IMAGE_SECTION_HEADER *section = IMAGE_FIRST_SECTION(nt);
    DWORD headers = nt->OptionalHeader.SizeOfHeaders;
    sections->push_back({"headers", headers});
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section)
        sections->push_back({std::string(reinterpret_cast<const char *>(section->Name),
                                         strnlen(reinterpret_cast<const char *>(section->Name), 8)),
                             section->SizeOfRawData});
    return true;
}

LRESULT CALLBACK QuietProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP) return lParam;
    return DefWindowProcA(w, message, wParam, lParam);
}

void Prepare()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = QuietProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QimapiBench";
    RegisterClassA(&wc);
    window = CreateWindowExA(0, "QimapiBench", "bench", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, 0, 0, wc.hInstance, 0);

    GetModuleFileNameA(nullptr, existingFile, sizeof existingFile);
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    GetTempFileNameA(temp, "qbn", 0, iniFile);
    WritePrivateProfileStringA("Bench", "Key", "a value of some length, as scripts keep", iniFile);

    if (OpenClipboard(window)) {
        EmptyClipboard();
        SetClipboardData(CF_TEXT, CopyToGlobal("clipboard text for the benchmark"));
        CloseClipboard();
    }
}

void CleanUp()
{
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, iniFile);   // flush the profile cache
    DeleteFileA(iniFile);
    if (OpenClipboard(window)) {
        EmptyClipboard();
        CloseClipboard();
    }
    DestroyWindow(window);
}

const char *Mark(bool met) { return met ? "met" : "missed"; }

}  // namespace

int main(int argc, char **argv)
{
    int rounds = 9;
    const char *product = "QIMAPI.dll";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!strcmp(argv[i], "--rounds")) rounds = std::max(1, atoi(argv[i + 1]));
        if (!strcmp(argv[i], "--product")) product = argv[i + 1];
    }
    qimapi = LoadLibraryA("QIMAPI.dll");
    HMODULE bareDll = LoadLibraryA("bench_bare.dll"), clipDll = LoadLibraryA("bench_clip.dll");
    if (!qimapi || !bareDll || !clipDll) {
        fprintf(stderr, "bench: QIMAPI.dll, bench_bare.dll or bench_clip.dll cannot be loaded\n");
        return 1;
    }
    const std::string problem = host::ReadFunctionTable(qimapi, "QIMAPI.dll", &qimapiFunctions);
    if (!problem.empty()) {
        fprintf(stderr, "bench: %s\n", problem.c_str());
        return 1;
    }
    FreeLibrary(bareDll);
    FreeLibrary(clipDll);
    Prepare();

    int goals = 0, met = 0;
    printf("QIMAPI.dll against the same work without it: median of %d interleaved round%s\n\n", rounds,
           rounds == 1 ? "" : "s");
    printf("%-34s %12s %12s %7s %8s\n", "figure", "QIMAPI", "baseline", "ratio", "goal");

    // Each load maps QIMAPI.dll anew and binds its imports; the system DLLs it imports are
    // already loaded, as they are in a host, so that their own start-up is not counted. The bare
    // DLL imports nothing. At unload QIMAPI.dll lifts any cursor confinement, whoever set it (no
    // confinement may outlive it); under Wine that call goes to the X server and costs about as
    // much as mapping a DLL, so the goal is judged against a DLL whose unload makes that call too.
    for (const char *system : {"user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "winmm.dll", "version.dll"})
        LoadLibraryA(system);
    FreeLibrary(qimapi);
    Figure bare = Compare("load + unload", LoadQimapi, LoadBare, rounds);
    Figure fair = Compare("load + unload", LoadQimapi, LoadClip, rounds);
    qimapi = LoadLibraryA("QIMAPI.dll");
    host::ReadFunctionTable(qimapi, "QIMAPI.dll", &qimapiFunctions);   // anew: it may lie elsewhere now
    printf("%-34s %9.1f us %9.1f us %7.3f %8s %s\n", "load + unload (vs a bare DLL)", bare.dll * 1e6,
           bare.direct * 1e6, bare.ratio, "-", "-");
    ++goals;
    met += fair.ratio <= 1.2;
    printf("%-34s %9.1f us %9.1f us %7.3f %8s %s\n", "load + unload (vs ClipCursor(0) DLL)", fair.dll * 1e6,
           fair.direct * 1e6, fair.ratio, "<= 1.2", Mark(fair.ratio <= 1.2));

    std::vector<double> reads;
    double descriptorBytes = 0;
    for (int i = 0; i < std::max(rounds, 3); ++i) {
        double start = Now();
        for (int j = 0; j < 100; ++j) descriptorBytes = ReadDescriptors(qimapi);
        reads.push_back((Now() - start) / 100);
    }
    printf("%-34s %9.1f us %12s %7s %8s (%.0f bytes)\n", "host start: list + descriptors", Median(reads) * 1e6,
           "-", "-", "-", descriptorBytes);

    for (const PerCall &c : kPerCall) {
        std::string name = std::string(c.exportName) + " (" + c.subsystem + ")";
        if (!ExportOf(c.exportName)) {
            printf("%-34s %12s\n", name.c_str(), "not built");
            continue;
        }
        Figure f = Compare(name.c_str(), c.dll, c.direct, rounds);
        ++goals;
        met += f.ratio <= 1.05;
        printf("%-34s %9.3f us %9.3f us %7.3f %8s %s\n", name.c_str(), f.dll * 1e6, f.direct * 1e6, f.ratio,
               "<= 1.05", Mark(f.ratio <= 1.05));
    }

    DWORD size = 0;
    std::vector<Section> sections;
    if (ReadSections(product, &size, &sections)) {
        ++goals;
        met += size <= 32768;
        printf("%-34s %10lu B %12s %7s %8s %s\n", "file size (shipped 32-bit DLL)", static_cast<unsigned long>(size),
               "-", "-", "<= 32768", Mark(size <= 32768));
        for (const Section &s : sections)
            printf("  %-32s %10lu B\n", s.name.c_str(), static_cast<unsigned long>(s.size));
    } else {
        printf("%-34s %12s\n", "file size", "unreadable");
    }

    CleanUp();
    printf("\n%d/%d goals met\n", met, goals);
    return 0;
}
