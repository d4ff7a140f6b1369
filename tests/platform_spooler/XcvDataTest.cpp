// A port's configuration handle (",XcvPort <port>") and the address its port monitor keeps.
#include <cstring>

#include "platform/Registry.h"
#include "tests/platform_spooler/SpoolerTestSupport.h"

namespace kvtest {
namespace {

class XcvDataTest : public SpoolerTest {
protected:
    void SetAddress(const std::u16string& port, const std::u16string& address) {
        const std::u16string path =
            u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\" + port;
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  0);
        RegSetValueExW(key, u"IPAddress", 0, REG_SZ, reinterpret_cast<const BYTE*>(address.c_str()),
                       static_cast<DWORD>((address.size() + 1) * sizeof(char16_t)));
        RegCloseKey(key);
    }
    HANDLE OpenXcv(const std::u16string& port) {
        std::u16string name = u",XcvPort " + port;
        HANDLE xcv = nullptr;
        return OpenPrinterW(name.data(), &xcv, nullptr) ? xcv : nullptr;
    }
};

TEST_F(XcvDataTest, AnswersTheAddressWithTheSizeProtocol) {
    SetAddress(u"IP_1", u"127.0.0.9");
    HANDLE xcv = OpenXcv(u"IP_1");
    ASSERT_NE(xcv, nullptr);
    DWORD needed = 0;
    DWORD status = 0;
    WCHAR small[4] = {};
    ASSERT_TRUE(XcvDataW(xcv, u"IPAddress", nullptr, 0, reinterpret_cast<PBYTE>(small), sizeof small, &needed, &status));
    EXPECT_EQ(status, ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(needed, 10 * sizeof(WCHAR));
    WCHAR value[32] = {};
    ASSERT_TRUE(XcvDataW(xcv, u"IPAddress", nullptr, 0, reinterpret_cast<PBYTE>(value), sizeof value, &needed, &status));
    EXPECT_EQ(status, ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(value), u"127.0.0.9");
    ASSERT_TRUE(XcvDataW(xcv, u"HostName", nullptr, 0, reinterpret_cast<PBYTE>(value), sizeof value, &needed, &status));
    EXPECT_EQ(status, ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(ClosePrinter(xcv));
}

TEST_F(XcvDataTest, RefusesWhatIsNoPortConfiguration) {
    // A port without an address answers "not found"; a printer handle or a stale one is no
    // configuration handle; an empty port name opens nothing.
    HANDLE xcv = OpenXcv(u"IP_2");
    ASSERT_NE(xcv, nullptr);
    DWORD needed = 0;
    DWORD status = 0;
    WCHAR value[32] = {};
    ASSERT_TRUE(XcvDataW(xcv, u"IPAddress", nullptr, 0, reinterpret_cast<PBYTE>(value), sizeof value, &needed, &status));
    EXPECT_EQ(status, ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(ClosePrinter(xcv));
    EXPECT_FALSE(XcvDataW(xcv, u"IPAddress", nullptr, 0, reinterpret_cast<PBYTE>(value), sizeof value, &needed, &status));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(OpenXcv(u""), nullptr);
}

}  // namespace
}  // namespace kvtest
