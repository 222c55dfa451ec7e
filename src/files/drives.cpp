// Searching drives for a file, naming the kind of a drive, and the "drive not ready" box.
#include "files/drive_path.h"
#include "files/files.h"
#include "frame/frame.h"
#include "frame/qimapi.h"

// Names by GetDriveTypeA value, DRIVE_UNKNOWN (0) to DRIVE_RAMDISK (6); floppies are removable.
static const char *const kDriveKinds[] = {"Invalid", "Invalid", "Removable", "Hard", "Network", "CD-ROM", "RAM"};

// The drives from StartDrive's letter up to Z, without wrapping round to A; the empty text when
// none holds the file. Codes below "A" name no drive, so their tests fail and the search goes on.
// Drives without a medium fail quietly during the search; the mode is 0 afterwards.
HGLOBAL WINAPI FindDrive(const char *startDrive, const char *fileName)
{
    char path[kDrivePathLength + 1];
    char found[2] = "";
    SetErrorMode(SEM_FAILCRITICALERRORS);
    for (int code = DriveSearchStart(startDrive); code <= 'Z'; ++code) {
        BuildDrivePath(static_cast<char>(code), fileName, path, sizeof path);
        if (FileExists(path)) {
            found[0] = static_cast<char>(code);
            break;
        }
    }
    SetErrorMode(0);
    return StringToGlobal(found);
}

// driveLetter goes to the system unchanged, so it has to be a root such as "C:\".
HGLOBAL WINAPI GetDriveTypeName(const char *driveLetter)
{
    UINT kind = GetDriveTypeA(driveLetter);
    return StringToGlobal(kind < sizeof kDriveKinds / sizeof kDriveKinds[0] ? kDriveKinds[kind] : "Invalid");
}

void WINAPI DisableDiskErrors(int on)
{
    SetErrorMode(on ? SEM_FAILCRITICALERRORS : 0);
}
