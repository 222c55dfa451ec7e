#include "frame/frame.h"

HGLOBAL StringToGlobal(const char *text)
{
    return StringToGlobal(text, lstrlenA(text));
}

HGLOBAL StringToGlobal(const char *text, SIZE_T length)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, length + 1);
    if (!block) return 0;
    lstrcpynA(static_cast<char *>(GlobalLock(block)), text, static_cast<int>(length + 1));
    GlobalUnlock(block);
    return block;
}
