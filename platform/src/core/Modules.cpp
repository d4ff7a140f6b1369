// Module loading: DLL names resolved to ELF shared objects, reference counts, entry points
// and exports.
#include "platform/Modules.h"

#include <dirent.h>
#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "platform/Kernel.h"
#include "platform/src/core/ModuleImages.h"
#include "platform/src/core/ModuleRegistry.h"
#include "platform/src/core/PathMap.h"
#include "platform/src/core/StandInState.h"

namespace standin::modules {
namespace {

constexpr DWORD kModuleSignature = 0x4C444F4Du;  // "MODL"
constexpr DWORD kFreedSignature = 0xDEADD11Du;

struct Module {
    DWORD signature = kModuleSignature;
    void* dl = nullptr;
    const link_map* object = nullptr;  // the object's own link map: exports are taken from it only
    std::u16string windowsPath;        // where it was found, as GetModuleFileNameW reports it
    std::string linuxPath;             // canonical file path (empty for platform modules)
    unsigned refs = 1;
    bool pinned = false;               // the host program and the platform's own DLLs stay loaded
    bool keepImage = false;            // resource-only: its image outlives it, for the next load
    ResourceImage image;
    resources::Table resources;
};

// The platform DLLs that every process has loaded: their exports are the stand-in's own.
constexpr const char16_t* kPlatformDlls[] = {
    u"kernel32.dll", u"ntdll.dll",   u"user32.dll",   u"gdi32.dll",  u"advapi32.dll", u"winspool.drv",
    u"comctl32.dll", u"shell32.dll", u"ws2_32.dll",   u"ole32.dll",  u"version.dll",
    // The spooler's own library, whose client-impersonation calls drivers look up by name.
    u"spoolss.dll",
};

struct Loader {
    // Recursive: an entry point may load or free other modules while it runs.
    std::recursive_mutex lock;
    std::vector<Module*> modules;
    Module* host = nullptr;
};

Loader& Global() {
    static Loader* loader = new Loader();  // never destroyed: modules may be freed at exit
    return *loader;
}

std::u16string BaseName(const std::u16string& path) {
    const size_t slash = path.find_last_of(u'\\');
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

std::u16string FolderOf(const std::u16string& path) {
    const size_t slash = path.find_last_of(u'\\');
    return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

bool EndsWithNoCase(const std::u16string& text, std::u16string_view suffix) {
    return text.size() >= suffix.size() &&
           paths::EqualNoCase(std::u16string_view(text).substr(text.size() - suffix.size()), suffix);
}

// Separators as the platform writes them; a name without extension gets ".dll", and a
// trailing dot asks for no extension at all.
std::u16string WithDefaultExtension(std::u16string name) {
    std::replace(name.begin(), name.end(), u'/', u'\\');
    const std::u16string base = BaseName(name);
    if (!base.empty() && base.back() == u'.') {
        name.pop_back();
    } else if (base.find(u'.') == std::u16string::npos) {
        name += u".dll";
    }
    return name;
}

// The file names that may hold a module called `name`: itself and, for "X.dll", "X.so".
std::vector<std::u16string> FileCandidates(const std::u16string& name) {
    std::vector<std::u16string> names{name};
    if (EndsWithNoCase(name, u".dll")) names.push_back(name.substr(0, name.size() - 4) + u".so");
    return names;
}

// The name a module file is known by on the platform: "X.so" is the DLL "X.dll".
std::u16string DllNameOfFile(const std::string& linuxName) {
    std::u16string name = paths::FromUtf8(linuxName);
    if (EndsWithNoCase(name, u".so")) name = name.substr(0, name.size() - 3) + u".dll";
    return name;
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string Canonical(const std::string& path) {
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return path;
    std::string result(resolved);
    std::free(resolved);
    return result;
}

struct Found {
    std::string linuxPath;
    std::u16string windowsPath;
};

// A file below the stand-in root for a full Windows path (with its "X.so" alternative).
bool FindAtWindowsPath(const std::u16string& path, Found* found) {
    for (const std::u16string& candidate : FileCandidates(path)) {
        const paths::Resolved resolved = paths::Resolve(candidate);
        if (resolved.error != ERROR_SUCCESS || !IsRegularFile(resolved.linuxPath)) continue;
        const size_t slash = resolved.linuxPath.find_last_of('/');
        found->linuxPath = resolved.linuxPath;
        found->windowsPath = FolderOf(resolved.windowsPath) + u"\\" + DllNameOfFile(resolved.linuxPath.substr(slash + 1));
        return true;
    }
    return false;
}

// The stand-in's module folders (Linux paths) stand behind the system directory: a module
// found there is reported as living in the system directory.
bool FindInModuleFolders(const std::u16string& name, Found* found) {
    const std::vector<std::u16string> candidates = FileCandidates(name);
    for (const std::string& folder : state::ModuleFolders()) {
        DIR* dir = opendir(folder.c_str());
        if (dir == nullptr) continue;
        std::string best;
        size_t bestRank = candidates.size();
        while (const dirent* entry = readdir(dir)) {
            const std::u16string entryName = paths::FromUtf8(entry->d_name);
            for (size_t rank = 0; rank < bestRank; ++rank) {
                if (paths::EqualNoCase(entryName, candidates[rank]) && IsRegularFile(folder + "/" + entry->d_name)) {
                    best = entry->d_name;
                    bestRank = rank;
                }
            }
        }
        closedir(dir);
        if (!best.empty()) {
            found->linuxPath = folder + "/" + best;
            found->windowsPath = state::SystemDirectory() + u"\\" + DllNameOfFile(best);
            return true;
        }
    }
    return false;
}

bool IsInSystemDirectory(const std::u16string& fullPath) {
    return paths::EqualNoCase(FolderOf(fullPath), paths::Resolve(state::SystemDirectory()).windowsPath);
}

bool Live(const Module* m) {
    const std::vector<Module*>& all = Global().modules;
    return m != nullptr && std::find(all.begin(), all.end(), m) != all.end() && m->signature == kModuleSignature;
}

// An exported symbol of this object itself, not of a library it depends on.
void* FindExport(const Module& m, const char* name) {
    if (m.dl == nullptr) return nullptr;
    void* symbol = dlsym(m.dl, name);
    if (symbol == nullptr) return nullptr;
    Dl_info info{};
    link_map* owner = nullptr;
    if (dladdr1(symbol, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) == 0 || owner != m.object)
        return nullptr;
    return symbol;
}

void AttachObject(Module* m, void* dl) {
    m->dl = dl;
    link_map* object = nullptr;
    if (dlinfo(dl, RTLD_DI_LINKMAP, &object) == 0) m->object = object;
    if (auto table = reinterpret_cast<StandInResourcesProc>(FindExport(*m, STANDIN_RESOURCES_EXPORT))) {
        DWORD cb = 0;
        const BYTE* bytes = table(&cb);
        m->resources = resources::Table::Parse(bytes, cb);
    }
}

DllEntryProc EntryPoint(const Module& m) {
    void* entry = FindExport(m, "DllMain");
    if (entry == nullptr) entry = FindExport(m, "DllInitialize");
    return reinterpret_cast<DllEntryProc>(entry);
}

HMODULE AsHandle(Module* m) { return reinterpret_cast<HMODULE>(m); }

Module* HostModule() {
    Loader& loader = Global();
    if (loader.host != nullptr) return loader.host;
    auto* m = new Module();
    m->pinned = true;
    char exe[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string name = "host";
    if (n > 0) {
        const std::string path(exe, static_cast<size_t>(n));
        name = path.substr(path.find_last_of('/') + 1);
        m->linuxPath = path;
    }
    if (name.find('.') == std::string::npos) name += ".exe";
    m->windowsPath = state::SystemDirectory() + u"\\" + paths::FromUtf8(name);
    if (void* self = dlopen(nullptr, RTLD_NOW)) AttachObject(m, self);
    loader.host = m;
    loader.modules.push_back(m);
    return m;
}

// The platform DLLs are this library under their platform names, pinned once made.
Module* PlatformModule(const std::u16string& name) {
    const char16_t* known = nullptr;
    for (const char16_t* dll : kPlatformDlls)
        if (paths::EqualNoCase(name, dll)) known = dll;
    if (known == nullptr) return nullptr;
    Dl_info self{};
    if (dladdr(reinterpret_cast<void*>(&LoadLibraryW), &self) == 0 || self.dli_fname == nullptr) return nullptr;
    void* dl = dlopen(self.dli_fname, RTLD_NOW | RTLD_NOLOAD);
    if (dl == nullptr) return nullptr;
    auto* m = new Module();
    m->pinned = true;
    m->windowsPath = state::SystemDirectory() + u"\\" + known;
    AttachObject(m, dl);
    Global().modules.push_back(m);
    return m;
}

Module* FindLoadedByName(const std::u16string& name) {
    for (Module* m : Global().modules)
        if (m->refs > 0 && paths::EqualNoCase(BaseName(m->windowsPath), name)) return m;
    return PlatformModule(name);
}

Module* FindLoadedByPath(const std::u16string& fullPath) {
    for (Module* m : Global().modules)
        if (m->refs > 0 && paths::EqualNoCase(m->windowsPath, fullPath)) return m;
    return nullptr;
}

Module* FindLoadedByFile(const std::string& canonicalPath) {
    for (Module* m : Global().modules)
        if (m->refs > 0 && !m->linuxPath.empty() && m->linuxPath == canonicalPath) return m;
    return nullptr;
}

bool IsBareName(const std::u16string& name) {
    return name.find_first_of(u"\\/:") == std::u16string::npos;
}

// A loaded module for the name, or the file that would hold it. ERROR_SUCCESS with a null
// module and a filled `found` means: load that file.
Module* Locate(const std::u16string& requested, Found* found, DWORD* error) {
    const std::u16string name = WithDefaultExtension(requested);
    *error = ERROR_SUCCESS;
    if (IsBareName(name)) {
        if (Module* m = FindLoadedByName(name)) return m;
        if (FindAtWindowsPath(state::SystemDirectory() + u"\\" + name, found)) return nullptr;
        if (FindInModuleFolders(name, found)) return nullptr;
        *error = ERROR_MOD_NOT_FOUND;
        return nullptr;
    }
    const paths::Resolved resolved = paths::Resolve(name);
    if (resolved.error != ERROR_SUCCESS) {
        *error = ERROR_MOD_NOT_FOUND;
        return nullptr;
    }
    if (Module* m = FindLoadedByPath(resolved.windowsPath)) return m;
    if (FindAtWindowsPath(resolved.windowsPath, found)) return nullptr;
    if (IsInSystemDirectory(resolved.windowsPath) && FindInModuleFolders(BaseName(resolved.windowsPath), found))
        return nullptr;
    *error = ERROR_MOD_NOT_FOUND;
    return nullptr;
}

void Destroy(Module* m) {
    Loader& loader = Global();
    loader.modules.erase(std::remove(loader.modules.begin(), loader.modules.end(), m), loader.modules.end());
    if (m->dl != nullptr && m->keepImage) {
        KeepImage(std::move(m->image));
    } else if (m->dl != nullptr) {
        dlclose(m->dl);
    }
    m->signature = kFreedSignature;
    delete m;
}

HMODULE Load(const std::u16string& requested, DWORD* error) {
    Found found;
    if (Module* m = Locate(requested, &found, error)) {
        if (!m->pinned) ++m->refs;
        return AsHandle(m);
    }
    if (*error != ERROR_SUCCESS) return nullptr;

    // The same file reached under another name is the same module.
    const std::string canonical = Canonical(found.linuxPath);
    if (Module* m = FindLoadedByFile(canonical)) {
        if (!m->pinned) ++m->refs;
        return AsHandle(m);
    }
    // A resource-only image freed recently is still mapped.
    ResourceImage image;
    const bool resourceOnly = OpenResourceImage(canonical, &image);
    void* dl = resourceOnly ? image.dl : dlopen(canonical.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (dl == nullptr) {
        *error = ERROR_BAD_EXE_FORMAT;
        return nullptr;
    }
    auto* m = new Module();
    m->windowsPath = found.windowsPath;
    m->linuxPath = canonical;
    AttachObject(m, dl);
    m->keepImage = resourceOnly;
    m->image = std::move(image);
    // Listed before the entry point runs, so that it can find its own module by name.
    Global().modules.push_back(m);
    if (DllEntryProc entry = EntryPoint(*m)) {
        if (!entry(AsHandle(m), DLL_PROCESS_ATTACH, nullptr)) {
            // As the platform does: a failed attach is followed at once by a detach.
            entry(AsHandle(m), DLL_PROCESS_DETACH, nullptr);
            Destroy(m);
            *error = ERROR_DLL_INIT_FAILED;
            return nullptr;
        }
    }
    return AsHandle(m);
}

// Allocation failures end as the platform's out-of-memory error, never as an exception
// through an exported function.
template <typename Result, typename Body>
Result Guarded(Result failure, Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return failure;
    }
}

Module* FromHandle(HMODULE module) {
    if (module == nullptr) return HostModule();
    auto* m = reinterpret_cast<Module*>(module);
    return Live(m) ? m : nullptr;
}

}  // namespace

const resources::Table* TableOf(HMODULE module) {
    return Guarded<const resources::Table*>(nullptr, [&]() -> const resources::Table* {
        std::lock_guard<std::recursive_mutex> guard(Global().lock);
        const Module* m = FromHandle(module);
        return m == nullptr ? nullptr : &m->resources;
    });
}

}  // namespace standin::modules

using namespace standin;
using namespace standin::modules;

PLATFORM_API HMODULE LoadLibraryW(LPCWSTR name) {
    return Guarded<HMODULE>(nullptr, [&]() -> HMODULE {
        std::u16string text;
        if (!paths::WideArg(name, &text) || text.empty()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        DWORD error = ERROR_SUCCESS;
        if (state::ShouldFail(Fault::LoadLibrary, &error)) {
            SetLastError(error);
            return nullptr;
        }
        std::lock_guard<std::recursive_mutex> guard(Global().lock);
        HMODULE module = Load(text, &error);
        if (module == nullptr) SetLastError(error);
        return module;
    });
}

PLATFORM_API HMODULE LoadLibraryA(LPCSTR name) {
    return Guarded<HMODULE>(nullptr, [&]() -> HMODULE {
        std::u16string text;
        if (!paths::AnsiArg(name, &text)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        return LoadLibraryW(text.c_str());
    });
}

PLATFORM_API BOOL FreeLibrary(HMODULE module) {
    std::lock_guard<std::recursive_mutex> guard(Global().lock);
    auto* m = reinterpret_cast<Module*>(module);
    if (!Live(m)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // refs 0: its detach is running and frees it once more; the unload is under way.
    if (m->pinned || m->refs == 0 || --m->refs > 0) return TRUE;
    if (DllEntryProc entry = EntryPoint(*m)) entry(module, DLL_PROCESS_DETACH, nullptr);
    Destroy(m);
    return TRUE;
}

PLATFORM_API FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
    return Guarded<FARPROC>(nullptr, [&]() -> FARPROC {
        std::lock_guard<std::recursive_mutex> guard(Global().lock);
        const Module* m = FromHandle(module);
        if (m == nullptr) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        if (name == nullptr) {
            SetLastError(ERROR_PROC_NOT_FOUND);
            return nullptr;
        }
        // An ordinal is a number in the low word of the pointer; the object exports it as
        // "Ordinal<n>".
        const auto value = reinterpret_cast<ULONG_PTR>(name);
        const std::string symbol = (value >> 16) == 0 ? "Ordinal" + std::to_string(value) : std::string(name);
        void* address = FindExport(*m, symbol.c_str());
        if (address == nullptr) {
            SetLastError(ERROR_PROC_NOT_FOUND);
            return nullptr;
        }
        return reinterpret_cast<FARPROC>(address);
    });
}

PLATFORM_API HMODULE GetModuleHandleW(LPCWSTR name) {
    return Guarded<HMODULE>(nullptr, [&]() -> HMODULE {
        std::lock_guard<std::recursive_mutex> guard(Global().lock);
        if (name == nullptr) return AsHandle(HostModule());
        const std::u16string full = WithDefaultExtension(name);
        Module* m = nullptr;
        if (IsBareName(full)) {
            m = FindLoadedByName(full);
        } else if (const paths::Resolved resolved = paths::Resolve(full); resolved.error == ERROR_SUCCESS) {
            m = FindLoadedByPath(resolved.windowsPath);
            if (m == nullptr && IsRegularFile(resolved.linuxPath)) m = FindLoadedByFile(Canonical(resolved.linuxPath));
        }
        if (m == nullptr) SetLastError(ERROR_MOD_NOT_FOUND);
        return AsHandle(m);
    });
}

PLATFORM_API HMODULE GetModuleHandleA(LPCSTR name) {
    return Guarded<HMODULE>(nullptr, [&]() -> HMODULE {
        if (name == nullptr) return GetModuleHandleW(nullptr);
        std::u16string text;
        if (!paths::AnsiArg(name, &text)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        return GetModuleHandleW(text.c_str());
    });
}

PLATFORM_API DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD cchBuffer) {
    return Guarded<DWORD>(0, [&]() -> DWORD {
        std::lock_guard<std::recursive_mutex> guard(Global().lock);
        const Module* m = FromHandle(module);
        if (m == nullptr) {
            SetLastError(ERROR_INVALID_HANDLE);
            return 0;
        }
        if (buffer == nullptr && cchBuffer > 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        const std::u16string& path = m->windowsPath;
        if (path.size() < cchBuffer) {
            std::copy(path.begin(), path.end(), buffer);
            buffer[path.size()] = u'\0';
            return static_cast<DWORD>(path.size());
        }
        // Too small: cut, terminated, and the buffer's size returned.
        if (cchBuffer > 0) {
            std::copy_n(path.begin(), cchBuffer - 1, buffer);
            buffer[cchBuffer - 1] = u'\0';
        }
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return cchBuffer;
    });
}

PLATFORM_API BOOL DisableThreadLibraryCalls(HMODULE module) {
    std::lock_guard<std::recursive_mutex> guard(Global().lock);
    // Thread notifications are never sent, so there is nothing to switch off.
    if (!Live(reinterpret_cast<Module*>(module))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
