// The library entry of the language monitor module.
#include "langmon/MonitorProcess.h"
#include "platform/Modules.h"

DLL_EXPORT BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID) noexcept {
    if (reason == DLL_PROCESS_ATTACH) {
        if (!langmon::StartMonitorProcess(instance)) return FALSE;
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        langmon::EndMonitorProcess();
    }
    return TRUE;
}
