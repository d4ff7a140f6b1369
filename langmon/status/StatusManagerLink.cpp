// Loading the status resource manager and resolving its entry points.
#include "langmon/status/StatusManagerLink.h"

#include <cstring>

#include "platform/Kernel.h"
#include "platform/Modules.h"

namespace {

template <typename Fn>
void Resolve(HMODULE module, LPCSTR name, Fn* slot) {
    // Through the generic function pointer type, which may hold any function pointer.
    *slot = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

HMODULE LoadStatusManagerLibrary(SrmEntryPoints* entries) {
    *entries = SrmEntryPoints{};
    const HMODULE module = LoadLibraryW(kSrmLibraryName);
    if (module == nullptr) return nullptr;
    // A missing entry point leaves only its own feature off; the caller checks each slot.
    const DWORD loadError = GetLastError();
    Resolve(module, "OpenManagerExW", &entries->OpenManagerExW);
    Resolve(module, "CloseManager", &entries->CloseManager);
    Resolve(module, "GetPrinterStatusA", &entries->GetPrinterStatusA);
    Resolve(module, "GetPrinterStatusW", &entries->GetPrinterStatusW);
    Resolve(module, "SetReqPrinterStatusEventA", &entries->SetReqPrinterStatusEventA);
    Resolve(module, "ResSetPrinterStatus", &entries->ResSetPrinterStatus);
    Resolve(module, "UpdatePrinterStatusA", &entries->UpdatePrinterStatusA);
    Resolve(module, "SetNotificationEventA", &entries->SetNotificationEventA);
    Resolve(module, "SetNotificationEventExA", &entries->SetNotificationEventExA);
    Resolve(module, "KillNotificationEvent", &entries->KillNotificationEvent);
    Resolve(module, "SetNotificationCallbackExA", &entries->SetNotificationCallbackExA);
    Resolve(module, "KillNotificationCallback", &entries->KillNotificationCallback);
    SetLastError(loadError);
    return module;
}

DWORD PushVariable(SrmBinding& binding, LPCSTR name, const void* value, DWORD cb) {
    const DWORD rc = binding.entries.UpdatePrinterStatusA(binding.manager, name, value, cb);
    if (rc == 0 && cb == sizeof(DWORD) && std::strcmp(name, "PrinterExtStatus") == 0) {
        std::memcpy(&binding.extStatusPushed, value, sizeof(DWORD));
        binding.extStatusPushedKnown = 1;
    }
    return rc;
}
