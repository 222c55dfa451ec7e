// The style FontInstalled looks for, against a slow reference, in heap buffers of exact size.
#include "fuzz/fuzz_input.h"
#include "sysinfo/wanted_style.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input input(data, size);
    const size_t bufferSize = input.Byte();
    const std::string style = input.Text();
    char *wanted = new char[bufferSize];
    MakeWantedStyle(style.c_str(), wanted, bufferSize);
    if (bufferSize) fuzz::ExpectSame(wanted, fuzz::Cut(style.empty() ? "Regular" : style, bufferSize - 1), "style");
    delete[] wanted;
    return 0;
}
