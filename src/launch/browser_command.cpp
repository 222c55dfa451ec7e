#include "launch/browser_command.h"

// Appends text to the first length characters of line, as far as the line's limit allows, and
// returns the new length.
static size_t AppendBounded(char (&line)[kBrowserCommandLineSize], size_t length, const char *text)
{
    for (; length < kBrowserCommandLineChars && *text; ++text) line[length++] = *text;
    line[length] = '\0';
    return length;
}

void BuildBrowserCommandLine(const char *browserCommand, const char *url,
                             char (&commandLine)[kBrowserCommandLineSize])
{
    if (*browserCommand == '"') ++browserCommand;
    size_t length = AppendBounded(commandLine, 0, browserCommand);
    for (size_t i = 0; i < length; ++i) {
        if (commandLine[i] == '"') {
            length = i;
            break;
        }
    }
    length = AppendBounded(commandLine, length, " ");
    AppendBounded(commandLine, length, url);
}
