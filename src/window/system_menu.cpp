// Adding and removing the system menu and the minimize and maximize boxes of a window's caption.
#include "frame/qimapi.h"

// The style bit of each item, in the order the host passes their flags.
static const LONG kSysItemStyles[] = {WS_SYSMENU, WS_MINIMIZEBOX, WS_MAXIMIZEBOX};
static const size_t kSysItems = sizeof kSysItemStyles / sizeof kSysItemStyles[0];

enum class Change { Add, Remove };

// Each flagged item changes on its own, writing the style only where its bit differs; the style
// is read afresh for every item. The caption is then redrawn as active.
static void ChangeSysItems(Change change, const int (&flags)[kSysItems], HWND window)
{
    if (!IsWindow(window)) window = GetActiveWindow();
    if (!IsWindow(window)) return;

    for (size_t item = 0; item < kSysItems; ++item) {
        LONG style = GetWindowLongA(window, GWL_STYLE);
        if (!flags[item]) continue;
        LONG bit = kSysItemStyles[item];
        LONG changed = change == Change::Add ? style | bit : style & ~bit;
        if (changed != style) SetWindowLongA(window, GWL_STYLE, changed);
    }
    SendMessageA(window, WM_NCACTIVATE, TRUE, 0);
}

void WINAPI AddSysItems(int systemMenu, int minimizeBox, int maximizeBox, HWND window)
{
    ChangeSysItems(Change::Add, {systemMenu, minimizeBox, maximizeBox}, window);
}

void WINAPI RemoveSysItems(int systemMenu, int minimizeBox, int maximizeBox, HWND window)
{
    ChangeSysItems(Change::Remove, {systemMenu, minimizeBox, maximizeBox}, window);
}
