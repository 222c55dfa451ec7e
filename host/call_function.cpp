#include "host/call_function.h"

namespace host {

void *ExportAddress(const Module &module, const Function &function)
{
    if (!function.ordinal) return nullptr;
    return reinterpret_cast<void *>(GetProcAddress(module.handle, MAKEINTRESOURCEA(function.ordinal)));
}

std::string CallFunction(const Module &module, const Function &function, const uintptr_t *slots, size_t count,
                         uintptr_t *result)
{
    *result = 0;
    if (count != function.arguments.size())
        return function.name + " takes " + std::to_string(function.arguments.size()) + " argument(s), not " +
               std::to_string(count);
    void *address = ExportAddress(module, function);
    if (!address) return module.name + " describes " + function.name + " but does not export it";
    ptrdiff_t imbalance = 0;
    *result = CallExport(address, slots, count, &imbalance);
    if (imbalance)
        return function.name + " left the stack unbalanced by " + std::to_string(imbalance) +
               " bytes: its descriptor does not match its code";
    return "";
}

}  // namespace host
