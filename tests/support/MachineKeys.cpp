#include "tests/support/MachineKeys.h"

#include <gtest/gtest.h>

#include "platform/Registry.h"

namespace kvtest {

void SetMachineValue(const std::u16string& key, const std::u16string& name, DWORD type, const void* bytes, DWORD cb) {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr),
              0);
    RegSetValueExW(handle, name.c_str(), 0, type, static_cast<const BYTE*>(bytes), cb);
    RegCloseKey(handle);
}

void SetMachineDword(const std::u16string& key, const std::u16string& name, DWORD value) {
    SetMachineValue(key, name, REG_DWORD, &value, sizeof value);
}

void SetMachineString(const std::u16string& key, const std::u16string& name, const std::u16string& value) {
    SetMachineValue(key, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(char16_t)));
}

void AddStatusVariablesKey(const std::u16string& driver) {
    std::u16string path = u"SOFTWARE\\ZEV\\Stanvel\\Printers\\";
    path.append(driver);
    path.append(u"\\Status Variables");
    HKEY watched = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &watched, nullptr),
              0);
    RegCloseKey(watched);
}

}  // namespace kvtest
