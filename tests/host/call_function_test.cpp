// Exports called through the host library in this process: the refusals of a call that cannot be
// made soundly, and result strings taken over. (qimhost's tests call the fixture DLL's exports
// through the same library and show each result letter.)
#include <windows.h>

#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <string>

#include "host/call_function.h"
#include "host/function_table.h"
#include "host/result_text.h"

namespace {

// The fixture DLL and its function table, for the life of the test.
class CallFunction : public testing::Test {
protected:
    void SetUp() override
    {
        handle_ = LoadLibraryA("qimhost_fixture.dll");
        ASSERT_TRUE(handle_);
        ASSERT_EQ(host::ReadFunctionTable(handle_, "qimhost_fixture.dll", &dll_), "");
    }
    void TearDown() override { FreeLibrary(handle_); }

    // What CallFunction says of a call of the function with these slots.
    std::string ProblemOf(const char *name, std::initializer_list<uintptr_t> slots)
    {
        const host::Function *function = host::FindFunction(dll_, name);
        EXPECT_TRUE(function) << name;
        uintptr_t result = 0;
        return function ? host::CallFunction(dll_, *function, slots.begin(), slots.size(), &result) : "";
    }

    HMODULE handle_ = nullptr;
    host::Module dll_;
};

TEST_F(CallFunction, RefusesCallsThatCannotBeMadeSoundly)
{
    EXPECT_EQ(ProblemOf("Add", {1}), "Add takes 2 argument(s), not 1");
    EXPECT_EQ(ProblemOf("Nothing", {1, 2, 3}), "Nothing takes 0 argument(s), not 3");
    EXPECT_EQ(ProblemOf("Ghost", {}), "qimhost_fixture.dll describes Ghost but does not export it");
}

// Liar's descriptor claims two arguments for its one: the standard call removes one slot of two.
TEST_F(CallFunction, RefusesAnExportThatLeavesTheStackUnbalanced)
{
    // 64-bit callers remove the arguments themselves, so no export can unbalance the stack there.
    if (sizeof(void *) == 8) GTEST_SKIP() << "only 32-bit standard calls can leave the stack unbalanced";
    EXPECT_EQ(ProblemOf("Liar", {1, 2}), "Liar left the stack unbalanced by 4 bytes: its descriptor does not match its code");
}

// A movable block of these bytes, as an export would hand it over.
HGLOBAL Block(const std::string &bytes)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (block) {
        memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
    }
    return block;
}

TEST(ResultText, TakesOverTheBlockWithinItsSize)
{
    struct Case {
        std::string bytes;
        const char *text;
    };
    const Case cases[] = {
        {std::string("text\0", 5), "text"},
        {std::string("\0", 1), ""},
        {std::string("cut\0after", 9), "cut"},
        {"no NUL", "no NUL"},   // read no further than the block
    };
    for (const Case &c : cases) {
        HGLOBAL block = Block(c.bytes);
        ASSERT_TRUE(block);
        std::string text = "left over";
        EXPECT_TRUE(host::TakeResultString(block, &text));
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(GlobalFlags(block), static_cast<UINT>(GMEM_INVALID_HANDLE)) << "the block is freed";
    }
    std::string text = "left over";
    EXPECT_TRUE(host::TakeResultString(0, &text));
    EXPECT_EQ(text, "") << "0 is no text";
}

}  // namespace
