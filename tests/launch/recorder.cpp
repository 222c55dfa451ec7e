// A program for the launch tests to start. It records how it was started, as one line appended
// to the file that %QIMAPI_RECORD_FILE% names, and ends by itself:
//   show <tab> startup flags <tab> priority class <tab> start <tab> end <tab> folder <tab> program <tab>
//   command line
// The show state is -1 unless the startup flags carry STARTF_USESHOWWINDOW; start and end are the
// system time in milliseconds. "--sleep=N" in the command line makes it run N ms (at most 10 s)
// before it records, "--exit=N" ends it with the exit code N.
#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include <string>

static ULONGLONG NowMs()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return ((static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime) / 10000;
}

// The number after option in the command line, or fallback.
static int Option(const char *commandLine, const char *option, int fallback)
{
    const char *found = strstr(commandLine, option);
    return found ? atoi(found + strlen(option)) : fallback;
}

int main()
{
    ULONGLONG start = NowMs();
    const char *commandLine = GetCommandLineA();
    char recordFile[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("QIMAPI_RECORD_FILE", recordFile, sizeof recordFile);
    if (!length || length >= sizeof recordFile) return 2;

    int sleep = Option(commandLine, "--sleep=", 0);
    Sleep(sleep < 0 ? 0 : sleep > 10000 ? 10000 : sleep);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof folder, folder);
    char program[MAX_PATH] = "";   // which file ran: copies of the recorder stand under other names
    GetModuleFileNameA(nullptr, program, sizeof program);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
    std::string line = std::to_string(show) + "\t" + std::to_string(startup.dwFlags) + "\t" +
                       std::to_string(GetPriorityClass(GetCurrentProcess())) + "\t" + std::to_string(start) + "\t" +
                       std::to_string(NowMs()) + "\t" + folder + "\t" + program + "\t" + commandLine + "\n";

    // Appended in one write, so that records of programs that end together stay whole.
    HANDLE file = CreateFileA(recordFile, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 3;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return Option(commandLine, "--exit=", 0);
}
