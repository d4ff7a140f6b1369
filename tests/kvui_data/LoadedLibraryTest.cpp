// The library loaded by name as the spooler loads it: the printer's first initialisation
// writes its data from the library's own resources, and the capabilities and conversion
// exports answer through the export table.
#include <string>
#include <vector>

#include "platform/DriverUi.h"
#include "tests/kvui_data/DataFixture.h"
#include "ui/data/PrinterDataValues.h"

namespace kvuidata {
namespace {

using PrinterEventFn = BOOL (*)(LPWSTR, int, DWORD, LPARAM);
using DeviceCapabilitiesFn = DWORD (*)(HANDLE, LPWSTR, WORD, void*, DEVMODEW*);
using ConvertDevModeFn = BOOL (*)(LPWSTR, DEVMODEW*, DEVMODEW*, LONG*, DWORD);

class LoadedLibraryTest : public kvtest::StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        kvtest::InstallSamplePrinter();
        library_ = LoadLibraryW(u"" KV_UI_MODULE);
        ASSERT_NE(library_, nullptr) << "the user-interface library does not load: " << GetLastError();
    }
    void TearDown() override {
        if (library_ != nullptr) FreeLibrary(library_);
        EXPECT_EQ(standin::OpenPrinterHandleCount(), 0u);
        StandInTest::TearDown();
    }
    template <typename Fn>
    Fn Export(const char* name) {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library_, name)));
    }

    HMODULE library_ = nullptr;
};

TEST_F(LoadedLibraryTest, TheFirstInitialisationWritesThePrintersDataAndTheCapabilitiesReadIt) {
    auto event = Export<PrinterEventFn>("DrvPrinterEvent");
    auto capabilities = Export<DeviceCapabilitiesFn>("DrvDeviceCapabilities");
    ASSERT_NE(event, nullptr);
    ASSERT_NE(capabilities, nullptr);
    std::u16string name = kvtest::kSamplePrinterName;
    ASSERT_TRUE(event(name.data(), PRINTER_EVENT_INITIALIZE, 0, 0));

    const kvtest::ScopedPrinter printer(name, PRINTER_ALL_ACCESS);
    EXPECT_EQ(ReadValue(printer.handle(), u"TBL_TTSubstTable").bytes.size(), 200u);
    EXPECT_EQ(ReadValue(printer.handle(), u"TBL_OutPaperTable").bytes.size(), 372u);
    EXPECT_EQ(ReadValue(printer.handle(), u"DAT_CurDevHTInfo1200").bytes.size(), 132u);
    const StoredValue memory = ReadValue(printer.handle(), u"DEV_Memory");
    ASSERT_EQ(memory.type, REG_DWORD);

    // A memory size set in the printer's data is what the capabilities report.
    WriteValue(printer.handle(), u"DEV_Memory", REG_DWORD, DwordBytes(524288));
    EXPECT_EQ(capabilities(printer.handle(), name.data(), DC_PRINTERMEM, nullptr, nullptr), 524288u);
    EXPECT_EQ(capabilities(printer.handle(), name.data(), DC_SIZE, nullptr, nullptr), 220u);
}

TEST_F(LoadedLibraryTest, TheConversionExportBuildsTheDriverDefaults) {
    auto convert = Export<ConvertDevModeFn>("DrvConvertDevMode");
    ASSERT_NE(convert, nullptr);
    std::u16string name = kvtest::kSamplePrinterName;
    std::vector<BYTE> out(2208, 0);
    LONG cb = 2207;
    EXPECT_FALSE(convert(name.data(), nullptr, reinterpret_cast<DEVMODEW*>(out.data()), &cb, CDM_DRIVER_DEFAULT));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(cb, 2208);
    EXPECT_TRUE(convert(name.data(), nullptr, reinterpret_cast<DEVMODEW*>(out.data()), &cb, CDM_DRIVER_DEFAULT));
    EXPECT_EQ(reinterpret_cast<const DEVMODEW*>(out.data())->dmSize, 220);
}

}  // namespace
}  // namespace kvuidata
