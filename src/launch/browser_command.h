// The command line that starts a browser registered for ".htm" with a URL: text in, text out,
// with no system call, so that it builds and runs anywhere.
#pragma once

#include <stddef.h>

// WinExec's command line: at most 255 characters and a NUL, in a buffer of 257 bytes.
const size_t kBrowserCommandLineChars = 255;
const size_t kBrowserCommandLineSize = 257;

// The browser's command as its registration stores it (a program path, possibly quoted, with any
// options or a placeholder for the document), followed by url:
// - the first quote after a leading one ends the program part, so the options after a quoted
//   path and a quoted placeholder ("%1") both give way to the URL;
// - a quoted program path keeps its quotes;
// - one blank separates the URL from what remains; the URL is one argument: quoted when it holds
//   a blank or a tab, with each double quote in it written as %22;
// - the whole line is cut at kBrowserCommandLineChars, the URL first.
void BuildBrowserCommandLine(const char *browserCommand, const char *url,
                             char (&commandLine)[kBrowserCommandLineSize]);
