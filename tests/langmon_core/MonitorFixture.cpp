#include "tests/langmon_core/MonitorFixture.h"

#include "platform/Kernel.h"
#include "tests/support/MonitorPass.h"

namespace kvtest {

void MonitorTest::SetUp() {
    StandInTest::SetUp();
    standin::monitor::Reset();
    standin::PrinterSetup printer;
    printer.name = u"KV Printer";
    standin::AddPrinter(printer);
    ASSERT_TRUE(host_.Load(U16(KV_LANGMON_MODULE), u"KV Language Monitor"));
    // Waits in milliseconds, so no test waits for seconds.
    host_.SetRootValue(u"PortMutexTimeout", 300);
    host_.SetRootValue(u"ClosePortTimeout", 100);
    host_.SetRootValue(u"ClosePortPollInterval", 5);
    host_.SetRootValue(u"PendingOutputTimeout", 50);
    host_.SetRootValue(u"RetryPause", 1);
    host_.SetRootValue(u"ComPortPause", 1);
    host_.SetRootValue(u"LostEndDocTimeout", 10000);
    host_.SetRootValue(u"ServiceMutexTimeout", 50);
    host_.SetRootValue(u"ServiceAnswerTimeout", 100);
    // The waits are read at initialisation: start again with them in place.
    host_.Unload();
    ASSERT_TRUE(host_.Load(U16(KV_LANGMON_MODULE), u"KV Language Monitor"));
    table_ = host_.Table();
}

void MonitorTest::Reload(const std::u16string& wait, DWORD milliseconds) {
    host_.SetRootValue(wait, milliseconds);
    host_.Unload();
    ASSERT_TRUE(host_.Load(U16(KV_LANGMON_MODULE), u"KV Language Monitor"));
    table_ = host_.Table();
}

void MonitorTest::TearDown() {
    host_.Unload();
    StandInTest::TearDown();
}

HANDLE MonitorTest::Open(const std::u16string& port, const std::u16string& printer) {
    std::u16string portName = port;
    std::u16string printerName = printer;
    HANDLE handle = nullptr;
    if (!table_->pfnOpenPortEx(host_.Monitor(), standin::monitor::FilePortMonitor(), portName.data(),
                               printerName.data(), &handle, standin::monitor::FilePortMonitorTable())) {
        return nullptr;
    }
    return handle;
}

bool MonitorTest::WriteAll(HANDLE port, const std::vector<BYTE>& bytes) {
    return WritePortAll(table_, port, bytes);
}

bool MonitorTest::RunJob(HANDLE port, DWORD jobId, const std::vector<std::vector<BYTE>>& chunks,
                         const std::u16string& printer) {
    std::u16string printerName = printer;
    std::u16string doc = u"Job " + U16(std::to_string(jobId));
    DOC_INFO_1W info{doc.data(), nullptr, nullptr};
    if (!table_->pfnStartDocPort(port, printerName.data(), jobId, 1, reinterpret_cast<LPBYTE>(&info))) return false;
    for (const auto& chunk : chunks) {
        if (!WriteAll(port, chunk)) return false;
    }
    return table_->pfnEndDocPort(port) != FALSE;
}

std::vector<BYTE> JobBytes(DWORD jobId, size_t size) {
    std::vector<BYTE> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<BYTE>(i % 2 == 0 ? jobId : (i / 2) & 0xFF);
    return bytes;
}

}  // namespace kvtest
