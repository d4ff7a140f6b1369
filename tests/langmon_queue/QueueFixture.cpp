#include "tests/langmon_queue/QueueFixture.h"

#include <cstring>

#include "langmon/PortSettings.h"
#include "langmon/PortHolds.h"
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Registry.h"
#include "platform/StandInMonitor.h"
#include "platform/Sync.h"
#include "tools/sample/MonitorPass.h"
#include "tests/support/MachineKeys.h"
#include "tests/support/MonitorSetup.h"
#include "tools/sample/PortSetup.h"
#include "tools/sample/PrinterOids.h"
#include "tests/support/WaitUntil.h"

extern "C" MONITOR2* InitializePrintMonitor2(MONITORINIT* pMonitorInit, HANDLE* phMonitor);

namespace kvtest {
namespace {

constexpr char16_t kMonitorRoot[] = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\KV Queue Monitor";

}  // namespace

DWORD ManagerReader::Dword(const char* name, DWORD otherwise) {
    DWORD manager = 0;
    if (srm_.open == nullptr || srm_.open(kQueuePrinter, nullptr, 3, &manager) != 0) return otherwise;
    DWORD value = 0;
    DWORD needed = 0;
    const DWORD rc = srm_.get(manager, name, &value, sizeof value, &needed);
    srm_.close(manager);
    return rc == 0 && needed == sizeof value ? value : otherwise;
}

size_t ManagerReader::Updates(const std::u16string& variable) {
    if (srm_.updates == nullptr) return 0;
    std::vector<SRM_UPDATE_RECORD> records(srm_.updates(nullptr, 0));
    records.resize(srm_.updates(records.data(), static_cast<DWORD>(records.size())));
    size_t count = 0;
    for (const auto& r : records) count += std::u16string(reinterpret_cast<const char16_t*>(r.variable)) == variable;
    return count;
}

std::string JcidFor(DWORD jobId) {
    std::string jcid = "JCID" + std::to_string(jobId);
    jcid.append(45 - jcid.size(), 'A');
    return jcid;
}

std::vector<BYTE> PjlJob(const std::string& jcid, size_t body) {
    std::string head = "\x1b%-12345X@PJL JOB NAME=\"";
    head.append("KV JOB NAME 0123456789AB");  // 24 characters
    head.append("\" @JCID=\"");
    head.append(jcid);
    head.append("\"\r\n@PJL ENTER LANGUAGE=VRTL\r\n");
    std::vector<BYTE> bytes(head.size() + body, 0x55);
    std::memcpy(bytes.data(), head.data(), head.size());
    return bytes;
}

void QueueTest::SetUp() {
    StandInTest::SetUp();
    standin::monitor::Reset();
    standin::PrinterSetup printer;
    printer.name = kQueuePrinter;
    printer.port = kQueuePort;
    printer.driverName = kTestDriver;
    ASSERT_NO_FATAL_FAILURE(AddSpoolerPrinter(printer));
    standin::monitor::SetPorts({{kQueuePort, u"TCPMON.DLL", u"Standard TCP/IP Port", PORT_TYPE_WRITE}});
    AddStatusVariablesKey();
    WriteFile(u"C:\\Windows\\ZEVLMLOG.INI", "[ZEVKV-TD520]\r\nMODE=1\r\nMAGIC=65535\r\n");  // every flag
    LoadAgentPrinter();

    ASSERT_TRUE(langmon::StartMonitorProcess(nullptr));
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMonitorRoot, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root_, nullptr),
              0);
    // Milliseconds for every wait, so that no test waits for seconds.
    SetRootWaits(root_, ShortRootWaits(20, {{u"EndedJobRecordPause", 5},
                                            {u"StatusQueuedInterval", 10},
                                            {u"StatusIdleInterval", 50},
                                            {u"SuspendAckTimeout", 300}}));
    static int spoolerToken;
    init_ = MONITORINIT{sizeof(MONITORINIT), &spoolerToken, root_, standin::monitor::SpoolerRegistryFunctions(), TRUE,
                        nullptr};
    table_ = InitializePrintMonitor2(&init_, &monitor_);
    ASSERT_NE(table_, nullptr);
}

void QueueTest::TearDown() {
    Close();
    if (table_ != nullptr) table_->pfnShutdown(monitor_);
    if (root_ != nullptr) RegCloseKey(root_);
    langmon::EndMonitorProcess();
    StandInTest::TearDown();
}

void QueueTest::LoadAgentPrinter() {
    agent_.LoadPrinter();
    agent_.SetInteger(kTrayLevelOid, 0);
}

HANDLE QueueTest::Open() {
    std::u16string portName = kQueuePort;
    std::u16string printerName = kQueuePrinter;
    if (!table_->pfnOpenPortEx(monitor_, standin::monitor::FilePortMonitor(), portName.data(), printerName.data(),
                               &handle_, standin::monitor::FilePortMonitorTable())) {
        return nullptr;
    }
    port_ = langmon::PortFromHandle(handle_);
    // The polling thread runs already: the SNMP settings belong to the holder of the port.
    langmon::PortHold hold(*port_);
    if (!hold.Take()) return nullptr;
    AimAtAgent(*port_, agent_);
    return handle_;
}

void QueueTest::Close() {
    if (handle_ == nullptr) return;
    EXPECT_TRUE(table_->pfnClosePort(handle_));
    handle_ = nullptr;
    port_ = nullptr;
}

BOOL QueueTest::Start(DWORD jobId) {
    return StartJobDocument(table_, handle_, kQueuePrinter, jobId);
}

bool QueueTest::Write(const std::vector<BYTE>& bytes) { return WritePortAll(table_, handle_, bytes); }

BOOL QueueTest::End() { return table_->pfnEndDocPort(handle_); }

bool QueueTest::RunJob(DWORD jobId, const std::vector<BYTE>& bytes) {
    return Start(jobId) && Write(bytes) && End();
}

bool QueueTest::WaitSupported() {
    return WaitFor([this] { return (port_->State & langmon::port_state::DeviceSupported) != 0; });
}

bool QueueTest::WaitFor(const std::function<bool()>& done, int limitMs) { return WaitUntil(done, limitMs); }

DWORD QueueTest::QueueLength() { return static_cast<DWORD>(QueuedJobs().size()); }

std::vector<DWORD> QueueTest::QueuedJobs() {
    std::vector<DWORD> jobs;
    langmon::PortLockHold lock(*port_);
    for (const langmon::JobQueueEntry* e = port_->QueueHead; e != nullptr; e = e->Next) jobs.push_back(e->JobId);
    return jobs;
}

std::string QueueTest::Trace() {
    const std::vector<BYTE> bytes = ReadFile(kQueueTrace);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<ReceivedRequest> QueueTest::Sets() const {
    std::vector<ReceivedRequest> sets;
    for (const auto& request : agent_.Requests()) {
        if (request.pdu == snmp::BerTag::SetRequest) sets.push_back(request);
    }
    return sets;
}

std::vector<DWORD> QueueTest::Commands(DWORD jobId) { return standin::monitor::JobCommands(kQueuePrinter, jobId); }

}  // namespace kvtest
