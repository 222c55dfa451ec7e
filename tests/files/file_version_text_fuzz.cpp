// FileVersion's answer against a slow reference, from a value of exactly the length the version
// functions report (no NUL after it) into an answer of exactly its size, both on the heap, so
// that AddressSanitizer sees any read or write past them.
#include <string.h>

#include "files/file_version_text.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input input(data, size);
    const size_t length = input.Byte();
    std::string stored;
    for (size_t i = 0; i < length; ++i) stored += static_cast<char>(input.Byte());
    char *value = new char[length ? length : 1];
    memcpy(value, stored.data(), length);
    auto *answer = new char[kFileVersionAnswerSize];
    CopyFileVersionText(value, length, *reinterpret_cast<char(*)[kFileVersionAnswerSize]>(answer));
    fuzz::ExpectSame(answer, fuzz::Cut(stored.substr(0, stored.find('\0')), kFileVersionChars), "version answer");
    delete[] answer;
    delete[] value;
    return 0;
}
