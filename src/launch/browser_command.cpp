#include "launch/browser_command.h"

// Appends text to the first length characters of line, as far as the line's limit allows, and
// returns the new length.
static size_t AppendBounded(char (&line)[kBrowserCommandLineSize], size_t length, const char *text)
{
    for (; length < kBrowserCommandLineChars && *text; ++text) line[length++] = *text;
    line[length] = '\0';
    return length;
}

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The URL as one argument: quoted when it holds a blank, and a double quote in it written as %22,
// as a URL writes it, so that it can neither end the quotes nor add arguments.
static size_t AppendUrl(char (&line)[kBrowserCommandLineSize], size_t length, const char *url)
{
    bool hasBlank = false;
    for (const char *c = url; *c; ++c) hasBlank = hasBlank || IsBlank(*c);
    if (hasBlank) length = AppendBounded(line, length, "\"");
    for (const char *c = url; *c; ++c) {
        const char single[2] = {*c, '\0'};
        length = AppendBounded(line, length, *c == '"' ? "%22" : single);
    }
    return hasBlank ? AppendBounded(line, length, "\"") : length;
}

// A program path that the registration quoted stays quoted: unquoted, WinExec would try each of
// its first words as a program ("C:\Program.exe" before "C:\Program Files\...").
void BuildBrowserCommandLine(const char *browserCommand, const char *url,
                             char (&commandLine)[kBrowserCommandLineSize])
{
    const bool quoted = *browserCommand == '"';
    size_t length = AppendBounded(commandLine, 0, quoted ? "\"" : "");
    const size_t pathStart = length;
    length = AppendBounded(commandLine, length, browserCommand + (quoted ? 1 : 0));
    for (size_t i = pathStart; i < length; ++i) {
        if (commandLine[i] == '"') {
            length = i;
            break;
        }
    }
    length = AppendBounded(commandLine, length, quoted ? "\" " : " ");
    AppendUrl(commandLine, length, url);
}
