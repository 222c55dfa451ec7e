// The font style a script asks for: pure text building, no system calls.
#pragma once

#include <stddef.h>

// Writes the style that FontInstalled looks for into wanted: "Regular" when style is empty,
// otherwise style itself, cut to size - 1 characters and always terminated when size is not 0.
void MakeWantedStyle(const char *style, char *wanted, size_t size);
