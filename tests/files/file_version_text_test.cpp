// The copy of FileVersion's answer, checked as a plain function with texts in buffers of exactly
// the length the version functions report, so that a read past them shows.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "files/file_version_text.h"

namespace {

// The answer for length bytes of stored, which lie in a buffer of that size and no more, followed
// by bytes that must not be taken.
std::string Copied(const std::string &stored, size_t length)
{
    std::vector<char> bytes(stored.begin(), stored.end());
    bytes.resize(length + 64, '#');   // what follows the value in the block
    char answer[kFileVersionAnswerSize];
    memset(answer, '*', sizeof answer);
    CopyFileVersionText(bytes.data(), length, answer);
    EXPECT_TRUE(memchr(answer, '\0', sizeof answer)) << "not terminated";
    return answer;
}

TEST(CopyFileVersionText, EndsAtTheCountAtTheFirstNulOrAt63Characters)
{
    const std::string letters(100, 'v');
    const struct {
        std::string stored;
        size_t length;
        std::string answer;
    } cases[] = {
        {std::string("4.0\0", 4), 4, "4.0"},   // the count with the NUL
        {"4.0", 3, "4.0"},                     // without it: nothing after the count is read
        {"4.0.1", 3, "4.0"},
        {"", 0, ""},
        {std::string("\0", 1), 1, ""},
        {std::string("4.0\0beta", 8), 8, "4.0"},
        {letters, 62, letters.substr(0, 62)},
        {letters, 63, letters.substr(0, 63)},
        {letters, 64, letters.substr(0, 63)},
        {letters, 65, letters.substr(0, 63)},
        {letters, 100, letters.substr(0, 63)},
        {"\x80\xff high", 7, "\x80\xff high"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Copied(c.stored, c.length), c.answer) << '"' << c.stored << "\", " << c.length;
}

TEST(CopyFileVersionText, WritesNoFurtherThanTheAnswerBuffer)
{
    const std::string letters(200, 'v');
    char answer[kFileVersionAnswerSize + 8];
    memset(answer, '#', sizeof answer);
    CopyFileVersionText(letters.c_str(), letters.size(), *reinterpret_cast<char(*)[kFileVersionAnswerSize]>(answer));
    EXPECT_EQ(std::string(answer), letters.substr(0, 63));
    for (size_t i = 64; i < sizeof answer; ++i) EXPECT_EQ(answer[i], '#') << "written at " << i;
}

}  // namespace
