#pragma once
// The printer-data and capabilities tests' fixtures: the sample printer in a fresh stand-in
// root, opened with the right to write its data, its model description, the library's own
// resources as the library's instance, and helpers that read back what was written.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"
#include "platform/StandIn.h"
#include "settings/DefaultSettings.h"
#include "settings/ModelCache.h"
#include "tests/support/TestRoot.h"
#include "tools/sample/SamplePrinter.h"
#include "ui/entry/UiEntry.h"

namespace kvuidata {

/// A printer-data value as stored: absent, or its type and bytes.
struct StoredValue {
    bool present = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;

    DWORD AsDword() const {
        DWORD value = 0;
        if (bytes.size() == sizeof value) std::memcpy(&value, bytes.data(), sizeof value);
        return value;
    }
};

inline StoredValue ReadValue(HANDLE printer, const std::u16string& name, const std::u16string& key = u"PrinterDriverData") {
    StoredValue value;
    DWORD cbNeeded = 0;
    DWORD status = GetPrinterDataExW(printer, key.c_str(), name.c_str(), &value.type, nullptr, 0, &cbNeeded);
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) return value;
    value.present = true;
    value.bytes.resize(cbNeeded);
    if (cbNeeded != 0)
        GetPrinterDataExW(printer, key.c_str(), name.c_str(), &value.type, value.bytes.data(), cbNeeded, &cbNeeded);
    return value;
}

inline void WriteValue(HANDLE printer, const std::u16string& name, DWORD type, const std::vector<BYTE>& bytes) {
    ASSERT_EQ(SetPrinterDataW(printer, const_cast<LPWSTR>(name.c_str()), type, const_cast<BYTE*>(bytes.data()),
                              static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS)
        << kvtest::U8(name);
}

inline std::vector<BYTE> DwordBytes(DWORD value) {
    std::vector<BYTE> bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

/// The user's locale as GetUserLocale reads it ("00000411" Japanese, "00000409" English).
inline void SetUserLocale(const char16_t* locale) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Control Panel\\International", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, u"Locale", 0, REG_SZ, reinterpret_cast<const BYTE*>(locale),
                   static_cast<DWORD>((std::char_traits<char16_t>::length(locale) + 1) * sizeof(char16_t)));
    RegCloseKey(key);
}

/// The library's code linked into the test, attached with the library's resources module as
/// its instance (which also sets up this process's settings lock); the sample printer opened
/// with every right, and its model description.
class LinkedDataTest : public kvtest::StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        resources_ = LoadLibraryW(u"KVUIRES");
        ASSERT_NE(resources_, nullptr) << "the library's resources do not load";
        InitializeUiLibrary(resources_, DLL_PROCESS_ATTACH);
        InstallPrinter({});
    }
    void TearDown() override {
        Close();
        InitializeUiLibrary(resources_, DLL_PROCESS_DETACH);
        if (resources_ != nullptr) FreeLibrary(resources_);
        EXPECT_EQ(standin::OpenPrinterHandleCount(), 0u) << "a printer handle was left open";
        StandInTest::TearDown();
    }

    /// (Re)installs the sample printer with these options and opens it.
    void InstallPrinter(const kvtest::SamplePrinterOptions& options) {
        Close();
        standin::ResetSpooler();
        kvtest::InstallSamplePrinter(options);
        std::u16string name = options.name;
        PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
        ASSERT_TRUE(OpenPrinterW(name.data(), &printer_, &defaults));
        model_ = AcquireModelDescription(printer_);
        ASSERT_NE(model_, nullptr);
    }
    void Close() {
        if (model_ != nullptr) ReleaseModelDescription(model_);
        model_ = nullptr;
        if (printer_ != nullptr) ClosePrinter(printer_);
        printer_ = nullptr;
    }
    DriverDevMode Defaults() const {
        DriverDevMode block{};
        BuildDefaultDevMode(&block, printer_, nullptr, model_);
        return block;
    }

    HMODULE resources_ = nullptr;
    HANDLE printer_ = nullptr;
    const ModelDescription* model_ = nullptr;
};

}  // namespace kvuidata
