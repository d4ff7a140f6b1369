#include "tests/langmon_wire/WireFixture.h"

#include <cstring>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Registry.h"
#include "langmon/MonitorProcess.h"
#include "langmon/PortSettings.h"
#include "tools/sample/MonitorPass.h"
#include "tests/support/MonitorSetup.h"
#include "tools/sample/PortSetup.h"
#include "tools/sample/PrinterOids.h"

namespace kvtest {
std::vector<BYTE> ManagerView::Read(const std::u16string& printer, const char* name) {
    DWORD manager = 0;
    if (srm_.open == nullptr || srm_.open(printer.c_str(), nullptr, 3, &manager) != 0) return {};
    std::vector<BYTE> value(1024);
    DWORD needed = 0;
    if (srm_.get(manager, name, value.data(), static_cast<DWORD>(value.size()), &needed) != 0) needed = 0;
    srm_.close(manager);
    value.resize(needed);
    return value;
}

DWORD ManagerView::ReadDword(const std::u16string& printer, const char* name, DWORD otherwise) {
    const std::vector<BYTE> bytes = Read(printer, name);
    if (bytes.size() != sizeof(DWORD)) return otherwise;
    DWORD value = 0;
    std::memcpy(&value, bytes.data(), sizeof value);
    return value;
}

size_t ManagerView::UpdateCount(const std::u16string& variable) {
    if (srm_.updates == nullptr) return 0;
    std::vector<SRM_UPDATE_RECORD> records(srm_.updates(nullptr, 0));
    records.resize(srm_.updates(records.data(), static_cast<DWORD>(records.size())));
    size_t count = 0;
    for (const auto& r : records) {
        if (std::u16string(reinterpret_cast<const char16_t*>(r.variable)) == variable) ++count;
    }
    return count;
}

void WireTest::SetUp() {
    StandInTest::SetUp();
    standin::monitor::Reset();
    agent_.LoadPrinter();
    agent_.SetInteger(kTrayLevelOid, 0);  // the tray holds paper
    standin::PrinterSetup printer;
    printer.name = kWirePrinter;
    printer.port = kWirePort;
    printer.driverName = kTestDriver;
    AddSpoolerPrinter(printer);
    standin::monitor::SetPorts({{kWirePort, u"TCPMON.DLL", u"Standard TCP/IP Port", PORT_TYPE_WRITE},
                                {u"LPT1:", u"Local Port", u"", PORT_TYPE_WRITE}});
    AddStatusVariablesKey();
    WriteIni("MODE=1\r\nMAGIC=65535\r\n");  // every flag: 0x7FFFF
    // Waits in milliseconds, so no test waits for seconds.
    ASSERT_NO_FATAL_FAILURE(
        LoadMonitorWithWaits(host_, U16(KV_LANGMON_MODULE), ShortRootWaits(50, {{u"EndedJobRecordPause", 5}})));
    table_ = host_.Table();
}

void WireTest::TearDown() {
    host_.Unload();
    StandInTest::TearDown();
}

void WireTest::Reload() {
    host_.Unload();
    ASSERT_TRUE(host_.Load(U16(KV_LANGMON_MODULE), u"KV Language Monitor"));
    table_ = host_.Table();
}

void WireTest::WriteIni(const std::string& keys) { WriteFile(u"C:\\Windows\\ZEVLMLOG.INI", "[ZEVKV-TD520]\r\n" + keys); }

HANDLE WireTest::Open(const std::u16string& port) {
    HANDLE handle = OpenFilePort(table_, host_.Monitor(), port, kWirePrinter);
    if (handle == nullptr) return nullptr;
    // The polling thread waits one idle interval before its first read: time enough to aim
    // the port's SNMP client at the agent.
    if (langmon::PortContext* context = langmon::PortFromHandle(handle); context != nullptr) AimAtAgent(*context, agent_);
    return handle;
}

BOOL WireTest::Start(HANDLE port, DWORD jobId) {
    return StartJobDocument(table_, port, kWirePrinter, jobId);
}

bool WireTest::WriteAll(HANDLE port, const std::vector<BYTE>& bytes) {
    return WritePortAll(table_, port, bytes);
}

bool WireTest::RunJob(HANDLE port, DWORD jobId, size_t bytes) {
    if (!Start(port, jobId)) return false;
    if (!WriteAll(port, std::vector<BYTE>(bytes, static_cast<BYTE>(jobId)))) return false;
    return table_->pfnEndDocPort(port) != FALSE;
}

std::string WireTest::Text(const std::u16string& path) {
    const std::vector<BYTE> bytes = ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace kvtest
