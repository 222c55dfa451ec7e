// The routines that only build text, linked in from the DLL's own objects.
#include <gtest/gtest.h>

#include <string>

#include "sysinfo/version_text.h"
#include "sysinfo/wanted_style.h"

namespace {

TEST(FormatVersionText, WritesBothBytesInPlainDecimal)
{
    const struct {
        unsigned char major, minor;
        const char *expected;
    } cases[] = {
        {3, 10, "3.10"}, {4, 0, "4.0"},   {5, 101, "5.101"}, {192, 0, "192.0"},   // minor never widened
        {0, 0, "0.0"},   {10, 9, "10.9"}, {100, 1, "100.1"}, {255, 255, "255.255"},
    };
    for (const auto &c : cases) {
        char text[32];
        FormatVersionText(c.major, c.minor, text, sizeof text);
        EXPECT_STREQ(text, c.expected) << int(c.major) << " " << int(c.minor);
    }
}

// A buffer of 12 bytes filled with '#', of which the routine is offered size.
std::string FormatInto(size_t size)
{
    char text[12];
    std::string(sizeof text, '#').copy(text, sizeof text);
    FormatVersionText(255, 255, text, size);
    return std::string(text, sizeof text);
}

TEST(FormatVersionText, CutsToTheBufferAndAlwaysTerminates)
{
    EXPECT_EQ(FormatInto(8), std::string("255.255\0####", 12));   // the longest text fits exactly
    EXPECT_EQ(FormatInto(7), std::string("255.25\0#####", 12));
    EXPECT_EQ(FormatInto(5), std::string("255.\0#######", 12));
    EXPECT_EQ(FormatInto(4), std::string("255\0########", 12));
    EXPECT_EQ(FormatInto(2), std::string("2\0##########", 12));
    EXPECT_EQ(FormatInto(1), std::string("\0###########", 12));
    EXPECT_EQ(FormatInto(0), std::string(12, '#'));
}

TEST(MakeWantedStyle, AnEmptyStyleStandsForRegular)
{
    char wanted[64];
    MakeWantedStyle("", wanted, sizeof wanted);
    EXPECT_STREQ(wanted, "Regular");
    MakeWantedStyle("bold italic", wanted, sizeof wanted);
    EXPECT_STREQ(wanted, "bold italic");   // letter case is left to the comparison
    MakeWantedStyle(" ", wanted, sizeof wanted);
    EXPECT_STREQ(wanted, " ");              // only the empty text is replaced
}

TEST(MakeWantedStyle, CutsToTheBufferAndAlwaysTerminates)
{
    for (size_t length : {62, 63, 64, 65, 1000}) {
        std::string style(length, 's');
        char wanted[65];
        std::string(sizeof wanted, '#').copy(wanted, sizeof wanted);
        MakeWantedStyle(style.c_str(), wanted, 64);
        EXPECT_EQ(std::string(wanted), style.substr(0, 63)) << length;
        EXPECT_EQ(wanted[64], '#') << length;
    }
    char small[4] = "###";
    MakeWantedStyle("", small, sizeof small);
    EXPECT_STREQ(small, "Reg");
    MakeWantedStyle("Bold", small, 0);
    EXPECT_STREQ(small, "Reg");
}

}  // namespace
