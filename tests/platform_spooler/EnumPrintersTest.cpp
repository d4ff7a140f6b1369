// The local printer list (EnumPrintersW), the driver's language monitor in DRIVER_INFO_3W,
// and a printer deleted while a handle is open on it.
#include <vector>

#include "tests/platform_spooler/SpoolerTestSupport.h"

namespace kvtest {
namespace {

class EnumPrintersTest : public SpoolerTest {
protected:
    void SetUp() override {
        SpoolerTest::SetUp();
        standin::PrinterSetup bidi;
        bidi.name = u"Bidi Printer";
        bidi.port = u"IP_10.0.0.5";
        bidi.attributes = PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_ENABLE_BIDI;
        bidi.monitorName = u"KV Language Monitor";
        standin::AddPrinter(bidi);
    }

    /// The two calls; the buffer is the second call's, sized by the first.
    static std::vector<BYTE> Enum(DWORD level, DWORD* returned) {
        DWORD needed = 0;
        *returned = kSentinel;
        EXPECT_FALSE(EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, level, nullptr, 0, &needed, returned));
        EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
        EXPECT_EQ(*returned, 0u);
        std::vector<BYTE> buffer(needed);
        // One byte short still fails and leaves the buffer alone.
        std::vector<BYTE> shorter(needed - 1, 0xCD);
        DWORD again = 0;
        EXPECT_FALSE(EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, level, shorter.data(), needed - 1, &again, returned));
        EXPECT_EQ(again, needed);
        EXPECT_EQ(shorter, std::vector<BYTE>(needed - 1, 0xCD));
        EXPECT_TRUE(EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, level, buffer.data(), needed, &needed, returned));
        return buffer;
    }
};

TEST_F(EnumPrintersTest, ListsEveryLocalPrinterAtEachLevel) {
    DWORD returned = 0;
    {
        const std::vector<BYTE> buffer = Enum(5, &returned);
        ASSERT_EQ(returned, 2u);
        auto* info = reinterpret_cast<const PRINTER_INFO_5W*>(buffer.data());
        EXPECT_EQ(PackedString(buffer, info[0].pPrinterName), kSamplePrinterName);
        EXPECT_EQ(PackedString(buffer, info[0].pPortName), u"LPT1:");
        EXPECT_EQ(info[0].Attributes & PRINTER_ATTRIBUTE_ENABLE_BIDI, 0u);
        EXPECT_EQ(PackedString(buffer, info[1].pPrinterName), u"Bidi Printer");
        EXPECT_EQ(PackedString(buffer, info[1].pPortName), u"IP_10.0.0.5");
        EXPECT_EQ(info[1].Attributes, PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_ENABLE_BIDI);
    }
    {
        const std::vector<BYTE> buffer = Enum(2, &returned);
        ASSERT_EQ(returned, 2u);
        auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
        EXPECT_EQ(PackedString(buffer, info[1].pPrinterName), u"Bidi Printer");
        EXPECT_EQ(PackedString(buffer, info[1].pDriverName), u"KV-TD520");
        EXPECT_EQ(info[1].pDevMode, nullptr);
        EXPECT_TRUE(Inside(buffer, info[0].pDevMode, sizeof(DEVMODEW)));
    }
    {
        const std::vector<BYTE> buffer = Enum(1, &returned);
        ASSERT_EQ(returned, 2u);
        auto* info = reinterpret_cast<const PRINTER_INFO_1W*>(buffer.data());
        EXPECT_EQ(PackedString(buffer, info[0].pName), kSamplePrinterName);
        EXPECT_EQ(PackedString(buffer, info[1].pName), u"Bidi Printer");
    }
}

TEST_F(EnumPrintersTest, RefusesWhatItDoesNotList) {
    struct Case {
        const char* what;
        DWORD flags;
        const char16_t* server;
        DWORD level;
        DWORD error;
    };
    const Case cases[] = {
        {"connections", 0x4, nullptr, 5, ERROR_INVALID_PARAMETER},
        {"another server", PRINTER_ENUM_LOCAL, u"\\\\server", 5, ERROR_INVALID_PARAMETER},
        {"level 3", PRINTER_ENUM_LOCAL, nullptr, 3, ERROR_INVALID_LEVEL},
        {"level 4", PRINTER_ENUM_LOCAL, nullptr, 4, ERROR_INVALID_LEVEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::u16string server = c.server != nullptr ? c.server : u"";
        DWORD needed = kSentinel, returned = kSentinel;
        SetLastError(kSentinel);
        EXPECT_FALSE(EnumPrintersW(c.flags, c.server != nullptr ? server.data() : nullptr, c.level, nullptr, 0, &needed,
                                   &returned));
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_EQ(returned, 0u);
    }
    DWORD needed = 0;
    EXPECT_FALSE(EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 5, nullptr, 0, &needed, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(EnumPrintersTest, DriverRecordNamesTheLanguageMonitor) {
    struct Case {
        const char16_t* printer;
        const char16_t* monitor;
    };
    for (const Case c : {Case{u"Bidi Printer", u"KV Language Monitor"}, Case{kSamplePrinterName, u""}}) {
        SCOPED_TRACE(U8(c.printer));
        HANDLE printer = Open(c.printer);
        ASSERT_NE(printer, nullptr);
        DWORD needed = 0;
        EXPECT_FALSE(GetPrinterDriverW(printer, nullptr, 3, nullptr, 0, &needed));
        std::vector<BYTE> buffer(needed);
        ASSERT_TRUE(GetPrinterDriverW(printer, nullptr, 3, buffer.data(), needed, &needed));
        auto* info = reinterpret_cast<const DRIVER_INFO_3W*>(buffer.data());
        EXPECT_EQ(PackedString(buffer, info->pMonitorName), c.monitor);
        EXPECT_TRUE(ClosePrinter(printer));
    }
}

TEST_F(EnumPrintersTest, DeletedPrinterLeavesTheListButOpenHandlesWork) {
    HANDLE open = Open(u"Bidi Printer");
    ASSERT_NE(open, nullptr);
    standin::RemovePrinter(u"Bidi Printer");
    DWORD returned = 0;
    const std::vector<BYTE> buffer = Enum(5, &returned);
    ASSERT_EQ(returned, 1u);
    EXPECT_EQ(PackedString(buffer, reinterpret_cast<const PRINTER_INFO_5W*>(buffer.data())->pPrinterName),
              kSamplePrinterName);
    EXPECT_EQ(Open(u"Bidi Printer"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_NAME);
    DWORD needed = 0;
    EXPECT_FALSE(GetPrinterW(open, 5, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER) << "the handle still reaches its printer";
    EXPECT_TRUE(ClosePrinter(open));
}

}  // namespace
}  // namespace kvtest
