// System version tests.
#include "platform/Kernel.h"
#include "settings/Forms.h"

int IsOsVersion51OrLater() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExW(&info)) return 0;
    return info.dwMajorVersion > 5 || (info.dwMajorVersion == 5 && info.dwMinorVersion >= 1) ? 1 : 0;
}

int IsOsLaterThan50() { return IsOsVersion51OrLater(); }
