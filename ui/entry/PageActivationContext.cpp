// The activation context the pages run under on systems before version 6, made from this
// library's manifest so that the pages get the newer common controls. Its slots are
// process-wide and set on the sheet's thread without a lock, like the loader's own state.
#include "platform/ActivationContext.h"

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiInstance.h"

namespace {

constexpr DWORD kFirstVersionWithoutContext = 6;
constexpr WORD kManifestResource = 2;

struct ActivationSlots {
    HMODULE kernel = nullptr;
    PFNCREATEACTCTXW create = nullptr;
    PFNRELEASEACTCTX release = nullptr;
    PFNACTIVATEACTCTX activate = nullptr;
    PFNDEACTIVATEACTCTX deactivate = nullptr;
    HANDLE context = INVALID_HANDLE_VALUE;
};
ActivationSlots g_slots;

bool HasContext() { return g_slots.context != INVALID_HANDLE_VALUE && g_slots.context != nullptr; }

template <class Fn>
Fn Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

bool SystemBeforeVersion6() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExW(&version) && version.dwMajorVersion < kFirstVersionWithoutContext;
}

}  // namespace

int CreatePageActivationContext() {
    if (HasContext()) return 1;
    if (!SystemBeforeVersion6()) {
        ReleasePageActivationContext();
        return 0;
    }
    if (g_slots.kernel == nullptr) g_slots.kernel = LoadLibraryW(u"Kernel32.dll");
    if (g_slots.kernel != nullptr) {
        g_slots.create = Lookup<PFNCREATEACTCTXW>(g_slots.kernel, "CreateActCtxW");
        g_slots.release = Lookup<PFNRELEASEACTCTX>(g_slots.kernel, "ReleaseActCtx");
        g_slots.activate = Lookup<PFNACTIVATEACTCTX>(g_slots.kernel, "ActivateActCtx");
        g_slots.deactivate = Lookup<PFNDEACTIVATEACTCTX>(g_slots.kernel, "DeactivateActCtx");
    }
    WCHAR source[MAX_PATH] = {};
    const DWORD cchSource = GetModuleFileNameW(UiLibraryInstance(), source, MAX_PATH);
    if (g_slots.create != nullptr && g_slots.release != nullptr && g_slots.activate != nullptr &&
        g_slots.deactivate != nullptr && cchSource > 0 && cchSource < MAX_PATH) {
        ACTCTXW request{};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = source;
        request.lpResourceName = MAKEINTRESOURCEW(kManifestResource);
        const HANDLE context = g_slots.create(&request);
        if (context != INVALID_HANDLE_VALUE && context != nullptr) {
            g_slots.context = context;
            return 1;
        }
    }
    ReleasePageActivationContext();
    return 0;
}

HANDLE PageActivationContext() { return HasContext() ? g_slots.context : nullptr; }

void ReleasePageActivationContext() {
    if (HasContext() && g_slots.release != nullptr) g_slots.release(g_slots.context);
    HMODULE kernel = g_slots.kernel;
    g_slots = ActivationSlots{};
    if (kernel != nullptr) FreeLibrary(kernel);
}
