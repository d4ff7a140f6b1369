#pragma once
// Values below HKEY_LOCAL_MACHINE as an installer leaves them, each key made as needed.
#include <string>

#include "platform/WinTypes.h"

namespace kvtest {

inline constexpr char16_t kTestDriver[] = u"ZEV KV-TD520 (VX)";

void SetMachineValue(const std::u16string& key, const std::u16string& name, DWORD type, const void* bytes, DWORD cb);
void SetMachineDword(const std::u16string& key, const std::u16string& name, DWORD value);
void SetMachineString(const std::u16string& key, const std::u16string& name, const std::u16string& value);
/// The driver's "Status Variables" key, which marks its printers as watched by the status
/// manager.
void AddStatusVariablesKey(const std::u16string& driver = kTestDriver);

}  // namespace kvtest
