// The Windows help viewer, driven through WinHelpA by a command word.
#include "frame/frame.h"
#include "frame/qimapi.h"
#include "launch/help_number.h"

// Any other word, the empty text included, opens the help file at its contents.
static const Keyword kHelpCommands[] = {
    {"Show", HELP_KEY},          {"Search", HELP_PARTIALKEY}, {"Help", HELP_HELPONHELP},
    {"Quit", HELP_QUIT},         {"Macro", HELP_COMMAND},     {"Context", HELP_CONTEXT},
    {"PopUp", HELP_CONTEXTPOPUP},
};

// What WinHelpA takes beside the command: the Data text itself (a keyword or a macro), the context
// number that it spells, or nothing.
static ULONG_PTR HelpData(UINT command, const char *data)
{
    switch (command) {
    case HELP_KEY:
    case HELP_PARTIALKEY:
    case HELP_COMMAND:
        return reinterpret_cast<ULONG_PTR>(data);
    case HELP_CONTEXT:
    case HELP_CONTEXTPOPUP:
        return static_cast<DWORD>(ReadHelpNumber(data));   // context numbers are 32 bits wide
    default:
        return 0;
    }
}

int WINAPI WindowsHelp(const char *command, const char *helpFile, const char *data)
{
    UINT helpCommand = LookUpKeyword(command, kHelpCommands, HELP_CONTENTS);
    HWND owner = GetActiveWindow();
    if (!IsWindow(owner)) return 0;
    return WinHelpA(owner, helpFile, helpCommand, HelpData(helpCommand, data)) ? 1 : 0;
}
