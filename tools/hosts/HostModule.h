#pragma once
// What the hosts share in loading a library by name: each export resolved to the function
// type it has, and a library that lacks one not kept.
#include <string>

#include "platform/Kernel.h"
#include "platform/Modules.h"

namespace hosts {

/// The export as the function type *out has; false when the module lacks it.
template <typename Fn>
bool Resolve(HMODULE module, const char* name, Fn* out) {
    // Through the generic function type, which may stand for any.
    *out = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    return *out != nullptr;
}

/// Loads the library by name and hands it to `resolveAll`, which resolves its exports and says
/// whether it found all. NULL with the last error when the library is missing, or lacks an
/// export (ERROR_PROC_NOT_FOUND): nothing stays loaded then.
template <typename ResolveAll>
HMODULE LoadWithExports(const std::u16string& moduleName, ResolveAll resolveAll) {
    HMODULE module = LoadLibraryW(moduleName.c_str());
    if (module == nullptr) return nullptr;
    if (!resolveAll(module)) {
        FreeLibrary(module);
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return module;
}

}  // namespace hosts
