// The clipboard as this program sees it through its own calls, and a keeper that puts its text
// back as it was.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace qimapi_test {

// A movable global block holding bytes as they stand (add the NUL to a text).
HGLOBAL TextBlock(const std::string &bytes);

// Empties the clipboard and puts data on it in each format given.
void FillClipboard(const std::vector<std::pair<UINT, HANDLE>> &data);

// Puts text with its NUL on the clipboard as CF_TEXT, alone.
void PutText(const std::string &text);

// The clipboard's CF_TEXT data up to its NUL or its block's end; "<none>" without any.
std::string ClipboardText();

// Puts back the text the clipboard held when the object was made, or empties it if there was none.
class ClipboardKeeper {
public:
    ClipboardKeeper() : text_(ClipboardText()) {}
    ~ClipboardKeeper();
    ClipboardKeeper(const ClipboardKeeper &) = delete;
    ClipboardKeeper &operator=(const ClipboardKeeper &) = delete;

private:
    std::string text_;
};

}  // namespace qimapi_test
