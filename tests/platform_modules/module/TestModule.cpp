// A small module for the loader tests. It reports its entry-point calls to the host program
// through the host's exported "ModuleTestEvent" (found with GetProcAddress on the host's own
// module record), whose answer is also the answer to DLL_PROCESS_ATTACH.
#include "platform/Modules.h"

namespace {

using EventProc = BOOL (*)(const char* event);

HMODULE languageLibrary = nullptr;

BOOL Report(const char* event) {
    // Through the generic function type, which may stand for any.
    auto proc = reinterpret_cast<EventProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(nullptr), "ModuleTestEvent")));
    return proc == nullptr ? TRUE : proc(event);
}

}  // namespace

DLL_EXPORT BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        // Loads another module under the loader lock, and must find itself by name already.
        languageLibrary = LoadLibraryW(u"" KV_LANG_PREFIX "SE");
        if (languageLibrary == nullptr) Report("language library missing");
        return Report(GetModuleHandleW(u"KVTESTMODULE") == instance ? "attach" : "attach without own handle");
    case DLL_PROCESS_DETACH:
        if (languageLibrary != nullptr) FreeLibrary(languageLibrary);
        languageLibrary = nullptr;
        Report("detach");
        return TRUE;
    default:
        Report("thread notification");
        return TRUE;
    }
}

DLL_EXPORT int ModuleTestAnswer() { return 42; }

// Exported by ordinal 7.
DLL_EXPORT int Ordinal7() { return 7; }
