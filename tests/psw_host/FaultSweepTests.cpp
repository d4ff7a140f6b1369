// A window set's creation and destruction under failure: each allocation, registry open and
// library load fails in turn. A creation either gives a whole set that destroys cleanly, or
// answers an error and leaves no window behind; the next creation works either way.
#include <gtest/gtest.h>

#include "platform/StandIn.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "tests/psw_host/HostFixture.h"

namespace kvtest {
namespace {

using WindowSetFaults = PswHostTest;

TEST_F(WindowSetFaults, EachFailedCallGivesAWholeSetOrAnErrorAndNothingLeft) {
    const standin::Fault kinds[] = {standin::Fault::GlobalAlloc, standin::Fault::RegistryOpen,
                                    standin::Fault::LoadLibrary};
    // A first set loads what stays loaded; the windows it leaves are the baseline.
    host_.Destroy(Create());
    host_.Pump();
    const unsigned windows = standin::ui::LiveWindowCount();
    for (const standin::Fault kind : kinds) {
        for (unsigned k = 0;; ++k) {
            SCOPED_TRACE(testing::Message() << "fault " << static_cast<int>(kind) << ", call " << k);
            standin::ClearFaults();
            standin::InjectFault(kind, ERROR_NOT_ENOUGH_MEMORY, k);
            pswhost::WindowSet set;
            const DWORD created = host_.Create(kHostPrinter, &set);
            const bool failed = standin::CallCount(kind) > k;
            standin::ClearFaults();
            if (created == 0) {
                ASSERT_TRUE(IsWindow(set.main));
                EXPECT_TRUE(IsWindow(BaseDialog(set.main)));
                EXPECT_EQ(host_.Destroy(set.main), 0u);
            } else {
                EXPECT_EQ(set.main, nullptr);
            }
            host_.Pump();
            EXPECT_EQ(standin::ui::LiveWindowCount(), windows);
            EXPECT_FALSE(host_.SawQuit());
            if (!failed) break;
        }
    }
    // The class and the thread still serve a set.
    const HWND main = Create();
    EXPECT_TRUE(IsWindow(main));
    host_.Destroy(main);
}

}  // namespace
}  // namespace kvtest
