// Port kinds from names, the spooler's port list, the registry and redirected devices.
#include "langmon/PortContext.h"
#include "langmon/printer/PortKind.h"
#include "platform/Registry.h"
#include "platform/StandInMonitor.h"
#include "tests/support/TestRoot.h"

namespace kvtest {
namespace {

class PortKindTest : public StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        standin::monitor::Reset();
    }
};

TEST_F(PortKindTest, NameTests) {
    struct Case {
        const char16_t* name;
        bool lpt, com, usb, share;
    } cases[] = {
        {u"LPT1:", true, false, false, false},   {u"LPT10", true, false, false, false},
        {u"lpt9", true, false, false, false},    {u"LPT0:", false, false, false, false},
        {u"LPT", false, false, false, false},    {u"COM3:", false, true, false, false},
        {u"usb001", false, false, true, false},  {u"USB128", false, false, true, false},
        {u"USB129", false, false, false, false}, {u"USB000", false, false, false, false},
        {u"USB1", false, false, false, false},   {u"ZEVUSB_A", false, false, true, false},
        {u"\\\\srv\\prn", false, false, false, true}, {u"\\\\srv\\prn\\x", false, false, false, false},
        {u"\\\\srv", false, false, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(langmon::IsLptPort(c.name), c.lpt) << U8(c.name);
        EXPECT_EQ(langmon::IsComPort(c.name), c.com) << U8(c.name);
        EXPECT_EQ(langmon::IsUsbPort(c.name), c.usb) << U8(c.name);
        EXPECT_EQ(langmon::IsUncSharePort(c.name), c.share) << U8(c.name);
    }
}

TEST_F(PortKindTest, EveryKind) {
    standin::monitor::SetPorts({{u"IP_10.0.0.5", u"TCPMON.DLL", u"Standard TCP/IP Port", PORT_TYPE_WRITE},
                                {u"IP_10.0.0.6", u"Other Monitor", u"", PORT_TYPE_WRITE}});
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE,
                              u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\ZEV TCP/IP DPU Port\\Ports\\DPU_1",
                              0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              0);
    RegCloseKey(key);
    standin::monitor::SetRedirection(u"LPT2", u"\\\\srv\\prn");
    using namespace langmon::port_kind;
    struct Case {
        const char16_t* name;
        DWORD kind;
    } cases[] = {
        {u"IP_10.0.0.5", StandardTcpPort}, {u"IP_10.0.0.6", OtherPort}, {u"DPU_1", DpuTcpPort},
        {u"USB001", LocalPort},            {u"LPT1:", LocalPort},      {u"LPT2:", SharePort},
        {u"COM1:", ComPort},               {u"\\\\srv\\prn", SharePort}, {u"\\\\srv\\prn\\x", OtherPort},
        {u"FILE:", OtherPort},
    };
    for (const Case& c : cases) EXPECT_EQ(langmon::DetectPortKind(c.name, 6), c.kind) << U8(c.name);
}

TEST_F(PortKindTest, OlderSystemsAskThePortType) {
    standin::monitor::SetPorts({{u"USB001", u"USB Monitor", u"", 0}, {u"USB002", u"USB Monitor", u"", PORT_TYPE_WRITE},
                                {u"LPT1:", u"Local Port", u"", PORT_TYPE_WRITE},
                                {u"LPT2:", u"Local Port", u"", PORT_TYPE_WRITE | PORT_TYPE_READ}});
    EXPECT_EQ(langmon::DetectPortKind(u"USB001", 5), langmon::port_kind::LocalPort);
    EXPECT_EQ(langmon::DetectPortKind(u"USB002", 5), langmon::port_kind::OtherPort);
    EXPECT_EQ(langmon::DetectPortKind(u"USB009", 5), langmon::port_kind::LocalPort);  // not listed
    EXPECT_EQ(langmon::DetectPortKind(u"LPT1:", 5), langmon::port_kind::LocalPort);
    EXPECT_EQ(langmon::DetectPortKind(u"LPT2:", 5), langmon::port_kind::OtherPort);
}

}  // namespace
}  // namespace kvtest
