#pragma once
// What the manager's tests share: the monitor's side written from a process of its own, and
// the messages the manager posts to a window of this thread.
#include <chrono>
#include <vector>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/StandIn.h"
#include "platform/StatusManager.h"
#include "platform/User.h"
#include "tests/support/ModuleExport.h"

namespace kvtest {

/// The body of a child process that acts as the monitor: the printer on the port in its
/// spooler (the manager serves the printers its process's spooler knows), its own connection
/// to the manager loaded by name, and one narrow write of "PrinterStatus". Exit code 0, or
/// bits of what failed.
inline int PublishStatusAsMonitor(const char16_t* printerName, const char16_t* port, const DWORD (&status)[3]) {
    standin::PrinterSetup printer;
    printer.name = printerName;
    printer.port = port;
    standin::AddPrinter(printer);
    HMODULE module = LoadLibraryW(u"KWTQSRMZ.DLL");
    if (module == nullptr) return 8;
    const auto open = ModuleExport<PFN_OpenManagerExW>(module, "OpenManagerExW");
    const auto updateA = ModuleExport<PFN_UpdatePrinterStatusA>(module, "UpdatePrinterStatusA");
    const auto close = ModuleExport<PFN_CloseManager>(module, "CloseManager");
    if (open == nullptr || updateA == nullptr || close == nullptr) return 16;
    DWORD monitor = 0;
    int failures = open(printerName, u"\\\\.\\kjlmon", kSrmModeMonitor, &monitor) == SRMRES_SUCCESS ? 0 : 1;
    if (updateA(monitor, "PrinterStatus", status, sizeof(status)) != SRMRES_SUCCESS) failures |= 2;
    if (close(monitor) != SRMRES_SUCCESS) failures |= 4;
    FreeLibrary(module);
    return failures;
}

/// The next posted message of that number for the window, within the wait.
inline bool TakePosted(HWND window, UINT message, DWORD waitMs, MSG* msg) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        if (PeekMessageW(msg, window, message, message, PM_REMOVE)) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        Sleep(2);
    }
}

}  // namespace kvtest
