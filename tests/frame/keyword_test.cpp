// The keyword matcher every keyword argument goes through, linked in from the DLL's own objects.
#include <gtest/gtest.h>

#include "frame/frame.h"

namespace {

const Keyword kTable[] = {
    {"maximised", 3}, {"StayOnTop", 7}, {"\xe9t\xe9", 8}, {"[x]", 9}, {"a@b", 10},
};

struct Case {
    const char *text;
    int expected;
};

TEST(LookUpKeyword, MatchesWholeWordsFoldingOnlyAsciiLetters)
{
    const Case cases[] = {
        {"maximised", 3}, {"MAXIMISED", 3}, {"MaXiMiSeD", 3}, {"stayontop", 7}, {"STAYONTOP", 7},
        {"maximised ", -1},   // blanks are significant
        {" maximised", -1},
        {"max", -1},          // no prefixes or abbreviations
        {"maximisedx", -1},
        {"", -1},
        {"\xe9t\xe9", 8},     // bytes outside ASCII match only themselves
        {"\xc9T\xc9", -1},    // ... their capitals in the code page do not
        {"\xe9T\xe9", 8},      // ... while the ASCII letters among them fold
        {"[X]", 9}, {"{x}", -1},   // '{' is '[' + 0x20 but not a letter
        {"A@B", 10}, {"a`b", -1},  // likewise '`' and '@'
    };
    for (const Case &c : cases) EXPECT_EQ(LookUpKeyword(c.text, kTable, -1), c.expected) << '"' << c.text << '"';
}

TEST(LookUpKeyword, GivesTheFallbackOfTheCaller)
{
    EXPECT_EQ(LookUpKeyword("none", kTable, 0), 0);
    EXPECT_EQ(LookUpKeyword("none", kTable, 42), 42);
}

}  // namespace
