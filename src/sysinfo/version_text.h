// Version numbers as the texts scripts read: pure text building, no system calls.
#pragma once

#include <stddef.h>

// Writes "major.minor" in plain decimal (3 and 10 give "3.10", 4 and 0 give "4.0") into text,
// cut to size - 1 characters and always terminated when size is not 0.
void FormatVersionText(unsigned char major, unsigned char minor, char *text, size_t size);
