#include "frame/example_runner.h"

#include "common/qimapi_test.h"

#include <stdio.h>
#include <string.h>

#include <map>
#include <memory>
#include <regex>

namespace examples {

namespace {

const DWORD kLineTimeoutMs = 20000;

// The shapes of values that depend on the machine, as the examples name them.
struct Shape {
    const char *name;
    const char *pattern;   // ECMAScript
    bool newFile;          // the value names a file the example made, deleted afterwards
};
const Shape kShapes[] = {
    {"<window>", "[1-9][0-9]*", false},
    {"<version>", "[0-9]+\\.[0-9]+", false},
    {"<a version, or 0>", "0|[0-9]+\\.[0-9]+", false},
    {"<the Windows folder>", "[A-Za-z]:\\\\[^\\\\]+", false},
    {"<the system folder>", "[A-Za-z]:\\\\[^\\\\]+\\\\[^\\\\]+", false},
    {"<the short name>", "[A-Za-z]:(\\\\[^\\\\ ]{1,8}(\\.[^\\\\ .]{1,3})?)+", false},
    {"<width>", "[1-9][0-9]*", false},
    {"<height>", "[1-9][0-9]*", false},
    {"<pixels>", "[1-9][0-9]*", false},
    {"<0 or 1>", "[01]", false},
    {"<seconds>", "-?[0-9]+", false},
    {"<a number above 32>", "3[3-9]|[4-9][0-9]|[1-9][0-9][0-9]+", false},
    {"<a new temporary file>", "[A-Za-z]:\\\\.+\\.tmp", true},
};

const Shape *FindShape(const std::string &name)
{
    for (const Shape &shape : kShapes)
        if (name == shape.name) return &shape;
    return nullptr;
}

std::string NotesFolder(const std::string &chapter)
{
    return std::string(QIMAPI_NOTES_DIR) + "\\" + chapter;
}

// One call of an example: the call as written, what qimhost prints for it, and its line number.
struct Step {
    int line;
    std::string call;
    std::string printed;
};

std::vector<Step> ReadSteps(const std::string &path)
{
    std::vector<Step> steps;
    const std::string text = qimapi_test::ReadFileText(path);
    int number = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        size_t arrow = line.find(" =>");
        if (arrow == std::string::npos) {
            steps.push_back({number, line, line});
        } else {
            std::string result = line.size() > arrow + 3 ? line.substr(arrow + 4) : "";
            steps.push_back({number, line.substr(0, arrow), line.substr(0, arrow) + " => " + result});
        }
    }
    return steps;
}

// The names of the shapes in a text, in order.
std::vector<std::string> ShapeNames(const std::string &text)
{
    std::vector<std::string> names;
    for (size_t open = text.find('<'); open != std::string::npos; open = text.find('<', open + 1)) {
        size_t close = text.find('>', open);
        if (close == std::string::npos) break;
        names.push_back(text.substr(open, close - open + 1));
    }
    return names;
}

std::string EscapeForRegex(const std::string &text)
{
    static const std::string special = "\\^$.|?*+()[]{}";
    std::string escaped;
    for (char c : text) {
        if (special.find(c) != std::string::npos) escaped += '\\';
        escaped += c;
    }
    return escaped;
}

// Values of the shapes an example has printed, by name.
class Values {
public:
    // The call with every shape's value in its place; "" and a failure for a shape not yet seen.
    std::string Substitute(const std::string &call) const
    {
        std::string text = call;
        for (const std::string &name : ShapeNames(call)) {
            auto value = values_.find(name);
            if (value == values_.end()) {
                ADD_FAILURE() << name << " is used before a line has printed it";
                return "";
            }
            text.replace(text.find(name), name.size(), value->second);
        }
        return text;
    }

    // Whether the line printed is the one expected, shapes matched and learnt.
    bool Match(const std::string &expected, const std::string &line)
    {
        std::string pattern;
        std::vector<std::string> learnt;
        size_t at = 0;
        for (const std::string &name : ShapeNames(expected)) {
            size_t open = expected.find(name, at);
            pattern += EscapeForRegex(expected.substr(at, open - at));
            at = open + name.size();
            auto value = values_.find(name);
            const Shape *shape = FindShape(name);
            if (value != values_.end()) {
                pattern += EscapeForRegex(value->second);
            } else if (!shape) {
                ADD_FAILURE() << "no shape is called " << name;
                return false;
            } else {
                pattern += "(" + std::string(shape->pattern) + ")";
                learnt.push_back(name);
            }
        }
        pattern += EscapeForRegex(expected.substr(at));
        std::smatch match;
        if (!std::regex_match(line, match, std::regex(pattern))) return false;
        for (size_t i = 0; i < learnt.size(); ++i) {
            const std::string value = match[i + 1].str();
            if (values_.count(learnt[i]) && values_[learnt[i]] != value) return false;   // twice in one line
            values_[learnt[i]] = value;
        }
        return true;
    }

    // The files that the example made, as its shapes name them.
    std::vector<std::string> NewFiles() const
    {
        std::vector<std::string> files;
        for (const auto &[name, value] : values_)
            if (FindShape(name)->newFile) files.push_back(value);
        return files;
    }

private:
    std::map<std::string, std::string> values_;
};

// The button of a message box that prints as this answer; OK for any other.
int ButtonFor(const std::string &answer)
{
    static const std::pair<const char *, int> kButtons[] = {
        {"OK", IDOK},       {"Cancel", IDCANCEL}, {"Abort", IDABORT}, {"Retry", IDRETRY},
        {"Ignore", IDIGNORE}, {"Yes", IDYES},      {"No", IDNO},
    };
    for (const auto &[name, id] : kButtons)
        if (answer == name) return id;
    return IDOK;
}

struct BoxSearch {
    DWORD process;
    int button;
};

// Presses the button in every message box of the process that shows one.
BOOL CALLBACK AnswerBox(HWND window, LPARAM param)
{
    const BoxSearch *search = reinterpret_cast<const BoxSearch *>(param);
    DWORD process = 0;
    char className[16] = "";
    GetWindowThreadProcessId(window, &process);
    GetClassNameA(window, className, sizeof className);
    if (process == search->process && IsWindowVisible(window) && lstrcmpA(className, "#32770") == 0)
        PostMessageA(window, WM_COMMAND, search->button, 0);
    return TRUE;
}

// A pipe whose one end qimhost inherits as a standard handle.
struct Pipe {
    explicit Pipe(bool childWrites)
    {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        EXPECT_TRUE(CreatePipe(&read, &write, &inherit, 0));
        SetHandleInformation(childWrites ? read : write, HANDLE_FLAG_INHERIT, 0);
    }
    ~Pipe()
    {
        Close(&read);
        Close(&write);
    }
    static void Close(HANDLE *end)
    {
        if (*end) CloseHandle(*end);
        *end = nullptr;
    }
    HANDLE read = nullptr;
    HANDLE write = nullptr;
};

// What waits in a pipe, appended to text, without waiting for more.
void TakeAvailable(HANDLE pipe, std::string *text)
{
    DWORD available = 0;
    while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available) {
        char buffer[4096];
        DWORD got = 0;
        if (!ReadFile(pipe, buffer, available < sizeof buffer ? available : sizeof buffer, &got, nullptr) || !got) return;
        text->append(buffer, got);
    }
}

// qimhost.exe reading calls from a pipe, one line at a time: each call it prints as it runs it.
class Qimhost {
public:
    Qimhost() : in_(false), out_(true), err_(true)
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = in_.read;
        startup.hStdOutput = out_.write;
        startup.hStdError = err_.write;
        char commandLine[] = "qimhost.exe";
        started_ = qimapi_test::StartProcess("qimhost.exe", commandLine, TRUE, &startup, &process_);
        EXPECT_TRUE(started_) << "cannot start qimhost.exe, error " << GetLastError();
        Pipe::Close(&in_.read);
        Pipe::Close(&out_.write);
        Pipe::Close(&err_.write);
    }

    ~Qimhost()
    {
        Finish();
        if (!started_) return;
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    Qimhost(const Qimhost &) = delete;
    Qimhost &operator=(const Qimhost &) = delete;

    bool started() const { return started_; }

    // Sends one line and returns the line qimhost prints for it, answering its message boxes
    // meanwhile with the button of that answer; false when none comes.
    bool Run(const std::string &call, const std::string &answer, std::string *printed)
    {
        const std::string line = call + "\n";
        DWORD written = 0;
        if (!WriteFile(in_.write, line.data(), static_cast<DWORD>(line.size()), &written, nullptr)) return false;
        BoxSearch search = {process_.dwProcessId, ButtonFor(answer)};
        const DWORD limit = qimapi_test::Limit(kLineTimeoutMs);
        for (DWORD start = GetTickCount(); GetTickCount() - start < limit; Sleep(10)) {
            TakeAvailable(out_.read, &out_text_);
            size_t end = out_text_.find('\n');
            if (end != std::string::npos) {
                *printed = out_text_.substr(0, end);
                out_text_.erase(0, end + 1);
                return true;
            }
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0) {
                TakeAvailable(out_.read, &out_text_);
                if (out_text_.find('\n') == std::string::npos) return false;
                continue;
            }
            EnumWindows(AnswerBox, reinterpret_cast<LPARAM>(&search));
        }
        return false;
    }

    // Ends qimhost's input, waits for it to end, and ends the programs it started. What it printed
    // that no call asked for, and its error output, are failures.
    void Finish()
    {
        if (!started_ || finished_) return;
        finished_ = true;
        Pipe::Close(&in_.write);
        if (WaitForSingleObject(process_.hProcess, qimapi_test::Limit(kLineTimeoutMs)) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "qimhost did not end";
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, INFINITE);
        }
        TakeAvailable(out_.read, &out_text_);
        TakeAvailable(err_.read, &err_text_);
        DWORD status = ~0u;
        GetExitCodeProcess(process_.hProcess, &status);
        EXPECT_EQ(status, 0u);
        EXPECT_EQ(out_text_, "") << "printed beyond the example";
        EXPECT_EQ(err_text_, "") << "qimhost's error output";
        EndPrograms(process_.hProcess);
    }

    // Whether it still runs and reads calls.
    bool running() const { return started_ && !finished_; }

    // Ends the programs that qimhost started, and theirs.
    void EndPrograms() const
    {
        if (started_) EndPrograms(process_.hProcess);
    }

private:
    static void EndPrograms(HANDLE parent)
    {
        for (DWORD id : qimapi_test::RunningChildren(parent)) {
            HANDLE child = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, id);
            if (!child) continue;
            EndPrograms(child);
            TerminateProcess(child, 0);
            WaitForSingleObject(child, 5000);
            CloseHandle(child);
        }
    }

    Pipe in_, out_, err_;
    PROCESS_INFORMATION process_ = {};
    bool started_ = false;
    bool finished_ = false;
    std::string out_text_;
    std::string err_text_;
};

// The window the examples name "QIMAPI example": a top-level window of a thread of its own, which
// handles the messages of other programs while the test waits for qimhost.
class ExampleWindow {
public:
    ExampleWindow()
    {
        ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, Run, this, 0, &threadId_);
        EXPECT_EQ(WaitForSingleObject(ready_, qimapi_test::Limit(5000)), WAIT_OBJECT_0) << "no example window";
    }
    ~ExampleWindow()
    {
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        EXPECT_EQ(WaitForSingleObject(thread_, qimapi_test::Limit(5000)), WAIT_OBJECT_0);
        CloseHandle(thread_);
        CloseHandle(ready_);
    }
    ExampleWindow(const ExampleWindow &) = delete;
    ExampleWindow &operator=(const ExampleWindow &) = delete;

private:
    static DWORD WINAPI Run(void *param)
    {
        auto *self = static_cast<ExampleWindow *>(param);
        static ATOM registered = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = DefWindowProcA;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
            wc.lpszClassName = "QimapiExample";
            return RegisterClassA(&wc);
        }();
        HWND window = CreateWindowExA(0, "QimapiExample", "QIMAPI example", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                      /*x=*/120, /*y=*/120, /*width=*/320, /*height=*/200, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        EXPECT_TRUE(registered && window);
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);   // the thread's queue, for WM_QUIT
        SetEvent(self->ready_);
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        if (IsWindow(window)) DestroyWindow(window);
        return 0;
    }

    HANDLE ready_;
    HANDLE thread_;
    DWORD threadId_ = 0;
};

// Runs one example through qimhost, which reads calls until a line fails: then it ends, and
// Finish reports what it said.
void RunExampleWith(Qimhost &qimhost, const std::string &chapter, const std::string &name)
{
    const std::string path = NotesFolder(chapter) + "\\" + name + ".example";
    std::vector<Step> steps = ReadSteps(path);
    ASSERT_FALSE(steps.empty()) << path << " calls nothing";
    std::unique_ptr<ExampleWindow> window;
    if (qimapi_test::ReadFileText(path).find("\"QIMAPI example\"") != std::string::npos) window = std::make_unique<ExampleWindow>();
    Values values;
    for (const Step &step : steps) {
        SCOPED_TRACE(name + ".example:" + std::to_string(step.line) + ": " + step.printed);
        const std::string call = values.Substitute(step.call);
        if (call.empty()) break;
        std::string printed;
        const size_t arrow = step.printed.find(" => ");
        const std::string answer = arrow == std::string::npos ? "" : step.printed.substr(arrow + 4);
        if (!qimhost.Run(call, answer, &printed)) {
            ADD_FAILURE() << "qimhost printed no line for " << call;
            qimhost.Finish();
            break;
        }
        if (!values.Match(step.printed, printed)) {
            ADD_FAILURE() << "qimhost printed: " << printed;
            break;
        }
    }
    qimhost.EndPrograms();
    for (const std::string &file : values.NewFiles()) EXPECT_TRUE(DeleteFileA(file.c_str())) << file;
}

}  // namespace

std::vector<std::string> ExamplesOf(const std::string &chapter)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((NotesFolder(chapter) + "\\*.example").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string file = found.cFileName;
        names.push_back(file.substr(0, file.size() - strlen(".example")));
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// One qimhost process runs the chapter's examples one after another, as a reader would type them
// at its prompt; a new one takes over should an example's line end it.
void RunChapter(const std::string &chapter)
{
    std::vector<std::string> names = ExamplesOf(chapter);
    ASSERT_FALSE(names.empty()) << "no examples in " << NotesFolder(chapter);
    std::unique_ptr<Qimhost> qimhost;
    for (const std::string &name : names) {
        SCOPED_TRACE(name);
        if (!qimhost || !qimhost->running()) qimhost = std::make_unique<Qimhost>();
        ASSERT_TRUE(qimhost->started());
        RunExampleWith(*qimhost, chapter, name);
    }
}

}  // namespace examples
