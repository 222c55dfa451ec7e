#include "sysinfo/version_text.h"

// Appends number's decimal digits at text[at], never writing past text[size - 2]; returns the
// new end.
static size_t AppendDecimal(unsigned char number, char *text, size_t at, size_t size)
{
    char digits[3];   // a byte has at most three
    size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + number % 10);
        number = static_cast<unsigned char>(number / 10);
    } while (number);
    while (count && at + 1 < size) text[at++] = digits[--count];
    return at;
}

void FormatVersionText(unsigned char major, unsigned char minor, char *text, size_t size)
{
    if (!size) return;
    size_t at = AppendDecimal(major, text, 0, size);
    if (at + 1 < size) text[at++] = '.';
    at = AppendDecimal(minor, text, at, size);
    text[at] = '\0';
}
