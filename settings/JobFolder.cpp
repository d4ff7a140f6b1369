// The folder of file-mode job files, its date string and the path helpers of job names.
#include <algorithm>

#include "platform/Kernel.h"
#include "platform/Registry.h"
#include "settings/SpoolerQueries.h"

namespace {

constexpr WCHAR kJobFolderName[] = u"KV-TD520_JOB";
constexpr size_t kJobFolderNameChars = sizeof(kJobFolderName) / sizeof(WCHAR) - 1;
constexpr size_t kTempDirCutChars = 4;  // the helper program's own sub-folder at the end of TmpDir

size_t BoundedLength(LPCWSTR text, size_t cchMax) {
    size_t length = 0;
    while (length < cchMax && text[length] != u'\0') ++length;
    return length;
}

void PutTwoDigits(LPWSTR out, unsigned value) {
    out[0] = static_cast<WCHAR>(u'0' + value / 10 % 10);
    out[1] = static_cast<WCHAR>(u'0' + value % 10);
}

struct Day {
    unsigned Year;
    unsigned Month;
    unsigned Day;
    unsigned Key() const { return Year * 10000 + Month * 100 + Day; }
    bool IsDate() const { return Year >= 1 && Year <= 9999 && Month >= 1 && Month <= 12 && Day >= 1 && Day <= 31; }
};

}  // namespace

int ReadTempDir(LPWSTR out) {
    if (out == nullptr) return 0;
    for (size_t i = 0; i < kJobFolderChars; ++i) out[i] = u'\0';
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\ZEV\\Relaydock\\Env\\Dir\\", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return 0;
    }
    DWORD cbValue = static_cast<DWORD>(kJobFolderChars * sizeof(WCHAR));
    DWORD type = 0;
    const LONG result = RegQueryValueExW(key, u"TmpDir", nullptr, &type, reinterpret_cast<BYTE*>(out), &cbValue);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        out[0] = u'\0';
        return 0;
    }
    // The value may fill the whole buffer without a terminator; its last four characters
    // are cut, so the new terminator always lands inside the buffer.
    const size_t length = BoundedLength(out, std::min<size_t>(cbValue / sizeof(WCHAR), kJobFolderChars));
    if (length < kTempDirCutChars) {
        out[0] = u'\0';
        return 0;
    }
    out[length - kTempDirCutChars] = u'\0';
    return 1;
}

void GetJobFolder(LPWSTR out) {
    if (out == nullptr) return;
    if (ReadTempDir(out) &&
        static_cast<size_t>(lstrlenW(out)) + kJobFolderNameChars < kJobFolderChars) {
        lstrcatW(out, kJobFolderName);
        return;
    }
    // The system drive's root ("C:\").
    WCHAR system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) system[0] = u'\0';
    lstrcpynW(out, system, 4);
    lstrcatW(out, kJobFolderName);
}

int StripTrailingBackslash(LPWSTR path) {
    if (path == nullptr || path[0] == u'\0') return 0;
    const int length = lstrlenW(path);
    if (path[length - 1] != u'\\') return 0;
    path[length - 1] = u'\0';
    return 1;
}

int StripPrnExtension(LPWSTR path) {
    if (path == nullptr) return 0;
    const int length = lstrlenW(path);
    if (length < 5 || lstrcmpW(path + length - 4, u".prn") != 0) return 0;
    path[length - 4] = u'\0';
    return 1;
}

void FormatDateString(LPWSTR out, DWORD defaultDay) {
    if (out == nullptr) return;
    const Day fallback{defaultDay / 10000, defaultDay % 10000 / 100, defaultDay % 100};
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const Day today{now.wYear, now.wMonth, now.wDay};
    // A default day that is no date would print more than four year digits; today is the
    // sensible date to fall back on.
    const bool useToday = !fallback.IsDate() || (today.IsDate() && today.Key() >= fallback.Key());
    const Day& day = useToday ? today : fallback;
    PutTwoDigits(out, day.Year % 100);
    PutTwoDigits(out + 2, day.Month);
    PutTwoDigits(out + 4, day.Day);
    out[6] = u'\0';
}
