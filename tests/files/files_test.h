// What the file and drive tests share: a scratch folder and files that each test removes, the
// process's error mode restored, and a record of the file searches that QIMAPI.dll makes.
#pragma once

#include "common/qimapi_test.h"

#include <string>
#include <vector>

namespace files_test {

// An empty file, last written at the given time (now, where none is given).
inline void MakeFile(const std::string &path, const SYSTEMTIME *lastWrite = nullptr)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    FILETIME time;
    if (lastWrite) {
        EXPECT_TRUE(SystemTimeToFileTime(lastWrite, &time));
        EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
    }
    CloseHandle(file);
}

inline void MakeFolder(const std::string &path)
{
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path << ", error " << GetLastError();
}

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        errorMode_ = GetErrorMode();
        MakeFolder(folder_);
    }
    void TearDown() override
    {
        for (const std::string &path : removed_) qimapi_test::RemovePath(path);
        qimapi_test::RemovePath(folder_);
        SetErrorMode(errorMode_);
    }
    // A path that TearDown removes, with everything in it.
    std::string Removed(const std::string &path)
    {
        removed_.push_back(path);
        return path;
    }
    // A path in the scratch folder.
    std::string Scratch(const std::string &name) const { return folder_ + "\\" + name; }

    const std::string folder_ = qimapi_test::TempFolder() + qimapi_test::UniqueName("qimapi-files");

private:
    UINT errorMode_ = 0;
    std::vector<std::string> removed_;
};

struct Search {
    std::string name;
    UINT errorMode;   // in force during the search
};

inline std::vector<Search> &Searches()
{
    static std::vector<Search> searches;
    return searches;
}

inline HANDLE WINAPI RecordFindFirstFile(LPCSTR name, LPWIN32_FIND_DATAA found)
{
    Searches().push_back({name, GetErrorMode()});
    return FindFirstFileA(name, found);
}

// Records every FindFirstFileA call of QIMAPI.dll while it lives, and lets it through.
class SearchRecorder {
public:
    SearchRecorder() { Searches().clear(); }
    bool ok() const { return patch_.ok(); }
    const std::vector<Search> &searches() const { return Searches(); }
    void clear() { Searches().clear(); }

private:
    qimapi_test::ImportPatch patch_{qimapi_test::Dll(), "kernel32.dll", "FindFirstFileA", (void *)RecordFindFirstFile};
};

// Sets an environment variable for the life of the object.
class EnvironmentVariable {
public:
    EnvironmentVariable(const char *name, const std::string &value) : name_(name)
    {
        char old[32768];
        DWORD length = GetEnvironmentVariableA(name, old, sizeof old);
        had_ = length > 0 && length < sizeof old;
        if (had_) old_ = old;
        SetEnvironmentVariableA(name, value.c_str());
    }
    ~EnvironmentVariable() { SetEnvironmentVariableA(name_, had_ ? old_.c_str() : nullptr); }
    EnvironmentVariable(const EnvironmentVariable &) = delete;
    EnvironmentVariable &operator=(const EnvironmentVariable &) = delete;

private:
    const char *name_;
    bool had_;
    std::string old_;
};

}  // namespace files_test
