// Screen size, the system font's ascent and installed font styles, all measured through the
// desktop window's device context.
#include "frame/frame.h"
#include "frame/qimapi.h"
#include "sysinfo/wanted_style.h"

// What the font enumeration hands back to FindFontStyle. The answer is a flag of its own, so
// that no style name can pass for it.
struct StyleSearch {
    const char *style;
    BOOL found;
};

static int DesktopDeviceCaps(int index)
{
    HWND desktop = GetDesktopWindow();
    HDC dc = GetDC(desktop);
    int value = GetDeviceCaps(dc, index);
    ReleaseDC(desktop, dc);
    return value;
}

int WINAPI ScreenWidth(void)
{
    return DesktopDeviceCaps(HORZRES);
}

int WINAPI ScreenHeight(void)
{
    return DesktopDeviceCaps(VERTRES);
}

// The ascent above the base line, not the full cell height; 0 when the metrics cannot be read.
int WINAPI SystemFontHeight(void)
{
    HWND desktop = GetDesktopWindow();
    HDC dc = GetDC(desktop);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    ReleaseDC(desktop, dc);
    return metrics.tmAscent;
}

// Called once for each style and character set of the family; stops at the first match.
static int CALLBACK FontStyleProc(const LOGFONTA *font, const TEXTMETRICA *, DWORD, LPARAM search)
{
    auto *wanted = reinterpret_cast<StyleSearch *>(search);
    const BYTE *fontStyle = reinterpret_cast<const ENUMLOGFONTA *>(font)->elfStyle;
    // elfStyle is a field of LF_FACESIZE bytes: read no further, terminated or not.
    char style[LF_FACESIZE + 1];
    lstrcpynA(style, reinterpret_cast<const char *>(fontStyle), sizeof style);
    if (KeywordEquals(style, wanted->style)) wanted->found = TRUE;
    return !wanted->found;
}

// Which family names are installed is the enumeration's own matching; the styles are compared here.
static int FindFontStyle(const char *family, const char *style)
{
    StyleSearch search = {style, FALSE};
    HWND desktop = GetDesktopWindow();
    HDC dc = GetDC(desktop);
    EnumFontFamiliesA(dc, family, FontStyleProc, reinterpret_cast<LPARAM>(&search));
    ReleaseDC(desktop, dc);
    return search.found ? 1 : 0;
}

int WINAPI FontInstalled(const char *fontName, const char *style)
{
    char wanted[64];
    MakeWantedStyle(style, wanted, sizeof wanted);
    return FindFontStyle(fontName, wanted);
}
