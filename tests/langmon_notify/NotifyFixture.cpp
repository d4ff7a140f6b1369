#include "tests/langmon_notify/NotifyFixture.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "langmon/job/JobEntries.h"
#include "langmon/PortSettings.h"
#include "langmon/status/StatusPort.h"
#include "langmon/PortHolds.h"
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Registry.h"
#include "platform/StandInMonitor.h"
#include "platform/Sync.h"
#include "tests/support/MachineKeys.h"
#include "tests/support/MonitorSetup.h"
#include "tools/sample/PrinterOids.h"
#include "tests/support/WaitUntil.h"
#include "tools/sample/PortSetup.h"

namespace kvtest {
namespace {

template <typename Fn>
void Resolve(HMODULE module, const char* name, Fn* slot) {
    *slot = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

bool ManagerClient::Load() {
    module_ = LoadLibraryW(u"KWTQSRMZ.DLL");
    if (module_ == nullptr) return false;
    Resolve(module_, "OpenManagerExW", &open_);
    Resolve(module_, "CloseManager", &close_);
    Resolve(module_, "GetPrinterStatusA", &get_);
    Resolve(module_, "UpdatePrinterStatusW", &update_);
    Resolve(module_, "SrmTestEventRegistrations", &registrations_);
    Resolve(module_, "SrmTestReadUpdates", &updates_);
    Resolve(module_, "SrmTestClearRecords", &clear_);
    return open_ != nullptr && close_ != nullptr && get_ != nullptr && update_ != nullptr && registrations_ != nullptr &&
           updates_ != nullptr && clear_ != nullptr;
}

void ManagerClient::Unload() {
    if (module_ != nullptr) FreeLibrary(module_);
    module_ = nullptr;
}

DWORD ManagerClient::Write(const std::u16string& printer, const char16_t* name, const void* value, DWORD cb) {
    DWORD manager = 0;
    const DWORD opened = open_(printer.c_str(), u"test", 3, &manager);
    if (opened != 0) return opened;
    const DWORD rc = update_(manager, name, value, cb);
    close_(manager);
    return rc;
}

DWORD ManagerClient::WriteDword(const std::u16string& printer, const char16_t* name, DWORD value) {
    return Write(printer, name, &value, sizeof value);
}

DWORD ManagerClient::WritePort(const std::u16string& printer, DWORD first, const std::u16string& port,
                               const std::u16string& redirect) {
    SRM_PORT value{};
    value.dwPortType = first;
    port.copy(reinterpret_cast<char16_t*>(value.szPortName), 127);
    redirect.copy(reinterpret_cast<char16_t*>(value.szRedirectName), 127);
    return Write(printer, u"Port", &value, sizeof value);
}

DWORD ManagerClient::WritePrinterName(const std::u16string& printer, const std::u16string& name) {
    WCHAR value[260] = {};
    name.copy(reinterpret_cast<char16_t*>(value), 259);
    return Write(printer, u"PrinterName", value, sizeof value);
}

DWORD ManagerClient::ReadDword(const std::u16string& printer, const char* name) {
    DWORD manager = 0;
    if (open_(printer.c_str(), u"test", 3, &manager) != 0) return 0xDEADBEEF;
    DWORD value = 0;
    DWORD needed = 0;
    const DWORD rc = get_(manager, name, &value, sizeof value, &needed);
    close_(manager);
    return rc == 0 && needed == sizeof value ? value : 0xDEADBEEF;
}

DWORD ManagerClient::Registrations(const std::u16string& printer) { return registrations_(printer.c_str()); }

size_t ManagerClient::Updates(const std::u16string& printer, const std::u16string& variable) {
    std::vector<SRM_UPDATE_RECORD> records(updates_(nullptr, 0));
    records.resize(updates_(records.data(), static_cast<DWORD>(records.size())));
    size_t count = 0;
    for (const auto& r : records) {
        if (std::u16string(reinterpret_cast<const char16_t*>(r.printer)) != printer) continue;
        if (variable.empty() || std::u16string(reinterpret_cast<const char16_t*>(r.variable)) == variable) ++count;
    }
    return count;
}

void ManagerClient::ClearRecords() { clear_(); }

void NotifyTest::SetUp() {
    StandInTest::SetUp();
    standin::monitor::Reset();
    ASSERT_TRUE(manager_.Load());
    ASSERT_TRUE(StartMonitor(monitor_));
    monitor_.Waits.PortMutexMs = 300;
    monitor_.Waits.StatusQueuedMs = 20;
    monitor_.Waits.StatusIdleMs = 30;
    monitor_.Waits.ClosePortMs = 50;
    monitor_.Waits.ClosePollMs = 5;
    monitor_.JobCountMask = 0x1195;
    agent_.LoadPrinter();
    agent_.SetInteger(kTrayLevelOid, 0);
    AddStatusVariablesKey();
}

void NotifyTest::TearDown() {
    if (port_ != nullptr) ClosePort();
    langmon::EndMonitorProcess();
    manager_.Unload();
    StandInTest::TearDown();
}

void NotifyTest::AddPrinter(const TestPrinter& printer) {
    standin::PrinterSetup setup;
    setup.name = printer.name;
    setup.port = printer.port;
    setup.driverName = printer.driver;
    setup.attributes = PRINTER_ATTRIBUTE_LOCAL | (printer.bidi ? PRINTER_ATTRIBUTE_ENABLE_BIDI : 0);
    setup.monitorName = printer.monitor;
    AddSpoolerPrinter(setup);
}

void NotifyTest::MakePort(const std::u16string& printer, const std::u16string& name) {
    port_ = CreatePort(name, printer, monitor_);
    ASSERT_NE(port_, nullptr);
    port_->PortKind = langmon::port_kind::StandardTcpPort;
    AimAtAgent(*port_, agent_);  // waits of 200 ms: generous, a loaded machine answers late
    port_->ClosePortTimeoutMs = 20;
}

SrmBinding* NotifyTest::Bind(const std::u16string& printer, bool replay) {
    langmon::PortLockHold lock(*port_);
    return langmon::LoadStatusManager(*port_, printer.c_str(), replay);
}

void NotifyTest::BindAndWait(const std::u16string& printer) {
    ASSERT_NE(Bind(printer), nullptr);
    ASSERT_TRUE(WaitFor([&] { return manager_.Registrations(printer) == 1; }));
}

void NotifyTest::ClosePort() {
    EXPECT_TRUE(PJLMonClosePort(port_));
    port_ = nullptr;
}

size_t NotifyTest::BindingCount() { return BoundNames().size(); }

bool NotifyTest::IsBound(const std::u16string& printer) {
    for (const auto& name : BoundNames()) {
        if (name == printer) return true;
    }
    return false;
}

std::vector<std::u16string> NotifyTest::BoundNames() {
    std::vector<std::u16string> names;
    langmon::PortLockHold lock(*port_);
    for (const SrmBinding* b = port_->FirstBinding; b != nullptr; b = b->next) {
        names.emplace_back(reinterpret_cast<const char16_t*>(b->printerName));
    }
    return names;
}

bool NotifyTest::PollingAlive() const { return (port_->State & langmon::port_state::StatusThreadAlive) != 0; }

DWORD NotifyTest::Locked(DWORD langmon::PortContext::*field) const {
    langmon::PortLockHold lock(*port_);
    return (*port_).*field;
}

void NotifyTest::Variable(DWORD intervalMs) {
    port_->Settings->variablePolling = TRUE;
    port_->Settings->pollingIntervalMs = intervalMs;
}

void NotifyTest::Signal(const std::u16string& name) {
    HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str());
    ASSERT_NE(event, nullptr) << "nobody holds " << U8(name);
    SetEvent(event);
    CloseHandle(event);
}

bool NotifyTest::WaitFor(const std::function<bool()>& done, int limitMs) { return WaitUntil(done, limitMs); }

void NotifyTest::Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace kvtest
