#include "host/function_table.h"

#include <string.h>

namespace host {
namespace {

// The bytes of one DLL_HEADER resource; false where the module has none of that name.
bool ReadHeaderResource(HMODULE module, LPCSTR name, std::string *bytes)
{
    HRSRC found = FindResourceA(module, name, "DLL_HEADER");
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const char *data = loaded ? static_cast<const char *>(LockResource(loaded)) : nullptr;
    if (!data) return false;
    bytes->assign(data, SizeofResource(module, found));
    return true;
}

// A descriptor's resource name: the function's name in capitals (names are ASCII, as the list's
// reader made sure).
std::string ResourceName(const std::string &name)
{
    std::string upper = name;
    for (char &c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

// The ordinal under which the module exports a name, from its export directory; 0 for none.
unsigned ExportOrdinal(HMODULE module, const std::string &name)
{
    auto *base = reinterpret_cast<const BYTE *>(module);
    auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (!directory.Size) return 0;
    auto *exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY *>(base + directory.VirtualAddress);
    auto *names = reinterpret_cast<const DWORD *>(base + exports->AddressOfNames);
    auto *ordinals = reinterpret_cast<const WORD *>(base + exports->AddressOfNameOrdinals);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        if (name == reinterpret_cast<const char *>(base + names[i])) return exports->Base + ordinals[i];
    return 0;
}

}  // namespace

std::string ReadFunctionTable(HMODULE handle, const std::string &name, Module *module)
{
    module->handle = handle;
    module->name = name;
    module->functions.clear();
    std::string bytes;
    if (!ReadHeaderResource(handle, MAKEINTRESOURCEA(1), &bytes))
        return name + " has no DLL_HEADER function list: it describes no functions";
    std::vector<std::string> names;
    std::string problem = ParseFunctionList(bytes, &names);
    if (!problem.empty()) return "the function list of " + name + " is malformed: " + problem;
    std::vector<Function> functions;
    for (const std::string &listed : names) {
        Function function;
        function.name = listed;
        if (!ReadHeaderResource(handle, ResourceName(listed).c_str(), &bytes))
            return name + " has no descriptor for " + listed;
        problem = ParseDescriptor(bytes, &function);
        if (!problem.empty()) return "the descriptor of " + listed + " in " + name + " is malformed: " + problem;
        function.ordinal = ExportOrdinal(handle, listed);
        functions.push_back(function);
    }
    module->functions.swap(functions);
    return "";
}

const Function *FindFunction(const Module &module, const std::string &name)
{
    for (const Function &function : module.functions)
        if (_stricmp(function.name.c_str(), name.c_str()) == 0) return &function;
    return nullptr;
}

}  // namespace host
