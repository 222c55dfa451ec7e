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

// Registry values
HGLOBAL WINAPI ReadReg(const char *keyName, const char *defaultValue, const char *branch);
int WINAPI WriteReg(const char *keyName, const char *newString, const char *branch);

// INI files
HGLOBAL WINAPI ReadIni(const char *section, const char *keyName, const char *defaultValue, const char *iniFile);
int WINAPI WriteIni(const char *section, const char *keyName, const char *newString, const char *iniFile);

// File names and existence
HGLOBAL WINAPI ShortFileName(const char *fileName);
HGLOBAL WINAPI TempFileName(const char *prefix);
int WINAPI DoesFileExist(const char *fileName);

// File version
HGLOBAL WINAPI FileVersion(const char *fileName);

// Drives
HGLOBAL WINAPI FindDrive(const char *startDrive, const char *fileName);
HGLOBAL WINAPI GetDriveTypeName(const char *driveLetter);   // exported as GetDriveType
void WINAPI DisableDiskErrors(int on);

// The library itself
void WINAPI QimAPIAbout(void);
int WINAPI QimAPIVersion(void);

// Cursor position and confinement
void WINAPI PlaceCursor(int x, int y);
void WINAPI RestrictCursor(int left, int top, int right, int bottom);
void WINAPI FreeCursor(void);

// Mouse and keyboard blocking
int WINAPI DisableMouse(void);
int WINAPI DisableKeys(void);
void WINAPI RestoreMouse(void);
void WINAPI RestoreKeys(void);

// Clipboard text
int WINAPI CopyToClipboard(const char *text);
HGLOBAL WINAPI CopyFromClipboard(void);
// Shell open and print: the shell's value, above 32 when the action started, else its error number
int WINAPI OpenDocument(const char *fileName, const char *state);   // exported as OpenFile
int WINAPI PrintFile(const char *fileName);

// Browser launch: 1 when the shell or the browser started, else 0
int WINAPI OpenURL(const char *url, const char *state);

// Program launch: 33 when the program started, else an error number below 32 on the shell's
// scale (its descriptor's letter is W, though the value is no window handle)
UINT WINAPI RunProgram(const char *program, const char *state, int wait);

// Help viewer
int WINAPI WindowsHelp(const char *command, const char *helpFile, const char *data);
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
