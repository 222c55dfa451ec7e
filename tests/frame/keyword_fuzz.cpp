// The keyword matcher against a slow reference: whole texts equal after only a-z are made capitals.
#include "frame/keyword.h"
#include "fuzz/fuzz_input.h"

static std::string FoldedAscii(std::string text)
{
    for (char &c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// A table like the library's own: words of mixed case, one a prefix of another.
static const Keyword kTable[] = {{"minimized", 1}, {"Minimised", 2}, {"NotActive", 3}, {"MinNotActive", 4},
                                 {"HKEY_CURRENT_USER", 5}, {"HKEY_USERS", 6}, {"", 7}};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input input(data, size);
    const std::string text = input.Text(), word = input.Text();
    bool equal = KeywordEquals(text.c_str(), word.c_str());
    if (equal != (FoldedAscii(text) == FoldedAscii(word))) {
        fprintf(stderr, "KeywordEquals(\"%s\", \"%s\") gave %d\n", text.c_str(), word.c_str(), equal);
        abort();
    }
    int expected = -1;
    for (const Keyword &row : kTable)
        if (expected < 0 && FoldedAscii(text) == FoldedAscii(row.word)) expected = row.value;
    if (LookUpKeyword(text.c_str(), kTable, -1) != expected) {
        fprintf(stderr, "LookUpKeyword(\"%s\") gave %d, not %d\n", text.c_str(), LookUpKeyword(text.c_str(), kTable, -1), expected);
        abort();
    }
    return 0;
}
