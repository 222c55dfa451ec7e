#include "frame/frame.h"

HGLOBAL StringToGlobal(const char *text)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, lstrlenA(text) + 1);
    if (!block) return 0;
    lstrcpyA(static_cast<char *>(GlobalLock(block)), text);
    GlobalUnlock(block);
    return block;
}
