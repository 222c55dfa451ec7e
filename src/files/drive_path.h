// The texts FindDrive works with. Text only: no system calls, so that they build anywhere.
#pragma once

#include <stddef.h>

// The longest drive path FindDrive tests, in characters.
const size_t kDrivePathLength = 252;

// The code FindDrive starts its search from: the first byte of startDrive, lowered by 32 when it
// lies above "`" so that "a".."z" become "A".."Z". 0 for the empty text.
int DriveSearchStart(const char *startDrive);

// Writes the drive letter, ":\" and fileName into path, cut to size - 1 characters and
// terminated. size is at least 1.
void BuildDrivePath(char letter, const char *fileName, char *path, size_t size);
