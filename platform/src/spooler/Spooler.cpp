// The spooler's printer handles, printer records and driver records over the stand-in's
// printer database (SpoolerDatabase.h).
#include <cstddef>
#include <cstring>
#include <new>

#include "platform/Kernel.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"
#include "platform/src/spooler/SpoolerDatabase.h"

namespace standin::spooler {
namespace {

constexpr size_t kMaxPrinterNameChars = 1024;
constexpr size_t kMaxEnvironmentChars = 64;
constexpr DWORD kPrinterEnumIcon8 = 0x00800000u;  // the Flags of a level-1 record for a printer
constexpr DWORD kDriverVersion = 3;

// The driver environment of this build: the printer's driver runs in the caller's process.
constexpr std::u16string_view kEnvironment = sizeof(void*) == 8 ? u"Windows x64" : u"Windows NT x86";

// Smallest DEVMODE that SetPrinterW takes: everything up to and including dmFields.
constexpr WORD kMinDevModeSize = offsetof(DEVMODEW, dmFields) + sizeof(DWORD);

DWORD Open(LPWSTR name, HANDLE* out, const PRINTER_DEFAULTSW* defaults) {
    if (out == nullptr) return ERROR_INVALID_PARAMETER;
    auto handle = std::make_unique<PrinterHandle>();
    handle->access = defaults != nullptr && defaults->DesiredAccess != 0 ? defaults->DesiredAccess : PRINTER_ACCESS_USE;
    Database& db = Global();
    std::lock_guard<std::mutex> guard(db.lock);
    if (name != nullptr) {
        std::u16string_view wanted;
        if (!ReadName(name, kMaxPrinterNameChars, &wanted)) return ERROR_INVALID_PRINTER_NAME;
        constexpr std::u16string_view kXcvPort = u",XcvPort ";
        if (wanted.substr(0, kXcvPort.size()) == kXcvPort) {
            // The port's configuration, as its port monitor keeps it: no printer behind it.
            if (wanted.size() == kXcvPort.size()) return ERROR_INVALID_PRINTER_NAME;
            handle->xcvPort = std::u16string(wanted.substr(kXcvPort.size()));
        } else {
            handle->printer = FindPrinter(db, wanted);
            if (handle->printer == nullptr) return ERROR_INVALID_PRINTER_NAME;
        }
    }
    PrinterHandle* raw = handle.get();
    db.handles.emplace(raw, std::move(handle));
    *out = raw;
    return ERROR_SUCCESS;
}

DWORD Close(HANDLE printer) {
    std::unique_ptr<PrinterHandle> doomed;  // freed outside the lock
    Database& db = Global();
    std::lock_guard<std::mutex> guard(db.lock);
    auto it = db.handles.find(printer);
    if (it == db.handles.end() || it->second->signature != kHandleSignature) return ERROR_INVALID_HANDLE;
    it->second->signature = kFreedSignature;
    doomed = std::move(it->second);
    db.handles.erase(it);
    return ERROR_SUCCESS;
}

// Each Make* packs a record's strings and returns the record; the caller places the record
// first, so the same code lays out one record (GetPrinterW) or an array of them (EnumPrintersW).
PRINTER_INFO_1W MakeLevel1(Packer& p, const Printer& printer) {
    const PrinterSetup& s = printer.setup;
    LPWSTR description = p.String(s.name + u"," + s.driverName + u",");
    LPWSTR name = p.String(s.name);
    LPWSTR comment = p.String(u"");
    return PRINTER_INFO_1W{kPrinterEnumIcon8, description, name, comment};
}

PRINTER_INFO_2W MakeLevel2(Packer& p, const Printer& printer) {
    const PrinterSetup& s = printer.setup;
    PRINTER_INFO_2W record{};
    record.pPrinterName = p.String(s.name);
    record.pShareName = p.String(u"");
    record.pPortName = p.String(s.port);
    record.pDriverName = p.String(s.driverName);
    record.pComment = p.String(u"");
    record.pLocation = p.String(u"");
    record.pSepFile = p.String(u"");
    record.pPrintProcessor = p.String(u"WinPrint");
    record.pDatatype = p.String(u"RAW");
    record.pParameters = p.String(u"");
    if (!s.devMode.empty()) record.pDevMode = static_cast<LPDEVMODEW>(p.Bytes(s.devMode, sizeof(void*)));
    record.Attributes = s.attributes;
    record.Priority = 1;
    record.Status = printer.status;
    return record;
}

PRINTER_INFO_5W MakeLevel5(Packer& p, const Printer& printer) {
    LPWSTR name = p.String(printer.setup.name);
    LPWSTR port = p.String(printer.setup.port);
    // The timeouts are the platform's defaults for a new printer, in milliseconds.
    return PRINTER_INFO_5W{name, port, printer.setup.attributes, 15000, 45000};
}

// Records of `printers` one after the other, then their strings.
template <typename Record, typename Make>
void PackRecords(Packer& p, const std::vector<std::shared_ptr<Printer>>& printers, Make make) {
    auto* first = static_cast<Record*>(p.Place(sizeof(Record) * printers.size(), alignof(Record)));
    for (size_t i = 0; i < printers.size(); ++i) {
        const Record record = make(p, *printers[i]);
        if (first != nullptr) first[i] = record;
    }
}

template <typename Record, typename Make>
DWORD PackLevel(BYTE* buffer, DWORD cbBuffer, DWORD* cbNeeded, const std::vector<std::shared_ptr<Printer>>& printers,
                Make make) {
    return PackTwoCall(buffer, cbBuffer, cbNeeded, [&](Packer& p) { PackRecords<Record>(p, printers, make); });
}

DWORD PackPrinters(DWORD level, BYTE* buffer, DWORD cbBuffer, DWORD* cbNeeded,
                   const std::vector<std::shared_ptr<Printer>>& printers) {
    switch (level) {
    case 1: return PackLevel<PRINTER_INFO_1W>(buffer, cbBuffer, cbNeeded, printers, MakeLevel1);
    case 2: return PackLevel<PRINTER_INFO_2W>(buffer, cbBuffer, cbNeeded, printers, MakeLevel2);
    case 5: return PackLevel<PRINTER_INFO_5W>(buffer, cbBuffer, cbNeeded, printers, MakeLevel5);
    default: return ERROR_INVALID_LEVEL;
    }
}

DWORD GetPrinter(HANDLE handle, DWORD level, LPBYTE buffer, DWORD cbBuffer, LPDWORD cbNeeded) {
    Database& db = Global();
    std::lock_guard<std::mutex> guard(db.lock);
    PrinterHandle* h = FindHandle(db, handle);
    if (h == nullptr || h->printer == nullptr) return ERROR_INVALID_HANDLE;
    if (cbNeeded == nullptr) return ERROR_INVALID_PARAMETER;
    return PackPrinters(level, buffer, cbBuffer, cbNeeded, {h->printer});
}

DWORD EnumPrinters(DWORD flags, LPWSTR name, DWORD level, LPBYTE buffer, DWORD cbBuffer, LPDWORD cbNeeded,
                   LPDWORD returned) {
    if (cbNeeded == nullptr || returned == nullptr) return ERROR_INVALID_PARAMETER;
    *returned = 0;
    // Only this machine's own printers: no connections, no other servers.
    if (flags != PRINTER_ENUM_LOCAL || (name != nullptr && name[0] != u'\0')) return ERROR_INVALID_PARAMETER;
    Database& db = Global();
    std::lock_guard<std::mutex> guard(db.lock);
    const DWORD status = PackPrinters(level, buffer, cbBuffer, cbNeeded, db.printers);
    if (status == ERROR_SUCCESS) *returned = static_cast<DWORD>(db.printers.size());
    return status;
}

DWORD SetPrinter(HANDLE handle, DWORD level, LPBYTE info, DWORD command) {
    Database& db = Global();
    std::lock_guard<std::mutex> guard(db.lock);
    PrinterHandle* h = FindHandle(db, handle);
    if (h == nullptr || h->printer == nullptr) return ERROR_INVALID_HANDLE;
    if (level != 0 && level != 2) return ERROR_INVALID_LEVEL;
    if ((h->access & PRINTER_ACCESS_ADMINISTER) == 0) return ERROR_ACCESS_DENIED;
    if (level == 0) {
        if (command != PRINTER_CONTROL_PAUSE && command != PRINTER_CONTROL_RESUME) return ERROR_INVALID_PARAMETER;
        if (command == PRINTER_CONTROL_PAUSE) {
            h->printer->status |= PRINTER_STATUS_PAUSED;
        } else {
            h->printer->status &= ~PRINTER_STATUS_PAUSED;
        }
        return ERROR_SUCCESS;
    }
    // Purging is not part of the stand-in.
    if (command != 0 || info == nullptr) return ERROR_INVALID_PARAMETER;
    PRINTER_INFO_2W record;
    std::memcpy(&record, info, sizeof(record));
    std::vector<BYTE> devMode;
    if (record.pDevMode != nullptr) {
        DEVMODEW head;
        std::memcpy(&head, record.pDevMode, kMinDevModeSize);
        if (head.dmSize < kMinDevModeSize) return ERROR_INVALID_PARAMETER;
        const auto* bytes = reinterpret_cast<const BYTE*>(record.pDevMode);
        devMode.assign(bytes, bytes + head.dmSize + head.dmDriverExtra);
    }
    Printer& printer = *h->printer;
    if (record.pDevMode != nullptr) printer.setup.devMode = std::move(devMode);
    printer.setup.attributes = record.Attributes;
    return ERROR_SUCCESS;
}

template <typename Info>
void FillDriverCommon(Packer& p, const PrinterSetup& s, Info& record) {
    record.cVersion = kDriverVersion;
    record.pName = p.String(s.driverName);
    record.pEnvironment = p.String(kEnvironment);
    record.pDriverPath = p.String(s.driverPath);
    record.pDataFile = p.String(s.dataFile);
    record.pConfigFile = p.String(s.configFile);
}

void FillDriver2(Packer& p, const Printer& printer) {
    auto* info = static_cast<DRIVER_INFO_2W*>(p.Place(sizeof(DRIVER_INFO_2W), alignof(DRIVER_INFO_2W)));
    DRIVER_INFO_2W record{};
    FillDriverCommon(p, printer.setup, record);
    if (info != nullptr) *info = record;
}

void FillDriver3(Packer& p, const Printer& printer) {
    auto* info = static_cast<DRIVER_INFO_3W*>(p.Place(sizeof(DRIVER_INFO_3W), alignof(DRIVER_INFO_3W)));
    DRIVER_INFO_3W record{};
    FillDriverCommon(p, printer.setup, record);
    record.pHelpFile = p.String(printer.setup.helpFile);
    record.pDependentFiles = p.String(u"", true);
    record.pMonitorName = p.String(printer.setup.monitorName);
    record.pDefaultDataType = p.String(u"RAW");
    if (info != nullptr) *info = record;
}

DWORD GetPrinterDriver(HANDLE handle, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD cbBuffer,
                       LPDWORD cbNeeded) {
    Database& db = Global();
    std::lock_guard<std::mutex> guard(db.lock);
    PrinterHandle* h = FindHandle(db, handle);
    if (h == nullptr || h->printer == nullptr) return ERROR_INVALID_HANDLE;
    if (cbNeeded == nullptr) return ERROR_INVALID_PARAMETER;
    if (environment != nullptr) {
        std::u16string_view wanted;
        if (!ReadName(environment, kMaxEnvironmentChars, &wanted)) return ERROR_INVALID_PARAMETER;
        if (!wanted.empty() && !EqualNoCase(wanted, kEnvironment)) return ERROR_UNKNOWN_PRINTER_DRIVER;
    }
    const Printer& printer = *h->printer;
    switch (level) {
    case 2: return PackTwoCall(buffer, cbBuffer, cbNeeded, [&](Packer& p) { FillDriver2(p, printer); });
    case 3: return PackTwoCall(buffer, cbBuffer, cbNeeded, [&](Packer& p) { FillDriver3(p, printer); });
    default: return ERROR_INVALID_LEVEL;
    }
}

}  // namespace

BOOL Finish(DWORD status) {
    if (status == ERROR_SUCCESS) return TRUE;
    SetLastError(status);
    return FALSE;
}

}  // namespace standin::spooler

using namespace standin::spooler;

PLATFORM_API BOOL OpenPrinterW(LPWSTR name, HANDLE* printer, PRINTER_DEFAULTSW* defaults) {
    try {
        return Finish(Open(name, printer, defaults));
    } catch (const std::bad_alloc&) {
        return Finish(ERROR_NOT_ENOUGH_MEMORY);
    }
}

PLATFORM_API BOOL ClosePrinter(HANDLE printer) { return Finish(Close(printer)); }

PLATFORM_API BOOL XcvDataW(HANDLE xcv, LPCWSTR dataName, PBYTE input, DWORD cbInput, PBYTE output, DWORD cbOutput,
                           LPDWORD cbOutputNeeded, LPDWORD status) {
    (void)input;
    (void)cbInput;
    if (dataName == nullptr || cbOutputNeeded == nullptr || status == nullptr || (output == nullptr && cbOutput != 0)) {
        return Finish(ERROR_INVALID_PARAMETER);
    }
    std::u16string port;
    {
        Database& db = Global();
        std::lock_guard<std::mutex> guard(db.lock);
        const PrinterHandle* handle = FindHandle(db, xcv);
        if (handle == nullptr || handle->xcvPort.empty()) return Finish(ERROR_INVALID_HANDLE);
        port = handle->xcvPort;
    }
    *cbOutputNeeded = 0;
    if (lstrcmpW(dataName, u"IPAddress") != 0) {
        *status = ERROR_INVALID_PARAMETER;
        return TRUE;
    }
    // The standard TCP/IP port monitor answers from the port's key of its configuration.
    const std::u16string path = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\" + port;
    HKEY key = nullptr;
    if (port.find(u'\\') != std::u16string::npos ||
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        *status = ERROR_FILE_NOT_FOUND;
        return TRUE;
    }
    WCHAR value[260] = {};
    DWORD type = 0;
    DWORD cb = sizeof value - sizeof(WCHAR);
    const LONG read = RegQueryValueExW(key, u"IPAddress", nullptr, &type, reinterpret_cast<LPBYTE>(value), &cb);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS || type != REG_SZ) {
        *status = ERROR_FILE_NOT_FOUND;
        return TRUE;
    }
    value[cb / sizeof(WCHAR)] = 0;
    const DWORD needed = static_cast<DWORD>((lstrlenW(value) + 1) * sizeof(WCHAR));
    *cbOutputNeeded = needed;
    if (cbOutput < needed) {
        *status = ERROR_INSUFFICIENT_BUFFER;
        return TRUE;
    }
    std::memcpy(output, value, needed);
    *status = ERROR_SUCCESS;
    return TRUE;
}

PLATFORM_API BOOL GetPrinterW(HANDLE printer, DWORD level, LPBYTE buffer, DWORD cbBuffer, LPDWORD cbNeeded) {
    try {
        return Finish(GetPrinter(printer, level, buffer, cbBuffer, cbNeeded));
    } catch (const std::bad_alloc&) {
        return Finish(ERROR_NOT_ENOUGH_MEMORY);
    }
}

PLATFORM_API BOOL EnumPrintersW(DWORD Flags, LPWSTR Name, DWORD Level, LPBYTE pPrinterEnum, DWORD cbBuf,
                                LPDWORD pcbNeeded, LPDWORD pcReturned) {
    try {
        return Finish(EnumPrinters(Flags, Name, Level, pPrinterEnum, cbBuf, pcbNeeded, pcReturned));
    } catch (const std::bad_alloc&) {
        return Finish(ERROR_NOT_ENOUGH_MEMORY);
    }
}

PLATFORM_API BOOL SetPrinterW(HANDLE printer, DWORD level, LPBYTE info, DWORD command) {
    try {
        return Finish(SetPrinter(printer, level, info, command));
    } catch (const std::bad_alloc&) {
        return Finish(ERROR_NOT_ENOUGH_MEMORY);
    }
}

PLATFORM_API BOOL GetPrinterDriverW(HANDLE printer, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD cbBuffer,
                                    LPDWORD cbNeeded) {
    try {
        return Finish(GetPrinterDriver(printer, environment, level, buffer, cbBuffer, cbNeeded));
    } catch (const std::bad_alloc&) {
        return Finish(ERROR_NOT_ENOUGH_MEMORY);
    }
}
