// The context numbers that scripts hand to the help viewer as text: text in, number out, with no
// system call, so that it builds and runs anywhere.
#pragma once

// Reads text as a number the way scripts write one: spaces first, then an optional sign, then
// decimal digits or "$" and hexadecimal digits of either case. Reading stops at the first
// character that fits neither, and the number read so far counts, so a text without digits
// gives 0. Digits beyond 32 bits wrap around, as the 32-bit value does ("$FFFFFFFF" is -1).
int ReadHelpNumber(const char *text);
