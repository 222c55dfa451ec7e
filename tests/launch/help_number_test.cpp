// The help viewer's context numbers read from script text, as a table.
#include <gtest/gtest.h>

#include "launch/help_number.h"

namespace {

struct Case {
    const char *text;
    int expected;
};

const Case kCases[] = {
    {"", 0},
    {"0", 0},
    {"42", 42},
    {"42abc", 42},             // stops at the first non-digit
    {"12 34", 12},
    {"abc", 0},
    {"   7", 7},               // spaces first
    {"\t7", 0},                // only spaces are skipped
    {"7   ", 7},
    {"+5", 5},
    {"-5", -5},
    {"  -17x", -17},
    {"- 5", 0},                // the sign binds to the digits
    {"--5", 0},
    {"+-5", 0},
    {"$1F", 31},
    {"$1f", 31},
    {"$aBc", 0xABC},
    {"-$10", -16},
    {"+$10", 16},
    {"$", 0},
    {"$G1", 0},
    {"1F", 1},                 // no "$": decimal, so the F ends it
    {"0x1F", 0},
    {"$-1", 0},
    {"2147483647", 2147483647},
    {"-2147483648", -2147483647 - 1},
    {"$7FFFFFFF", 2147483647},
    {"$FFFFFFFF", -1},         // 32 bits as they stand
    {"4294967295", -1},
    {"4294967296", 0},         // more than 32 bits wrap around
    {"$100000001", 1},
    {"000000000000000000000000000009", 9},
};

TEST(ReadHelpNumber, ReadsNumbersAsScriptsWriteThem)
{
    for (const Case &c : kCases) EXPECT_EQ(ReadHelpNumber(c.text), c.expected) << '"' << c.text << '"';
}

}  // namespace
