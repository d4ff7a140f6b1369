// Activation contexts: a record per context made from a module's manifest resource, counted
// references, and the activations of each thread as a stack of cookies.
#include "platform/ActivationContext.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

#include "platform/Kernel.h"
#include "platform/Modules.h"

namespace {

struct Contexts {
    std::mutex lock;
    std::map<HANDLE, unsigned> references;
    ULONG_PTR next = 0x5C000;
    ULONG_PTR nextCookie = 1;
};
Contexts& TheContexts() {
    static Contexts* contexts = new Contexts();  // contexts may be released by modules at exit
    return *contexts;
}

struct Activation {
    ULONG_PTR cookie;
    HANDLE context;
};
thread_local std::vector<Activation> t_activations;

// Whether the module file carries the manifest resource; the loader's error when the file is
// no module.
bool HasManifest(LPCWSTR source, LPCWSTR name, DWORD* error) {
    HMODULE loaded = GetModuleHandleW(source);
    HMODULE ours = nullptr;
    if (loaded == nullptr) {
        ours = LoadLibraryW(source);
        if (ours == nullptr) {
            *error = GetLastError();
            return false;
        }
        loaded = ours;
    }
    const bool found = FindResourceW(loaded, name, RT_MANIFEST) != nullptr;
    if (ours != nullptr) FreeLibrary(ours);
    *error = ERROR_SXS_CANT_GEN_ACTCTX;
    return found;
}

}  // namespace

HANDLE CreateActCtxW(PCACTCTXW actCtx) {
    if (actCtx == nullptr || actCtx->cbSize < sizeof(ACTCTXW) || actCtx->lpSource == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const LPCWSTR name = (actCtx->dwFlags & ACTCTX_FLAG_RESOURCE_NAME_VALID) ? actCtx->lpResourceName
                                                                            : MAKEINTRESOURCEW(1);
    DWORD error = 0;
    if (!HasManifest(actCtx->lpSource, name, &error)) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    Contexts& c = TheContexts();
    std::lock_guard<std::mutex> guard(c.lock);
    auto handle = reinterpret_cast<HANDLE>(c.next);
    c.next += 4;
    c.references[handle] = 1;
    return handle;
}

void ReleaseActCtx(HANDLE actCtx) {
    Contexts& c = TheContexts();
    std::lock_guard<std::mutex> guard(c.lock);
    auto it = c.references.find(actCtx);
    if (it != c.references.end() && --it->second == 0) c.references.erase(it);
}

BOOL ActivateActCtx(HANDLE actCtx, ULONG_PTR* cookie) {
    Contexts& c = TheContexts();
    std::lock_guard<std::mutex> guard(c.lock);
    // NULL activates the process default, which always exists.
    if (cookie == nullptr || (actCtx != nullptr && c.references.count(actCtx) == 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (actCtx != nullptr) ++c.references[actCtx];  // an activation holds its context
    *cookie = c.nextCookie++;
    t_activations.push_back(Activation{*cookie, actCtx});
    return TRUE;
}

BOOL DeactivateActCtx(DWORD flags, ULONG_PTR cookie) {
    auto it = std::find_if(t_activations.begin(), t_activations.end(),
                           [cookie](const Activation& a) { return a.cookie == cookie; });
    const bool innermost = it != t_activations.end() && it + 1 == t_activations.end();
    if (it == t_activations.end() || (!innermost && !(flags & DEACTIVATE_ACTCTX_FLAG_FORCE_EARLY_DEACTIVATION))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Early deactivation also ends every activation made after it.
    std::vector<HANDLE> ended;
    for (auto e = it; e != t_activations.end(); ++e) ended.push_back(e->context);
    t_activations.erase(it, t_activations.end());
    for (HANDLE context : ended) {
        if (context != nullptr) ReleaseActCtx(context);
    }
    return TRUE;
}
