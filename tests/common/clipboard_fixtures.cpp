#include "common/clipboard_fixtures.h"

#include <string.h>

#include <gtest/gtest.h>

namespace qimapi_test {

HGLOBAL TextBlock(const std::string &bytes)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    return block;
}

void FillClipboard(const std::vector<std::pair<UINT, HANDLE>> &data)
{
    ASSERT_TRUE(OpenClipboard(0));
    EmptyClipboard();
    for (const auto &d : data) EXPECT_TRUE(SetClipboardData(d.first, d.second)) << d.first;
    CloseClipboard();
}

void PutText(const std::string &text)
{
    FillClipboard({{CF_TEXT, TextBlock(text + '\0')}});
}

std::string ClipboardText()
{
    std::string text = "<none>";
    if (!OpenClipboard(0)) return "<clipboard busy>";
    HANDLE data = GetClipboardData(CF_TEXT);
    const char *bytes = data ? static_cast<const char *>(GlobalLock(data)) : nullptr;
    if (bytes) {
        text.assign(bytes, strnlen(bytes, GlobalSize(data)));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

ClipboardKeeper::~ClipboardKeeper()
{
    if (text_ == "<none>") FillClipboard({});
    else PutText(text_);
}

}  // namespace qimapi_test
