// What a careless or hostile script can hand the library, by descriptor letter, and the rows of
// argument combinations that the sweep tries.
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

namespace sweep {

// Texts for S arguments: empty, around the library's buffers, far beyond them, bytes above 0x7F,
// blanks, and backslashes and colons where paths, drives and registry keys are split.
const std::vector<std::string> &HostileTexts();

// Integers for I and L arguments.
const std::vector<int> &HostileIntegers();

// How a text is named in a failure message: short texts as they are, long ones by length.
std::string Describe(const std::string &text);

// Rows of value indexes, one index per argument, where sizes[i] values are tried for argument i.
// Up to two arguments every combination; beyond that every pair of values of any two arguments
// meets in some row (an orthogonal array over the smallest prime that fits), which keeps a
// five-argument export at a few hundred calls instead of a million.
std::vector<std::vector<size_t>> PairwiseRows(const std::vector<size_t> &sizes);

}  // namespace sweep
