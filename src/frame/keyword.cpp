#include "frame/keyword.h"

// Only a-z: folding by the code page would make letters outside ASCII match their capitals.
static char FoldAsciiLetter(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool KeywordEquals(const char *text, const char *word)
{
    for (; FoldAsciiLetter(*text) == FoldAsciiLetter(*word); ++text, ++word)
        if (!*text) return true;
    return false;
}

int LookUpKeyword(const char *text, const Keyword *table, size_t rows, int fallback)
{
    for (size_t row = 0; row < rows; ++row)
        if (KeywordEquals(text, table[row].word)) return table[row].value;
    return fallback;
}
