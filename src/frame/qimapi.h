// The exports of QIMAPI.dll as the host calls them: standard call, one 32-bit slot per argument.
// exports.table describes each one to the host; the linker holds the two to the same argument count.
#pragma once

#include <windows.h>

extern "C" {

// Window state and lookup
LRESULT WINAPI SendMsg(HWND window, DWORD message, DWORD wParam, LPARAM lParam);
int WINAPI GetWindowState(HWND window);
void WINAPI SetWindowState(HWND window, const char *state);
HWND WINAPI ActiveWindow(void);
HWND WINAPI GetWindowHandle(const char *className, const char *caption);
void WINAPI SetWindowTitle(HWND window, const char *title);

// Window activation
int WINAPI KillWindow(HWND window);
int WINAPI WindowToFront(HWND window);
int WINAPI ActivateWindow(HWND window);
void WINAPI WaitTillActive(HWND window);

// Message box
HGLOBAL WINAPI MsgBox(const char *message, const char *caption, const char *buttons, const char *icon,
                      int defaultButton);

// System menu items
void WINAPI AddSysItems(int systemMenu, int minimizeBox, int maximizeBox, HWND window);
void WINAPI RemoveSysItems(int systemMenu, int minimizeBox, int maximizeBox, HWND window);

// Versions and directories
int WINAPI IsWinNT(void);
HGLOBAL WINAPI WindowsVersion(void);
HGLOBAL WINAPI DosVersion(void);
HGLOBAL WINAPI GetWindowsDir(void);
HGLOBAL WINAPI GetSystemDir(void);

// Display metrics and fonts
int WINAPI ScreenWidth(void);
int WINAPI ScreenHeight(void);
int WINAPI SystemFontHeight(void);
int WINAPI FontInstalled(const char *fontName, const char *style);

// Multimedia component versions
HGLOBAL WINAPI VfwVersion(void);
HGLOBAL WINAPI QtVersion(void);

// Screen saver
int WINAPI ScreenSaverActive(int on);
int WINAPI ScreenSaverTime(int seconds);

}
