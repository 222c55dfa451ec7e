/* qimapi.h: the 53 exports of QIMAPI.dll, for hosts written in C or C++.
 *
 * Every export uses the standard calling convention (WINAPI) and takes one 32-bit slot per
 * argument: integers, window handles and pointers to NUL-terminated ANSI texts, which it only
 * reads and never keeps.
 *
 * Result strings: an export declared to return HGLOBAL hands back the handle of a movable global
 * memory block holding the text and its NUL, unlocked. The block is the caller's from then on:
 * GlobalLock it, copy the text, GlobalUnlock it, GlobalFree it. 0 means that no block could be
 * allocated; every other outcome, "nothing found" included, is a text.
 *
 * Linking: with MinGW, -lqimapi (lib/libqimapi.dll.a); other toolchains make their own import
 * library from lib/QIMAPI.def. QIMAPI.dll has to lie where Windows looks for it at run time,
 * beside the host's program for instance.
 *
 * 64-bit hosts use bin/x64/QIMAPI.dll and lib/x64/libqimapi.dll.a: there every slot is as wide
 * as a pointer, WINAPI is the platform's one calling convention, and the descriptors are the same.
 *
 * Two exports have names that <windows.h> already declares for kernel32 functions, so this header
 * declares them under names of their own: OpenDocument is the export "OpenFile" and
 * GetDriveTypeName is the export "GetDriveType". The import library binds the two names to those
 * exports (the "==" lines of QIMAPI.def); a host that loads QIMAPI.dll itself asks GetProcAddress
 * for "OpenFile" and "GetDriveType".
 */
#ifndef QIMAPI_H
#define QIMAPI_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Window state and lookup */

/* Returns what the window's procedure answers (Msg and wParam cut to 16 bits), or 0 for no window. */
LRESULT WINAPI SendMsg(HWND window, DWORD message, DWORD wParam, LPARAM lParam);
/* Returns 0 for no window, 1 normal, 2 minimised, 3 maximised; hidden windows count alike. */
int WINAPI GetWindowState(HWND window);
/* Returns nothing; shows, hides or (un)pins the window, or the active one for no window. */
void WINAPI SetWindowState(HWND window, const char *state);
/* Returns the calling thread's active window, or 0 when it has none. */
HWND WINAPI ActiveWindow(void);
/* Returns the first top-level window of that class and title (an empty text matches any), or 0. */
HWND WINAPI GetWindowHandle(const char *className, const char *caption);
/* Returns nothing; sets the title of the window, or of the active one for no window. */
void WINAPI SetWindowTitle(HWND window, const char *title);

/* Window activation */

/* Returns 1 when WM_CLOSE was posted (the window may still decline), 0 for no window. */
int WINAPI KillWindow(HWND window);
/* Returns 1 when the window (the active one for no window) came to the top, else 0. */
int WINAPI WindowToFront(HWND window);
/* Returns 1 when another window of the thread was active before, else 0, even after activating. */
int WINAPI ActivateWindow(HWND window);
/* Returns nothing, once the window's parent or owner (or the window) is active or gone. */
void WINAPI WaitTillActive(HWND window);

/* Message box */

/* Returns a result string: "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes" or "No". */
HGLOBAL WINAPI MsgBox(const char *message, const char *caption, const char *buttons, const char *icon, int defaultButton);

/* System menu items */

/* Returns nothing; gives the window (or the active one) the flagged caption items. */
void WINAPI AddSysItems(int systemMenu, int minimizeBox, int maximizeBox, HWND window);
/* Returns nothing; takes the flagged caption items from the window (or the active one). */
void WINAPI RemoveSysItems(int systemMenu, int minimizeBox, int maximizeBox, HWND window);

/* Registry values */

/* Returns a result string: the key's default value, or Default (cut to 255) when unreadable. */
HGLOBAL WINAPI ReadReg(const char *keyName, const char *defaultValue, const char *branch);
/* Returns 1 when the key's default value was stored, else 0. */
int WINAPI WriteReg(const char *keyName, const char *newString, const char *branch);

/* INI files */

/* Returns a result string: the key's value, or Default; either cut to 254 characters. */
HGLOBAL WINAPI ReadIni(const char *section, const char *keyName, const char *defaultValue, const char *iniFile);
/* Returns 1 when the key was written, else 0. */
int WINAPI WriteIni(const char *section, const char *keyName, const char *newString, const char *iniFile);

/* File names and existence */

/* Returns a result string: the short (8.3) form of the name, or "" when there is none that fits. */
HGLOBAL WINAPI ShortFileName(const char *fileName);
/* Returns a result string: the name of a new empty temporary file (yours to delete), or "". */
HGLOBAL WINAPI TempFileName(const char *prefix);
/* Returns 1 when the name (wildcards allowed) names a file, not a folder, else 0. */
int WINAPI DoesFileExist(const char *fileName);

/* File version */

/* Returns a result string: the file's US English FileVersion text (63 at most), or "0". */
HGLOBAL WINAPI FileVersion(const char *fileName);

/* Drives */

/* Returns a result string: the first drive letter from StartDrive to Z holding the file, or "". */
HGLOBAL WINAPI FindDrive(const char *startDrive, const char *fileName);
/* The export "GetDriveType" (see above). */
/* Returns a result string: "Hard", "CD-ROM", "Network", "Removable", "RAM" or "Invalid". */
HGLOBAL WINAPI GetDriveTypeName(const char *driveLetter);
/* Returns nothing; switches the system's "drive not ready" box off (On not 0) or on. */
void WINAPI DisableDiskErrors(int on);

/* The library itself */

/* Returns nothing, once the user has closed the about box. */
void WINAPI QimAPIAbout(void);
/* Returns 200: version 2.00. */
int WINAPI QimAPIVersion(void);

/* Cursor position and confinement */

/* Returns nothing; moves the cursor to the point, in screen pixels. */
void WINAPI PlaceCursor(int x, int y);
/* Returns nothing; confines the cursor to the rectangle, in screen pixels. */
void WINAPI RestrictCursor(int left, int top, int right, int bottom);
/* Returns nothing; lets the cursor move anywhere again. */
void WINAPI FreeCursor(void);

/* Mouse and keyboard blocking */

/* Returns 1 when clicks are blocked (the input hook is in place), else 0. */
int WINAPI DisableMouse(void);
/* Returns 1 when key presses are blocked (the input hook is in place), else 0. */
int WINAPI DisableKeys(void);
/* Returns nothing; lets clicks through again. */
void WINAPI RestoreMouse(void);
/* Returns nothing; lets key presses through again. */
void WINAPI RestoreKeys(void);

/* Clipboard text */

/* Returns 1 when the clipboard took the text, else 0. */
int WINAPI CopyToClipboard(const char *text);
/* Returns a result string: the clipboard's text, or "" when it holds none or is busy. */
HGLOBAL WINAPI CopyFromClipboard(void);

/* Shell open and print */

/* The export "OpenFile" (see above). */
/* Returns the shell's value: above 32 when the document opened, else its error number. */
int WINAPI OpenDocument(const char *fileName, const char *state);
/* Returns the shell's value: above 32 when printing started, else its error number. */
int WINAPI PrintFile(const char *fileName);

/* Browser launch */

/* Returns 1 when the shell or the browser started, else 0. */
int WINAPI OpenURL(const char *url, const char *state);

/* Program launch */

/* Returns 33 when the program started, else an error number below 32 on the shell's scale. */
UINT WINAPI RunProgram(const char *program, const char *state, int wait);

/* Help viewer */

/* Returns 1 when the help viewer took the command, else 0 (always 0 without an active window). */
int WINAPI WindowsHelp(const char *command, const char *helpFile, const char *data);

/* Versions and directories */

/* Returns 1 on the Windows NT platform, else 0. */
int WINAPI IsWinNT(void);
/* Returns a result string: the Windows version as major.minor, e.g. "4.0". */
HGLOBAL WINAPI WindowsVersion(void);
/* Returns a result string: the version value's high bytes as major.minor (DOS only on old systems). */
HGLOBAL WINAPI DosVersion(void);
/* Returns a result string: the Windows folder, or "" when it needs 255 characters or more. */
HGLOBAL WINAPI GetWindowsDir(void);
/* Returns a result string: the system folder, or "" when it needs 255 characters or more. */
HGLOBAL WINAPI GetSystemDir(void);

/* Display metrics and fonts */

/* Returns the screen's width in pixels. */
int WINAPI ScreenWidth(void);
/* Returns the screen's height in pixels. */
int WINAPI ScreenHeight(void);
/* Returns the system font's ascent in pixels (not its whole height), or 0. */
int WINAPI SystemFontHeight(void);
/* Returns 1 when the family has a style of that name (empty: "Regular"), else 0. */
int WINAPI FontInstalled(const char *fontName, const char *style);

/* Multimedia component versions */

/* Returns a result string: the Video for Windows driver's version, or "0" without one. */
HGLOBAL WINAPI VfwVersion(void);
/* Returns a result string: the QuickTime for Windows driver's version, or "0" without one. */
HGLOBAL WINAPI QtVersion(void);

/* Screen saver */

/* Returns 1 when the screen saver was active before the call, else 0. */
int WINAPI ScreenSaverActive(int on);
/* Returns the screen saver's time-out in seconds before the call. */
int WINAPI ScreenSaverTime(int seconds);

#ifdef __cplusplus
}
#endif

#endif /* QIMAPI_H */
