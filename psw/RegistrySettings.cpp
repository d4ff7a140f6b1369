// The status window's registry settings, its help path and the printer's driver name.
#include "psw/RegistrySettings.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "psw/Placement.h"
#include "psw/PswLog.h"
#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"

namespace {

constexpr DWORD kKeyAccess = 0x2001F;  // read, set, create sub-keys, enumerate, notify
constexpr DWORD kCchKey = 520;

class Key {
public:
    Key() = default;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key() {
        if (key_) RegCloseKey(key_);
    }
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

bool OpenUserKey(const PSWDATA* record, bool create, Key* key) {
    WCHAR path[kCchKey];
    if (!GetPswUserKey(record, record->printerName, path, kCchKey)) return false;
    if (!create) return RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, key->out()) == ERROR_SUCCESS;
    WCHAR className[] = u"REG_DWORD";
    return RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, className, REG_OPTION_NON_VOLATILE, kKeyAccess, nullptr,
                           key->out(), nullptr) == ERROR_SUCCESS;
}

DWORD DwordOr(HKEY key, LPCWSTR name, DWORD fallback) {
    DWORD value = 0;
    return QueryRegDword(key, name, &value) ? value : fallback;
}

void SetDword(HKEY key, LPCWSTR name, DWORD value) {
    if (RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) !=
        ERROR_SUCCESS) {
        LogPrint(kLogError, "RegSetValueEx() failed\n");
    }
}

void ApplyWatchPrinter(PSWDATA* record, DWORD watch) {
    record->setting.WatchPrinter = watch;
    if (watch == 0) {
        record->mainDisplayCondition |= kDisplayNoWatch;
        record->ewsDisplayCondition |= kDisplayNoWatch;
    } else {
        record->mainDisplayCondition &= ~kDisplayNoWatch;
        record->ewsDisplayCondition &= ~kDisplayNoWatch;
    }
}

}  // namespace

BOOL QueryRegDword(HKEY key, LPCWSTR name, DWORD* value) {
    DWORD type = 0;
    DWORD data = 0;
    DWORD cb = sizeof(data);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &cb) != ERROR_SUCCESS) return FALSE;
    if (type != REG_DWORD || cb != sizeof(data)) return FALSE;
    *value = data;
    return TRUE;
}

BOOL QueryRegString(HKEY key, LPCWSTR name, LPWSTR buffer, DWORD cchBuffer) {
    if (cchBuffer == 0) return FALSE;
    buffer[0] = 0;
    DWORD type = 0;
    DWORD cb = cchBuffer * sizeof(WCHAR);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &cb) != ERROR_SUCCESS ||
        type != REG_SZ) {
        buffer[0] = 0;
        return FALSE;
    }
    // Stored without terminator, or with an odd byte: terminate inside the buffer or refuse.
    DWORD cch = cb / sizeof(WCHAR);
    while (cch > 0 && buffer[cch - 1] == 0) --cch;
    if (cch >= cchBuffer) {
        buffer[0] = 0;
        return FALSE;
    }
    buffer[cch] = 0;
    return TRUE;
}

BOOL YenToComma(LPWSTR out, DWORD cchOut, LPCWSTR in) {
    if (out == nullptr || in == nullptr || cchOut == 0) return FALSE;
    DWORD i = 0;
    for (; in[i] != 0; ++i) {
        if (i + 1 >= cchOut) {
            out[0] = 0;
            return FALSE;
        }
        out[i] = in[i] == u'\\' ? u',' : in[i];
    }
    out[i] = 0;
    return TRUE;
}

BOOL GetPrinterKey(const PSWDATA* record, LPCWSTR printerName, LPWSTR out, DWORD cchOut) {
    if (printerName == nullptr || out == nullptr || cchOut == 0) return FALSE;
    if (record->osVersion.dwPlatformId == VER_PLATFORM_WIN32_NT) return YenToComma(out, cchOut, printerName);
    if (static_cast<DWORD>(lstrlenW(printerName)) >= cchOut) {
        out[0] = 0;
        return FALSE;
    }
    lstrcpyW(out, printerName);
    return TRUE;
}

BOOL GetPswUserKey(const PSWDATA* record, LPCWSTR printerName, LPWSTR out, DWORD cchOut) {
    WCHAR printerKey[kCchKey];
    if (!GetPrinterKey(record, printerName, printerKey, kCchKey)) return FALSE;
    std::u16string path(kPswRootKey);
    path += u"\\";
    path += printerKey;
    path += u"\\PSW";
    if (path.size() >= cchOut) return FALSE;
    path.copy(out, path.size());
    out[path.size()] = 0;
    return TRUE;
}

void GetRegPslSetting(PSWDATA* record) {
    PSWRegSetting s = kPswDefaultSetting;
    Key key;
    DWORD watch = s.WatchPrinter;
    if (OpenUserKey(record, false, &key)) {
        watch = DwordOr(key.get(), u"WatchPrinter", watch);
        s.PortNumber = DwordOr(key.get(), u"PortNumber", s.PortNumber);
        s.GetStatus = DwordOr(key.get(), u"GetStatus", s.GetStatus);
        s.PopUpCondition = DwordOr(key.get(), u"PopUpCondition", s.PopUpCondition);
        s.PopUpConditionEx = DwordOr(key.get(), u"PopUpConditionEx", s.PopUpConditionEx);
    }
    record->setting = s;
    record->popUpCondition = s.PopUpCondition;
    record->popUpConditionEx = s.PopUpConditionEx;
    ApplyWatchPrinter(record, watch);
}

BOOL SetRegPslSetting(PSWDATA* record) {
    Key key;
    if (!OpenUserKey(record, true, &key)) {
        LogPrint(kLogError, "RegCreateKeyEx() failed\n");
        return FALSE;
    }
    const PSWRegSetting& s = record->setting;
    SetDword(key.get(), u"WatchPrinter", s.WatchPrinter);
    SetDword(key.get(), u"PortNumber", s.PortNumber);
    SetDword(key.get(), u"GetStatus", s.GetStatus);
    SetDword(key.get(), u"PopUpCondition", s.PopUpCondition);
    SetDword(key.get(), u"PopUpConditionEx", s.PopUpConditionEx);
    return TRUE;
}

void GetRegOptPopValue(PSWDATA* record) {
    Key key;
    DWORD cond = 1;
    DWORD condEx = 8;
    if (OpenUserKey(record, false, &key)) {
        cond = DwordOr(key.get(), u"PopUpCondition", 1);
        condEx = DwordOr(key.get(), u"PopUpConditionEx", 8);
    }
    record->popUpCondition = cond;
    record->popUpConditionEx = condEx;
}

void GetRegMainWndPos(PSWDATA* record, POINT* position, SIZE* size) {
    RECT dialog{};
    if (record->baseDialog) GetWindowRect(record->baseDialog, &dialog);
    // The frame as the base dialog is fitted into it (ChangeWindowSize).
    size->cx = (dialog.right - dialog.left) + 2 * GetSystemMetrics(SM_CXEDGE);
    size->cy = (dialog.bottom - dialog.top) + 2 * GetSystemMetrics(SM_CYEDGE) + GetSystemMetrics(SM_CYCAPTION);
    Key key;
    DWORD x = 0;
    DWORD y = 0;
    if (OpenUserKey(record, true, &key) && QueryRegDword(key.get(), u"PSWPosX", &x) &&
        QueryRegDword(key.get(), u"PSWPosY", &y)) {
        position->x = static_cast<LONG>(x);
        position->y = static_cast<LONG>(y);
        return;
    }
    const RECT window{0, 0, size->cx, size->cy};
    RECT placed = window;
    AdjustWndToMon(nullptr, &placed, &window, 0, kMonitorCentre);
    position->x = placed.left;
    position->y = placed.top;
}

BOOL SetRegMainWndPos(PSWDATA* record, LONG x, LONG y, LONG, LONG) {
    Key key;
    if (!OpenUserKey(record, true, &key)) {
        LogPrint(kLogError, "RegCreateKeyEx() failed\n");
        return FALSE;
    }
    SetDword(key.get(), u"PSWPosX", static_cast<DWORD>(x));
    SetDword(key.get(), u"PSWPosY", static_cast<DWORD>(y));
    return TRUE;
}

bool RemoveRenamedPrinterKey(const PSWDATA* record, LPCWSTR oldName) {
    WCHAR oldKey[kCchKey];
    WCHAR newKey[kCchKey];
    // Only a real rename moves the settings: the manager also reports the name unchanged
    // (a refresh, or a change of case only), and moving then would drop the stored values.
    if (!GetPrinterKey(record, oldName, oldKey, kCchKey) ||
        !GetPrinterKey(record, record->printerName, newKey, kCchKey) || lstrcmpiW(oldKey, newKey) == 0) {
        return false;
    }
    const std::u16string oldPath = std::u16string(kPswRootKey) + u"\\" + oldKey;
    HKEY old = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, oldPath.c_str(), 0, kKeyAccess, &old) == ERROR_SUCCESS) {
        const bool removed = RegDeleteKeyW(old, u"PSW") == ERROR_SUCCESS;
        RegCloseKey(old);
        HKEY root = nullptr;
        if (removed && RegOpenKeyExW(HKEY_CURRENT_USER, kPswRootKey, 0, kKeyAccess, &root) == ERROR_SUCCESS) {
            RegDeleteKeyW(root, oldKey);
            RegCloseKey(root);
        }
    }
    return true;
}

BOOL GetPrinterDriverName(PSWDATA* record, LPCWSTR printerName) {
    if (printerName == nullptr) return FALSE;
    HANDLE printer = nullptr;
    WCHAR name[260];
    lstrcpynW(name, printerName, 260);
    if (!OpenPrinterW(name, &printer, nullptr)) {
        LogPrint(kLogError, "OpenPrinter() is failed.\n");
        return FALSE;
    }
    DWORD cbNeeded = 0;
    GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &cbNeeded);
    std::vector<BYTE> buffer(cbNeeded > 0 ? cbNeeded : 1);
    BOOL ok = cbNeeded > 0 && GetPrinterDriverW(printer, nullptr, 2, buffer.data(), cbNeeded, &cbNeeded);
    if (ok) {
        const auto* info = reinterpret_cast<const DRIVER_INFO_2W*>(buffer.data());
        CHAR driver[64] = {};
        const int n = info->pName ? WideCharToMultiByte(CP_ACP, 0, info->pName, -1, driver, 64, nullptr, nullptr) : 0;
        ok = n > 0;
        driver[63] = 0;
        if (ok) std::memcpy(record->driverName, driver, sizeof(driver));
    }
    if (!ok) LogPrint(kLogError, "GetPrnterDriverA() failed\n");
    ClosePrinter(printer);
    return ok;
}

BOOL GetHelpPathName(PSWDATA* record, LPCSTR driverName) {
    auto clear = [record]() {
        if (record->helpPath) GlobalFree(record->helpPath);
        record->helpPath = nullptr;
        return FALSE;
    };
    WCHAR driver[64] = {};
    if (driverName == nullptr || MultiByteToWideChar(CP_ACP, 0, driverName, -1, driver, 64) == 0) return clear();
    const std::u16string machineKey = std::u16string(kPswRootKey) + u"\\Printers\\" + driver;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, machineKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return clear();
    WCHAR folder[MAX_PATH];
    const BOOL read = QueryRegString(key, u"HELPPATH", folder, MAX_PATH);
    RegCloseKey(key);
    if (!read) return clear();
    char stem[16];
    snprintf(stem, sizeof(stem), "QW774%03X", static_cast<unsigned>(record->language));
    std::u16string base(folder);
    for (const char* p = stem; *p; ++p) base += static_cast<char16_t>(*p);
    for (const char16_t* extension : {u".CHM", u".HLP"}) {
        const std::u16string path = base + extension;
        if (path.size() >= MAX_PATH) break;  // no such file can be opened
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) continue;
        CloseHandle(file);
        const SIZE_T cb = (path.size() + 1) * sizeof(WCHAR);
        auto* copy = static_cast<LPWSTR>(GlobalAlloc(GPTR, cb));
        if (!copy) return clear();
        std::memcpy(copy, path.c_str(), cb);
        if (record->helpPath) GlobalFree(record->helpPath);
        record->helpPath = copy;
        return TRUE;
    }
    return clear();
}
