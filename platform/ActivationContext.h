#pragma once
// Activation contexts (kernel32.dll): a module's manifest made current around calls so that
// the windows they create get the classes the manifest names. The stand-in checks the source
// module and its manifest resource, counts references and keeps a per-thread stack of
// activations; it changes no window class.
#include "platform/WinTypes.h"

struct ACTCTXW {
    ULONG cbSize;
    DWORD dwFlags;
    LPCWSTR lpSource;
    USHORT wProcessorArchitecture;
    LANGID wLangId;
    LPCWSTR lpAssemblyDirectory;
    LPCWSTR lpResourceName;
    LPCWSTR lpApplicationName;
    HMODULE hModule;
};
using PCACTCTXW = const ACTCTXW*;

#define ACTCTX_FLAG_PROCESSOR_ARCHITECTURE_VALID 0x001u
#define ACTCTX_FLAG_LANGID_VALID 0x002u
#define ACTCTX_FLAG_ASSEMBLY_DIRECTORY_VALID 0x004u
#define ACTCTX_FLAG_RESOURCE_NAME_VALID 0x008u
#define ACTCTX_FLAG_SET_PROCESS_DEFAULT 0x010u
#define ACTCTX_FLAG_APPLICATION_NAME_VALID 0x020u
#define ACTCTX_FLAG_HMODULE_VALID 0x080u
#define DEACTIVATE_ACTCTX_FLAG_FORCE_EARLY_DEACTIVATION 0x1u
#define ERROR_SXS_CANT_GEN_ACTCTX 14001u

/// A context from the manifest resource of a module file (lpSource, a Windows path; with
/// ACTCTX_FLAG_RESOURCE_NAME_VALID the resource lpResourceName, else 1). INVALID_HANDLE_VALUE
/// with ERROR_INVALID_PARAMETER for a bad record, the loader's error when the file is no
/// module, ERROR_SXS_CANT_GEN_ACTCTX when it has no such manifest.
PLATFORM_API_NODISCARD HANDLE CreateActCtxW(PCACTCTXW actCtx);
/// Gives back one reference; the context ends with its last.
PLATFORM_API void ReleaseActCtx(HANDLE actCtx);
/// Makes the context current on this thread; *cookie undoes it. FALSE with
/// ERROR_INVALID_PARAMETER for an unknown context or a NULL cookie.
PLATFORM_API BOOL ActivateActCtx(HANDLE actCtx, ULONG_PTR* cookie);
/// Undoes the activation of the cookie (the innermost one unless forced early). FALSE with
/// ERROR_INVALID_PARAMETER for a cookie that is not active on this thread.
PLATFORM_API BOOL DeactivateActCtx(DWORD flags, ULONG_PTR cookie);

// The types under which callers look them up by name in "Kernel32.dll".
using PFNCREATEACTCTXW = HANDLE (*)(PCACTCTXW actCtx);
using PFNRELEASEACTCTX = void (*)(HANDLE actCtx);
using PFNACTIVATEACTCTX = BOOL (*)(HANDLE actCtx, ULONG_PTR* cookie);
using PFNDEACTIVATEACTCTX = BOOL (*)(DWORD flags, ULONG_PTR cookie);
