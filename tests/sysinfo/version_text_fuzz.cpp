// Version texts against snprintf, written into heap buffers of every size from 0 to 8 bytes, so
// that AddressSanitizer sees any write past them.
#include "fuzz/fuzz_input.h"
#include "sysinfo/version_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input input(data, size);
    const unsigned char major = input.Byte(), minor = input.Byte();
    const size_t bufferSize = input.Byte() % 9;
    char whole[8];
    snprintf(whole, sizeof whole, "%u.%u", major, minor);
    char *text = new char[bufferSize];
    FormatVersionText(major, minor, text, bufferSize);
    if (bufferSize) fuzz::ExpectSame(text, fuzz::Cut(whole, bufferSize - 1), "version text");
    delete[] text;
    return 0;
}
