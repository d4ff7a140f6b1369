#pragma once
// Shared set-up of the settings-services tests: a printer with a driver path and registry
// values written through the platform's own calls.
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/Spooler.h"
#include "platform/StandIn.h"
#include "tests/support/TestRoot.h"

namespace kvtest {

inline constexpr char16_t kPrinterName[] = u"KV-TD520";
inline constexpr char16_t kDriverPath[] = u"C:\\drv\\ABCDEFGH.DLL";

/// A printer handle closed when the test leaves its scope, also on a failed assertion.
class ScopedPrinter {
public:
    ScopedPrinter() {
        std::u16string name = kPrinterName;
        EXPECT_TRUE(OpenPrinterW(name.data(), &printer_, nullptr));
    }
    ~ScopedPrinter() {
        if (printer_ != nullptr) ClosePrinter(printer_);
    }
    ScopedPrinter(const ScopedPrinter&) = delete;
    ScopedPrinter& operator=(const ScopedPrinter&) = delete;
    HANDLE Get() const { return printer_; }

private:
    HANDLE printer_ = nullptr;
};

class ServicesTest : public StandInTest {
protected:
    void AddSamplePrinter(const std::u16string& driverPath = kDriverPath, DWORD attributes = PRINTER_ATTRIBUTE_LOCAL) {
        standin::PrinterSetup setup;
        setup.name = kPrinterName;
        setup.driverPath = driverPath;
        setup.dataFile = u"C:\\drv\\ABCDEFGH.DAT";
        setup.attributes = attributes;
        standin::AddPrinter(setup);
    }

    /// Stores raw bytes as a value, creating the key.
    void SetRegistryValue(HKEY root, const std::u16string& subKey, const std::u16string& name, DWORD type,
                          const std::vector<BYTE>& bytes) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                  &key, nullptr),
                  static_cast<LONG>(ERROR_SUCCESS));
        ASSERT_EQ(RegSetValueExW(key, name.c_str(), 0, type, bytes.data(), static_cast<DWORD>(bytes.size())),
                  static_cast<LONG>(ERROR_SUCCESS));
        RegCloseKey(key);
    }

    /// A REG_SZ value of the text, with its terminator unless told otherwise.
    void SetRegistryText(HKEY root, const std::u16string& subKey, const std::u16string& name,
                         const std::u16string& text, bool terminated = true) {
        std::vector<BYTE> bytes = Utf16LeBytes(text, false);
        if (terminated) bytes.insert(bytes.end(), {0, 0});
        SetRegistryValue(root, subKey, name, REG_SZ, bytes);
    }
};

}  // namespace kvtest
