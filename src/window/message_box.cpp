// The standard message box, its buttons, icon and default button named by script words.
#include "frame/frame.h"
#include "frame/qimapi.h"

// Button sets; any other word gives OK alone.
static const Keyword kButtonSets[] = {
    {"OK", MB_OK},       {"OKCancel", MB_OKCANCEL},           {"YesNo", MB_YESNO},
    {"YesNoCancel", MB_YESNOCANCEL}, {"AbortRetryIgnore", MB_ABORTRETRYIGNORE},
};

// Icons; any other word, or none, shows no icon.
static const Keyword kIcons[] = {
    {"Stop", MB_ICONSTOP},         {"Exclamation", MB_ICONEXCLAMATION},
    {"Question", MB_ICONQUESTION}, {"Information", MB_ICONINFORMATION},
};

// The name of each button the box can answer with.
static const Keyword kAnswers[] = {
    {"OK", IDOK},       {"Cancel", IDCANCEL}, {"Abort", IDABORT}, {"Retry", IDRETRY},
    {"Ignore", IDIGNORE}, {"Yes", IDYES},     {"No", IDNO},
};

// Buttons count from 1; any other number leaves the first button the default.
static UINT DefaultButtonStyle(int button)
{
    switch (button) {
    case 2: return MB_DEFBUTTON2;
    case 3: return MB_DEFBUTTON3;
    default: return MB_DEFBUTTON1;
    }
}

// A box that failed (0) or an answer without a name counts as OK.
static const char *AnswerName(int answer)
{
    for (const Keyword &row : kAnswers)
        if (row.value == answer) return row.word;
    return "OK";
}

HGLOBAL WINAPI MsgBox(const char *message, const char *caption, const char *buttons, const char *icon,
                      int defaultButton)
{
    UINT style = LookUpKeyword(buttons, kButtonSets, MB_OK) | LookUpKeyword(icon, kIcons, 0) |
                 DefaultButtonStyle(defaultButton) | MB_TASKMODAL;
    int answer = MessageBoxA(GetActiveWindow(), message, caption, style);
    return StringToGlobal(AnswerName(answer));
}
