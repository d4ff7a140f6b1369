#include "psw/PswModule.h"

namespace {

// Written once at attach (the loader's thread, before any window set or thread of this
// library exists); only read afterwards.
HMODULE g_module = nullptr;

}  // namespace

HMODULE PswModule() { return g_module; }

void SetPswModule(HMODULE module) { g_module = module; }
