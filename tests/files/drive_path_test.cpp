// The texts FindDrive works with, checked as plain functions.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "files/drive_path.h"

namespace {

TEST(DriveSearchStart, IsTheFirstByteWithSmallLettersAndAllAboveThemLowered)
{
    const struct {
        const char *startDrive;
        int code;
    } cases[] = {
        {"a", 'A'}, {"z", 'Z'},   {"A", 'A'},  {"Z", 'Z'},  {"d:\\", 'D'}, {"", 0},    {"1", '1'},
        {"@", '@'}, {"[", '['},   {"`", '`'},  {"{", '['},  {"~", '^'},    {"\x7f", 0x5f},
        {"\xe1", 0xc1}, {"\xff", 0xdf},
    };
    for (const auto &c : cases) EXPECT_EQ(DriveSearchStart(c.startDrive), c.code) << '"' << c.startDrive << '"';
}

// The path written into a buffer of size bytes, with guard bytes after it that must stay.
std::string Built(char letter, const char *fileName, size_t size)
{
    char buffer[400];
    memset(buffer, '#', sizeof buffer);
    BuildDrivePath(letter, fileName, buffer, size);
    for (size_t i = size; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], '#') << "written past " << size;
    return std::string(buffer, strnlen(buffer, size));
}

TEST(BuildDrivePath, JoinsLetterColonBackslashAndFileNameCutToTheBuffer)
{
    const std::string name249(249, 'n'), name300(300, 'n');
    EXPECT_EQ(Built('E', "file.txt", 253), "E:\\file.txt");
    EXPECT_EQ(Built('E', "", 253), "E:\\");
    EXPECT_EQ(Built('E', "\\file.txt", 253), "E:\\\\file.txt");
    EXPECT_EQ(Built('E', name249.c_str(), 253), "E:\\" + name249);
    EXPECT_EQ(Built('E', name300.c_str(), 253), "E:\\" + name249);
    EXPECT_EQ(Built('E', "file.txt", 3), "E:");
    EXPECT_EQ(Built('E', "file.txt", 1), "");
    EXPECT_EQ(Built('\0', "file.txt", 253), "");   // the code 0 ends the text at once
}

TEST(BuildDrivePath, AlwaysTerminates)
{
    char buffer[8];
    memset(buffer, '#', sizeof buffer);
    BuildDrivePath('C', "abcdefgh", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "C:\\abcd");
}

}  // namespace
