// A function's result as a script sees it, and the host's side of a result string: the block
// handed over by the export is read and freed by the host.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>

namespace host {

// Takes over a result string: lock, copy, unlock, free. 0 stands for no text. False where the
// handle is no global memory block; then nothing is freed.
bool TakeResultString(HGLOBAL block, std::string *text);

// The result by its letter: I and L as signed numbers, W unsigned, S the result string's text,
// taken over. Empty, or the problem.
std::string FormatResult(char letter, uintptr_t result, std::string *text);

}  // namespace host
