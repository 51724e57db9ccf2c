#include "tool_GmshModule.h"

#include "tool_BadInput.h"

#include <dlfcn.h>

#include <filesystem>

namespace {

using ReadFunction = bool (*)(const char*, tool_Progress*, std::vector<tool_MeshSet>*,
                              std::string*);

ReadFunction readFunction(const std::string& file) {
    // Stays loaded to the end of the program: the library keeps state that outlives a read.
    static ReadFunction function = nullptr;
    if (function)
        return function;
    const std::filesystem::path module =
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "rgn_gmsh.so";
    void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        throw tool_BadInput(file, std::string("cannot read Gmsh files: ") + ::dlerror());
    function = reinterpret_cast<ReadFunction>(::dlsym(handle, "rgnReadGmsh"));
    if (!function)
        throw tool_BadInput(file, "cannot read Gmsh files: " + module.string() + " has no reader");
    return function;
}

} // namespace

std::vector<tool_MeshSet> tool_GmshModule::Read(const std::string& file, tool_Progress& progress) {
    std::vector<tool_MeshSet> sets;
    std::string error;
    if (!readFunction(file)(file.c_str(), &progress, &sets, &error))
        throw tool_BadInput(file, error.rfind(file + ": ", 0) == 0 ? error.substr(file.size() + 2)
                                                                   : error);
    return sets;
}
