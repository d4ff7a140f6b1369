// The debug-log switches of a new settings block, from "VRTL_LOG.INI" in the Windows
// directory:
//   [KV-TD520]
//   MODE=1      anything else leaves the log off
//   LEVEL=n     category bits (default 1)
//   SIZE=n      size limit in MiB, 1 to 100 (default 10)
#include <iterator>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/Profile.h"
#include "settings/DefaultSettings.h"

namespace {

constexpr UINT kWindowsDirChars = 130;
constexpr UINT kIniPathChars = 142;
constexpr WCHAR kIniName[] = u"VRTL_LOG.INI";
constexpr WCHAR kIniSection[] = u"KV-TD520";
constexpr DWORD kDefaultLogSizeMiB = 10;
constexpr DWORD kMaxLogSizeMiB = 100;

/// Owns one GlobalAlloc block of WCHARs; the buffers stay off the stack of spooler-hosted code.
class WideBuffer {
public:
    explicit WideBuffer(UINT cch) : data_(static_cast<LPWSTR>(GlobalAlloc(GPTR, cch * sizeof(WCHAR)))) {}
    ~WideBuffer() {
        if (data_ != nullptr) GlobalFree(data_);
    }
    WideBuffer(const WideBuffer&) = delete;
    WideBuffer& operator=(const WideBuffer&) = delete;
    LPWSTR Get() const { return data_; }

private:
    LPWSTR data_;
};

// The ini file's full path in iniPath, or false when there is none or it does not fit.
bool FindLogIni(LPWSTR windowsDir, LPWSTR iniPath) {
    const UINT cchDir = GetWindowsDirectoryW(windowsDir, kWindowsDirChars);
    if (cchDir == 0 || cchDir >= kWindowsDirChars) return false;
    // Directory, "\", the name and the terminator must fit the path buffer.
    const UINT cchName = static_cast<UINT>(std::size(kIniName) - 1);
    if (cchDir + 1 + cchName + 1 > kIniPathChars) return false;
    const DWORD found = SearchPathW(windowsDir, kIniName, nullptr, kIniPathChars, iniPath, nullptr);
    if (found == 0 || found >= kIniPathChars) return false;
    lstrcpynW(iniPath, windowsDir, static_cast<int>(kIniPathChars));
    lstrcatW(iniPath, u"\\");
    lstrcatW(iniPath, kIniName);
    return true;
}

}  // namespace

void ReadLogSwitches(DriverDevMode* block) {
    block->LogControl = 0;
    block->LogSizeLimit = 0;
    WideBuffer windowsDir(kWindowsDirChars);
    WideBuffer iniPath(kIniPathChars);
    if (windowsDir.Get() == nullptr || iniPath.Get() == nullptr) return;
    if (!FindLogIni(windowsDir.Get(), iniPath.Get())) return;

    const UINT mode = GetPrivateProfileIntW(kIniSection, u"MODE", 0, iniPath.Get());
    if (mode != 1) return;
    block->LogControl = GetPrivateProfileIntW(kIniSection, u"LEVEL", static_cast<INT>(mode), iniPath.Get()) | kLogOn;
    DWORD sizeMiB = GetPrivateProfileIntW(kIniSection, u"SIZE", static_cast<INT>(kDefaultLogSizeMiB), iniPath.Get());
    // Negative values come back as huge unsigned ones and fall under the same rule.
    if (sizeMiB == 0 || sizeMiB > kMaxLogSizeMiB) sizeMiB = kDefaultLogSizeMiB;
    block->LogSizeLimit = sizeMiB;
}
