// The DLL as the host sees it before calling anything: export and import tables, the DLL_HEADER
// descriptors and function list, and the version resource, read back from the built file.
#include "common/qimapi_test.h"
#include "frame/descriptor_data.h"
#include "frame/product_file.h"

#include <string.h>

#include <set>
#include <string>

namespace {

using namespace qimapi_test;

// The exports built so far; the rest of the descriptors name exports still to come.
const std::set<std::string> kBuiltExports = {
    "SendMsg", "GetWindowState", "SetWindowState", "ActiveWindow", "GetWindowHandle", "SetWindowTitle",
    "KillWindow", "WindowToFront", "ActivateWindow", "WaitTillActive", "MsgBox", "AddSysItems", "RemoveSysItems",
    "ReadReg", "WriteReg", "ReadIni", "WriteIni", "ShortFileName", "TempFileName", "DoesFileExist",
    "FindDrive", "GetDriveType", "DisableDiskErrors", "FileVersion",
    "QimAPIAbout", "QimAPIVersion", "PlaceCursor", "RestrictCursor", "FreeCursor", "DisableMouse", "DisableKeys",
    "RestoreMouse", "RestoreKeys", "CopyToClipboard", "CopyFromClipboard",
    "OpenFile", "PrintFile", "RunProgram", "OpenURL", "WindowsHelp",
    "IsWinNT", "WindowsVersion", "DosVersion", "GetWindowsDir", "GetSystemDir", "ScreenWidth", "ScreenHeight",
    "SystemFontHeight", "FontInstalled", "VfwVersion", "QtVersion", "ScreenSaverActive", "ScreenSaverTime",
};

std::string ExpectedBytes(const ExpectedDescriptor &d)
{
    return std::string(1, '\0') + d.result + '\0' + d.arguments + '\0' + ExpectedHelp(d) + '\0';
}

TEST(ProductFile, IsA32BitDll)
{
    ASSERT_TRUE(Product().ok()) << "not a 32-bit DLL: " << QIMAPI_PRODUCT_DLL;
    EXPECT_EQ(Product().Nt()->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_TRUE(Product().Nt()->FileHeader.Characteristics & IMAGE_FILE_DLL);
}

TEST(ExportTable, NamesTheLibraryWithBaseOne)
{
    ASSERT_TRUE(Product().ok());
    auto *exports = Product().At<IMAGE_EXPORT_DIRECTORY>(Product().Directory(IMAGE_DIRECTORY_ENTRY_EXPORT).VirtualAddress);
    ASSERT_TRUE(exports);
    EXPECT_STREQ(Product().Text(exports->Name), "QIMAPI.dll");
    EXPECT_EQ(exports->Base, 1u);
}

TEST(ExportTable, EveryNameIsUndecoratedAtItsDescriptorOrdinal)
{
    ASSERT_TRUE(Product().ok());
    auto *exports = Product().At<IMAGE_EXPORT_DIRECTORY>(Product().Directory(IMAGE_DIRECTORY_ENTRY_EXPORT).VirtualAddress);
    ASSERT_TRUE(exports);
    auto *names = Product().At<DWORD>(exports->AddressOfNames);
    auto *ordinals = Product().At<WORD>(exports->AddressOfNameOrdinals);
    auto *functions = Product().At<DWORD>(exports->AddressOfFunctions);

    std::set<std::string> exported;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        std::string name = Product().Text(names[i]);
        const ExpectedDescriptor *d = FindExpectedDescriptor(name);   // also refuses "SendMsg@16", "_SendMsg"
        ASSERT_TRUE(d) << "exported without a descriptor: " << name;
        EXPECT_EQ(exports->Base + ordinals[i], static_cast<DWORD>(d->ordinal)) << name;
        exported.insert(name);
    }
    EXPECT_EQ(exported, kBuiltExports);

    // Nothing is exported by ordinal alone.
    DWORD withAddress = 0;
    for (DWORD i = 0; i < exports->NumberOfFunctions; ++i) withAddress += functions[i] != 0;
    EXPECT_EQ(withAddress, exports->NumberOfNames);
}

// The system DLLs of every 32-bit Windows that hosts run on; no C runtime DLL among them.
TEST(ImportTable, NamesOnlySystemLibraries)
{
    ASSERT_TRUE(Product().ok());
    const std::set<std::string> system = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll",
                                          "shell32.dll", "version.dll", "winmm.dll"};
    auto *d = Product().At<IMAGE_IMPORT_DESCRIPTOR>(Product().Directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress);
    ASSERT_TRUE(d);
    int count = 0;
    for (; d->Name; ++d, ++count) {
        std::string name = Product().Text(d->Name);
        for (char &c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        EXPECT_TRUE(system.count(name)) << "imports a library a user's machine may lack: " << name;
    }
    EXPECT_GT(count, 0);
}

// What a C runtime's start-up and error paths bring with them; no export calls any of it. The
// start-up's security cookie reads the time, the tick count, the performance counter and the
// thread's and process's ids together; the input hook alone asks for the process's id, to tell
// the host's windows from other programs', so that one is not counted.
TEST(ImportTable, BringsNoRuntimeStartUp)
{
    ASSERT_TRUE(Product().ok());
    const std::set<std::string> runtime = {
        "LoadLibraryA", "LoadLibraryW", "GetProcAddress", "VirtualProtect", "VirtualQuery",
        "InitializeCriticalSection", "EnterCriticalSection", "LeaveCriticalSection", "DeleteCriticalSection",
        "TlsAlloc", "TlsGetValue", "TlsSetValue", "TlsFree", "SetUnhandledExceptionFilter",
        "GetStartupInfoA", "GetCommandLineA", "GetSystemTimeAsFileTime", "GetTickCount",
        "QueryPerformanceCounter", "GetCurrentThreadId", "Sleep", "abort", "fwrite",
        "vfprintf", "malloc", "free", "calloc", "_initterm", "_amsg_exit"};
    auto *d = Product().At<IMAGE_IMPORT_DESCRIPTOR>(Product().Directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress);
    ASSERT_TRUE(d);
    for (; d->Name; ++d) {
        auto *names = Product().At<IMAGE_THUNK_DATA32>(d->OriginalFirstThunk);
        ASSERT_TRUE(names) << Product().Text(d->Name);
        for (; names->u1.AddressOfData; ++names) {
            ASSERT_FALSE(IMAGE_SNAP_BY_ORDINAL32(names->u1.Ordinal)) << "imported by ordinal from " << Product().Text(d->Name);
            std::string function = Product().At<IMAGE_IMPORT_BY_NAME>(names->u1.AddressOfData)->Name;
            EXPECT_FALSE(runtime.count(function)) << Product().Text(d->Name) << " " << function;
        }
    }
}

// Stripped and without unwind tables: only the sections that code, data, imports, exports,
// resources and relocations need; the entry point is the library's own.
TEST(ProductFile, IsLeanAndStripped)
{
    ASSERT_TRUE(Product().ok());
    EXPECT_EQ(Product().Nt()->FileHeader.PointerToSymbolTable, 0u);
    EXPECT_EQ(Product().Nt()->FileHeader.NumberOfSymbols, 0u);
    EXPECT_EQ(Product().Directory(IMAGE_DIRECTORY_ENTRY_DEBUG).Size, 0u);
    EXPECT_EQ(Product().Directory(IMAGE_DIRECTORY_ENTRY_TLS).Size, 0u);
    EXPECT_NE(Product().Nt()->OptionalHeader.AddressOfEntryPoint, 0u);
    const std::set<std::string> needed = {".text", ".data", ".rdata", ".bss", ".edata", ".idata", ".rsrc", ".reloc"};
    const IMAGE_SECTION_HEADER *section = IMAGE_FIRST_SECTION(Product().Nt());
    for (WORD i = 0; i < Product().Nt()->FileHeader.NumberOfSections; ++i, ++section) {
        std::string name(reinterpret_cast<const char *>(section->Name),
                         strnlen(reinterpret_cast<const char *>(section->Name), IMAGE_SIZEOF_SHORT_NAME));
        EXPECT_TRUE(needed.count(name)) << "section " << name;
    }
}

TEST(Descriptors, EveryOneMatchesItsPublishedBytes)
{
    ASSERT_TRUE(ProductResources());
    for (const ExpectedDescriptor &d : kDescriptors) {
        std::string expected = ExpectedBytes(d);
        ASSERT_EQ(expected.size(), d.size) << "transcription of " << d.resource;
        EXPECT_EQ(ResourceBytes("DLL_HEADER", d.resource), expected) << d.resource;
    }
}

TEST(Descriptors, FunctionListNamesEveryExportOnceInItsOrder)
{
    ASSERT_TRUE(ProductResources());
    std::string expected;
    for (const char *name : kFunctionList) expected += std::string(name) + '\0';
    expected += '\0';
    ASSERT_EQ(expected.size(), 670u);
    EXPECT_EQ(ResourceBytes("DLL_HEADER", MAKEINTRESOURCEA(1)), expected);

    std::set<std::string> listed(std::begin(kFunctionList), std::end(kFunctionList));
    EXPECT_EQ(listed.size(), 53u);
    for (const ExpectedDescriptor &d : kDescriptors) EXPECT_TRUE(listed.count(d.name)) << d.name;
}

// Walks the resource directory itself: FindResource neither lists every language nor shows
// the code page of a data entry.
TEST(Descriptors, AreTheOnlyDllHeaderResourcesAllNeutralWithCodePageZero)
{
    ASSERT_TRUE(Product().ok());
    const BYTE *root = Product().At(Product().Directory(IMAGE_DIRECTORY_ENTRY_RESOURCE).VirtualAddress);
    ASSERT_TRUE(root);
    auto entries = [](const BYTE *dir) {
        auto *d = reinterpret_cast<const IMAGE_RESOURCE_DIRECTORY *>(dir);
        auto *first = reinterpret_cast<const IMAGE_RESOURCE_DIRECTORY_ENTRY *>(d + 1);
        return std::vector<IMAGE_RESOURCE_DIRECTORY_ENTRY>(
            first, first + d->NumberOfNamedEntries + d->NumberOfIdEntries);
    };
    auto nameOf = [root](const IMAGE_RESOURCE_DIRECTORY_ENTRY &e) {
        if (!e.NameIsString) return std::to_string(e.Id);
        auto *s = reinterpret_cast<const IMAGE_RESOURCE_DIR_STRING_U *>(root + e.NameOffset);
        return std::string(s->NameString, s->NameString + s->Length);   // ASCII names
    };

    std::set<std::string> names;
    int dllHeaderTypes = 0;
    for (const auto &type : entries(root)) {
        if (nameOf(type) != "DLL_HEADER") continue;
        ++dllHeaderTypes;
        for (const auto &name : entries(root + type.OffsetToDirectory)) {
            auto languages = entries(root + name.OffsetToDirectory);
            ASSERT_EQ(languages.size(), 1u) << nameOf(name);
            EXPECT_EQ(languages[0].Id, 0) << nameOf(name);
            auto *data = reinterpret_cast<const IMAGE_RESOURCE_DATA_ENTRY *>(root + languages[0].OffsetToData);
            EXPECT_EQ(data->CodePage, 0u) << nameOf(name);
            names.insert(nameOf(name));
        }
    }
    EXPECT_EQ(dllHeaderTypes, 1);
    std::set<std::string> expected = {"1"};
    for (const ExpectedDescriptor &d : kDescriptors) expected.insert(d.resource);
    EXPECT_EQ(names, expected);
}

TEST(VersionResource, CarriesVersionTwo)
{
    ASSERT_TRUE(ProductResources());
    EXPECT_TRUE(FindResourceExA(ProductResources(), MAKEINTRESOURCEA(16) /* RT_VERSION */, MAKEINTRESOURCEA(1),
                                MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)));
    const char *path = QIMAPI_PRODUCT_DLL;
    std::vector<char> info(GetFileVersionInfoSizeA(path, nullptr));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, static_cast<DWORD>(info.size()), info.data()));

    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void **>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00000002u);   // 0.2
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);            // .0.0
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00000002u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileFlags, 0u);
    EXPECT_EQ(fixed->dwFileOS, 0u);
    EXPECT_EQ(fixed->dwFileType, 0u);
    EXPECT_EQ(fixed->dwFileDateMS | fixed->dwFileDateLS, 0u);

    WORD *translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void **>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 0x04E4);

    const std::pair<const char *, const char *> strings[] = {
        {"\\StringFileInfo\\040904E4\\FileVersion", "2.0"},
        {"\\StringFileInfo\\040904E4\\ProductVersion", "2.00"},
    };
    for (const auto &s : strings) {
        char *value = nullptr;
        ASSERT_TRUE(VerQueryValueA(info.data(), s.first, reinterpret_cast<void **>(&value), &length))
            << s.first;
        EXPECT_STREQ(value, s.second);
    }
}

}  // namespace
