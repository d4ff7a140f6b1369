#pragma once
// The status manager stand-in loaded by name with the entries another client of it reads
// through; freed with its owner.
#include "platform/Modules.h"
#include "platform/StatusManager.h"
#include "tools/standins/srm/SrmControls.h"

namespace kvtest {

class ManagerModule {
public:
    /// A failed load is a test failure; the entries are then null.
    ManagerModule();
    ~ManagerModule();
    ManagerModule(const ManagerModule&) = delete;
    ManagerModule& operator=(const ManagerModule&) = delete;

    PFN_OpenManagerExW open = nullptr;
    PFN_CloseManager close = nullptr;
    PFN_GetPrinterStatusA get = nullptr;
    PFN_SrmTestReadUpdates updates = nullptr;

private:
    HMODULE module_ = nullptr;
};

}  // namespace kvtest
