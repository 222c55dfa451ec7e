// Real message boxes, read and answered from a second thread while the box's own thread is held
// in its modal loop.
#pragma once

#include <windows.h>

#include <set>
#include <string>

namespace qimapi_test {

// What a box showed, as the thread that answered it found it.
struct SeenBox {
    bool appeared = false;
    std::set<int> buttons;   // ids of the visible buttons among IDOK..IDNO
    int defaultButton = 0;
    HICON icon = 0;   // of the visible icon control; Wine keeps one (id 1088) without an icon
    HWND owner = 0;
    std::string message;   // the text of the first visible static control that is no icon
};

// Answers the box of the given caption from a second thread with a click on one button. Should
// no such box appear within 4 s, or not close, the boxes of the constructing thread are closed.
class BoxAnswerer {
public:
    BoxAnswerer(const char *caption, int press);
    ~BoxAnswerer() { Finish(); }
    BoxAnswerer(const BoxAnswerer &) = delete;
    BoxAnswerer &operator=(const BoxAnswerer &) = delete;
    // What the box showed; waits for the answering thread to end.
    const SeenBox &Finish();

private:
    static DWORD WINAPI Run(void *param);
    void Answer();
    std::string caption_;
    int press_;
    DWORD boxThread_;
    HANDLE thread_;
    SeenBox seen_;
};

}  // namespace qimapi_test
