#include "tests/langmon_core/MonitorFixture.h"

#include "platform/Kernel.h"
#include "tests/support/MonitorSetup.h"
#include "tools/sample/MonitorPass.h"

namespace kvtest {

void MonitorTest::SetUp() {
    StandInTest::SetUp();
    // Waits in milliseconds, so no test waits for seconds.
    ASSERT_NO_FATAL_FAILURE(LoadMonitorForPrinter(host_, U16(KV_LANGMON_MODULE), u"KV Printer",
                                                  ShortRootWaits(50, {{u"ComPortPause", 1},
                                                                      {u"LostEndDocTimeout", 10000},
                                                                      {u"ServiceMutexTimeout", 50},
                                                                      {u"ServiceAnswerTimeout", 100}})));
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
    return OpenFilePort(table_, host_.Monitor(), port, printer);
}

bool MonitorTest::WriteAll(HANDLE port, const std::vector<BYTE>& bytes) {
    return WritePortAll(table_, port, bytes);
}

bool MonitorTest::RunJob(HANDLE port, DWORD jobId, const std::vector<std::vector<BYTE>>& chunks,
                         const std::u16string& printer) {
    if (!StartJobDocument(table_, port, printer, jobId)) return false;
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
