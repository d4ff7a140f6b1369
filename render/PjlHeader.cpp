// The outer PJL job around the inner VRTL job: the header written on the first drawing of a
// job and the trailer written at its end.
#include <cstdio>
#include <cstring>
#include <iterator>

#include "platform/Kernel.h"
#include "render/JobFiles.h"
#include "render/OutputStream.h"
#include "render/PageDecorations.h"
#include "render/PageSetup.h"
#include "render/PjlHeader.h"
#include "render/draw/DrawingState.h"
#include "settings/ModelDescription.h"

namespace {

constexpr BYTE kUel[] = {0x1B, '%', '-', '1', '2', '3', '4', '5', 'X'};
constexpr BYTE kResetPrinter[] = {0x1B, 'c', '1'};
constexpr BYTE kSheetEnd[] = {0x0D, 0x0C};
constexpr BYTE kEndMarkSheet[] = {0x00, 0x0D, 0x0C};
constexpr BYTE kOverlayOff[] = {0x1C, 'u', '2', ',', '1', ',', 'E', '.'};
constexpr BYTE kFontPageEnd[] = {0x1C, 'f', 'P', 'C', '0', '.'};
constexpr BYTE kUnitZero[] = {0x1C, '&', '0', '.'};

constexpr DWORD kFeatureBlankSheetEject = 1u << 28;
constexpr DWORD kOptionCountByPageNumber = 1u << 26;
constexpr WORD kOverlaySwitchOn = 1u << 3;
constexpr int kMaxCopies = 999;

template <size_t N>
void WriteBytes(PDEV* pdev, const BYTE (&bytes)[N]) {
    WriteOutput(pdev, bytes, static_cast<DWORD>(N));
}

void WriteText(PDEV* pdev, const char* text) { WriteOutput(pdev, text, static_cast<DWORD>(std::strlen(text))); }

// A settings name field copied into a terminated buffer one character longer.
template <size_t N>
void CopyNameField(const WCHAR (&field)[N], WCHAR (&out)[N + 1]) {
    size_t i = 0;
    for (; i < N && field[i] != 0; ++i) out[i] = field[i];
    out[i] = 0;
}

// Banner sheets are not printed on postcards (106, 107) nor on the return postcard (108).
bool BannerPaper(const PDEV* pdev) {
    const DWORD code = pdev->Geometry.OutputPaper.Code;
    return code < 106 || code > 108;
}

bool EndMarkOn(const PDEV* pdev) { return (pdev->Settings.PageOptionBits & (kEndMarkLow | kEndMarkHigh)) != 0; }

// End-mark sheets: the low nibble of 963 with the low end-mark bit, else its high nibble.
int EndMarkSheets(const PDEV* pdev) {
    if ((pdev->Settings.PageOptionBits & kEndMarkLow) != 0) return pdev->Settings.SplitCounts & 0x0F;
    if ((pdev->Settings.PageOptionBits & kEndMarkHigh) != 0) return pdev->Settings.SplitCounts >> 4;
    return 0;
}

// The inner job's user name: the first name through the PJL name rule, else the second one
// cut to 16 bytes; control bytes and quotes never reach the line.
void InnerJobUserName(const PDEV* pdev, char (&out)[kPjlNameBytes]) {
    out[0] = '\0';
    const DriverDevMode& s = pdev->Settings;
    if (s.UserName1[0] != 0 && (s.FeatureFlags & kFeatureUserName1) != 0) {
        WCHAR name[sizeof s.UserName1 / sizeof s.UserName1[0] + 1];
        CopyNameField(s.UserName1, name);
        MakePJLName(out, name);
    } else if (s.UserName2[0] != 0 && (s.FeatureFlags & kFeatureUserName2) != 0) {
        ConvertToAnsi(s.UserName2, static_cast<int>(std::size(s.UserName2)), out, static_cast<int>(sizeof out));
    }
    StripPjlControlBytes(out);
}

}  // namespace

void FormatJobTime(DWORD defaultDay, DWORD defaultTime, const SYSTEMTIME& local, char* out) {
    const DWORD day = defaultDay % 100000000u;
    const DWORD time = defaultTime % 10000u;
    const unsigned wanted[5] = {day / 10000, day / 100 % 100, day % 100, time / 100, time % 100};
    const unsigned now[5] = {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute};
    bool usable = now[0] >= wanted[0] && now[1] >= 1 && now[1] <= 12 && now[2] >= 1 && now[2] <= 31 &&
                  now[3] < 24 && now[4] < 60;
    // Not earlier than the default moment, compared field by field from the year down.
    for (int i = 0; usable && i < 5; ++i) {
        if (now[i] != wanted[i]) {
            usable = now[i] > wanted[i];
            break;
        }
    }
    if (usable) {
        std::snprintf(out, kJobTimeBytes, "%04u%02u%02u%02u%02u", now[0] % 10000, now[1], now[2], now[3], now[4]);
    } else {
        std::snprintf(out, kJobTimeBytes, "%08lu%04lu", static_cast<unsigned long>(day),
                      static_cast<unsigned long>(time));
    }
}

void WritePjlJobStart(PDEV* pdev) {
    DriverDevMode& s = pdev->Settings;
    const bool fileMode = FileMode(pdev);
    const bool driverCopies = (s.FeatureFlags & kFeatureDriverCopies) != 0;

    // The settings' computer name counts only when it converts to 1 to 15 bytes whole.
    char computer[MAX_COMPUTERNAME_LENGTH + 2];
    bool cut = false;
    ConvertToAnsi(s.ComputerName, static_cast<int>(std::size(s.ComputerName)), computer, sizeof computer, &cut);
    if (cut) computer[0] = '\0';
    GetComputerJobId(pdev, pdev->WantedPage.JobName, computer);

    // The port monitor reads the name at bytes 15-38 and the identifier at 48-92.
    WriteFormattedOutput(pdev, "@PJL JOB NAME=\"%s\"", pdev->WantedPage.JobName);
    if ((s.OptionFlags & kOptionSendJcid) != 0 && !fileMode) {
        char jcid[kJcidBytes];
        MakeJcid(pdev, jcid);
        WriteFormattedOutput(pdev, " @JCID=\"%s\"", jcid);
    }
    char document[129];
    ConvertToAnsi(pdev->DocumentName, 64, document, sizeof document);
    StripPjlControlBytes(document);
    char user[43];
    ConvertToAnsi(s.PageStampUserName, static_cast<int>(std::size(s.PageStampUserName)), user, sizeof user);
    StripPjlControlBytes(user);
    WriteText(pdev, " DNAME=\"");
    WriteText(pdev, document);
    WriteText(pdev, "\" UNAME=\"");
    WriteText(pdev, user);
    WriteText(pdev, "\"\r\n");

    const bool collate = s.Public.dmCopies >= 2 && driverCopies && fileMode;
    WriteFormattedOutput(pdev, "@PJL SET COLLATE=%s\r\n", collate ? "ON" : "OFF");
    if (driverCopies && !fileMode) {
        // The driver sends the inner job again for each further copy.
        WriteText(pdev, "@PJL SET COPIES=1\r\n");
    } else {
        if (s.Public.dmCopies < 1) s.Public.dmCopies = 1;
        if (s.Public.dmCopies > kMaxCopies) s.Public.dmCopies = kMaxCopies;
        WriteFormattedOutput(pdev, "@PJL SET COPIES=%d\r\n", s.Public.dmCopies);
    }
    WriteFormattedOutput(pdev, "@PJL SET ENDMARK=%s\r\n", (s.PageOptionBits & kEndMarkLow) != 0 ? "ON" : "OFF");
}

void WriteRelaydockMarker(PDEV* pdev) {
    char name[513];
    const LPCWSTR model = pdev->Model != nullptr ? ModelString(pdev->Model, pdev->Model->PrinterName) : u"";
    const int length = ConvertToAnsi(model, 256, name, sizeof name);
    // The number counts the bytes after it up to and including the last CR LF.
    WriteFormattedOutput(pdev, "\x1c%dzRDStart\r\n", length + 27);
    WriteText(pdev, "DrvName=");
    WriteOutput(pdev, name, static_cast<DWORD>(length));
    WriteText(pdev, "\r\nRDEnd\r\n");
}

BOOL WriteJobHeader(PDEV* pdev) {
    const DriverDevMode& s = pdev->Settings;
    pdev->JobFile = nullptr;
    if (FileMode(pdev)) CreateJobFile(pdev);

    WriteBytes(pdev, kUel);
    WritePjlJobStart(pdev);
    WriteText(pdev, "@PJL ENTER LANGUAGE=DEFAULT\r\n");

    // From the inner job's UEL on, every byte is captured for the driver-made copies.
    OpenCaptureFile(pdev);
    WriteBytes(pdev, kUel);

    char user[kPjlNameBytes];
    InnerJobUserName(pdev, user);
    SYSTEMTIME local = {};
    GetLocalTime(&local);
    char time[kJobTimeBytes];
    FormatJobTime(pdev->Model != nullptr ? pdev->Model->DefaultLocalDay : 0,
                  pdev->Model != nullptr ? pdev->Model->DefaultLocalTime : 0, local, time);
    WriteFormattedOutput(pdev, "@PJL JOB USER=\"%s\" TIME=\"%s\"\r\n", user, time);

    WriteText(pdev, "@PJL SET LPARM:VRTL MSW014=ON\r\n");
    if ((s.OverlayFlags & kOverlayOn) != 0) {
        WriteFormattedOutput(pdev, "@PJL SET LPARM:VRTL MSW047=%s\r\n",
                             (s.OverlayFlags & kOverlaySwitchOn) != 0 ? "ON" : "OFF");
    }
    WriteText(pdev, "@PJL SET LPARM:VRTL MSW101=OFF\r\n");
    WriteText(pdev, "@PJL SET LPARM:VRTL MSW102=OFF\r\n");
    if ((s.CoverFlags & (kCoverBefore | kCoverBeforeAndAfter)) != 0 && BannerPaper(pdev)) {
        WriteText(pdev, "@PJL SET INTERSHEET=ON\r\n");
        WriteFormattedOutput(pdev, "@PJL SET INTERSHEETMODE=%s\r\n",
                             (s.CoverFlags & kCoverBeforeAndAfter) != 0 ? "COVER2" : "COVER1");
    }
    WriteText(pdev, "@PJL ENTER LANGUAGE=VRTL\r\n");
    WriteBytes(pdev, kResetPrinter);
    if (FileMode(pdev)) WriteRelaydockMarker(pdev);
    return TRUE;
}

namespace {

// After an end-mark sheet: the sheet count, or the page number when the job counts by page
// number (or has no sheet yet).
void CountEndMarkSheet(PDEV* pdev) {
    PageSettings& page = pdev->WantedPage;
    if (page.SheetCount != 0 &&
        ((pdev->Settings.OptionFlags & kOptionCountByPageNumber) == 0 || page.PageNumber < 1)) {
        ++page.SheetCount;
    } else {
        ++page.PageNumber;
    }
}

}  // namespace

BOOL WriteJobTrailer(PDEV* pdev) {
    const DriverDevMode& s = pdev->Settings;
    PageSettings& page = pdev->WantedPage;
    const bool endMark = EndMarkOn(pdev);
    const int sheets = EndMarkSheets(pdev);
    const bool resetBetween = (s.PageOptionBits & kEndMarkLow) != 0;

    if (page.SlotIndex == 0) {
        if (endMark) {
            if ((s.OverlayFlags & kOverlayOn) != 0) WriteBytes(pdev, kOverlayOff);
            if (s.NupDown != 1 || s.NupAcross != 1) WritePaperFormat(pdev, pdev->Geometry.OutputPaper, TRUE);
            for (int i = 0; i < sheets; ++i) {
                WriteBytes(pdev, kEndMarkSheet);
                if (resetBetween && i + 1 < sheets) WriteBytes(pdev, kResetPrinter);
                CountEndMarkSheet(pdev);
            }
        }
        WriteBytes(pdev, kResetPrinter);
        FlushOutput(pdev);
    }

    EnterPageControlMode(pdev);

    if (page.SlotIndex > 0) {
        // The partly filled N-up sheet goes out first.
        WriteBytes(pdev, kSheetEnd);
        if (endMark) {
            for (int i = 0; i < sheets; ++i) {
                WriteBytes(pdev, kEndMarkSheet);
                if (resetBetween && i + 1 < sheets) WriteBytes(pdev, kResetPrinter);
                ++page.SheetCount;
            }
        }
        WriteBytes(pdev, kResetPrinter);
        FlushOutput(pdev);
        ++page.SheetCount;
        page.SlotIndex = 0;
        pdev->SheetBlank = (s.FeatureFlags & kFeatureBlankSheetEject) != 0 ? 0 : 1;
    }

    if ((s.CoverFlags & kCoverBeforeAndAfter) != 0 && BannerPaper(pdev)) WriteBannerPage(pdev, FALSE);

    WriteBytes(pdev, kFontPageEnd);
    WriteBytes(pdev, kUnitZero);
    WriteBytes(pdev, kResetPrinter);
    WriteBytes(pdev, kUel);
    WriteText(pdev, "@PJL EOJ\r\n");
    WriteText(pdev, "@PJL ENTER LANGUAGE=DEFAULT\r\n");
    // The capture ends here: it holds the inner job, sent once more per further copy.
    FlushJobAndReplayCopies(pdev);
    WriteBytes(pdev, kUel);
    WriteFormattedOutput(pdev, "@PJL EOJ NAME=\"%.24s\"\r\n", page.JobName);
    WriteText(pdev, "@PJL ENTER LANGUAGE=DEFAULT\r\n");
    return TRUE;
}
