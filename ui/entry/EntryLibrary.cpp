// The library's life in a process: the loader's attach and detach.
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "settings/ModelCache.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiEntry.h"
#include "ui/entry/UiInstance.h"

// The pages' activation context, released at detach (declared with the pages' own code).

namespace {

// The library stays loaded for the life of the process once attached: sheets and callbacks
// that compstui or the spooler still hold may call into it after the caller's FreeLibrary.
// The extra reference is never given back.
void PinLibrary(HINSTANCE instance) {
    WCHAR path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    [[maybe_unused]] HMODULE pinned = LoadLibraryW(path);
}

}  // namespace

BOOL InitializeUiLibrary(HINSTANCE instance, DWORD reason) {
    if (reason == DLL_PROCESS_ATTACH) {
        SetUiLibraryInstance(instance);
        PinLibrary(instance);
        InitSettingsLock();
    } else if (reason == DLL_PROCESS_DETACH) {
        FreeSettingsLock();
        ReleasePageActivationContext();
    }
    return TRUE;
}
