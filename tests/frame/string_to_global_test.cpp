// StringToGlobal, linked in from the DLL's own objects; its GlobalAlloc is this program's import.
#include "common/qimapi_test.h"
#include "frame/frame.h"

using qimapi_test::ImportPatch;
using qimapi_test::TakeResultString;

namespace {

UINT seenFlags;
SIZE_T seenBytes;
ImportPatch *allocPatch;

HGLOBAL WINAPI RecordGlobalAlloc(UINT flags, SIZE_T bytes)
{
    seenFlags = flags;
    seenBytes = bytes;
    return allocPatch->original<HGLOBAL(WINAPI *)(UINT, SIZE_T)>()(flags, bytes);
}

HGLOBAL WINAPI NoMemory(UINT, SIZE_T) { return 0; }

TEST(StringToGlobal, CopiesTextIntoAnUnlockedBlockOfItsLengthPlusOne)
{
    const std::string texts[] = {"", "x", "OK", std::string(255, 'a'), "caf\xe9 \x80\xff", std::string(5000, 'z')};
    for (const std::string &text : texts)
        EXPECT_EQ(TakeResultString(StringToGlobal(text.c_str())), text);   // checks size and lock
}

TEST(StringToGlobal, GivenALengthTakesThatManyCharacters)
{
    struct Case {
        const char *text;
        SIZE_T length;
        const char *expected;
    } cases[] = {{"abcdef", 3, "abc"}, {"abc", 3, "abc"}, {"abc", 0, ""}, {"", 0, ""}};
    for (const Case &c : cases)
        EXPECT_EQ(TakeResultString(StringToGlobal(c.text, c.length)), c.expected) << c.text << ' ' << c.length;
}

TEST(StringToGlobal, AsksForAMovableBlockThatIsNotZeroFilled)
{
    ImportPatch patch(GetModuleHandleA(nullptr), "kernel32.dll", "GlobalAlloc", (void *)RecordGlobalAlloc);
    ASSERT_TRUE(patch.ok());
    allocPatch = &patch;
    TakeResultString(StringToGlobal("Retry"));
    EXPECT_EQ(seenFlags, static_cast<UINT>(GMEM_MOVEABLE));
    EXPECT_EQ(seenBytes, 6u);
}

TEST(StringToGlobal, GivesZeroWhenTheBlockCannotBeAllocated)
{
    ImportPatch patch(GetModuleHandleA(nullptr), "kernel32.dll", "GlobalAlloc", (void *)NoMemory);
    ASSERT_TRUE(patch.ok());
    EXPECT_EQ(StringToGlobal("text"), nullptr);
}

}  // namespace
