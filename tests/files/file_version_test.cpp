// The "FileVersion" text of QIMAPI.dll itself and of fixture files built beside the tests, each
// with one kind of version resource (version_fixtures.rc).
#include "files/files_test.h"

#include <algorithm>
#include <string>
#include <vector>

using qimapi_test::Dll;
using qimapi_test::ImportPatch;
using qimapi_test::kTextLengths;
using qimapi_test::Letters;
using qimapi_test::TakeResultString;

namespace {

std::string FileVersion(const std::string &fileName)
{
    return TakeResultString(QIMAPI(FileVersion)(fileName.c_str()));
}

// The folder of the test program, where the fixtures are built.
std::string Beside(const char *name)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.rfind('\\') + 1) + name;
}

TEST(FileVersion, OfQimapiItselfIsTwo)
{
    char path[MAX_PATH];
    ASSERT_TRUE(GetModuleFileNameA(Dll(), path, MAX_PATH));
    EXPECT_EQ(FileVersion(path), "2.0");
    EXPECT_EQ(FileVersion("QIMAPI.dll"), "2.0");   // in the current folder
}

TEST(FileVersion, IsTheUsEnglishWindowsTextCutTo63CharactersOrZero)
{
    const struct {
        const char *file;
        const char *version;
    } cases[] = {
        {"version_note.dll", "4.0.1 beta (build 1234, 31 Jan 2024): a preview for all testers"},
        {"version_long.dll", "4.0.1 beta (build 1234, 31 Jan 2024): a preview for all testers"},
        {"version_german.dll", "0"},       // another language only
        {"version_unicode.dll", "0"},      // US English with another code page only
        {"version_untranslated.dll", "0"}, // no list of translations
        {"version_no_file_version.dll", "0"},
        {"version_none.dll", "0"},         // no version resource
        {"files_test.exe", "0"},
        {"no such file.dll", "0"},
    };
    for (const auto &c : cases) EXPECT_EQ(FileVersion(Beside(c.file)), c.version) << c.file;
    EXPECT_EQ(FileVersion(""), "0");
    EXPECT_EQ(FileVersion(qimapi_test::TempFolder()), "0");   // a folder
}

std::vector<void *> allocated, freed;
LPVOID WINAPI RecordHeapAlloc(HANDLE heap, DWORD flags, SIZE_T size)
{
    void *block = HeapAlloc(heap, flags, size);
    allocated.push_back(block);
    return block;
}
BOOL WINAPI RecordHeapFree(HANDLE heap, DWORD flags, LPVOID block)
{
    freed.push_back(block);
    return HeapFree(heap, flags, block);
}

TEST(FileVersion, ReleasesTheVersionBlockOnEveryPath)
{
    ImportPatch alloc(Dll(), "kernel32.dll", "HeapAlloc", (void *)RecordHeapAlloc);
    ImportPatch free(Dll(), "kernel32.dll", "HeapFree", (void *)RecordHeapFree);
    ASSERT_TRUE(alloc.ok() && free.ok());
    for (const char *file : {"version_note.dll", "version_german.dll", "version_untranslated.dll",
                             "version_no_file_version.dll"}) {
        allocated.clear();
        freed.clear();
        FileVersion(Beside(file));
        EXPECT_EQ(allocated.size(), 1u) << file;
        EXPECT_EQ(freed, allocated) << file;
    }
}

TEST(FileVersion, FileNameOfAnyLengthIsZero)
{
    for (size_t length : kTextLengths) EXPECT_EQ(FileVersion(Letters(length)), "0") << length;
}

}  // namespace
