#pragma once
// Shared set-up of the status window's base tests: a printer "P1" of driver "KV-TD520", the
// driver's machine key with its language-library and help folders, and a zeroed record for
// the printer on the NT family.
#include <cstring>
#include <memory>
#include <string>

#include "psw/PswRecord.h"
#include "platform/Registry.h"
#include "platform/StandInShell.h"
#include "platform/StandInUi.h"
#include "tests/support/TestRoot.h"

namespace kvtest {

inline constexpr char16_t kPswDriverKey[] = u"Software\\ZEV\\Stanvel\\Printers\\KV-TD520";

class PswBaseTest : public StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        standin::PrinterSetup printer;
        printer.name = u"P1";
        standin::AddPrinter(printer);
        record_ = std::make_unique<PSWDATA>();
        record_->osVersion.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
        record_->osVersion.dwPlatformId = 2;
        record_->osVersion.dwMajorVersion = 6;
        std::u16string(u"P1").copy(record_->printerName, 2);
        std::strcpy(record_->driverName, "KV-TD520");
    }
    void TearDown() override {
        standin::ui::ResetUi();
        standin::ui::ResetShell();
        StandInTest::TearDown();
    }
    static void SetString(HKEY root, const std::u16string& key, LPCWSTR name, const std::u16string& value) {
        HKEY k = nullptr;
        ASSERT_EQ(RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), 0);
        RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR)));
        RegCloseKey(k);
    }
    static void SetValue(HKEY root, const std::u16string& key, LPCWSTR name, DWORD type, const void* data, DWORD cb) {
        HKEY k = nullptr;
        ASSERT_EQ(RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), 0);
        RegSetValueExW(k, name, 0, type, static_cast<const BYTE*>(data), cb);
        RegCloseKey(k);
    }
    static void SetDword(HKEY root, const std::u16string& key, LPCWSTR name, DWORD value) {
        SetValue(root, key, name, REG_DWORD, &value, sizeof(value));
    }
    static bool HasKey(HKEY root, const std::u16string& key) {
        HKEY k = nullptr;
        if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &k) != 0) return false;
        RegCloseKey(k);
        return true;
    }

    std::unique_ptr<PSWDATA> record_;
};

}  // namespace kvtest
