// The rendering library's exported entry points: the loader's process attach and the three
// calls GDI makes on the library itself. Everything else reaches GDI through the hook table.
#include "platform/Ddi.h"
#include "platform/Modules.h"
#include "render/DriverEntry.h"

DLL_EXPORT BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) noexcept {
    if (reason == DLL_PROCESS_ATTACH) AttachProcess(instance);
    return TRUE;
}

DLL_EXPORT BOOL DrvEnableDriver(ULONG iEngineVersion, ULONG cj, DRVENABLEDATA* pded) noexcept {
    return EnableDriver(iEngineVersion, cj, pded);
}

DLL_EXPORT void DrvDisableDriver() noexcept { DisableDriver(); }

DLL_EXPORT BOOL DrvQueryDriverInfo(DWORD dwMode, PVOID pBuffer, DWORD cbBuf, PDWORD pcbNeeded) noexcept {
    return QueryDriverInfo(dwMode, pBuffer, cbBuf, pcbNeeded);
}
