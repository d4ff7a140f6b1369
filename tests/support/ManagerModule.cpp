#include "tests/support/ManagerModule.h"

#include <gtest/gtest.h>

namespace kvtest {
namespace {

template <typename Fn>
void Resolve(HMODULE module, const char* name, Fn* slot) {
    *slot = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

ManagerModule::ManagerModule() {
    module_ = LoadLibraryW(u"KWTQSRMZ.DLL");
    EXPECT_NE(module_, nullptr);
    if (module_ == nullptr) return;
    Resolve(module_, "OpenManagerExW", &open);
    Resolve(module_, "CloseManager", &close);
    Resolve(module_, "GetPrinterStatusA", &get);
    Resolve(module_, "SrmTestReadUpdates", &updates);
}

ManagerModule::~ManagerModule() {
    if (module_ != nullptr) FreeLibrary(module_);
}

}  // namespace kvtest
