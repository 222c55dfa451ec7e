// Text to and from the real clipboard, checked through this program's own clipboard calls; the
// blocks the DLL allocates and frees through recorders of its GlobalAlloc and GlobalFree; blocks
// that other programs leave, hostile ones among them.
#include <stdlib.h>
#include <string.h>

#include <iterator>

#include "common/clipboard_fixtures.h"
#include "common/leak_probe.h"
#include "common/qimapi_test.h"

using qimapi_test::ClipboardKeeper;
using qimapi_test::ClipboardText;
using qimapi_test::DeactivateThread;
using qimapi_test::Dll;
using qimapi_test::ImportPatch;
using qimapi_test::FillClipboard;
using qimapi_test::PutText;
using qimapi_test::TakeResultString;
using qimapi_test::TestWindow;
using qimapi_test::TextBlock;

namespace {

HBITMAP Picture()
{
    HDC screen = GetDC(0);
    HBITMAP picture = CreateCompatibleBitmap(screen, 8, 8);
    ReleaseDC(0, screen);
    return picture;
}

// Each test runs with an active window, the one the DLL opens the clipboard for, so that a
// clipboard left open shows as GetOpenClipboardWindow. The text on the clipboard before is put
// back afterwards.
class Clipboard : public testing::Test {
protected:
    void SetUp() override { active_.ShowActive(); }
    static void ExpectClosed() { EXPECT_EQ(GetOpenClipboardWindow(), nullptr) << "the clipboard was left open"; }

    TestWindow active_;

private:
    ClipboardKeeper keeper_;
};

std::string Pattern(size_t length)
{
    std::string text;
    for (size_t i = 0; i < length; ++i) text += static_cast<char>('a' + i % 26);
    return text;
}

TEST_F(Clipboard, TextsOfAnyLengthPassWholeInBothDirections)
{
    const std::string texts[] = {"", "x", "Hello, clipboard!", "caf\xe9 \x80\xff", "two\r\nlines",
                                 Pattern(5000), Pattern(65536), Pattern(70000)};
    for (const std::string &text : texts) {
        SCOPED_TRACE(text.substr(0, 20) + "... of " + std::to_string(text.size()));
        PutText("before");
        EXPECT_EQ(QIMAPI(CopyToClipboard)(text.c_str()), 1);
        ExpectClosed();
        EXPECT_EQ(ClipboardText(), text);

        PutText(text + "!");
        EXPECT_EQ(TakeResultString(QIMAPI(CopyFromClipboard)()), text + "!");
        ExpectClosed();
        EXPECT_EQ(ClipboardText(), text + "!") << "the clipboard's own block changed";
    }
}

TEST_F(Clipboard, WithoutAnActiveWindowTheTextPassesAllTheSame)
{
    DeactivateThread();
    EXPECT_EQ(QIMAPI(CopyToClipboard)("no active window"), 1);
    EXPECT_EQ(ClipboardText(), "no active window");
    EXPECT_EQ(TakeResultString(QIMAPI(CopyFromClipboard)()), "no active window");
}

TEST_F(Clipboard, CopyToClipboardLeavesDataInOtherFormats)
{
    const UINT privateFormat = RegisterClipboardFormatA("QIMAPI test format");
    ASSERT_TRUE(privateFormat);
    FillClipboard({{CF_BITMAP, Picture()}, {privateFormat, TextBlock(std::string("kept\0", 5))}});
    EXPECT_EQ(QIMAPI(CopyToClipboard)("beside a picture"), 1);
    ExpectClosed();
    EXPECT_EQ(ClipboardText(), "beside a picture");
    ASSERT_TRUE(OpenClipboard(0));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    HANDLE kept = GetClipboardData(privateFormat);
    ASSERT_TRUE(kept);
    EXPECT_STREQ(static_cast<const char *>(GlobalLock(kept)), "kept");
    GlobalUnlock(kept);
    CloseClipboard();
}

TEST_F(Clipboard, CopyFromClipboardWithoutTextGivesTheEmptyText)
{
    FillClipboard({});
    EXPECT_EQ(TakeResultString(QIMAPI(CopyFromClipboard)()), "");   // a block, not 0
    ExpectClosed();
    FillClipboard({{CF_BITMAP, Picture()}});
    EXPECT_EQ(TakeResultString(QIMAPI(CopyFromClipboard)()), "");
    ExpectClosed();
    ASSERT_TRUE(OpenClipboard(0));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    CloseClipboard();
}

TEST_F(Clipboard, CopyFromClipboardTakesTheTextUpToItsFirstNul)
{
    FillClipboard({{CF_TEXT, TextBlock(std::string("AB\0CD", 5))}});
    EXPECT_EQ(TakeResultString(QIMAPI(CopyFromClipboard)()), "AB");
}

// The DLL's global blocks: what it allocated, with which flags and size, and what it freed.
struct BlockRecord {
    std::vector<HGLOBAL> allocated;
    std::vector<UINT> flags;
    std::vector<SIZE_T> sizes;
    std::vector<HGLOBAL> freed;
    bool exhausted = false;   // every allocation fails
};
BlockRecord blocks;
ImportPatch *allocPatch, *freePatch;

HGLOBAL WINAPI RecordGlobalAlloc(UINT flags, SIZE_T size)
{
    HGLOBAL block = blocks.exhausted ? nullptr : allocPatch->original<decltype(&GlobalAlloc)>()(flags, size);
    blocks.allocated.push_back(block);
    blocks.flags.push_back(flags);
    blocks.sizes.push_back(size);
    return block;
}

HGLOBAL WINAPI RecordGlobalFree(HGLOBAL block)
{
    blocks.freed.push_back(block);
    return freePatch->original<decltype(&GlobalFree)>()(block);
}

// Records the DLL's global blocks for the life of the object.
class BlockSpy {
public:
    BlockSpy()
        : alloc_(Dll(), "kernel32.dll", "GlobalAlloc", (void *)RecordGlobalAlloc),
          free_(Dll(), "kernel32.dll", "GlobalFree", (void *)RecordGlobalFree)
    {
        blocks = BlockRecord();
        allocPatch = &alloc_;
        freePatch = &free_;
    }
    bool ok() const { return alloc_.ok() && free_.ok(); }

private:
    ImportPatch alloc_, free_;
};

TEST_F(Clipboard, CopyToClipboardHandsItsBlockOverAndFreesNone)
{
    BlockSpy spy;
    ASSERT_TRUE(spy.ok());
    EXPECT_EQ(QIMAPI(CopyToClipboard)("handed over"), 1);
    ASSERT_EQ(blocks.allocated.size(), 1u);
    EXPECT_EQ(blocks.flags[0], static_cast<UINT>(GMEM_MOVEABLE | GMEM_ZEROINIT));
    EXPECT_EQ(blocks.sizes[0], 12u);
    EXPECT_TRUE(blocks.freed.empty()) << "the clipboard owns the block";
    EXPECT_EQ(ClipboardText(), "handed over");
}

HANDLE WINAPI RefuseClipboardData(UINT, HANDLE)
{
    return 0;
}

TEST_F(Clipboard, ABlockTheClipboardRefusesIsFreedAndTheClipboardClosed)
{
    PutText("before");
    BlockSpy spy;
    ImportPatch refuse(Dll(), "user32.dll", "SetClipboardData", (void *)RefuseClipboardData);
    ASSERT_TRUE(spy.ok() && refuse.ok());
    EXPECT_EQ(QIMAPI(CopyToClipboard)("refused"), 0);
    ExpectClosed();
    ASSERT_EQ(blocks.allocated.size(), 1u);
    EXPECT_EQ(blocks.freed, std::vector<HGLOBAL>{blocks.allocated[0]});
    EXPECT_EQ(ClipboardText(), "before");
}

// Holds the clipboard open from a thread of its own with a window of its own, which keeps
// others out (opened without a window, Wine lets others in), until Release or 10 s.
class ClipboardHolder {
public:
    ClipboardHolder()
    {
        held_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
        EXPECT_EQ(WaitForSingleObject(held_, 5000), WAIT_OBJECT_0);
        EXPECT_TRUE(holding_) << "the holder could not open the clipboard";
    }
    ~ClipboardHolder()
    {
        Release();
        CloseHandle(thread_);
        CloseHandle(held_);
        CloseHandle(release_);
    }
    bool holding() const { return holding_ != 0; }
    void Release()
    {
        SetEvent(release_);
        WaitForSingleObject(thread_, 15000);
    }

private:
    static DWORD WINAPI Run(void *param)
    {
        auto *self = static_cast<ClipboardHolder *>(param);
        TestWindow window("clipboard holder");
        self->holding_ = OpenClipboard(window.hwnd());
        SetEvent(self->held_);
        if (!self->holding_) return 0;
        WaitForSingleObject(self->release_, 10000);
        self->holding_ = 0;
        CloseClipboard();
        return 0;
    }
    HANDLE held_, release_, thread_;
    volatile LONG holding_ = 0;
};

TEST_F(Clipboard, AClipboardHeldOpenElsewhereAnswersAtOnceAndStaysUnchanged)
{
    PutText("before");
    BlockSpy spy;
    ASSERT_TRUE(spy.ok());
    ClipboardHolder holder;
    ASSERT_TRUE(holder.holding());
    EXPECT_EQ(QIMAPI(CopyToClipboard)("while busy"), 0);
    EXPECT_EQ(TakeResultString(QIMAPI(CopyFromClipboard)()), "");
    EXPECT_TRUE(holder.holding()) << "the calls waited for the clipboard instead of answering";
    holder.Release();
    ASSERT_EQ(blocks.allocated.size(), 2u);   // the refused block, then the result string
    EXPECT_EQ(blocks.freed, std::vector<HGLOBAL>{blocks.allocated[0]});
    EXPECT_EQ(ClipboardText(), "before");
}

int clipboardOpenings;
ImportPatch *openPatch;

BOOL WINAPI CountOpenClipboard(HWND window)
{
    ++clipboardOpenings;
    return openPatch->original<decltype(&OpenClipboard)>()(window);
}

TEST_F(Clipboard, WithoutMemoryBothGiveZeroAndCopyToClipboardOpensNothing)
{
    PutText("before");
    BlockSpy spy;
    ImportPatch open(Dll(), "user32.dll", "OpenClipboard", (void *)CountOpenClipboard);
    ASSERT_TRUE(spy.ok() && open.ok());
    openPatch = &open;
    clipboardOpenings = 0;
    blocks.exhausted = true;
    EXPECT_EQ(QIMAPI(CopyToClipboard)("no memory"), 0);
    EXPECT_EQ(clipboardOpenings, 0);
    EXPECT_EQ(QIMAPI(CopyFromClipboard)(), nullptr);
    ExpectClosed();
    EXPECT_EQ(blocks.allocated.size(), 2u);
    EXPECT_EQ(ClipboardText(), "before");
}

// The clipboard's text block as the DLL receives it through its GetClipboardData and GlobalLock:
// fakeBlock, which GlobalLock turns into fakeText (nullptr: the lock fails).
HGLOBAL fakeBlock;
const char *fakeText;
ImportPatch *lockPatch;

HANDLE WINAPI GiveFakeBlock(UINT format)
{
    return format == CF_TEXT ? fakeBlock : nullptr;
}

LPVOID WINAPI LockFakeBlock(HGLOBAL block)
{
    return block == fakeBlock ? const_cast<char *>(fakeText) : lockPatch->original<decltype(&GlobalLock)>()(block);
}

class ClipboardBlock : public Clipboard {
protected:
    void TearDown() override
    {
        if (fakeBlock) GlobalFree(fakeBlock);
        fakeBlock = nullptr;
        Clipboard::TearDown();
    }
    // Calls CopyFromClipboard with a fake block of size bytes in place.
    std::string CopyFromFakeBlock(size_t size)
    {
        if (fakeBlock) GlobalFree(fakeBlock);
        fakeBlock = GlobalAlloc(GMEM_MOVEABLE, size);
        EXPECT_EQ(GlobalSize(fakeBlock), size);
        ImportPatch getData(Dll(), "user32.dll", "GetClipboardData", (void *)GiveFakeBlock);
        ImportPatch lock(Dll(), "kernel32.dll", "GlobalLock", (void *)LockFakeBlock);
        EXPECT_TRUE(getData.ok() && lock.ok());
        lockPatch = &lock;
        return TakeResultString(QIMAPI(CopyFromClipboard)());
    }
};

// Wine ends every CF_TEXT block it hands out with a NUL in its last byte, and hands out no block
// of no bytes (see HostileClipboard), so such blocks reach the DLL only through the recorders;
// here the block's bytes lie right before a page that cannot be read, and a read past them faults.
TEST_F(ClipboardBlock, CopyFromClipboardReadsATextWithoutNulNoFurtherThanItsBlock)
{
    qimapi_test::EndProgramAtFault("CopyFromClipboard read past the block");
    for (const std::string bytes : {"ABCDE", ""}) {
        qimapi_test::GuardedBytes text(bytes.size());
        ASSERT_TRUE(text.data());
        memcpy(text.data(), bytes.data(), bytes.size());
        fakeText = text.data();
        EXPECT_EQ(CopyFromFakeBlock(bytes.size()), bytes);
        ExpectClosed();
    }
}

TEST_F(ClipboardBlock, CopyFromClipboardGivesTheEmptyTextWhenTheTextCannotBeLocked)
{
    fakeText = nullptr;
    EXPECT_EQ(CopyFromFakeBlock(5), "");
    ExpectClosed();
}

// ---- Blocks that other programs leave on the clipboard ----

const char kLeavingChild[] = "QIMAPI_CLIPBOARD_LEAVING_CHILD";
const char kLeftText[] = "left by a program that has ended";

// Run as a child program by HostileClipboard: puts its text on the clipboard and ends.
TEST(HostileClipboardChild, PutsTextAndEnds)
{
    if (!getenv(kLeavingChild)) GTEST_SKIP() << "only as the child program of HostileClipboard";
    PutText(kLeftText);
}

// Leaves a CF_TEXT block of these bytes on the clipboard alone, as another program may; a block the
// clipboard refuses is freed.
void LeaveBlock(const std::string &bytes, UINT flags)
{
    HGLOBAL block = GlobalAlloc(flags, bytes.size());
    ASSERT_TRUE(block);
    if (!bytes.empty()) {
        memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
    }
    ASSERT_TRUE(OpenClipboard(0));
    EmptyClipboard();
    const bool taken = SetClipboardData(CF_TEXT, block) != 0;
    CloseClipboard();
    if (!taken) GlobalFree(block);
}

struct HostileBlock {
    const char *name;
    void (*leave)();
    const char *text;
};

const HostileBlock kHostileBlocks[] = {
    // Wine refuses a movable block of no bytes: the clipboard then holds no text.
    {"NoBytesMovable", [] { LeaveBlock("", GMEM_MOVEABLE); }, ""},
    // Wine hands a fixed block of no bytes out as one byte, a NUL.
    {"NoBytesFixed", [] { LeaveBlock("", GMEM_FIXED); }, ""},
    // Wine puts a NUL in the last byte of a block without one; ClipboardBlock above has the whole
    // text of such a block, as it reaches the DLL on Windows.
    {"WithoutNul", [] { LeaveBlock("ABCDE", GMEM_MOVEABLE); }, "ABCD"},
    {"LeftByAProgramThatHasEnded",
     [] { EXPECT_EQ(qimapi_test::RunThisProgram("HostileClipboardChild.*", kLeavingChild), 0u); }, kLeftText},
};

class HostileClipboard : public Clipboard, public testing::WithParamInterface<size_t> {};

TEST_P(HostileClipboard, GivesTheTextToItsEndAndKeepsNothing)
{
    const HostileBlock &block = kHostileBlocks[GetParam()];
    block.leave();
    auto copyFromClipboard = [] { return TakeResultString(QIMAPI(CopyFromClipboard)()); };
    EXPECT_EQ(copyFromClipboard(), block.text);
    ExpectClosed();
    EXPECT_EQ(qimapi_test::KeptBy(copyFromClipboard), "");
}

std::string BlockName(const testing::TestParamInfo<size_t> &info)
{
    return kHostileBlocks[info.param].name;
}

INSTANTIATE_TEST_SUITE_P(Blocks, HostileClipboard, testing::Range<size_t>(0, std::size(kHostileBlocks)), BlockName);

}  // namespace
