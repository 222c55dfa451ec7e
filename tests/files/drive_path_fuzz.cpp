// FindDrive's start code and drive paths against slow references, paths written into heap
// buffers of exact size (at least the one byte the routine asks for).
#include "files/drive_path.h"
#include "fuzz/fuzz_input.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input input(data, size);
    const char letter = static_cast<char>(input.Byte());
    const size_t bufferSize = 1 + input.Byte() % (kDrivePathLength + 1);
    const std::string startDrive = input.Text(), fileName = input.Text();

    int first = startDrive.empty() ? 0 : static_cast<unsigned char>(startDrive[0]);
    int expected = first > '`' ? first - 32 : first;
    fuzz::ExpectSame(std::to_string(DriveSearchStart(startDrive.c_str())), std::to_string(expected), "start code");

    char *path = new char[bufferSize];
    BuildDrivePath(letter, fileName.c_str(), path, bufferSize);
    std::string whole = std::string(1, letter) + ":\\" + fileName;
    // The bytes written, not the text: a letter of 0 would end the text at once.
    std::string written(path, std::min(whole.size(), bufferSize - 1));
    fuzz::ExpectSame(written, fuzz::Cut(whole, bufferSize - 1), "drive path");
    if (path[written.size()] != '\0') abort();   // not terminated where the path ends
    delete[] path;
    return 0;
}
