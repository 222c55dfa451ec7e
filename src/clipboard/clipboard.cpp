// Text to and from the clipboard, opened for the host's active window for one transfer and
// closed again before every return.
#include "frame/frame.h"
#include "frame/qimapi.h"

// The clipboard is not emptied: the text replaces only the CF_TEXT data, and data in other
// formats stays. A block the clipboard did not take (it was busy, or refused it) reached no one
// and is freed; a taken one belongs to the system.
int WINAPI CopyToClipboard(const char *text)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, lstrlenA(text) + 1);
    if (!block) return 0;
    lstrcpyA(static_cast<char *>(GlobalLock(block)), text);
    GlobalUnlock(block);

    bool taken = false;
    if (OpenClipboard(GetActiveWindow())) {
        taken = SetClipboardData(CF_TEXT, block) != 0;
        CloseClipboard();
    }
    if (!taken) GlobalFree(block);
    return taken ? 1 : 0;
}

// The text up to its first NUL, or up to the block's end where another program left it without
// one.
static SIZE_T TextLength(const char *text, SIZE_T blockSize)
{
    SIZE_T length = 0;
    while (length < blockSize && text[length]) ++length;
    return length;
}

// A busy clipboard, one without text and a block that cannot be read all give the empty text.
// The clipboard's own block is only read.
HGLOBAL WINAPI CopyFromClipboard(void)
{
    if (!OpenClipboard(GetActiveWindow())) return StringToGlobal("");
    HANDLE data = GetClipboardData(CF_TEXT);
    const char *text = data ? static_cast<const char *>(GlobalLock(data)) : nullptr;
    HGLOBAL result = text ? StringToGlobal(text, TextLength(text, GlobalSize(data))) : StringToGlobal("");
    if (text) GlobalUnlock(data);
    CloseClipboard();
    return result;
}
