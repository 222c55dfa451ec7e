// The user's screen saver state and time-out. Each call reads the setting, then sets it, writes
// it to the user's profile and tells every top-level window; it returns what it replaced.
#include "frame/frame.h"
#include "frame/qimapi.h"

static const UINT kToProfileAndWindows = SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE;

// 0 when the state cannot be read.
int WINAPI ScreenSaverActive(int on)
{
    BOOL wasActive = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &wasActive, kToProfileAndWindows);
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, on ? 1 : 0, nullptr, kToProfileAndWindows);
    return wasActive ? 1 : 0;
}

// Seconds, all 32 bits passed through both ways; 0 when the time-out cannot be read.
int WINAPI ScreenSaverTime(int seconds)
{
    UINT previous = 0;
    SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &previous, kToProfileAndWindows);
    SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, static_cast<UINT>(seconds), nullptr, kToProfileAndWindows);
    return static_cast<int>(previous);
}
