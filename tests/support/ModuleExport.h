#pragma once
// An export of a loaded module as the function type it has (the loader hands every export out
// as one generic type).
#include "platform/Modules.h"

namespace kvtest {

template <typename F>
F ModuleExport(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace kvtest
