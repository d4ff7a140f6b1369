// Port settings from the registry: polling values, the port mode and the close time-out.
#include "langmon/PortSettings.h"

#include <cstring>
#include <new>

#include "platform/Kernel.h"
#include "platform/Owners.h"
#include "platform/Registry.h"
#include "platform/Sync.h"

namespace {

constexpr WCHAR kPollingKey[] = u"SOFTWARE\\ZEV\\Stanvel\\Printers\\ZEV KV-TD520 (VX)";
constexpr WCHAR kPortModeKey[] = u"SOFTWARE\\ZEV\\Stanvel\\Printers";
constexpr CHAR kPrintersKey[] = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";
constexpr CHAR kClosePortTimeoutKey[] = "SOFTWARE\\ZEV\\ClosePortTimeout";
constexpr DWORD kDriverNameMaxBytes = 260;

// Only a REG_DWORD of exactly four bytes counts: a longer value, a string or a short binary
// is treated as absent so that a malformed entry falls back to the default.
bool ReadDwordW(HKEY key, LPCWSTR name, DWORD* value) {
    DWORD type = REG_NONE;
    DWORD data = 0;
    DWORD cb = sizeof data;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(&data), &cb) != ERROR_SUCCESS) {
        return false;
    }
    if (type != REG_DWORD || cb != sizeof data) return false;
    *value = data;
    return true;
}

bool ReadDwordA(HKEY key, LPCSTR name, DWORD* value) {
    DWORD type = REG_NONE;
    DWORD data = 0;
    DWORD cb = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(&data), &cb) != ERROR_SUCCESS) {
        return false;
    }
    if (type != REG_DWORD || cb != sizeof data) return false;
    *value = data;
    return true;
}

DWORD Clamp(DWORD value, DWORD low, DWORD high) {
    if (value < low) return low;
    if (value > high) return high;
    return value;
}

}  // namespace

void ReadPollingSettings(PortSettings& settings) {
    settings.variablePolling = FALSE;
    settings.readStep = RegReadStep::NoKey;
    settings.pollingIntervalMs = kDefaultPollingIntervalMs;
    settings.oidIntervalMs = kDefaultOidIntervalMs;
    settings.maxPowerOffTries = kDefaultMaxPowerOffTries;
    settings.checkDid = kDefaultCheckDid;

    RegistryKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPollingKey, 0, KEY_READ, key.Out()) != ERROR_SUCCESS) return;
    settings.readStep = RegReadStep::KeyOpened;

    DWORD value = 0;
    if (ReadDwordW(key.Get(), u"LMMode", &value)) {
        settings.readStep = RegReadStep::ModeRead;
        if (value == 1) {
            settings.variablePolling = TRUE;
            settings.readStep = RegReadStep::VariablePolling;
        }
    }
    // The interval and the device-check period only mean something with variable polling.
    if (settings.variablePolling) {
        if (ReadDwordW(key.Get(), u"PollingIntervals", &value)) {
            settings.pollingIntervalMs = Clamp(value, 1000, 10000);
            settings.readStep = RegReadStep::IntervalRead;
        }
        if (ReadDwordW(key.Get(), u"CheckDID", &value)) settings.checkDid = Clamp(value, 1, 10);
    }
    if (ReadDwordW(key.Get(), u"OIDIntervals", &value)) settings.oidIntervalMs = Clamp(value, 10, 100);
    if (ReadDwordW(key.Get(), u"MaxPWOFF", &value)) settings.maxPowerOffTries = Clamp(value, 1, 20);
}

DWORD ReadMyPortMode(DWORD stored) {
    DWORD value = 0;
    RegistryKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPortModeKey, 0, KEY_READ, key.Out()) == ERROR_SUCCESS &&
        ReadDwordW(key.Get(), u"MyPortMode", &value) && value != 0) {
        return value;
    }
    return stored != 0 ? stored : kDefaultMyPortMode;
}

PortSettings* LoadPortSettings(HANDLE heap) {
    void* block = HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(PortSettings));
    if (block == nullptr) return nullptr;
    auto* settings = new (block) PortSettings{};
    ReadPollingSettings(*settings);
    return settings;
}

void FreePortSettings(HANDLE heap, PortSettings* settings) {
    if (settings == nullptr) return;
    settings->~PortSettings();
    HeapFree(heap, 0, settings);
}

DWORD GetClosePortTimeout(LPCWSTR printerName) {
    if (printerName == nullptr || printerName[0] == u'\0') return kMinClosePortTimeoutMs;

    // The printer's sub-key: its name in the ANSI code page, backslashes of a connection
    // name written as commas the way the spooler stores them, so that the name can never
    // reach another key.
    CHAR keyPath[sizeof kPrintersKey + 2 * MAX_PATH] = {};
    const size_t prefix = sizeof kPrintersKey - 1;
    std::memcpy(keyPath, kPrintersKey, prefix);
    const int cbName = WideCharToMultiByte(CP_ACP, 0, printerName, -1, keyPath + prefix,
                                           static_cast<int>(sizeof keyPath - prefix), nullptr, nullptr);
    if (cbName <= 1) return kMinClosePortTimeoutMs;
    for (CHAR* c = keyPath + prefix; *c != '\0'; c = CharNextA(c)) {
        if (*c == '\\') *c = ',';
    }

    CHAR driver[kDriverNameMaxBytes + 1] = {};
    {
        RegistryKey printerKey;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, printerKey.Out()) != ERROR_SUCCESS) {
            return kMinClosePortTimeoutMs;
        }
        DWORD type = REG_NONE;
        DWORD cb = kDriverNameMaxBytes;
        if (RegQueryValueExA(printerKey.Get(), "Printer Driver", nullptr, &type, reinterpret_cast<LPBYTE>(driver),
                             &cb) != ERROR_SUCCESS ||
            type != REG_SZ) {
            return kMinClosePortTimeoutMs;
        }
        // A value stored without its terminator still ends inside the buffer.
        driver[cb <= kDriverNameMaxBytes ? cb : kDriverNameMaxBytes] = '\0';
    }
    if (driver[0] == '\0') return kMinClosePortTimeoutMs;

    RegistryKey timeoutKey;
    DWORD value = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kClosePortTimeoutKey, 0, KEY_READ, timeoutKey.Out()) != ERROR_SUCCESS ||
        !ReadDwordA(timeoutKey.Get(), driver, &value)) {
        return kMinClosePortTimeoutMs;
    }
    return Clamp(value, kMinClosePortTimeoutMs, kMaxClosePortTimeoutMs);
}
