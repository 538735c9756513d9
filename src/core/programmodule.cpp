#include "programmodule.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

#ifndef LJT_MODULES_FROM_PROGRAM
#define LJT_MODULES_FROM_PROGRAM "../lib/langjitong"
#endif

namespace core {

std::string ModuleFolder() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return {};
    }
    std::string folder(path, static_cast<std::size_t>(length));
    folder.erase(folder.rfind('/') + 1);
    return folder + LJT_MODULES_FROM_PROGRAM "/";
}

void* ModuleEntryAt(const std::string& path, const char* symbol, bool shareSymbols,
                    std::string& error) {
    // Lazy binding: a module's functions are bound when first called, so that opening it costs
    // no more than the libraries it needs.
    void* module = ::dlopen(path.c_str(), RTLD_LAZY | (shareSymbols ? RTLD_GLOBAL : RTLD_LOCAL));
    if (module == nullptr) {
        const char* why = ::dlerror();
        error = why != nullptr ? why : path;
        return nullptr;
    }
    void* entry = ::dlsym(module, symbol);
    if (entry == nullptr) {
        const char* why = ::dlerror();
        error = why != nullptr ? why : symbol;
    }
    // The module stays open for the rest of the run: its code may still be running.
    return entry;
}

void* ModuleEntry(const std::string& fileName, const char* symbol, bool shareSymbols,
                  std::string& error) {
    const std::string folder = ModuleFolder();
    if (folder.empty()) {
        error = "the program file cannot be found";
        return nullptr;
    }
    return ModuleEntryAt(folder + fileName, symbol, shareSymbols, error);
}

} // namespace core
