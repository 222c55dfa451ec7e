// ReadIni on INI files of the tests' own that no editor would write: long lines, no final line
// break, NUL bytes and bytes above 0x7F, sections and keys twice, a folder for a file and a file
// that another program holds open. The system's private profile functions read the file, so
// their rules decide the value; each row names the Wine rule it meets.
#include <memory>

#include "common/leak_probe.h"
#include "common/qimapi_test.h"
#include "launch/launch_fixture.h"

namespace {

using qimapi_test::Letters;
using qimapi_test::TempFolder;
using qimapi_test::UniqueName;

const char kDefault[] = "default";

std::string HighBytes()
{
    std::string high;
    for (int byte = 0x80; byte <= 0xFF; ++byte) high += static_cast<char>(byte);
    return high;
}

// A line of length characters that gives the key K the value it takes, without the line break.
std::string LineOf(size_t length)
{
    return "K=" + Letters(length - 2);
}

enum class Where { kFile, kFolder, kHeldElsewhere };

struct IniRow {
    const char *name;
    std::string content;   // the file's bytes
    const char *key;       // read in the section S
    std::string answer;
    Where where;
};

const std::vector<IniRow> &Rows()
{
    static const std::vector<IniRow> rows = {
        {"LineOf254Characters", "[S]\r\n" + LineOf(254) + "\r\n", "K", Letters(252), Where::kFile},
        {"LineOf255Characters", "[S]\r\n" + LineOf(255) + "\r\n", "K", Letters(253), Where::kFile},
        {"LineOf256Characters", "[S]\r\n" + LineOf(256) + "\r\n", "K", Letters(254), Where::kFile},
        {"LineOf65536Characters", "[S]\r\n" + LineOf(65536) + "\r\n", "K", Letters(254), Where::kFile},
        {"LineOf65536CharactersBeforeTheKey", "[S]\r\nX=" + Letters(65534) + "\r\nK=after\r\n", "K", "after",
         Where::kFile},
        {"NoLineBreakAtTheEnd", "[S]\r\nK=value", "K", "value", Where::kFile},
        // Wine ends a value at a NUL byte and goes on with the next line.
        {"NulByteInTheValue", std::string("[S]\r\nK=ab\0cd\r\n", 14), "K", "ab", Where::kFile},
        {"NulByteInALineBefore", std::string("[S]\r\nX=a\0b\r\nK=value\r\n", 21), "K", "value", Where::kFile},
        {"BytesAbove0x7F", "[S]\r\nK=" + HighBytes() + "\r\n", "K", HighBytes(), Where::kFile},
        {"KeyTwice", "[S]\r\nK=first\r\nK=second\r\n", "K", "first", Where::kFile},
        // Wine reads the first section of a name only: a key of its second copy is not found.
        {"SectionTwice", "[S]\r\nK=first\r\n[S]\r\nK=second\r\nL=second only\r\n", "K", "first", Where::kFile},
        {"KeyInTheSecondCopyOfASection", "[S]\r\nK=first\r\n[S]\r\nL=second only\r\n", "L", kDefault, Where::kFile},
        {"FileNameOfAFolder", "", "K", kDefault, Where::kFolder},
        {"FileHeldOpenElsewhereWithoutSharing", "[S]\r\nK=held\r\n", "K", kDefault, Where::kHeldElsewhere},
    };
    return rows;
}

void WriteFileBytes(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    CloseHandle(file);
}

// The file opened without sharing by another program (file_holder.c) for the life of the object.
class HeldElsewhere {
public:
    explicit HeldElsewhere(const std::string &path)
        : heldName_(UniqueName("QimapiHeld")), releaseName_(UniqueName("QimapiRelease")),
          held_(CreateEventA(nullptr, TRUE, FALSE, heldName_.c_str())),
          release_(CreateEventA(nullptr, TRUE, FALSE, releaseName_.c_str()))
    {
        std::string command = "\"" + launch_test::BinFolder() + "hostile_file_holder.exe\" \"" + path + "\" " +
                              heldName_ + " " + releaseName_;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        EXPECT_TRUE(qimapi_test::StartProcess(nullptr, &command[0], FALSE, &startup, &holder_)) << command;
        HANDLE either[] = {held_, holder_.hProcess};
        EXPECT_EQ(WaitForMultipleObjects(2, either, FALSE, qimapi_test::Limit(5000)), WAIT_OBJECT_0)
            << "the other program does not hold the file";
    }
    ~HeldElsewhere()
    {
        SetEvent(release_);
        if (holder_.hProcess && WaitForSingleObject(holder_.hProcess, qimapi_test::Limit(5000)) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "the other program did not end";
            TerminateProcess(holder_.hProcess, 1);
            WaitForSingleObject(holder_.hProcess, 5000);
        }
        CloseHandle(holder_.hProcess);
        CloseHandle(holder_.hThread);
        CloseHandle(held_);
        CloseHandle(release_);
    }
    HeldElsewhere(const HeldElsewhere &) = delete;
    HeldElsewhere &operator=(const HeldElsewhere &) = delete;

private:
    std::string heldName_, releaseName_;
    HANDLE held_, release_;
    PROCESS_INFORMATION holder_ = {};
};

class HostileIni : public testing::TestWithParam<size_t> {
protected:
    void TearDown() override { DeleteFileA(path_.c_str()); }
    const std::string path_ = TempFolder() + UniqueName("qimapi-hostile") + ".ini";
};

TEST_P(HostileIni, AnswersWhatTheProfileFunctionsReadAndKeepsNothing)
{
    const IniRow &row = Rows()[GetParam()];
    WriteFileBytes(path_, row.content);
    const std::string file = row.where == Where::kFolder ? TempFolder() : path_;
    auto readIni = [&] {
        return qimapi_test::TakeResultString(QIMAPI(ReadIni)("S", row.key, kDefault, file.c_str()));
    };
    std::unique_ptr<HeldElsewhere> held(row.where == Where::kHeldElsewhere ? new HeldElsewhere(path_) : nullptr);
    EXPECT_EQ(readIni(), row.answer);
    EXPECT_EQ(qimapi_test::KeptBy(readIni), "");
}

std::string RowName(const testing::TestParamInfo<size_t> &info)
{
    return Rows()[info.param].name;
}

INSTANTIATE_TEST_SUITE_P(Rows, HostileIni, testing::Range<size_t>(0, Rows().size()), RowName);

}  // namespace
