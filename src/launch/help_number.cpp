#include "launch/help_number.h"

// The value of c as a digit of base (10 or 16), or -1 when it is none.
static int DigitValue(char c, unsigned base)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int ReadHelpNumber(const char *text)
{
    while (*text == ' ') ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    unsigned base = 10;
    if (*text == '$') {
        base = 16;
        ++text;
    }
    // Unsigned, so that more digits than 32 bits hold wrap around instead of overflowing.
    unsigned value = 0;
    for (int digit; (digit = DigitValue(*text, base)) >= 0; ++text) value = value * base + static_cast<unsigned>(digit);
    return static_cast<int>(negative ? 0u - value : value);
}
