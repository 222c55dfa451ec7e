// A URL opened in the user's browser: through the shell when a handler for "http" is registered,
// else by the browser that the ".htm" type is registered with, started with a command line of
// our own.
#include <windows.h>

#include <shellapi.h>

#include "frame/frame.h"
#include "frame/qimapi.h"
#include "launch/browser_command.h"
#include "launch/launch.h"

// Registry values are read into 257 bytes, of which the system is told 255: the last two bytes
// stay NUL whatever a read leaves, so the text is always terminated.
const size_t kValueSize = 257;
const LONG kValueReadSize = 255;

// The two known registrations of ".htm", and the key below HKEY_CLASSES_ROOT whose default value
// holds each one's browser command.
enum HtmlClass { kOtherHtmlClass, kNetscapeMarkup, kHtmlFile };
static const Keyword kHtmlClasses[] = {{"NetscapeMarkup", kNetscapeMarkup}, {"htmlfile", kHtmlFile}};
static const char *const kBrowserCommandKeys[] = {
    nullptr,
    "NetscapeMarkup\\protocol\\StdFileEditing\\server",
    "htmlfile\\shell\\open\\command",
};

// Reads the default value of a key below HKEY_CLASSES_ROOT into value, whole or not at all: on
// any failure, a missing key or a text too long for value (ERROR_MORE_DATA), value is the empty text.
// The text ends where the bytes read end: the reads share one buffer, and a value stored without
// its NUL, or of another type, would otherwise end with the tail of a longer value read before.
static LONG ReadClassesValue(const char *key, char (&value)[kValueSize])
{
    LONG size = kValueReadSize;
    LONG status = RegQueryValueA(HKEY_CLASSES_ROOT, key, value, &size);
    value[status == ERROR_SUCCESS ? size : 0] = '\0';
    return status;
}

int WINAPI OpenURL(const char *url, const char *state)
{
    int show = StateToShowCommand(state);
    char value[kValueSize] = {};
    // Only whether a handler is registered counts: the shell reads its command itself, however long.
    // A URL too long for the shell goes to the browser on the command line, cut like any other.
    if (FitsShell(url) &&
        (ReadClassesValue("http\\shell\\open\\command", value) == ERROR_MORE_DATA || value[0])) {
        HINSTANCE status = ShellExecuteA(GetActiveWindow(), "open", url, "", "", show);
        if (reinterpret_cast<INT_PTR>(status) > 31) return 1;
    }
    ReadClassesValue(".htm", value);
    const char *commandKey = kBrowserCommandKeys[LookUpKeyword(value, kHtmlClasses, kOtherHtmlClass)];
    if (!commandKey) return 0;
    // Without a browser command there is no browser: the class name is no program to start.
    ReadClassesValue(commandKey, value);
    if (!value[0]) return 0;
    char commandLine[kBrowserCommandLineSize];
    BuildBrowserCommandLine(value, url, commandLine);
    return WinExec(commandLine, show) > 31 ? 1 : 0;
}
