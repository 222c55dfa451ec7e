#include "launch/launch_fixture.h"

#include "common/qimapi_test.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>

namespace launch_test {

std::string BinFolder()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\') + 1);
}

std::string RecorderPath()
{
    return BinFolder() + "launch_recorder.exe";
}

std::string QuotedRecorder()
{
    return "\"" + RecorderPath() + "\"";
}

ULONGLONG NowMs()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return ((static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime) / 10000;
}

static const char kRecordVariable[] = "QIMAPI_RECORD_FILE";

Recordings::Recordings()
{
    char folder[MAX_PATH], path[MAX_PATH];
    EXPECT_TRUE(GetTempPathA(MAX_PATH, folder) && GetTempFileNameA(folder, "rec", 0, path));
    path_ = path;
    SetEnvironmentVariableA(kRecordVariable, path);
}

Recordings::~Recordings()
{
    Wait();   // no program of the test may outlive it
    SetEnvironmentVariableA(kRecordVariable, nullptr);
    DeleteFileA(path_.c_str());
}

std::vector<Record> Recordings::Wait()
{
    qimapi_test::WaitUntil([] { return qimapi_test::RunningChildren().empty(); }, 15000);
    EXPECT_TRUE(qimapi_test::RunningChildren().empty()) << "a started program still runs after 15 s";
    std::vector<Record> records = Read();
    std::vector<Record> fresh(records.begin() + static_cast<ptrdiff_t>(std::min(seen_, records.size())), records.end());
    seen_ = records.size();
    return fresh;
}

// Cuts the first field off a record line.
static std::string Field(std::string *line)
{
    size_t tab = line->find('\t');
    std::string field = line->substr(0, tab);
    line->erase(0, tab == std::string::npos ? line->size() : tab + 1);
    return field;
}

std::vector<Record> Recordings::Read() const
{
    std::vector<Record> records;
    FILE *file = fopen(path_.c_str(), "rb");
    if (!file) return records;
    std::string text;
    char buffer[4096];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, got);
    fclose(file);
    // Only whole lines: a record being written shows at the next read.
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = text.substr(start, end - start);
        Record record;
        record.show = atoi(Field(&line).c_str());
        record.flags = strtoul(Field(&line).c_str(), nullptr, 10);
        record.priorityClass = strtoul(Field(&line).c_str(), nullptr, 10);
        record.start = strtoull(Field(&line).c_str(), nullptr, 10);
        record.end = strtoull(Field(&line).c_str(), nullptr, 10);
        record.folder = Field(&line);
        record.program = Field(&line);
        record.commandLine = line;
        records.push_back(record);
    }
    return records;
}

static const char kSavedRoot[] = "Software\\QIMAPI tests\\saved classes";

static bool KeyExists(HKEY root, const std::string &name)
{
    HKEY key = 0;
    if (RegOpenKeyExA(root, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// Copies the tree of one key to another, made if missing.
static void CopyKey(HKEY fromRoot, const std::string &from, HKEY toRoot, const std::string &to)
{
    HKEY source = 0, target = 0;
    EXPECT_EQ(RegOpenKeyExA(fromRoot, from.c_str(), 0, KEY_READ, &source), ERROR_SUCCESS) << from;
    EXPECT_EQ(RegCreateKeyExA(toRoot, to.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target, nullptr),
              ERROR_SUCCESS) << to;
    EXPECT_EQ(RegCopyTreeA(source, nullptr, target), ERROR_SUCCESS) << from << " to " << to;
    RegCloseKey(source);
    RegCloseKey(target);
}

ClassesKey::ClassesKey(const std::string &name) : name_(name), saved_(std::string(kSavedRoot) + "\\" + name)
{
    if (!KeyExists(HKEY_CURRENT_USER, saved_)) {
        HKEY saved = 0;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, saved_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &saved,
                                  nullptr), ERROR_SUCCESS);
        RegCloseKey(saved);
        if (KeyExists(HKEY_CLASSES_ROOT, name)) CopyKey(HKEY_CLASSES_ROOT, name, HKEY_CURRENT_USER, saved_ + "\\key");
    }
    LONG deleted = RegDeleteTreeA(HKEY_CLASSES_ROOT, name.c_str());
    EXPECT_TRUE(deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND) << "cannot remove HKCR\\" << name;
}

ClassesKey::~ClassesKey()
{
    RegDeleteTreeA(HKEY_CLASSES_ROOT, name_.c_str());
    if (KeyExists(HKEY_CURRENT_USER, saved_ + "\\key")) CopyKey(HKEY_CURRENT_USER, saved_ + "\\key", HKEY_CLASSES_ROOT, name_);
    RegDeleteTreeA(HKEY_CURRENT_USER, saved_.c_str());
    // The folders above, once no other key waits there.
    RegDeleteKeyA(HKEY_CURRENT_USER, kSavedRoot);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\QIMAPI tests");
}

std::string CommandOfLength(const std::string &head, const std::string &tail, size_t length)
{
    std::string command = head + " --pad=" + tail;
    return command.insert(command.size() - tail.size(), length - command.size(), 'x');
}

void SetClassesValue(const std::string &key, const std::string &text)
{
    ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, text.c_str(), static_cast<DWORD>(text.size())),
              ERROR_SUCCESS) << key;
}

void SetClassesData(const std::string &key, DWORD type, const std::string &bytes)
{
    HKEY opened = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr),
              ERROR_SUCCESS) << key;
    EXPECT_EQ(RegSetValueExA(opened, nullptr, 0, type, reinterpret_cast<const BYTE *>(bytes.data()),
                             static_cast<DWORD>(bytes.size())), ERROR_SUCCESS) << key;
    RegCloseKey(opened);
}

TempFile::TempFile(const std::string &name, const std::string &content)
{
    char temp[MAX_PATH], unique[MAX_PATH];
    EXPECT_TRUE(GetTempPathA(MAX_PATH, temp) && GetTempFileNameA(temp, "dir", 0, unique));
    DeleteFileA(unique);   // its name becomes the folder's
    EXPECT_TRUE(CreateDirectoryA(unique, nullptr));
    folder_ = unique;
    path_ = folder_ + "\\" + name;
    FILE *file = fopen(path_.c_str(), "wb");
    EXPECT_TRUE(file) << path_;
    if (!file) return;
    fwrite(content.data(), 1, content.size(), file);
    fclose(file);
}

TempFile::~TempFile()
{
    DeleteFileA(path_.c_str());
    RemoveDirectoryA(folder_.c_str());
}

}  // namespace launch_test
