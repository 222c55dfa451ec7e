// Keyword arguments: the words scripts write for a choice, matched without any system call, so
// that the matcher builds and runs anywhere.
#pragma once

#include <stddef.h>

// One row of a keyword table: the word as scripts write it and what it stands for.
struct Keyword {
    const char *word;
    int value;
};

// Whether text equals word as a whole string, where only the ASCII letters a-z are folded to
// capitals.
bool KeywordEquals(const char *text, const char *word);

// The value of the first row whose word equals text (KeywordEquals); fallback when no row matches.
int LookUpKeyword(const char *text, const Keyword *table, size_t rows, int fallback);

template <size_t Rows>
int LookUpKeyword(const char *text, const Keyword (&table)[Rows], int fallback)
{
    return LookUpKeyword(text, table, Rows, fallback);
}
