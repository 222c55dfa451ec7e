// Versions of the video playback components, as their media control drivers report them.
#include "frame/frame.h"
#include "frame/qimapi.h"

// The command names the device type, so the system opens the device for this one command and
// closes it again. Any error, a missing driver included, answers "0".
static HGLOBAL DriverVersion(const char *command)
{
    char answer[260] = "";   // offered 250: the rest keeps the text terminated whatever the driver writes
    if (mciSendStringA(command, answer, 250, 0)) lstrcpyA(answer, "0");
    return StringToGlobal(answer);
}

HGLOBAL WINAPI VfwVersion(void)
{
    return DriverVersion("info AVIVideo version");
}

HGLOBAL WINAPI QtVersion(void)
{
    return DriverVersion("info QTWVideo version");
}
