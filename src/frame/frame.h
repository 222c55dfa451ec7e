// What the exports share: the library's instance handle, result strings and keyword arguments.
#pragma once

#include <stddef.h>
#include <windows.h>

// The handle the loader passed to the library's entry point at process attach.
extern HINSTANCE LibraryInstance;

// Copies text into a new movable global block of exactly its length plus one byte and returns
// the block unlocked; the host takes it over. 0 only when the block cannot be allocated.
HGLOBAL StringToGlobal(const char *text);
// The same for the first length characters of text, which holds no NUL among them; nothing
// after them is read.
HGLOBAL StringToGlobal(const char *text, SIZE_T length);

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
