// What the exports share: the library's instance handle, result strings and keyword arguments.
#pragma once

#include <stddef.h>
#include <windows.h>

#include "frame/keyword.h"

// The handle the loader passed to the library's entry point at process attach.
extern HINSTANCE LibraryInstance;

// Copies text into a new movable global block of exactly its length plus one byte and returns
// the block unlocked; the host takes it over. 0 only when the block cannot be allocated.
HGLOBAL StringToGlobal(const char *text);
// The same for the first length characters of text, which holds no NUL among them; nothing
// after them is read.
HGLOBAL StringToGlobal(const char *text, SIZE_T length);
