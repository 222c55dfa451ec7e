// FileVersion on version resources written byte by byte (version_blocks.h): texts empty, long,
// without their NUL or ending the whole block, and translations missing, other or many. Each row
// answers under a version block that ends where an unreadable page begins and is filled with bytes
// that are no NUL, so that a read past the value or the block shows in the answer; then it is
// called again on the ordinary heap to see that it keeps nothing.
#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include "common/leak_probe.h"
#include "common/qimapi_test.h"
#include "hostile/version_blocks.h"

namespace {

using hostile::StringFileInfo;
using hostile::StringTable;
using hostile::VarFileInfo;
using hostile::VersionBytes;
using hostile::VersionFixture;
using hostile::VersionInfo;
using hostile::VersionNode;
using hostile::VersionText;
using qimapi_test::Dll;
using qimapi_test::GuardedBytes;
using qimapi_test::ImportPatch;
using qimapi_test::Letters;

// The DLL's heap blocks (its version block is the only one) placed to end where a page that
// cannot be read begins, and filled with 'X'. Wine's lstrcpynA and others catch the fault of a
// read past such a block and stop there, so a read past it shows as X's in the answer.
class GuardedBlocks {
public:
    GuardedBlocks()
        : alloc_(Dll(), "kernel32.dll", "HeapAlloc", (void *)Alloc),
          free_(Dll(), "kernel32.dll", "HeapFree", (void *)Free)
    {
    }
    bool ok() const { return alloc_.ok() && free_.ok(); }

private:
    static std::vector<std::unique_ptr<GuardedBytes>> &Blocks()
    {
        static std::vector<std::unique_ptr<GuardedBytes>> blocks;
        return blocks;
    }
    static LPVOID WINAPI Alloc(HANDLE, DWORD, SIZE_T size)
    {
        Blocks().emplace_back(new GuardedBytes(size));
        char *block = Blocks().back()->data();
        if (block) memset(block, 'X', size);
        return block;
    }
    static BOOL WINAPI Free(HANDLE heap, DWORD flags, LPVOID block)
    {
        auto &blocks = Blocks();
        for (auto guarded = blocks.begin(); guarded != blocks.end(); ++guarded) {
            if ((*guarded)->data() != block) continue;
            blocks.erase(guarded);
            return TRUE;
        }
        return HeapFree(heap, flags, block);
    }
    ImportPatch alloc_, free_;
};

const std::string kVersion = "4.0.1 beta";
const std::pair<WORD, WORD> kUsEnglishWindows = {0x0409, 1252};

// The string information with the US English Windows table only, holding the values.
VersionNode UsEnglishWindows(const std::vector<VersionNode> &values)
{
    return StringFileInfo({StringTable("040904E4", values)});
}

// The usual resource: the US English Windows table holding values, its translation listed after it.
VersionNode Usual(const std::vector<VersionNode> &values)
{
    return VersionInfo({UsEnglishWindows(values), VarFileInfo({kUsEnglishWindows})});
}

VersionNode FileVersionOf(const std::string &text)
{
    return Usual({VersionText("FileVersion", text)});
}

struct VersionRow {
    const char *name;
    VersionNode resource;
    std::string answer;
};

const std::vector<VersionRow> &Rows()
{
    static const std::vector<VersionRow> rows = {
        {"Empty", FileVersionOf(""), ""},
        {"EmptyWithoutItsNul", Usual({VersionText("FileVersion", "", /*terminated=*/false)}), ""},
        {"Of63Characters", FileVersionOf(Letters(63)), Letters(63)},
        {"Of64Characters", FileVersionOf(Letters(64)), Letters(63)},
        {"Of65Characters", FileVersionOf(Letters(65)), Letters(63)},
        {"Of1000Characters", FileVersionOf(Letters(1000)), Letters(63)},
        // Wine's VerQueryValueA converts the value's characters and no more, and points at text
        // that the NUL of a terminated value would end.
        {"NotTerminatedWithinItsValue",
         Usual({VersionText("FileVersion", kVersion, /*terminated=*/false), VersionText("ProductVersion", "9.9")}),
         kVersion},
        {"NotTerminatedAndTheLastValueOfTheBlock",
         VersionInfo({VarFileInfo({kUsEnglishWindows}),
                      UsEnglishWindows({VersionText("ProductVersion", "9.9"),
                                        VersionText("FileVersion", kVersion, /*terminated=*/false)})}),
         kVersion},
        {"TheLastValueOfTheBlock",
         VersionInfo({VarFileInfo({kUsEnglishWindows}), UsEnglishWindows({VersionText("FileVersion", kVersion)})}),
         kVersion},
        // A value of bytes is handed over unconverted, its length counted in bytes.
        {"BytesInsteadOfText", Usual({VersionBytes("FileVersion", kVersion)}), kVersion},
        {"NoTranslations", VersionInfo({UsEnglishWindows({VersionText("FileVersion", kVersion)})}), "0"},
        {"VarFileInfoWithoutTranslation",
         VersionInfo({UsEnglishWindows({VersionText("FileVersion", kVersion)}),
                      {"VarFileInfo", "", 0, 1, {VersionBytes("Other", "abcd")}}}),
         "0"},
        // The list's presence is all that counts, whatever it lists.
        {"AnEmptyListOfTranslations",
         VersionInfo({UsEnglishWindows({VersionText("FileVersion", kVersion)}), VarFileInfo({})}), kVersion},
        {"AnotherTranslationListed",
         VersionInfo({UsEnglishWindows({VersionText("FileVersion", kVersion)}), VarFileInfo({{0x0407, 1252}})}),
         kVersion},
        {"SeveralTranslationsListed",
         VersionInfo({StringFileInfo({StringTable("040704E4", {VersionText("FileVersion", "4.0 deutsch")}),
                                      StringTable("040904E4", {VersionText("FileVersion", kVersion)})}),
                      VarFileInfo({{0x0407, 1252}, {0x0409, 1200}, kUsEnglishWindows})}),
         kVersion},
    };
    return rows;
}

class HostileVersion : public testing::TestWithParam<size_t> {};

TEST_P(HostileVersion, AnswersTheTextToItsEndOrZeroAndKeepsNothing)
{
    const VersionRow &row = Rows()[GetParam()];
    VersionFixture file(row.resource);
    auto fileVersion = [&] { return qimapi_test::TakeResultString(QIMAPI(FileVersion)(file.path().c_str())); };
    {
        qimapi_test::EndProgramAtFault("FileVersion read past its version block");
        GuardedBlocks guarded;
        ASSERT_TRUE(guarded.ok());
        EXPECT_EQ(fileVersion(), row.answer);
    }
    EXPECT_EQ(qimapi_test::KeptBy(fileVersion), "");
}

std::string RowName(const testing::TestParamInfo<size_t> &info)
{
    return Rows()[info.param].name;
}

INSTANTIATE_TEST_SUITE_P(Rows, HostileVersion, testing::Range<size_t>(0, Rows().size()), RowName);

}  // namespace
