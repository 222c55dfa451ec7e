// Takes the pictures of what QIMAPI.dll shows a person, for the README and the manual: message
// boxes, the about box, and a window before and after AddSysItems and RemoveSysItems. Each
// picture is the window's rectangle read back from the screen, written as a 24-bit BMP file into
// the folder given (tools/screenshots.sh turns them into PNG files).
//
// Usage: screenshots FOLDER
#include <windows.h>

#include <stdio.h>

#include <string>

#include "frame/qimapi.h"

namespace {

std::string folder;
bool failed = false;

template <class Fn>
Fn Export(const char *name)
{
    static HMODULE dll = LoadLibraryA("QIMAPI.dll");
    FARPROC address = dll ? GetProcAddress(dll, name) : nullptr;
    if (!address) {
        fprintf(stderr, "screenshots: QIMAPI.dll does not export %s\n", name);
        ExitProcess(1);
    }
    return reinterpret_cast<Fn>(reinterpret_cast<void *>(address));
}
#define QIMAPI(name) Export<decltype(&::name)>(#name)

// Writes what the screen shows of a window's rectangle to FOLDER\name.bmp.
void Capture(HWND window, const char *name)
{
    RECT rect;
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;   // bottom-up, as BMP files hold their rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void *pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BOOL copied = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();

    const DWORD rowBytes = (width * 3 + 3) & ~3u;
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;   // "BM"
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + rowBytes * height;
    const std::string path = folder + "\\" + name + ".bmp";
    FILE *file = fopen(path.c_str(), "wb");
    if (copied && pixels && file) {
        fwrite(&header, sizeof header, 1, file);
        fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, file);
        fwrite(pixels, rowBytes, height, file);
        printf("%s: %dx%d\n", name, width, height);
    } else {
        fprintf(stderr, "screenshots: cannot capture %s into %s\n", name, path.c_str());
        failed = true;
    }
    if (file) fclose(file);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Lets a window of this thread draw itself, then gives the display a moment to show it.
void Settle()
{
    for (int i = 0; i < 10; ++i) {
        Pump();
        Sleep(50);
    }
}

struct BoxPicture {
    const char *caption;
    const char *name;
};

// A box is modal on the thread that shows it: another thread waits for it to be drawn, takes
// its picture and presses its first button of Cancel, OK, No and Abort.
DWORD WINAPI PictureBox(LPVOID parameter)
{
    const BoxPicture *picture = static_cast<const BoxPicture *>(parameter);
    for (int i = 0; i < 1000; ++i, Sleep(10)) {
        HWND box = FindWindowA("#32770", picture->caption);
        if (!box || !IsWindowVisible(box)) continue;
        Sleep(500);
        Capture(box, picture->name);
        for (int id : {IDCANCEL, IDOK, IDNO, IDABORT}) {
            if (HWND button = GetDlgItem(box, id)) {
                SendMessageA(button, BM_CLICK, 0, 0);
                return 0;
            }
        }
        return 1;
    }
    fprintf(stderr, "screenshots: no box \"%s\" for %s\n", picture->caption, picture->name);
    failed = true;
    return 1;
}

template <class Show>
void PictureOfBox(const char *caption, const char *name, Show show)
{
    BoxPicture picture = {caption, name};
    HANDLE helper = CreateThread(nullptr, 0, PictureBox, &picture, 0, nullptr);
    show();
    if (WaitForSingleObject(helper, 15000) != WAIT_OBJECT_0) {
        fprintf(stderr, "screenshots: %s did not finish\n", name);
        ExitProcess(1);
    }
    CloseHandle(helper);
}

void MessageBoxPicture(const char *name, const char *message, const char *buttons, const char *icon, int defaultButton)
{
    PictureOfBox("QIMAPI", name, [&] {
        HGLOBAL answer = QIMAPI(MsgBox)(message, "QIMAPI", buttons, icon, defaultButton);
        GlobalFree(answer);
    });
}

LRESULT CALLBACK PresentationProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        DrawTextA(dc, "The presentation", -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A window that starts with a caption and a frame only, given its items and then losing two.
void SysItemPictures()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = PresentationProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "QimapiScreenshotWindow";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "Presentation",
                                  WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME, 100, 100, 360, 200, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    Settle();
    Capture(window, "sysitems-before");
    QIMAPI(AddSysItems)(1, 1, 1, window);
    Settle();
    Capture(window, "sysitems-added");
    QIMAPI(RemoveSysItems)(0, 1, 1, window);
    Settle();
    Capture(window, "sysitems-removed");
    DestroyWindow(window);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        fputs("usage: screenshots FOLDER\n", stderr);
        return 2;
    }
    folder = argv[1];
    MessageBoxPicture("msgbox-yesnocancel", "Save the changes to the presentation?", "YesNoCancel", "Question", 1);
    MessageBoxPicture("msgbox-abortretryignore", "The file could not be found.", "AbortRetryIgnore", "Stop", 2);
    MessageBoxPicture("msgbox-ok", "The presentation has ended.", "OK", "Information", 1);
    MessageBoxPicture("msgbox-okcancel", "Close all other programs first.", "OKCancel", "Exclamation", 1);
    PictureOfBox("Qimmo Utilities", "about", [] { QIMAPI(QimAPIAbout)(); });
    SysItemPictures();
    return failed ? 1 : 0;
}
