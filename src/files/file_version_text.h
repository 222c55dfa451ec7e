// The answer FileVersion gives from the text that the version functions point at. Text only: no
// system calls, so that it builds anywhere.
#pragma once

#include <stddef.h>

// FileVersion answers at most 63 characters, in a buffer of 65 bytes.
const size_t kFileVersionChars = 63;
const size_t kFileVersionAnswerSize = 65;

// Copies the version text into answer and terminates it. The text is read no further than
// length characters (the count the version functions return, with or without the NUL: a value
// stored without one is not terminated there) and ends at its first NUL; at most
// kFileVersionChars characters are copied.
void CopyFileVersionText(const char *text, size_t length, char (&answer)[kFileVersionAnswerSize]);
