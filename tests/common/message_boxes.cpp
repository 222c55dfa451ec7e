#include "common/message_boxes.h"

#include <string.h>

#include "common/qimapi_test.h"

namespace qimapi_test {

static BOOL CALLBACK ReadStatic(HWND control, LPARAM param)
{
    auto *box = reinterpret_cast<SeenBox *>(param);
    char className[16] = "";
    GetClassNameA(control, className, sizeof className);
    if (lstrcmpiA(className, "Static") || !IsWindowVisible(control)) return TRUE;
    if ((GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        box->icon = reinterpret_cast<HICON>(SendMessageA(control, STM_GETICON, 0, 0));
    } else if (box->message.empty()) {
        char text[512] = "";
        GetWindowTextA(control, text, sizeof text);
        box->message = text;
    }
    return TRUE;
}

static SeenBox ReadBox(HWND box)
{
    SeenBox seen;
    seen.appeared = true;
    for (int id = IDOK; id <= IDNO; ++id) {
        HWND button = GetDlgItem(box, id);
        if (button && IsWindowVisible(button)) seen.buttons.insert(id);
        if (button && (GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            seen.defaultButton = id;
    }
    EnumChildWindows(box, ReadStatic, reinterpret_cast<LPARAM>(&seen));
    seen.owner = GetWindow(box, GW_OWNER);
    return seen;
}

static BOOL CALLBACK CloseBox(HWND window, LPARAM)
{
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (!strcmp(className, "#32770")) {
        SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
        if (IsWindow(window)) SendMessageA(window, WM_COMMAND, IDOK, 0);
    }
    return TRUE;
}

// Closes the message boxes of the thread, whatever they are called.
static void CloseStrayBoxes(DWORD thread)
{
    EnumThreadWindows(thread, CloseBox, 0);
}

BoxAnswerer::BoxAnswerer(const char *caption, int press)
    : caption_(caption), press_(press), boxThread_(GetCurrentThreadId())
{
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

const SeenBox &BoxAnswerer::Finish()
{
    if (thread_) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = 0;
    }
    return seen_;
}

DWORD WINAPI BoxAnswerer::Run(void *param)
{
    static_cast<BoxAnswerer *>(param)->Answer();
    return 0;
}

void BoxAnswerer::Answer()
{
    HWND box = 0;
    if (!WaitUntil([&] { return (box = FindWindowA("#32770", caption_.c_str())) && IsWindowVisible(box); })) {
        CloseStrayBoxes(boxThread_);
        return;
    }
    seen_ = ReadBox(box);
    SendMessageA(GetDlgItem(box, press_), BM_CLICK, 0, 0);
    if (!WaitUntil([&] { return !IsWindow(box); })) CloseStrayBoxes(boxThread_);
}

}  // namespace qimapi_test
