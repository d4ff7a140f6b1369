// The file port monitor's record of calls in a long job: the newest calls stay readable in
// order while the oldest are forgotten, and the document keeps every byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Monitor.h"
#include "platform/StandInMonitor.h"
#include "tests/support/TestRoot.h"

namespace {

namespace monitor = standin::monitor;

class FilePortRecordsTest : public kvtest::StandInTest {};

TEST_F(FilePortRecordsTest, ALongJobKeepsTheNewestCallsAndEveryByte) {
    MONITOR2* table = monitor::FilePortMonitorTable();
    std::u16string name = u"LONG1:";
    HANDLE port = nullptr;
    ASSERT_TRUE(table->pfnOpenPort(monitor::FilePortMonitor(), name.data(), &port));
    std::u16string printer = u"KV Printer";
    ASSERT_TRUE(table->pfnStartDocPort(port, printer.data(), 9, 1, nullptr));
    // Writes of 1 to 3 bytes, so that each record tells which write it was.
    const size_t writes = monitor::kMaxCallRecords + 2;
    size_t bytes = 0;
    for (size_t i = 0; i < writes; ++i) {
        BYTE data[3] = {'a', 'b', 'c'};
        const DWORD cb = static_cast<DWORD>(i % 3 + 1);
        DWORD written = 0;
        ASSERT_TRUE(table->pfnWritePort(port, data, cb, &written));
        bytes += written;
    }
    ASSERT_TRUE(table->pfnEndDocPort(port));
    ASSERT_TRUE(table->pfnClosePort(port));

    const std::vector<std::string> calls = monitor::PortCalls(name);
    ASSERT_EQ(calls.size(), monitor::kMaxCallRecords);
    // OpenPort, StartDocPort and the first writes are gone; the rest are in order.
    const size_t firstKept = writes + 4 - monitor::kMaxCallRecords - 2;  // index among the writes
    const size_t keptCb = firstKept % 3 + 1;
    EXPECT_EQ(calls.front(), "WritePort " + std::to_string(keptCb) + "/" + std::to_string(keptCb));
    const size_t lastCb = (writes - 1) % 3 + 1;
    EXPECT_EQ(calls[calls.size() - 3], "WritePort " + std::to_string(lastCb) + "/" + std::to_string(lastCb));
    EXPECT_EQ(calls[calls.size() - 2], "EndDocPort");
    EXPECT_EQ(calls.back(), "ClosePort");

    const std::vector<monitor::PortDocument> documents = monitor::PortDocuments(name);
    ASSERT_EQ(documents.size(), 1u);
    EXPECT_EQ(documents[0].bytes.size(), bytes);
    EXPECT_TRUE(documents[0].ended);
}

}  // namespace
