// What the file and drive exports share.
#pragma once

// Whether name, which may hold wildcards, names a file: its first match is no directory and was
// last written at a time that a DOS date can hold (1980 on). Never a directory.
bool FileExists(const char *name);
