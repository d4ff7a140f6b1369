// Port kind from the port's name, the spooler's port list and the port monitors' registry.
#include "langmon/printer/PortKind.h"

#include <vector>

#include "langmon/PortContext.h"
#include "platform/Kernel.h"
#include "platform/Monitor.h"
#include "platform/Owners.h"
#include "platform/Registry.h"

namespace langmon {
namespace {

WCHAR Upper(WCHAR c) { return c >= u'a' && c <= u'z' ? static_cast<WCHAR>(c - 32) : c; }

bool StartsWithNoCase(LPCWSTR name, const char16_t* prefix) {
    for (size_t i = 0; prefix[i] != 0; ++i) {
        if (name[i] == 0 || Upper(name[i]) != prefix[i]) return false;
    }
    return true;
}

bool LetterPortWithDigit(LPCWSTR name, const char16_t* letters) {
    return name != nullptr && lstrlenW(name) >= 4 && StartsWithNoCase(name, letters) && name[3] >= u'1' &&
           name[3] <= u'9';
}

// The spooler's port list, level 2; empty when it cannot be read.
std::vector<BYTE> PortList(DWORD* count) {
    *count = 0;
    DWORD needed = 0;
    DWORD returned = 0;
    if (EnumPortsW(nullptr, 2, nullptr, 0, &needed, &returned) || GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        return {};
    }
    std::vector<BYTE> list(needed);
    if (!EnumPortsW(nullptr, 2, list.data(), needed, &needed, &returned)) return {};
    *count = returned;
    return list;
}

const PORT_INFO_2W* FindListed(const std::vector<BYTE>& list, DWORD count, LPCWSTR name) {
    const auto* ports = reinterpret_cast<const PORT_INFO_2W*>(list.data());
    for (DWORD i = 0; i < count; ++i) {
        if (ports[i].pPortName != nullptr && lstrcmpW(ports[i].pPortName, name) == 0) return &ports[i];
    }
    return nullptr;
}

// A sub-key of exactly this name below a port monitor's "Ports" key.
bool HasPortKey(const char16_t* monitorPorts, LPCWSTR name) {
    RegistryKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, monitorPorts, 0, KEY_READ, key.Out()) != 0) return false;
    bool found = false;
    WCHAR sub[1025];
    for (DWORD i = 0; !found; ++i) {
        DWORD cch = 1025;
        if (RegEnumKeyExW(key.Get(), i, sub, &cch, nullptr, nullptr, nullptr, nullptr) != 0) break;
        found = lstrcmpW(sub, name) == 0;
    }
    return found;
}

}  // namespace

bool IsLptPort(LPCWSTR name) { return LetterPortWithDigit(name, u"LPT"); }
bool IsComPort(LPCWSTR name) { return LetterPortWithDigit(name, u"COM"); }

bool IsUsbPort(LPCWSTR name) {
    if (name == nullptr) return false;
    if (StartsWithNoCase(name, u"ZEVUSB")) return true;
    if (lstrlenW(name) < 6 || !StartsWithNoCase(name, u"USB")) return false;
    DWORD number = 0;
    for (size_t i = 3; name[i] >= u'0' && name[i] <= u'9'; ++i) {
        number = number * 10 + static_cast<DWORD>(name[i] - u'0');
        if (number > 128) return false;
    }
    return number >= 1;
}

bool IsUncSharePort(LPCWSTR name) {
    if (name == nullptr || name[0] != u'\\' || name[1] != u'\\') return false;
    int slashes = 0;
    for (size_t i = 2; name[i] != 0; ++i) slashes += name[i] == u'\\' ? 1 : 0;
    return slashes == 1;
}

bool IsStandardTcpPort(LPCWSTR name, DWORD winMajor) {
    if (winMajor < 6) {
        return HasPortKey(u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports", name);
    }
    DWORD count = 0;
    const std::vector<BYTE> list = PortList(&count);
    const PORT_INFO_2W* port = FindListed(list, count, name);
    return port != nullptr && port->pMonitorName != nullptr && lstrlenW(port->pMonitorName) >= 10 &&
           StartsWithNoCase(port->pMonitorName, u"TCPMON.DLL");
}

bool IsDpuTcpPort(LPCWSTR name) {
    return HasPortKey(u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\ZEV TCP/IP DPU Port\\Ports", name);
}

bool IsPortWriteOnly(LPCWSTR name, bool wantWriteOnlyZero) {
    DWORD count = 0;
    const std::vector<BYTE> list = PortList(&count);
    if (list.empty()) return false;
    const PORT_INFO_2W* port = FindListed(list, count, name);
    if (port == nullptr) return true;
    return wantWriteOnlyZero ? port->fPortType == 0 : port->fPortType == PORT_TYPE_WRITE;
}

DWORD DetectPortKind(LPCWSTR name, DWORD winMajor) {
    if (IsStandardTcpPort(name, winMajor)) return port_kind::StandardTcpPort;
    if (IsDpuTcpPort(name)) return port_kind::DpuTcpPort;
    const bool old = winMajor < 6;
    if (IsUsbPort(name) && (!old || IsPortWriteOnly(name, true))) return port_kind::LocalPort;
    if (IsLptPort(name) && (!old || IsPortWriteOnly(name, false))) {
        WCHAR remote[MAX_PATH];
        DWORD cch = MAX_PATH;
        WCHAR device[8] = {};
        for (size_t i = 0; i < 7 && name[i] != 0 && name[i] != u':'; ++i) device[i] = name[i];
        const bool redirected = WNetGetConnectionW(device, remote, &cch) == ERROR_SUCCESS;
        return redirected ? port_kind::SharePort : port_kind::LocalPort;
    }
    if (IsComPort(name)) return port_kind::ComPort;
    if (IsUncSharePort(name)) return port_kind::SharePort;
    return port_kind::OtherPort;
}

}  // namespace langmon
