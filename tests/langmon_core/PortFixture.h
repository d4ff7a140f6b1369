#pragma once
// A port context made directly from the monitor's library, on the file port monitor, for the
// parts the MONITOR2 entries reach only on followed ports.
#include "tests/support/FilePortContexts.h"

namespace kvtest {

class PortContextTest : public FilePortContextTest {
protected:
    void SetUp() override;
};

}  // namespace kvtest
