// Short and temporary file names and file existence, on real files in a scratch folder.
#include "files/files_test.h"

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

using files_test::EnvironmentVariable;
using files_test::FilesTest;
using files_test::MakeFile;
using files_test::MakeFolder;
using files_test::SearchRecorder;
using qimapi_test::Dll;
using qimapi_test::ImportPatch;
using qimapi_test::IsFile;
using qimapi_test::kTextLengths;
using qimapi_test::Letters;
using qimapi_test::TakeResultString;
using qimapi_test::TempFolder;

namespace {

int DoesFileExist(const std::string &name)
{
    return QIMAPI(DoesFileExist)(name.c_str());
}

std::string ShortFileName(const std::string &name)
{
    return TakeResultString(QIMAPI(ShortFileName)(name.c_str()));
}

std::string TempFileName(const std::string &prefix)
{
    return TakeResultString(QIMAPI(TempFileName)(prefix.c_str()));
}

// The system's own short form, "" where it has none.
std::string SystemShortName(const std::string &name)
{
    char shortName[1024] = "";
    DWORD length = GetShortPathNameA(name.c_str(), shortName, sizeof shortName);
    return length && length < sizeof shortName ? shortName : "";
}

TEST_F(FilesTest, DoesFileExistCountsFilesButNeitherFoldersNorMissingNames)
{
    MakeFile(Scratch("file.txt"));
    MakeFolder(Scratch("folder"));
    const struct {
        std::string name;
        int exists;
    } cases[] = {
        {Scratch("file.txt"), 1},       {Scratch("FILE.TXT"), 1},    {Scratch("folder"), 0},
        {folder_, 0},                   {Scratch("missing.txt"), 0}, {Scratch("folder\\file.txt"), 0},
        {Scratch("file.txt\\"), 0},     {"", 0},                     {"C:\\", 0},
        {"R:\\file.txt", 0},   // a removable drive without a medium
    };
    for (const auto &c : cases) EXPECT_EQ(DoesFileExist(c.name), c.exists) << c.name;
}

// Which match a search finds first is the file system's affair: four folders each hold a file and
// a folder that match, made in both orders and under both names, so that some search meets a
// folder first and some a file.
TEST_F(FilesTest, DoesFileExistJudgesOnlyTheFirstMatchOfAWildcard)
{
    bool sawFileFirst = false, sawFolderFirst = false;
    for (int layout = 0; layout < 4; ++layout) {
        const std::string here = Scratch("layout" + std::to_string(layout));
        MakeFolder(here);
        const std::string file = here + (layout & 1 ? "\\match1" : "\\match2");
        const std::string folder = here + (layout & 1 ? "\\match2" : "\\match1");
        if (layout & 2) MakeFile(file);
        MakeFolder(folder);
        if (!(layout & 2)) MakeFile(file);

        const std::string pattern = here + "\\match?";
        WIN32_FIND_DATAA first;
        HANDLE search = FindFirstFileA(pattern.c_str(), &first);
        ASSERT_NE(search, INVALID_HANDLE_VALUE);
        FindClose(search);
        const bool fileFirst = !(first.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        (fileFirst ? sawFileFirst : sawFolderFirst) = true;
        EXPECT_EQ(DoesFileExist(pattern), fileFirst ? 1 : 0) << "first match " << first.cFileName;
        EXPECT_EQ(DoesFileExist(here + "\\*2"), layout & 1 ? 0 : 1);
    }
    EXPECT_TRUE(sawFileFirst && sawFolderFirst);
    EXPECT_EQ(DoesFileExist(Scratch("layout?\\none*")), 0);
}

SYSTEMTIME MidYear(WORD year)
{
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = 6;
    time.wDay = 15;
    time.wHour = 12;
    return time;
}

// What the platform itself makes of a last-write time: a DOS date or none.
bool HasDosDate(const SYSTEMTIME &time)
{
    FILETIME universal, local;
    WORD date, clock;
    return SystemTimeToFileTime(&time, &universal) && FileTimeToLocalFileTime(&universal, &local) &&
           FileTimeToDosDateTime(&local, &date, &clock);
}

// Wine's FileTimeToDosDateTime wraps years after 2107 round instead of failing, so the far end
// is held to the platform's own answer.
TEST_F(FilesTest, DoesFileExistCountsOnlyFilesWrittenWithinTheDosDateRange)
{
    const struct {
        WORD year;
        int exists;
    } cases[] = {{1979, 0}, {1980, 1}, {2024, 1}, {2107, 1}, {2110, HasDosDate(MidYear(2110))}};
    for (const auto &c : cases) {
        const std::string file = Scratch("written" + std::to_string(c.year));
        SYSTEMTIME time = MidYear(c.year);
        MakeFile(file, &time);
        EXPECT_EQ(DoesFileExist(file), c.exists) << c.year;
    }
}

TEST_F(FilesTest, DoesFileExistSearchesWithCriticalErrorsOffAndLeavesTheModeZero)
{
    const std::string file = Scratch("file.txt");
    MakeFile(file);
    SearchRecorder recorder;
    ASSERT_TRUE(recorder.ok());
    for (UINT before : {0u, static_cast<UINT>(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)}) {
        SetErrorMode(before);
        for (const std::string &name : {file, std::string("R:\\file.txt")}) {
            DoesFileExist(name);
            ASSERT_FALSE(recorder.searches().empty());
            EXPECT_EQ(recorder.searches().back().name, name);
            EXPECT_EQ(recorder.searches().back().errorMode, static_cast<UINT>(SEM_FAILCRITICALERRORS));
            EXPECT_EQ(GetErrorMode(), 0u) << "mode before: " << before;
        }
    }
    QIMAPI(DisableDiskErrors)(1);
    EXPECT_EQ(DoesFileExist(file), 1);
    EXPECT_EQ(GetErrorMode(), 0u);
}

TEST_F(FilesTest, ShortFileNameGivesTheSystemsShortFormOrTheEmptyText)
{
    const std::string longName = Scratch("A long file name.text");
    const std::string shortName = Scratch("short.txt");
    MakeFile(longName);
    MakeFile(shortName);

    const std::string shortOfLong = ShortFileName(longName);
    EXPECT_EQ(shortOfLong, SystemShortName(longName));
    EXPECT_NE(shortOfLong.find('~'), std::string::npos) << shortOfLong;
    EXPECT_TRUE(IsFile(shortOfLong));
    // The scratch folder's own name is long; the file's short name is kept as it is.
    const std::string shortOfShort = ShortFileName(shortName);
    EXPECT_EQ(shortOfShort, SystemShortName(shortName));
    EXPECT_EQ(shortOfShort.substr(shortOfShort.size() - 10), "\\short.txt");

    EXPECT_EQ(ShortFileName(Scratch("missing.txt")), "");
    EXPECT_EQ(ShortFileName(""), "");
}

// A path of 8.3 parts on drive E: whose short form is itself, total characters long.
std::string ShortPathOfLength(const std::string &root, size_t total)
{
    std::string path = root;
    while (total - path.size() > 13) {
        path += "\\" + std::string(std::min<size_t>(8, total - path.size() - 7), 'd');
        EXPECT_TRUE(CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) << path;
    }
    return path + "\\" + std::string(total - path.size() - 5, 'f') + ".txt";
}

// The system is told the buffer holds 259 characters: 258 and the NUL.
TEST_F(FilesTest, ShortFileNameOfMoreThan258CharactersIsEmpty)
{
    char name[9];   // itself a short name
    wsprintfA(name, "s%07lx", GetCurrentProcessId() & 0xFFFFFFF);
    const std::string root = Removed(std::string("E:\\") + name);
    MakeFolder(root);
    for (size_t total : {258, 259}) {
        const std::string path = ShortPathOfLength(root, total);
        ASSERT_EQ(path.size(), total);
        MakeFile(path);
        ASSERT_EQ(SystemShortName(path), path);
        EXPECT_EQ(ShortFileName(path), total <= 258 ? path : "") << total;
    }
}

DWORD scribbledAnswer;
DWORD WINAPI ScribbleShortName(LPCSTR, LPSTR buffer, DWORD size)
{
    memset(buffer, 'X', size);
    return scribbledAnswer;
}

TEST_F(FilesTest, ShortFileNameNeverAnswersWhatAFailedCallLeftInTheBuffer)
{
    ImportPatch patch(Dll(), "kernel32.dll", "GetShortPathNameA", (void *)ScribbleShortName);
    ASSERT_TRUE(patch.ok());
    for (DWORD answer : {0u, 260u, 5000u}) {   // failed; more room needed
        scribbledAnswer = answer;
        EXPECT_EQ(ShortFileName("C:\\windows\\win.ini"), "") << answer;
    }
}

// The file name part after the folder: prefix letters, then hexadecimal digits and ".tmp".
void ExpectTempFile(const std::string &name, const std::string &letters)
{
    const std::string folder = TempFolder();
    ASSERT_EQ(name.compare(0, folder.size() + letters.size(), folder + letters), 0) << name;
    const std::string rest = name.substr(folder.size() + letters.size());
    ASSERT_GT(rest.size(), 4u) << name;
    EXPECT_EQ(rest.substr(rest.size() - 4), ".tmp") << name;
    EXPECT_EQ(rest.find_first_not_of("0123456789abcdefABCDEF"), rest.size() - 4) << name;
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data)) << name;
    EXPECT_EQ(data.nFileSizeLow | data.nFileSizeHigh, 0u) << name;
}

TEST_F(FilesTest, TempFileNameMakesAnEmptyFileNamedWithThreeLettersOfThePrefix)
{
    const struct {
        const char *prefix;
        const char *letters;
    } cases[] = {{"abcdef", "abc"}, {"ab", "ab"}, {"", ""}};
    for (const auto &c : cases) {
        const std::string name = Removed(TempFileName(c.prefix));
        ExpectTempFile(name, c.letters);
    }
    const std::string first = Removed(TempFileName("two")), second = Removed(TempFileName("two"));
    EXPECT_NE(first, second);
    EXPECT_TRUE(IsFile(first) && IsFile(second));
}

TEST_F(FilesTest, TempFileNameIsEmptyWhereNoFileCanBeMade)
{
    const std::string longFolder = "C:\\" + std::string(300, 't');
    for (const std::string &tmp : {Scratch("missing folder"), longFolder}) {
        EnvironmentVariable variable("TMP", tmp);
        EXPECT_EQ(TempFileName("abc"), "") << tmp;
    }
}

// The name adds up to 14 characters to the folder, which the system does not allow past MAX_PATH
// (Wine fills the buffer without a terminating NUL instead of failing).
TEST_F(FilesTest, TempFileNameNeedsATemporaryFolderOfAtMost246Characters)
{
    for (size_t length : {246, 247}) {
        std::string folder = Scratch("");
        folder += std::string(length - 1 - folder.size(), 't');
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << length;
        EnvironmentVariable variable("TMP", folder);   // the system adds the final backslash
        const std::string name = Removed(TempFileName("abc"));
        if (length <= 246) {
            ExpectTempFile(name, "abc");
            EXPECT_EQ(name.compare(0, length, folder + "\\"), 0) << name;
        } else {
            EXPECT_EQ(name, "");
        }
    }
}

DWORD WINAPI ScribbleTempPath(DWORD size, LPSTR buffer)
{
    memset(buffer, 'X', size);
    return scribbledAnswer;
}
UINT WINAPI ScribbleTempFileName(LPCSTR, LPCSTR, UINT, LPSTR buffer)
{
    lstrcpyA(buffer, "C:\\never\\made.tmp");
    return 0;
}

TEST_F(FilesTest, TempFileNameNeverAnswersWhatAFailedCallLeftInTheBuffer)
{
    {
        ImportPatch patch(Dll(), "kernel32.dll", "GetTempFileNameA", (void *)ScribbleTempFileName);
        ASSERT_TRUE(patch.ok());
        EXPECT_EQ(TempFileName("abc"), "");
    }
    ImportPatch patch(Dll(), "kernel32.dll", "GetTempPathA", (void *)ScribbleTempPath);
    ASSERT_TRUE(patch.ok());
    for (DWORD answer : {0u, 255u, 300u}) {   // failed; more room needed
        scribbledAnswer = answer;
        EXPECT_EQ(TempFileName("abc"), "") << answer;
    }
}

// A path of the given length in the scratch folder; the empty text for 0.
std::string PathOfLength(const std::string &folder, size_t length)
{
    if (length == 0) return "";
    std::string path = folder + "\\" + Letters(length);
    path.resize(length);
    return path;
}

// Files of every length that the file system allows are made (with the wide functions); the
// exports answer for them as the ANSI functions do: Wine's reach paths of 260 characters, and
// ShortFileName holds at most 258.
TEST_F(FilesTest, FileNameAndPrefixOfAnyLength)
{
    for (size_t length : kTextLengths) {
        const std::string name = PathOfLength(folder_, length);
        EXPECT_EQ(DoesFileExist(name), 0) << length;
        EXPECT_EQ(ShortFileName(name), "") << length;
        if (length > 0 && length - folder_.size() - 1 <= 255) {
            HANDLE file = CreateFileW((L"\\\\?\\" + std::wstring(name.begin(), name.end())).c_str(), GENERIC_WRITE,
                                      0, nullptr, CREATE_NEW, 0, nullptr);
            ASSERT_NE(file, INVALID_HANDLE_VALUE) << length;
            CloseHandle(file);
            WIN32_FIND_DATAA found;
            HANDLE search = FindFirstFileA(name.c_str(), &found);
            EXPECT_EQ(DoesFileExist(name), search != INVALID_HANDLE_VALUE) << length;
            if (search != INVALID_HANDLE_VALUE) FindClose(search);
            const std::string shortName = SystemShortName(name);
            EXPECT_EQ(ShortFileName(name), shortName.size() <= 258 ? shortName : "") << length;
        }

        const std::string prefix = Letters(length);
        ExpectTempFile(Removed(TempFileName(prefix)), prefix.substr(0, 3));
    }
}

}  // namespace
