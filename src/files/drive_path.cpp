#include "files/drive_path.h"

int DriveSearchStart(const char *startDrive)
{
    int code = static_cast<unsigned char>(startDrive[0]);
    return code > '`' ? code - ('a' - 'A') : code;
}

void BuildDrivePath(char letter, const char *fileName, char *path, size_t size)
{
    const char root[] = {letter, ':', '\\'};
    size_t length = 0;
    for (size_t i = 0; i < sizeof root && length + 1 < size; ++i) path[length++] = root[i];
    for (; *fileName && length + 1 < size; ++fileName) path[length++] = *fileName;
    path[length] = '\0';
}
