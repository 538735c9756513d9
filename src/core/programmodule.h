#pragma once
#include <string>

namespace core {

/// The folder of the program's own libraries that are opened while it runs (the windows, the
/// sound engine): the program file's folder joined with the path the build fixed between the
/// installed program and its modules, ending in "/". Empty when the program file is unknown.
std::string ModuleFolder();

/// Opens the program's module fileName from ModuleFolder() (a module already open is found
/// again) and returns the address of its entry symbol. shareSymbols makes the module's symbols
/// visible to the modules opened after it, so that they share its copies of the program's code.
/// Null when the module or the symbol cannot be found; error then says why (the loader's text).
void* ModuleEntry(const std::string& fileName, const char* symbol, bool shareSymbols,
                  std::string& error);

/// As ModuleEntry, for a module given by its full path.
void* ModuleEntryAt(const std::string& path, const char* symbol, bool shareSymbols,
                    std::string& error);

} // namespace core
