// Help in the window set's language.
#include "psw/Help.h"

#include <string>

#include "psw/PswLog.h"
#include "psw/RegistrySettings.h"
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Shell.h"
#include "platform/UserWindows.h"

namespace {

using HtmlHelpProc = HWND (*)(HWND caller, LPCWSTR file, UINT command, ULONG_PTR data);

bool IsExtension(LPCWSTR extension, LPCWSTR wanted) { return lstrcmpiW(extension, wanted) == 0; }

}  // namespace

BOOL GetFileExtension(LPCWSTR path, LPCWSTR* extension) {
    if (path == nullptr || path[0] == 0 || extension == nullptr) return FALSE;
    for (int i = lstrlenW(path) - 1; i >= 0; --i) {
        if (path[i] == u'\\') return FALSE;
        if (path[i] == u'.') {
            *extension = path + i + 1;
            return TRUE;
        }
    }
    return FALSE;
}

int HtmlHelpCommand(UINT command) {
    switch (command) {
        case HELP_CONTEXT: return 15;      // HH_HELP_CONTEXT
        case HELP_QUIT: return 18;         // HH_CLOSE_ALL
        case HELP_CONTEXTMENU: return 16;  // HH_TP_HELP_CONTEXTMENU
        case HELP_FINDER: return 0;        // HH_DISPLAY_TOPIC
        case HELP_WM_HELP: return 17;      // HH_TP_HELP_WM_HELP
        default: return -1;
    }
}

BOOL CallHtmlHelp(HWND, UINT command, ULONG_PTR data, PSWDATA* record, LPCWSTR suffix) {
    if (!record || !record->helpPath) return FALSE;
    if (!record->htmlHelpW) {
        record->htmlHelpModule = LoadLibraryW(u"HHCTRL.OCX");
        record->htmlHelpW = record->htmlHelpModule ? GetProcAddress(record->htmlHelpModule, "HtmlHelpW") : nullptr;
        if (!record->htmlHelpW) {
            LogPrint(kLogError, "HtmlHelpW not found\n");
            if (record->htmlHelpModule) FreeLibrary(record->htmlHelpModule);
            record->htmlHelpModule = nullptr;
            return FALSE;
        }
    }
    const int mapped = HtmlHelpCommand(command);
    if (mapped < 0) return FALSE;
    std::u16string path(record->helpPath);
    if (suffix) path += suffix;
    reinterpret_cast<HtmlHelpProc>(reinterpret_cast<void (*)()>(record->htmlHelpW))(GetDesktopWindow(), path.c_str(),
                                                                                    static_cast<UINT>(mapped), data);
    return TRUE;
}

BOOL CallWinHelp(HWND window, UINT command, ULONG_PTR data, PSWDATA* record, LPCWSTR suffix) {
    if (!record || !record->helpPath) return FALSE;
    std::u16string path(record->helpPath);
    LPCWSTR extension = nullptr;
    if (!GetFileExtension(path.c_str(), &extension)) return FALSE;
    // Pop-up texts of a compiled help set sit in the ".POP" file of the same name.
    if (IsExtension(extension, u"CHM")) path.replace(path.size() - 4, 4, u".POP");
    if (suffix) path += suffix;
    WinHelpW(window, path.c_str(), command, data);
    return TRUE;
}

BOOL CallHelp(HWND window, UINT command, ULONG_PTR data, PSWDATA* record, LPCWSTR suffix) {
    if (!record) return FALSE;
    if (!record->helpPath) {
        if (!GetPrinterDriverName(record, record->printerName)) return FALSE;
        if (!GetHelpPathName(record, record->driverName)) return FALSE;
    }
    LPCWSTR extension = nullptr;
    if (!GetFileExtension(record->helpPath, &extension)) return FALSE;
    if (IsExtension(extension, u"HLP")) {
        CallWinHelp(window, command, data, record, suffix);
        return TRUE;
    }
    if (IsExtension(extension, u"CHM")) {
        if (command == HELP_FINDER || command == HELP_CONTEXT) {
            CallHtmlHelp(window, command, data, record, suffix);
        } else {
            CallWinHelp(window, command, data, record, suffix);
        }
        return TRUE;
    }
    return FALSE;
}
