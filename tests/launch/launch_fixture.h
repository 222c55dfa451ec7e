// What the launch tests share: the recorder program that they start and the records it leaves,
// registrations below HKEY_CLASSES_ROOT that are put back as they were, and files of their own.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace launch_test {

// The folder of the test program, where the recorder is built (with a final backslash).
std::string BinFolder();
// The full path of the recorder program.
std::string RecorderPath();
// The recorder's path in quotes, as a command line starts with it.
std::string QuotedRecorder();
// The system time in milliseconds, the clock of the records.
ULONGLONG NowMs();

// How one run of the recorder was started, and when it started and ended.
struct Record {
    int show = -1;   // wShowWindow, or -1 without STARTF_USESHOWWINDOW
    DWORD flags = 0;
    DWORD priorityClass = 0;
    ULONGLONG start = 0;
    ULONGLONG end = 0;
    std::string folder;
    std::string program;   // the file that ran
    std::string commandLine;
};

// Names a fresh record file for the recorder runs of this object's life (through the
// environment that started programs inherit), and deletes it at the end.
class Recordings {
public:
    Recordings();
    ~Recordings();
    Recordings(const Recordings &) = delete;
    Recordings &operator=(const Recordings &) = delete;

    // Waits (at most 15 s) until no program that this process started runs any more, and returns
    // the records that came since the last Wait. The launch exports create their programs before
    // they return, and the recorder writes its record before it ends: so every program that a
    // call started, the expected ones and any other, has left its record by then.
    std::vector<Record> Wait();

private:
    std::vector<Record> Read() const;
    std::string path_;
    size_t seen_ = 0;
};

// Replaces a key below HKEY_CLASSES_ROOT for the life of the object: whatever it held is copied
// aside (below HKEY_CURRENT_USER) and the key removed; at the end what the test made of it is
// removed and the copy put back. A copy left by a test that was ended before it could put the key
// back is the one that counts, so such a test does not leave its registration in the prefix.
class ClassesKey {
public:
    explicit ClassesKey(const std::string &name);
    ~ClassesKey();
    ClassesKey(const ClassesKey &) = delete;
    ClassesKey &operator=(const ClassesKey &) = delete;

private:
    std::string name_;
    std::string saved_;   // exists while the key is replaced; its "key" holds the key, if there was one
};

// A command of exactly length characters: head, an option that pads it, and tail.
std::string CommandOfLength(const std::string &head, const std::string &tail, size_t length);

// Sets the default value of a key below HKEY_CLASSES_ROOT, making the key when it is missing.
void SetClassesValue(const std::string &key, const std::string &text);
// The same as the bytes given, of any type, with no NUL added.
void SetClassesData(const std::string &key, DWORD type, const std::string &bytes);

// A file of the test's own in a fresh folder below %TEMP%, both deleted at the end.
class TempFile {
public:
    TempFile(const std::string &name, const std::string &content);
    ~TempFile();
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;
    const std::string &path() const { return path_; }
    const std::string &folder() const { return folder_; }

private:
    std::string folder_;
    std::string path_;
};

}  // namespace launch_test
