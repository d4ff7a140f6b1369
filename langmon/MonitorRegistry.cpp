// The waits of every port and single DWORDs, read from the monitor's registry root.
#include "langmon/MonitorRegistry.h"

#include "langmon/PortSettings.h"
#include "platform/Registry.h"

namespace langmon {
namespace {

struct WaitSetting {
    LPCWSTR name;
    DWORD PortWaits::*field;
    DWORD defaultMs;
};
// Each wait is bounded by its default: a registry value can only shorten it. ClosePort's
// wait is the one the printer's driver names (GetClosePortTimeout); this only caps it.
constexpr WaitSetting kWaitSettings[] = {
    {u"PortMutexTimeout", &PortWaits::PortMutexMs, 30000},
    {u"ClosePortTimeout", &PortWaits::ClosePortMs, kMaxClosePortTimeoutMs},
    {u"ClosePortPollInterval", &PortWaits::ClosePollMs, 1000},
    {u"PendingOutputTimeout", &PortWaits::PendingOutputMs, 60000},
    {u"ServiceMutexTimeout", &PortWaits::ServiceMutexMs, 600000},
    {u"ServiceAnswerTimeout", &PortWaits::ServiceAnswerMs, 60000000},
    {u"RetryPause", &PortWaits::RetryPauseMs, 1000},
    {u"ComPortPause", &PortWaits::ComPauseMs, 100},
    {u"LostEndDocTimeout", &PortWaits::LostJobMs, 60000},
    {u"StatusQueuedInterval", &PortWaits::StatusQueuedMs, 3000},
    {u"StatusIdleInterval", &PortWaits::StatusIdleMs, 4000},
    {u"SuspendAckTimeout", &PortWaits::SuspendAckMs, 4000},
    {u"UsbResendPause", &PortWaits::UsbResendPauseMs, 4000},
    {u"UsbResendTimeout", &PortWaits::UsbResendMs, 60000},
    {u"EndedJobRecordPause", &PortWaits::EndedJobRecordMs, 150},
};

}  // namespace

bool QueryRootDword(const MONITORINIT* init, LPCWSTR name, DWORD* value) {
    if (init == nullptr || init->pMonitorReg == nullptr || init->pMonitorReg->fpQueryValue == nullptr) return false;
    DWORD type = 0;
    DWORD data = 0;
    DWORD cb = sizeof data;
    const LONG rc = init->pMonitorReg->fpQueryValue(init->hckRegistryRoot, name, &type, reinterpret_cast<PBYTE>(&data),
                                                    &cb, init->hSpooler);
    if (rc != static_cast<LONG>(ERROR_SUCCESS) || type != REG_DWORD || cb != sizeof data) return false;
    *value = data;
    return true;
}

PortWaits LoadWaits(const MONITORINIT* init) {
    PortWaits waits{};
    for (const WaitSetting& setting : kWaitSettings) {
        DWORD value = setting.defaultMs;
        if (QueryRootDword(init, setting.name, &value)) {
            if (value == 0) value = 1;
            if (value > setting.defaultMs) value = setting.defaultMs;
        }
        waits.*setting.field = value;
    }
    return waits;
}

}  // namespace langmon
