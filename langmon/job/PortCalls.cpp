#include "langmon/job/PortCalls.h"

#include "langmon/printer/PortKind.h"
#include "langmon/PortHolds.h"

namespace langmon {
namespace {

WCHAR kMonitorDocName[] = u"KJLMON Doc";

}  // namespace

DOC_INFO_3W MonitorDocInfo() { return DOC_INFO_3W{kMonitorDocName, nullptr, nullptr, 0}; }

bool IsSnmpPort(const PortContext& port) { return (port.PortKind & port_kind::Snmp) != 0; }
bool IsUsb(const PortContext& port) { return port.PortKind == port_kind::LocalPort && IsUsbPort(port.PortName); }
bool HasBinding(PortContext& port) {
    PortLockHold lock(port);
    return port.CurrentBinding != nullptr;
}

bool IsBound(PortContext& port) {
    PortLockHold lock(port);
    return port.CurrentBinding != nullptr && port.BindingBound != 0;
}

PrinterHandle OpenPrinterForUse(LPCWSTR name) {
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_USE};
    HANDLE printer = nullptr;
    // The spooler takes the name without changing it.
    if (name == nullptr || !OpenPrinterW(const_cast<LPWSTR>(name), &printer, &defaults)) return PrinterHandle();
    return PrinterHandle(printer);
}

HeapBuffer ReadJobRecord(HANDLE printer, DWORD jobId, int tries, DWORD pauseMs) {
    constexpr DWORD kMaxJobRecordBytes = 1u << 20;
    for (int attempt = 0; attempt < tries && printer != nullptr; ++attempt) {
        if (attempt != 0) Sleep(pauseMs);
        DWORD needed = 0;
        if (GetJobW(printer, jobId, 1, nullptr, 0, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
            needed < sizeof(JOB_INFO_1W) || needed > kMaxJobRecordBytes) {
            continue;
        }
        HeapBuffer record(needed);
        if (record.get() == nullptr) break;
        if (GetJobW(printer, jobId, 1, record.get(), needed, &needed)) return record;
    }
    return HeapBuffer();
}

void SetJobCommand(PortContext& port, DWORD jobId, DWORD command) {
    const PrinterHandle printer = OpenPrinterForUse(PortPrinterName(port).get());
    if (printer.Valid()) SetJobW(printer.Get(), jobId, 0, nullptr, command);
}

BOOL PMStartDocPort(PortContext& port, LPWSTR printer, DWORD jobId, DWORD level, LPBYTE docInfo) {
    if (port.PortMonitor.pfnStartDocPort == nullptr) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    return port.PortMonitor.pfnStartDocPort(port.PortMonitorPort, printer, jobId, level, docInfo);
}

BOOL PMStartOwnDocPort(PortContext& port) {
    DOC_INFO_3W doc = MonitorDocInfo();
    PortPrinterName printer(port);
    return PMStartDocPort(port, printer.writable(), static_cast<DWORD>(-1), 3, reinterpret_cast<LPBYTE>(&doc));
}

BOOL PMEndDocPort(PortContext& port) {
    if (port.PortMonitor.pfnEndDocPort == nullptr) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    return port.PortMonitor.pfnEndDocPort(port.PortMonitorPort);
}

void SetPortTimeouts(PortContext& port, const COMMTIMEOUTS& timeouts) {
    if (port.PortMonitor.pfnSetPortTimeOuts == nullptr) return;
    COMMTIMEOUTS copy = timeouts;
    const DWORD error = GetLastError();
    port.PortMonitor.pfnSetPortTimeOuts(port.PortMonitorPort, &copy, 0);
    SetLastError(error);
}

}  // namespace langmon
