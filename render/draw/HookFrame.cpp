// The drawing hooks' common frame.
#include "render/draw/HookFrame.h"

#include "platform/Kernel.h"
#include "render/DriverEntry.h"
#include "render/HookLog.h"
#include "render/OutputStream.h"

BOOL Refuse(DWORD error) {
    SetLastError(error);
    return FALSE;
}

PDEV* EnterDrawing(SURFOBJ* pso, const char16_t* validated) {
    PDEV* pdev = PdevOf(pso);
    if (!ValidatePDEV(pdev)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (OutputFailed(pdev)) return nullptr;
    if (validated != nullptr) HookLog(pdev, kLogDrawingHooks, validated);
    return pdev;
}
