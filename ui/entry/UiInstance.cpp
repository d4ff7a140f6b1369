// The library's module handle, process-wide like the loader's own record of it.
#include "ui/entry/UiInstance.h"

#include <atomic>

namespace {

std::atomic<HINSTANCE> g_instance{nullptr};

}  // namespace

HINSTANCE UiLibraryInstance() { return g_instance.load(); }

void SetUiLibraryInstance(HINSTANCE instance) { g_instance.store(instance); }
