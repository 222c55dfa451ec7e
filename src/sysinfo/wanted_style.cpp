#include "sysinfo/wanted_style.h"

void MakeWantedStyle(const char *style, char *wanted, size_t size)
{
    if (!size) return;
    const char *source = *style ? style : "Regular";
    size_t at = 0;
    for (; source[at] && at + 1 < size; ++at) wanted[at] = source[at];
    wanted[at] = '\0';
}
