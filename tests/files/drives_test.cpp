// Drive search, drive kinds and the critical-error mode, on the drives of the test prefix: D: a
// CD-ROM, E: and F: hard disks, M: a RAM disk, N: a network drive, R: a removable drive without a
// medium and S: one with a medium, all folders of the build folder (tools/wine-session.sh).
#include "files/files_test.h"

#include <string>
#include <vector>

using files_test::FilesTest;
using files_test::MakeFile;
using files_test::MakeFolder;
using files_test::SearchRecorder;
using qimapi_test::Dll;
using qimapi_test::ImportPatch;
using qimapi_test::kTextLengths;
using qimapi_test::Letters;
using qimapi_test::TakeResultString;
using qimapi_test::UniqueName;

namespace {

std::string FindDrive(const std::string &startDrive, const std::string &fileName)
{
    return TakeResultString(QIMAPI(FindDrive)(startDrive.c_str(), fileName.c_str()));
}

// The GetDriveType export: <windows.h> takes that name for a macro.
std::string DriveKind(const std::string &driveLetter)
{
    return TakeResultString(QIMAPI_AS(GetDriveType, GetDriveTypeName)(driveLetter.c_str()));
}

class DrivesTest : public FilesTest {
protected:
    void SetUp() override
    {
        FilesTest::SetUp();
        const struct {
            const char *root;
            UINT kind;
        } drives[] = {{"D:\\", DRIVE_CDROM},   {"E:\\", DRIVE_FIXED},  {"F:\\", DRIVE_FIXED},
                      {"M:\\", DRIVE_RAMDISK}, {"N:\\", DRIVE_REMOTE}, {"R:\\", DRIVE_REMOVABLE},
                      {"S:\\", DRIVE_REMOVABLE}};
        for (const auto &d : drives)
            ASSERT_EQ(GetDriveTypeA(d.root), d.kind)
                << d.root << ": the prefix lacks the test drives; delete build/wineprefix to make it again";
    }
    // A file of this test's own name on each of the drives, removed at the end.
    void PlaceOn(const char *letters, const std::string &name)
    {
        for (const char *letter = letters; *letter; ++letter) MakeFile(Removed(std::string(1, *letter) + ":\\" + name));
    }
    const std::string name_ = UniqueName("qimapi-find") + ".txt";
};

TEST_F(DrivesTest, GetDriveTypeNamesEveryKindOfDrive)
{
    const struct {
        const char *root;
        const char *kind;
    } cases[] = {
        {"C:\\", "Hard"},    {"e:\\", "Hard"},      {"Z:\\", "Hard"},      {"D:\\", "CD-ROM"},
        {"M:\\", "RAM"},     {"N:\\", "Network"},   {"S:\\", "Removable"}, {"R:\\", "Removable"},
        {"Q:\\", "Invalid"},   // no such drive
        {"E", "Invalid"},    {"", "Invalid"},       {"E:\\no such folder\\", "Invalid"},
    };
    for (const auto &c : cases) EXPECT_EQ(DriveKind(c.root), c.kind) << '"' << c.root << '"';
}

std::vector<std::string> kindRoots;
UINT answeredKind;
UINT WINAPI AnswerKind(LPCSTR root)
{
    kindRoots.push_back(root);
    return answeredKind;
}

TEST_F(DrivesTest, GetDriveTypePassesTheTextOnAndNamesUnknownKindsInvalid)
{
    ImportPatch patch(Dll(), "kernel32.dll", "GetDriveTypeA", (void *)AnswerKind);
    ASSERT_TRUE(patch.ok());
    const struct {
        UINT kind;
        const char *name;
    } cases[] = {{DRIVE_UNKNOWN, "Invalid"}, {DRIVE_NO_ROOT_DIR, "Invalid"}, {DRIVE_REMOVABLE, "Removable"},
                 {DRIVE_FIXED, "Hard"},      {DRIVE_REMOTE, "Network"},      {DRIVE_CDROM, "CD-ROM"},
                 {DRIVE_RAMDISK, "RAM"},     {7, "Invalid"},                 {0x80000000u, "Invalid"},
                 {0xFFFFFFFFu, "Invalid"}};
    for (const auto &c : cases) {
        answeredKind = c.kind;
        kindRoots.clear();
        EXPECT_EQ(DriveKind("e"), c.name) << c.kind;
        EXPECT_EQ(kindRoots, std::vector<std::string>{"e"});
    }
}

TEST_F(DrivesTest, DisableDiskErrorsTurnsTheBoxOffForAnyNonZeroFlag)
{
    for (int on : {1, 0, 2, 0, -1, 0, 0x10000, 0}) {
        QIMAPI(DisableDiskErrors)(on);
        EXPECT_EQ(GetErrorMode(), on ? static_cast<UINT>(SEM_FAILCRITICALERRORS) : 0u) << on;
    }
}

TEST_F(DrivesTest, FindDriveAnswersTheFirstDriveFromTheStartLetterOn)
{
    PlaceOn("EF", name_);
    const struct {
        const char *start;
        const char *found;
    } cases[] = {
        {"A", "E"}, {"a", "E"},  {"D", "E"}, {"e", "E"}, {"E", "E"},  {"E:\\ and more", "E"},
        {"f", "F"}, {"F", "F"},  {"G", ""},  {"Y", ""},  {"z", ""},
    };
    for (const auto &c : cases) EXPECT_EQ(FindDrive(c.start, name_), c.found) << '"' << c.start << '"';
}

TEST_F(DrivesTest, FindDriveNeverSearchesDrivesBeforeTheStartLetter)
{
    PlaceOn("E", name_);
    EXPECT_EQ(FindDrive("F", name_), "");
    EXPECT_EQ(FindDrive("e", name_), "E");
}

TEST_F(DrivesTest, FindDriveSearchesDrivesOfEveryKind)
{
    for (const char *letter : {"D", "M", "N", "S"}) {
        const std::string name = UniqueName("qimapi-kind");
        PlaceOn(letter, name);
        EXPECT_EQ(FindDrive("A", name), letter);
    }
}

TEST_F(DrivesTest, FindDriveCountsFilesNotFoldersAndTakesPathsAndWildcards)
{
    MakeFolder(Removed("E:\\" + name_));
    PlaceOn("F", name_);
    EXPECT_EQ(FindDrive("A", name_), "F");

    const std::string folder = UniqueName("qimapi-folder");
    MakeFolder(Removed("M:\\" + folder));
    PlaceOn("M", folder + "\\inside.txt");
    EXPECT_EQ(FindDrive("A", folder + "\\inside.txt"), "M");
    EXPECT_EQ(FindDrive("A", folder + "\\ins*.txt"), "M");
    EXPECT_EQ(FindDrive("A", folder + "\\missing.txt"), "");
}

// "Not found" is the empty text, which no drive letter is: a file found only on Z: (the Linux
// root) answers "Z".
TEST_F(DrivesTest, FindDriveTellsNotFoundFromFoundOnZ)
{
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    ASSERT_EQ(std::string(program).compare(0, 3, "Z:\\"), 0) << program;
    EXPECT_EQ(FindDrive("Y", program + 3), "Z");
    EXPECT_EQ(FindDrive("A", UniqueName("qimapi-nowhere")), "");
}

// Each code from the start up is tried, those below "A" too: they name no drive.
TEST_F(DrivesTest, FindDriveTriesCodesBelowAAsDrivesThatDoNotExist)
{
    PlaceOn("E", name_);
    SearchRecorder recorder;
    ASSERT_TRUE(recorder.ok());
    const struct {
        const char *start;
        int firstCode;
    } cases[] = {{"", 0}, {"1", '1'}, {"@", '@'}};
    for (const auto &c : cases) {
        recorder.clear();
        EXPECT_EQ(FindDrive(c.start, name_), "E") << '"' << c.start << '"';
        ASSERT_EQ(recorder.searches().size(), static_cast<size_t>('E' - c.firstCode + 1)) << '"' << c.start << '"';
        const std::string tail = ":\\" + name_;
        EXPECT_EQ(recorder.searches()[0].name, c.firstCode ? std::string(1, static_cast<char>(c.firstCode)) + tail : "");
        EXPECT_EQ(recorder.searches().back().name, "E" + tail);
    }
}

TEST_F(DrivesTest, FindDriveSearchesNothingFromCodesAboveZ)
{
    PlaceOn("EF", name_);
    SearchRecorder recorder;
    ASSERT_TRUE(recorder.ok());
    for (const char *start : {"[", "`", "{", "~", "\x7f", "\xc1", "\xe1", "\xff"}) {
        recorder.clear();
        EXPECT_EQ(FindDrive(start, name_), "") << static_cast<int>(static_cast<unsigned char>(start[0]));
        EXPECT_TRUE(recorder.searches().empty());
    }
}

// Wine never shows the critical-error box, so the mode in force during each search is what shows
// that none could appear.
TEST_F(DrivesTest, FindDriveSearchesPastEmptyDrivesWithCriticalErrorsOff)
{
    PlaceOn("S", name_);
    SearchRecorder recorder;
    ASSERT_TRUE(recorder.ok());
    for (int on : {0, 1}) {
        QIMAPI(DisableDiskErrors)(on);
        recorder.clear();
        EXPECT_EQ(FindDrive("R", name_), "S");
        ASSERT_EQ(recorder.searches().size(), 2u);
        EXPECT_EQ(recorder.searches()[0].name, "R:\\" + name_);
        for (const files_test::Search &search : recorder.searches())
            EXPECT_EQ(search.errorMode, static_cast<UINT>(SEM_FAILCRITICALERRORS)) << search.name;
        EXPECT_EQ(GetErrorMode(), 0u);
    }
}

// "E:\" and 249 characters make 252: a longer FileName is cut there, whatever follows.
TEST_F(DrivesTest, FindDriveCutsThePathTo252Characters)
{
    const std::string fits = UniqueName("f") + Letters(249);
    const std::string name249 = fits.substr(0, 249);
    const std::string name250 = "g" + name249;   // exists, but its last character is cut off
    PlaceOn("E", name249);
    PlaceOn("E", name250);
    EXPECT_EQ(FindDrive("E", name249), "E");
    EXPECT_EQ(FindDrive("E", name249 + "z"), "E");
    EXPECT_EQ(FindDrive("E", name249 + "\\no such file"), "E");
    EXPECT_EQ(FindDrive("E", name250), "");

    SearchRecorder recorder;
    ASSERT_TRUE(recorder.ok());
    FindDrive("Y", std::string(400, 'x'));
    ASSERT_EQ(recorder.searches().size(), 2u);
    EXPECT_EQ(recorder.searches()[0].name, "Y:\\" + std::string(249, 'x'));
}

// The drive path gets a second backslash, and the system takes that path as it does.
TEST_F(DrivesTest, FindDriveTestsAFileNameWithLeadingBackslashAsGiven)
{
    PlaceOn("F", name_);
    SearchRecorder recorder;
    ASSERT_TRUE(recorder.ok());
    std::string answer = FindDrive("F", "\\" + name_);
    ASSERT_FALSE(recorder.searches().empty());
    EXPECT_EQ(recorder.searches()[0].name, "F:\\\\" + name_);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(("F:\\\\" + name_).c_str(), &found);
    EXPECT_EQ(answer, search != INVALID_HANDLE_VALUE ? "F" : "");
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

TEST_F(DrivesTest, StartDriveAndFileNameOfAnyLength)
{
    PlaceOn("E", name_);
    SearchRecorder recorder;
    ASSERT_TRUE(recorder.ok());
    for (size_t length : kTextLengths) {
        std::string start = "e" + Letters(length);   // only the first character counts
        start.resize(length);
        EXPECT_EQ(FindDrive(start, name_), "E") << length;

        recorder.clear();
        EXPECT_EQ(FindDrive("X", Letters(length)), "") << length;
        ASSERT_EQ(recorder.searches().size(), 3u);   // X, Y and Z
        EXPECT_EQ(recorder.searches()[0].name, ("X:\\" + Letters(length)).substr(0, 252)) << length;
        EXPECT_EQ(DriveKind(std::string(length, 'E')), "Invalid") << length;
    }
}

}  // namespace
