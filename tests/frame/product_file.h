// The shipped DLL as a host sees it before calling anything: read as a file and loaded as a data
// file.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace qimapi_test {

// The shipped DLL read as a file, which a 64-bit test program can do as well as a 32-bit one.
class PeFile {
public:
    explicit PeFile(const char *path)
    {
        HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return;
        bytes_.resize(GetFileSize(file, nullptr));
        DWORD read = 0;
        ReadFile(file, bytes_.data(), static_cast<DWORD>(bytes_.size()), &read, nullptr);
        CloseHandle(file);
        bytes_.resize(read);
    }
    // Only 32-bit files are read: the shipped DLL is one.
    bool ok() const
    {
        return bytes_.size() > 0x400 && Nt()->Signature == IMAGE_NT_SIGNATURE &&
               Nt()->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC;
    }
    const IMAGE_NT_HEADERS32 *Nt() const
    {
        return reinterpret_cast<const IMAGE_NT_HEADERS32 *>(bytes_.data() + reinterpret_cast<const IMAGE_DOS_HEADER *>(bytes_.data())->e_lfanew);
    }
    IMAGE_DATA_DIRECTORY Directory(int entry) const { return Nt()->OptionalHeader.DataDirectory[entry]; }
    // The file bytes at a relative virtual address.
    template <class T = BYTE>
    const T *At(DWORD rva) const
    {
        const IMAGE_SECTION_HEADER *section = IMAGE_FIRST_SECTION(Nt());
        for (WORD i = 0; i < Nt()->FileHeader.NumberOfSections; ++i, ++section)
            if (rva >= section->VirtualAddress && rva < section->VirtualAddress + section->Misc.VirtualSize)
                return reinterpret_cast<const T *>(bytes_.data() + rva - section->VirtualAddress + section->PointerToRawData);
        return nullptr;
    }
    const char *Text(DWORD rva) const { return At<char>(rva); }

private:
    std::vector<BYTE> bytes_;
};

inline const PeFile &Product()
{
    static PeFile file(QIMAPI_PRODUCT_DLL);
    return file;
}

// Loaded as a data file, as the host reads descriptors before it calls anything.
inline HMODULE ProductResources()
{
    static HMODULE module = LoadLibraryExA(QIMAPI_PRODUCT_DLL, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

inline std::string ResourceBytes(const char *type, const char *name)
{
    HMODULE module = ProductResources();
    HRSRC found = FindResourceExA(module, type, name, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    if (!found) return "<missing>";
    const char *data = static_cast<const char *>(LockResource(LoadResource(module, found)));
    return std::string(data, SizeofResource(module, found));
}

// The names the file exports, with their ordinals.
inline std::map<std::string, DWORD> ProductExports()
{
    std::map<std::string, DWORD> exported;
    if (!Product().ok()) return exported;
    auto *exports = Product().At<IMAGE_EXPORT_DIRECTORY>(Product().Directory(IMAGE_DIRECTORY_ENTRY_EXPORT).VirtualAddress);
    if (!exports) return exported;
    auto *names = Product().At<DWORD>(exports->AddressOfNames);
    auto *ordinals = Product().At<WORD>(exports->AddressOfNameOrdinals);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) exported[Product().Text(names[i])] = exports->Base + ordinals[i];
    return exported;
}

}  // namespace qimapi_test
