// The extended window through the host: where it is offered, its frame and strips, its place
// on the screen and in the registry, closing, and its life with the window set.
#include <gtest/gtest.h>

#include "PSW/StatusTables.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "tests/psw_ews/EwsFixture.h"

namespace kvtest {
namespace {

using ExtendedWindow = EwsTest;

TEST_F(ExtendedWindow, IsOfferedOnlyForLocalPortsWithAFullConnection) {
    struct Case {
        const char* printer;
        const char16_t* port;
        DWORD extStatus;
        bool shown;
    } const cases[] = {
        {"P usb", u"USB001", 7, true},      {"P lpt", u"LPT1:", 7, true},     {"P zev", u"ZEVUSB2", 7, true},
        {"P ip", u"IP_127.0.0.1", 7, false}, {"P short", u"USB001", 3, false}, {"P lower", u"usb001", 7, false},
    };
    for (const Case& c : cases) {
        std::u16string name(c.printer, c.printer + std::char_traits<char>::length(c.printer));
        AddPrinter(name, c.port, c.extStatus);
        HWND ews = nullptr;
        const HWND main = Create(c.printer, &ews);
        ASSERT_TRUE(IsWindow(ews)) << c.printer;
        EXPECT_FALSE(IsWindowVisible(ews)) << "created hidden";
        EXPECT_EQ(host_.Show(main, 2), 0u);
        host_.Pump();
        EXPECT_EQ(IsWindowVisible(ews) != FALSE, c.shown) << c.printer;
        EXPECT_FALSE(IsWindowVisible(main)) << "mode 2 shows only the extended window";
        host_.Destroy(main);
    }
}

}  // namespace
}  // namespace kvtest
