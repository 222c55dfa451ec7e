// What a host knows of a loaded extension DLL: the functions its DLL_HEADER resources describe,
// read once into one table. This is the one reader of those resources for every host in the tree.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host/descriptor_format.h"

namespace host {

struct Module {
    HMODULE handle = nullptr;
    std::string name;                  // how messages name the module, e.g. the path it was loaded from
    std::vector<Function> functions;   // in the order of its function list
};

// Reads the function list and every descriptor of a module loaded for calling. Empty, or the one
// problem that makes the module unusable to a host: no function list, a listed function without a
// descriptor, a malformed list or descriptor. Then module->functions is empty.
std::string ReadFunctionTable(HMODULE handle, const std::string &name, Module *module);

// The function listed under that name, whatever the case of its letters; nullptr if none is.
const Function *FindFunction(const Module &module, const std::string &name);

}  // namespace host
