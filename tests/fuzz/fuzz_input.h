// What the fuzz targets share: the fuzzer's bytes read as the texts and numbers a script passes,
// and a stop with the disagreeing texts when a routine and its reference differ.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

namespace fuzz {

// The fuzzer's bytes, taken from the front: numbers one byte each, texts up to the next NUL
// byte (scripts hand the library NUL-terminated texts, so no text holds a NUL).
class Input {
public:
    Input(const uint8_t *data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte()
    {
        if (!size_) return 0;
        --size_;
        return *data_++;
    }
    std::string Text()
    {
        std::string text;
        while (size_ && *data_) text += static_cast<char>(Byte());
        Byte();   // the NUL that ended it, if any
        return text;
    }

private:
    const uint8_t *data_;
    size_t size_;
};

// Stops the fuzzer, which keeps the input, when the routine and its reference disagree.
inline void ExpectSame(const std::string &routine, const std::string &reference, const char *what)
{
    if (routine == reference) return;
    fprintf(stderr, "%s: the routine gave \"%s\", the reference \"%s\"\n", what, routine.c_str(), reference.c_str());
    abort();
}

// A text the first max characters of text.
inline std::string Cut(const std::string &text, size_t max)
{
    return text.substr(0, max);
}

}  // namespace fuzz
