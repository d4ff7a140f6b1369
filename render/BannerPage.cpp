// The banner sheet before the job (and after it with the second switch): the duplex and
// paper-format commands for one plain sheet, then "User", "Date" and "Time" lines in the
// printer's plain text mode, and the eject.
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "platform/Kernel.h"
#include "render/DriverEntry.h"
#include "render/OutputStream.h"
#include "render/PageDecorations.h"
#include "render/PjlHeader.h"

namespace {

constexpr int kDuplexSlot = 8;                   // the duplex unit's device slot (DEV_Duplex)
constexpr WORD kDuplexUnitBits = 0x1 | 0x8;
constexpr DWORD kFeatureBannerUser1 = 1u << 21;
constexpr DWORD kFeatureBannerUser2 = 1u << 22;
constexpr size_t kUserName2Bytes = 17;
constexpr size_t kUserName2Chars = sizeof(DriverDevMode::UserName2) / sizeof(WCHAR);

bool IsPostcard(DWORD code) { return code >= 106 && code <= 108; }
bool IsEnvelopeFormat(DWORD code) { return code == 121 || code == 122; }

void WriteText(PDEV* pdev, const char* text) { (void)WriteOutput(pdev, text, static_cast<DWORD>(std::strlen(text))); }

bool LandscapeSheet(const PDEV* pdev) {
    const WORD n = pdev->Settings.PagesPerSheet;
    const bool portrait = pdev->Settings.Public.dmOrientation == DMORIENT_PORTRAIT;
    return (n == 2 || n == 6 || n == 8) ? portrait : !portrait;
}

void WriteDuplexCommand(PDEV* pdev, DWORD code, bool landscape) {
    const DriverDevMode& s = pdev->Settings;
    if ((s.DeviceSlots[kDuplexSlot].State & kDuplexUnitBits) != kDuplexUnitBits) return;
    const SHORT duplex = s.Public.dmDuplex;
    const WORD layout = s.SourceMediaValue;
    const bool layoutAllows = layout != 2 && layout != 4 && (layout != 1 || s.FeederSetting == 1 || s.FeederSetting == 2);
    if (duplex == 1 || IsPostcard(code) || code == 123 || !layoutAllows) {
        WriteText(pdev, "\x1c'S.");
        return;
    }
    const WORD shift = s.DuplexShift;
    const char* binding = duplex == 2 && shift != 0   ? "1,"
                          : duplex == 3 && shift == 0 ? "2,"
                          : duplex == 2 && shift == 0 ? "3,"
                          : landscape                 ? "4,"
                          : !IsEnvelopeFormat(code)   ? "2,"
                                                      : "4,";
    WriteText(pdev, "\x1c'B,");
    WriteText(pdev, "F,");
    WriteText(pdev, binding);
    if (shift == 0) {
        WriteText(pdev, "0.");
    } else {
        const LONG value = shift;
        (void)PutNumberList(pdev, 1, &value);
        WriteText(pdev, ".");
    }
}

/// The banner's user name in the ANSI code page, or empty when none is chosen.
std::string BannerUser(const PDEV* pdev) {
    const DriverDevMode& s = pdev->Settings;
    if (s.UserName1[0] != 0 && (s.FeatureFlags & kFeatureBannerUser1) != 0) {
        char name[kPjlNameBytes] = {};
        MakePJLName(name, s.UserName1);
        return name;
    }
    if (s.UserName2[0] != 0 && (s.FeatureFlags & kFeatureBannerUser2) != 0) {
        WCHAR wide[kUserName2Chars + 1] = {};
        std::memcpy(wide, s.UserName2, sizeof s.UserName2);
        char name[kUserName2Bytes + 2] = {};
        // Cut on a character boundary: a lead byte never stands without its trail byte.
        std::string out;
        for (const WCHAR* p = wide; *p != 0; ++p) {
            const int n = WideCharToMultiByte(CP_ACP, 0, p, 1, name, sizeof name, nullptr, nullptr);
            if (n <= 0 || out.size() + static_cast<size_t>(n) > kUserName2Bytes) break;
            out.append(name, static_cast<size_t>(n));
        }
        return out;
    }
    return {};
}

void WriteUserLines(PDEV* pdev, const std::string& user) {
    for (int i = 0; i < 5; ++i) WriteText(pdev, "\r\n");
    WriteText(pdev, "       User : ");
    (void)WriteOutput(pdev, user.data(), static_cast<DWORD>(user.size()));
    WriteText(pdev, "\r\n");

    const ModelDescription* model = pdev->Model;
    const int dayYear = static_cast<int>(model->DefaultLocalDay / 10000);
    const int dayMonth = static_cast<int>(model->DefaultLocalDay / 100 % 100);
    const int dayDay = static_cast<int>(model->DefaultLocalDay % 100);
    const int dayHour = static_cast<int>(model->DefaultLocalTime / 100);
    const int dayMinute = static_cast<int>(model->DefaultLocalTime % 100);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const bool inRange = now.wMonth >= 1 && now.wMonth <= 12 && now.wDay >= 1 && now.wDay <= 31 && now.wHour < 24 &&
                         now.wMinute < 60 && now.wSecond < 60;
    const long long nowKey = ((now.wMonth * 100LL + now.wDay) * 100 + now.wHour) * 100 + now.wMinute;
    const long long releaseKey = ((dayMonth * 100LL + dayDay) * 100 + dayHour) * 100 + dayMinute;
    const bool useClock =
        inRange && now.wYear >= dayYear && !(now.wYear == dayYear && nowKey < releaseKey);
    char line[64];
    if (useClock) {
        snprintf(line, sizeof line, "       Date : %02d/%02d/%02d\r\n", now.wYear % 100, now.wMonth, now.wDay);
        WriteText(pdev, line);
        snprintf(line, sizeof line, "       Time : %02d:%02d:%02d\r\n", now.wHour, now.wMinute, now.wSecond);
    } else {
        snprintf(line, sizeof line, "       Date : %02d/%02d/%02d\r\n", dayYear % 100, dayMonth, dayDay);
        WriteText(pdev, line);
        snprintf(line, sizeof line, "       Time : %02d:%02d:00\r\n", dayHour, dayMinute);
    }
    WriteText(pdev, line);
}

}  // namespace

void WriteBannerPage(PDEV* pdev, BOOL atStart) {
    const DWORD code = pdev->Geometry.OutputPaper.Code;
    if (IsPostcard(code)) return;
    const bool landscape = LandscapeSheet(pdev);
    if (!atStart && (pdev->Settings.OverlayFlags & 1) != 0) WriteText(pdev, "\x1cu2,1,E.");
    WriteDuplexCommand(pdev, code, landscape);

    if (atStart) pdev->BannerOrientation = (IsEnvelopeFormat(code) || landscape) ? 'L' : 'P';
    const char format[] = {'\x1c', 'f', static_cast<char>(pdev->BannerOrientation == 'L' ? 'L' : 'P'), 'A', 'I', '.'};
    (void)WriteOutput(pdev, format, sizeof format);

    if (atStart) {
        const std::string user = BannerUser(pdev);
        if (!user.empty()) WriteUserLines(pdev, user);
    }
    WriteText(pdev, "\x0c");
    if (!atStart) WriteText(pdev, "\x1b" "c1");
}
