// Context help through the HTML Help control: the registered in-process server of its class,
// else "hhctrl.ocx" by name; HtmlHelpW by ordinal. The module stays loaded for the process,
// and one failed load or look-up is not tried again.
#include "platform/Modules.h"
#include "platform/Owners.h"
#include "platform/PropSheet.h"
#include "platform/Registry.h"
#include "ui/pages/PropertyPages.h"

namespace {

constexpr char kHelpServerKey[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
constexpr char kHelpModuleName[] = "hhctrl.ocx";
constexpr WORD kHtmlHelpOrdinal = 15;
constexpr DWORD kcbServerPath = 260;

struct HelpSlots {
    HMODULE module = nullptr;
    PFNHTMLHELPW htmlHelp = nullptr;
    bool failed = false;
};
HelpSlots g_help;

// The registered server's path, terminated within the buffer whatever the value holds; empty
// when it cannot be read.
void ReadServerPath(char (&path)[kcbServerPath + 1]) {
    path[0] = '\0';
    RegistryKey key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kHelpServerKey, 0, KEY_QUERY_VALUE, key.Out()) != ERROR_SUCCESS) return;
    DWORD type = REG_NONE;
    DWORD cb = kcbServerPath;
    if (RegQueryValueExA(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path), &cb) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        path[0] = '\0';
        return;
    }
    path[cb < kcbServerPath ? cb : kcbServerPath] = '\0';
}

bool LoadHelpModule() {
    char path[kcbServerPath + 1];
    ReadServerPath(path);
    if (path[0] != '\0') g_help.module = LoadLibraryA(path);
    if (g_help.module == nullptr) g_help.module = LoadLibraryA(kHelpModuleName);
    return g_help.module != nullptr;
}

}  // namespace

HWND InvokeHtmlHelp(HWND caller, LPCWSTR file, UINT command, ULONG_PTR data) {
    if (g_help.failed) return nullptr;
    if (g_help.module == nullptr && !LoadHelpModule()) {
        g_help.failed = true;
        return nullptr;
    }
    if (g_help.htmlHelp == nullptr) {
        g_help.htmlHelp = reinterpret_cast<PFNHTMLHELPW>(
            reinterpret_cast<void (*)()>(GetProcAddress(g_help.module, MAKEINTRESOURCEA(kHtmlHelpOrdinal))));
        if (g_help.htmlHelp == nullptr) {
            g_help.failed = true;
            return nullptr;
        }
    }
    return g_help.htmlHelp(caller, file, command, data);
}
