// INI files on disk, each made in the temporary folder (or the Windows folder) by one test and
// removed by it.
#include "common/qimapi_test.h"

#include <string.h>

#include <string>
#include <vector>

using qimapi_test::Dll;
using qimapi_test::ImportPatch;
using qimapi_test::IsFile;
using qimapi_test::kTextLengths;
using qimapi_test::Letters;
using qimapi_test::RemovePath;
using qimapi_test::TakeResultString;
using qimapi_test::TempFolder;
using qimapi_test::UniqueName;

namespace {

std::string ReadIni(const std::string &section, const std::string &keyName, const std::string &defaultValue,
                    const std::string &iniFile)
{
    return TakeResultString(
        QIMAPI(ReadIni)(section.c_str(), keyName.c_str(), defaultValue.c_str(), iniFile.c_str()));
}

int WriteIni(const std::string &section, const std::string &keyName, const std::string &newString,
             const std::string &iniFile)
{
    return QIMAPI(WriteIni)(section.c_str(), keyName.c_str(), newString.c_str(), iniFile.c_str());
}

std::string WindowsFolder()
{
    char folder[MAX_PATH] = "";
    GetWindowsDirectoryA(folder, MAX_PATH);
    return folder;
}

class IniFileTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (const std::string &path : removed_) RemovePath(path);
    }
    // A path that TearDown removes.
    std::string Removed(const std::string &path)
    {
        removed_.push_back(path);
        return path;
    }

private:
    std::vector<std::string> removed_;   // made before path_, which is one of them

protected:
    const std::string path_ = Removed(TempFolder() + UniqueName("qimapi") + ".ini");
};

TEST_F(IniFileTest, WriteIniThenReadIniGivesTheTextBack)
{
    EXPECT_EQ(WriteIni("Section", "Key", "first text", path_), 1);
    EXPECT_TRUE(IsFile(path_));
    EXPECT_EQ(ReadIni("Section", "Key", "default", path_), "first text");
    EXPECT_EQ(WriteIni("Section", "Key", "second, with = and ;", path_), 1);
    EXPECT_EQ(ReadIni("section", "KEY", "default", path_), "second, with = and ;");   // names in any case
    EXPECT_EQ(WriteIni("Section", "Empty", "", path_), 1);
    EXPECT_EQ(ReadIni("Section", "Empty", "default", path_), "");
}

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesDefault)
{
    EXPECT_EQ(ReadIni("Section", "Key", "no file", path_), "no file");
    EXPECT_FALSE(IsFile(path_));
    ASSERT_EQ(WriteIni("Section", "Key", "value", path_), 1);
    EXPECT_EQ(ReadIni("Other", "Key", "no section", path_), "no section");
    EXPECT_EQ(ReadIni("Section", "Other", "no key", path_), "no key");
}

TEST_F(IniFileTest, ValuesAndDefaultsComeBackCutTo254Characters)
{
    for (size_t length : {253, 254, 255, 300}) {
        const std::string text = Letters(length);
        ASSERT_EQ(WriteIni("Section", "Key", text, path_), 1);
        EXPECT_EQ(ReadIni("Section", "Key", "default", path_), text.substr(0, 254)) << length;
        EXPECT_EQ(ReadIni("Section", "Missing", text, path_), text.substr(0, 254)) << length;
    }
}

TEST_F(IniFileTest, FileNameWithoutFolderIsInTheWindowsFolder)
{
    const std::string name = UniqueName("qimapi") + ".ini";
    const std::string inWindows = Removed(WindowsFolder() + "\\" + name);
    ASSERT_EQ(WriteIni("Section", "Key", "in the Windows folder", name), 1);
    EXPECT_TRUE(IsFile(inWindows));
    EXPECT_EQ(ReadIni("Section", "Key", "default", name), "in the Windows folder");
    EXPECT_EQ(ReadIni("Section", "Key", "default", inWindows), "in the Windows folder");
}

TEST_F(IniFileTest, FileThatCannotBeWrittenAnswersZero)
{
    for (const std::string &path : {TempFolder() + UniqueName("no folder") + "\\file.ini", WindowsFolder()}) {
        EXPECT_EQ(WriteIni("Section", "Key", "value", path), 0) << path;
        EXPECT_EQ(ReadIni("Section", "Key", "default", path), "default") << path;
    }
}

TEST_F(IniFileTest, SectionKeynameNewStringAndDefaultOfAnyLength)
{
    for (size_t length : kTextLengths) {
        const std::string text = Letters(length);
        EXPECT_EQ(WriteIni(text, "Key", "in a long section", path_), 1) << length;
        EXPECT_EQ(ReadIni(text, "Key", "default", path_), "in a long section") << length;
        EXPECT_EQ(WriteIni("Section", text, "under a long key", path_), 1) << length;
        EXPECT_EQ(ReadIni("Section", text, "default", path_), "under a long key") << length;
        EXPECT_EQ(WriteIni("Section", "Key", text, path_), 1) << length;
        EXPECT_EQ(ReadIni("Section", "Key", "default", path_), text.substr(0, 254)) << length;
        EXPECT_EQ(ReadIni("Section", "Missing", text, path_), text.substr(0, 254)) << length;
    }
}

std::vector<size_t> profileNameLengths;
DWORD WINAPI RecordGetProfile(LPCSTR section, LPCSTR keyName, LPCSTR defaultValue, LPSTR value, DWORD size,
                              LPCSTR iniFile)
{
    profileNameLengths.push_back(strlen(iniFile));
    return GetPrivateProfileStringA(section, keyName, defaultValue, value, size, iniFile);
}
BOOL WINAPI RecordWriteProfile(LPCSTR section, LPCSTR keyName, LPCSTR newString, LPCSTR iniFile)
{
    profileNameLengths.push_back(strlen(iniFile));
    return WritePrivateProfileStringA(section, keyName, newString, iniFile);
}

// Whether Wine's overrun of a long bare name shows depends on what lies beyond its buffer, so
// the names that reach the profile functions are recorded.
TEST_F(IniFileTest, NamesOfMaxPathCharactersOrMoreNeverReachTheProfileFunctions)
{
    ImportPatch get(Dll(), "kernel32.dll", "GetPrivateProfileStringA", (void *)RecordGetProfile);
    ImportPatch write(Dll(), "kernel32.dll", "WritePrivateProfileStringA", (void *)RecordWriteProfile);
    ASSERT_TRUE(get.ok() && write.ok());
    for (size_t length : {259, 260, 600, 70000}) {
        const std::string bare = Letters(length);
        Removed(WindowsFolder() + "\\" + bare);
        profileNameLengths.clear();
        const int written = WriteIni("Section", "Key", "value", bare);
        EXPECT_EQ(ReadIni("Section", "Key", Letters(300), bare), written ? "value" : Letters(254)) << length;
        const std::vector<size_t> reached = length < MAX_PATH ? std::vector<size_t>{length, length} : std::vector<size_t>{};
        EXPECT_EQ(profileNameLengths, reached) << length;
    }
}

// A path or bare name of MAX_PATH characters or more names no file the profile functions can
// open; Wine's own code overruns a buffer on bare names of a few hundred characters.
TEST_F(IniFileTest, IniFileOfAnyLength)
{
    const std::string folder = TempFolder();
    for (size_t length : kTextLengths) {
        std::string bare = UniqueName("q") + Letters(length);
        bare.resize(length);
        std::string path = length > folder.size() ? folder + bare.substr(0, length - folder.size()) : bare;
        const struct {
            std::string file;
            std::string onDisk;
        } names[] = {{path, path}, {bare, WindowsFolder() + "\\" + bare}};
        for (const auto &name : names) {
            if (!name.file.empty()) Removed(name.onDisk);
            int written = WriteIni("Section", "Key", "value", name.file);
            if (name.file.size() >= MAX_PATH || name.file.empty()) {
                EXPECT_EQ(written, 0) << length;
            }
            EXPECT_EQ(written != 0, IsFile(name.onDisk)) << length;
            EXPECT_EQ(ReadIni("Section", "Key", "default", name.file), written ? "value" : "default") << length;
        }
    }
}

}  // namespace
