// What the library says about itself: the about box and the version number.
#include "frame/qimapi.h"

// The third line ends in LF CR, as it always has; hosts show the text as it stands.
static const char kAboutText[] =
    "Qimmo API 2.0\r\n"
    "\r\n"
    "\n\r"
    "For information contact\r\n"
    "The QIMAPI project at\r\n"
    "CompuServe: none\r\n"
    "Internet:  the QIMAPI source repository";
static_assert(sizeof kAboutText <= 256, "the about box shows at most 255 characters");

// No owner: the box is not tied to the host's window.
void WINAPI QimAPIAbout(void)
{
    MessageBoxA(0, kAboutText, "Qimmo Utilities", MB_OK | MB_ICONINFORMATION);
}

int WINAPI QimAPIVersion(void)
{
    return 200;
}
