// The help viewer's Data reader against a slow reference that reads with 64-bit arithmetic and
// keeps the low 32 bits; UndefinedBehaviorSanitizer watches for overflow in the routine.
#include "fuzz/fuzz_input.h"
#include "launch/help_number.h"

static int Reference(const std::string &text)
{
    size_t at = text.find_first_not_of(' ');
    if (at == std::string::npos) return 0;
    bool negative = text[at] == '-';
    if (text[at] == '-' || text[at] == '+') ++at;
    uint64_t base = 10;
    if (at < text.size() && text[at] == '$') {
        base = 16;
        ++at;
    }
    uint64_t value = 0;
    for (; at < text.size(); ++at) {
        const std::string digits = base == 16 ? "0123456789abcdef" : "0123456789";
        char c = text[at];
        if (base == 16 && c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
        size_t digit = digits.find(c);
        if (digit == std::string::npos || c == '\0') break;
        value = (value * base + digit) & 0xFFFFFFFFu;
    }
    uint32_t low = static_cast<uint32_t>(negative ? (0x100000000u - value) & 0xFFFFFFFFu : value);
    return static_cast<int>(low);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input input(data, size);
    const std::string text = input.Text();
    fuzz::ExpectSame(std::to_string(ReadHelpNumber(text.c_str())), std::to_string(Reference(text)), text.c_str());
    return 0;
}
