// The user-interface library's own module.
#include "ui/UiInstance.h"

#include <atomic>

namespace {
std::atomic<HINSTANCE> g_uiInstance{nullptr};
}  // namespace

void SetUiInstance(HINSTANCE instance) { g_uiInstance.store(instance); }

HINSTANCE UiInstance() { return g_uiInstance.load(); }
