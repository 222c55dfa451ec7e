#include "host/result_text.h"

#include <string.h>

namespace host {

bool TakeResultString(HGLOBAL block, std::string *text)
{
    text->clear();
    if (!block) return true;
    const char *locked = static_cast<const char *>(GlobalLock(block));
    if (!locked) return false;
    text->assign(locked, strnlen(locked, GlobalSize(block)));
    GlobalUnlock(block);
    GlobalFree(block);
    return true;
}

std::string FormatResult(char letter, uintptr_t result, std::string *text)
{
    if (letter == 'S')
        return TakeResultString(reinterpret_cast<HGLOBAL>(result), text) ? ""
                                                                          : "the result string is not a global memory block";
    *text = letter == 'W' ? std::to_string(static_cast<uint32_t>(result))
                          : std::to_string(static_cast<int32_t>(result));
    return "";
}

}  // namespace host
