#include "tests/langmon_core/PortFixture.h"

namespace kvtest {

void PortContextTest::SetUp() {
    FilePortContextTest::SetUp();
    monitor_.Waits.PendingOutputMs = 30;
    monitor_.Waits.ServiceMutexMs = 30;
    monitor_.Waits.ServiceAnswerMs = 50;
}

}  // namespace kvtest
