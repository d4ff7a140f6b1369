#include "tests/langmon_poll/PollFixture.h"

#include <cstring>

#include "langmon/status/StatusPort.h"
#include "langmon/PortHolds.h"
#include "platform/StandInMonitor.h"
#include "tests/support/WaitUntil.h"
#include "tools/sample/PortSetup.h"

namespace kvtest {

std::string PollTest::refreshList_;
PushLog PollTest::pushes_;

void PushLog::Add(const char* name) {
    std::lock_guard<std::mutex> hold(lock_);
    names_.emplace_back(name);
}

size_t PushLog::Count(const std::string& name) const {
    std::lock_guard<std::mutex> hold(lock_);
    size_t n = 0;
    for (const auto& pushed : names_) n += pushed == name ? 1 : 0;
    return n;
}

size_t PushLog::Total() const {
    std::lock_guard<std::mutex> hold(lock_);
    return names_.size();
}

void PushLog::Clear() {
    std::lock_guard<std::mutex> hold(lock_);
    names_.clear();
}

namespace {

DWORD RecordUpdate(DWORD, LPCSTR name, LPCVOID, DWORD) {
    PollTest::Record(name);
    return 0;
}

}  // namespace

void PollTest::SetUp() {
    StandInTest::SetUp();
    standin::monitor::Reset();
    pushes_.Clear();
    refreshList_.clear();
    ASSERT_TRUE(StartMonitor(monitor_));
    // Milliseconds for every wait the polling makes.
    monitor_.Waits.PortMutexMs = 200;
    monitor_.Waits.StatusQueuedMs = 30;
    monitor_.Waits.StatusIdleMs = 40;
    monitor_.Waits.ClosePortMs = 50;
    monitor_.Waits.ClosePollMs = 5;
    agent_.LoadPrinter();
    agent_.SetInteger(kTrayLevelOid, 0);
}

void PollTest::MakePort(const std::u16string& name) {
    // The spooler lists the printer on this port, so the polling thread's printer scans keep
    // its binding.
    standin::PrinterSetup printer;
    printer.name = u"KV Printer";
    printer.port = name;
    standin::AddPrinter(printer);
    port_ = CreatePort(name, u"KV Printer", monitor_);
    ASSERT_NE(port_, nullptr);
    port_->PortKind = langmon::port_kind::StandardTcpPort;
    AimAtAgent(*port_, agent_);  // waits of 200 ms: generous, a loaded machine answers late
    binding_ = BindRecorder(*port_, u"KV Printer", RecordUpdate);
    ASSERT_NE(binding_, nullptr);
    binding_->entries.GetPrinterStatusA = ReadRequest;
}

void PollTest::TearDown() {
    if (port_ != nullptr) StopAndDeletePort(port_);
    langmon::EndMonitorProcess();
    StandInTest::TearDown();
}

size_t PollTest::DeviceReads() const {
    size_t n = 0;
    for (const auto& request : agent_.Requests()) n += request.name == kSysDescrOid ? 1 : 0;
    return n;
}

bool PollTest::WaitFor(const std::function<bool()>& done, int limitMs) { return WaitUntil(done, limitMs); }

DWORD PollTest::StatusM() {
    PrinterStatusValue status{};
    langmon::PortLockHold lock(*port_);  // the polling thread may be storing it
    if (!port_->Variables->ReadStatus(&status)) return 0xDEADBEEF;
    return status.M;
}

void PollTest::Record(const char* name) { pushes_.Add(name); }

DWORD PollTest::ReadRequest(DWORD, LPCSTR name, LPVOID buffer, DWORD cb, LPDWORD cbNeeded) {
    if (std::strcmp(name, "RefreshStatus") != 0 || refreshList_.empty()) return SRMRES_NOT_FOUND;
    const DWORD size = static_cast<DWORD>(refreshList_.size() + 1);
    *cbNeeded = size;
    if (buffer == nullptr) return SRMRES_SIZE_ONLY;
    if (cb < size) return SRMRES_MORE_DATA;
    std::memcpy(buffer, refreshList_.c_str(), size);
    return SRMRES_SUCCESS;
}

}  // namespace kvtest
