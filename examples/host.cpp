// A C++ host of QIMAPI.dll: calls a few exports through the import library and takes over the
// result strings they hand back.
#include <iostream>
#include <string>

#include <qimapi.h>

// Takes over a result string: its block is ours from the moment the export returns it. The text
// is copied out, then the block is freed; no memory for the block gives the empty text.
static std::string TakeResultString(HGLOBAL block)
{
    if (!block) return "";
    const char *text = static_cast<const char *>(GlobalLock(block));
    std::string copy = text ? text : "";
    GlobalUnlock(block);
    GlobalFree(block);
    return copy;
}

int main()
{
    std::cout << "WindowsVersion() => " << TakeResultString(WindowsVersion()) << "\n";
    std::cout << "ScreenWidth() => " << ScreenWidth() << "\n";
    std::cout << "FileVersion(\"QIMAPI.dll\") => " << TakeResultString(FileVersion("QIMAPI.dll")) << "\n";
    // OpenFile under the name that does not clash with <windows.h>'s: a missing file answers the
    // shell's error number, below 32.
    std::cout << "OpenFile(\"no_such_document.qimx\", \"Normal\") => "
              << OpenDocument("no_such_document.qimx", "Normal") << "\n";
    std::cout << "DoesFileExist(\"no_such_document.qimx\") => " << DoesFileExist("no_such_document.qimx") << "\n";
    return 0;
}
