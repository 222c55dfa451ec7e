#include "sweep/hostile_values.h"

#include <limits.h>

#include <algorithm>
#include <set>

#include "common/qimapi_test.h"

namespace sweep {

const std::vector<std::string> &HostileTexts()
{
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> made = {""};
        for (size_t length : {255, 256, 1024, 65536, 1048576}) made.push_back(qimapi_test::Letters(length));
        std::string high;
        for (int byte = 0x80; byte <= 0xFF; ++byte) high += static_cast<char>(byte);
        made.push_back(high);
        made.push_back("     ");
        for (const char *split : {"\\", ":", "\\a", "a\\", "a\\\\b", "C:", "C:\\", ":\\", "\\\\", "\\\\a\\b\\"})
            made.push_back(split);
        return made;
    }();
    return texts;
}

const std::vector<int> &HostileIntegers()
{
    static const std::vector<int> integers = {0, 1, -1, INT_MIN, INT_MAX};
    return integers;
}

std::string Describe(const std::string &text)
{
    if (!text.empty() && static_cast<unsigned char>(text[0]) >= 0x80) return "bytes 0x80 to 0xFF";
    if (text.size() > 16) return std::to_string(text.size()) + " characters";
    return "\"" + text + "\"";
}

static size_t SmallestPrimeFrom(size_t n)
{
    for (;; ++n) {
        bool prime = n >= 2;
        for (size_t d = 2; d * d <= n && prime; ++d) prime = n % d != 0;
        if (prime) return n;
    }
}

std::vector<std::vector<size_t>> PairwiseRows(const std::vector<size_t> &sizes)
{
    std::set<std::vector<size_t>> rows;
    if (sizes.size() <= 2) {
        size_t total = 1;
        for (size_t size : sizes) total *= size;
        for (size_t n = 0; n < total; ++n) {
            std::vector<size_t> row;
            for (size_t i = 0, rest = n; i < sizes.size(); rest /= sizes[i], ++i) row.push_back(rest % sizes[i]);
            rows.insert(row);
        }
    } else {
        // Row (a, b) takes value a + i*b (mod p) for argument i: for any two arguments i < j the
        // pair of values runs through all p*p pairs as a and b do, since j - i < p is invertible.
        size_t p = SmallestPrimeFrom(std::max(*std::max_element(sizes.begin(), sizes.end()), sizes.size()));
        for (size_t a = 0; a < p; ++a)
            for (size_t b = 0; b < p; ++b) {
                std::vector<size_t> row;
                for (size_t i = 0; i < sizes.size(); ++i) row.push_back((a + i * b) % p % sizes[i]);
                rows.insert(row);
            }
    }
    return {rows.begin(), rows.end()};
}

}  // namespace sweep
