#pragma once
// A registry key below HKEY_LOCAL_MACHINE opened for reading, closed on every path out.
#include "platform/Registry.h"

namespace langmon {

class RegKey {
public:
    RegKey() = default;
    ~RegKey() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    bool Open(LPCWSTR path) { return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key_) == ERROR_SUCCESS; }
    bool Open(LPCSTR path) { return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key_) == ERROR_SUCCESS; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

}  // namespace langmon
