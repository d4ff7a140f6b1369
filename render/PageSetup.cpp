// The page setup of each page: whether the printer's paper format must change, the
// paper-format command, and the storing of the overlay form.
#include <array>
#include <cstdio>
#include <cstring>

#include "platform/Kernel.h"
#include "render/OutputStream.h"
#include "render/PageSetup.h"
#include "render/PjlHeader.h"
#include "render/draw/DrawingState.h"
#include "settings/DebugLog.h"
#include "settings/SpoolerQueries.h"

namespace {

constexpr DWORD kFeatureBindingSwap = 1u << 8;
constexpr DWORD kFeatureFormFontZero = 1u << 23;
constexpr DWORD kLogPaperFormat = 1u << 4;

constexpr BYTE kFormSwitchOff[] = {0x1C, 'u', '2', ',', '1', ',', 'E', '.'};
constexpr BYTE kFormSwitchOn[] = {0x1C, 'u', '2', ',', '1', ',', 'S', '.'};
// Form storage: units of 1/240 inch, the form's origin, and "store form 1".
constexpr BYTE kFormUnits[] = {0x1C, '<', '1', '/', '2', '4', '0', ',', 'i', '.'};
constexpr BYTE kFormOrigin[] = {0x1B, 'L', '0', '0', '0'};
constexpr BYTE kFormStoreBegin[] = {0x1C, 'u', '1', ',', '1', '.'};
constexpr char kNoFormData[] = "NOT Create";

// Papers whose whole width counts for an N-up page; the others count their printable width.
constexpr const char16_t* kFullWidthForms[] = {u"A4",        u"A5",          u"B5 (JIS)",  u"はがき",
                                               u"往復はがき", u"A5 横", u"はがき 横", u"往復はがき 横"};

template <size_t N>
void WriteBytes(PDEV* pdev, const BYTE (&bytes)[N]) {
    WriteOutput(pdev, bytes, static_cast<DWORD>(N));
}

// Micrometres to 1/60 inch, rounding up.
long long Sixtieths(long long microns) {
    const long long scaled = microns * 60;
    return scaled >= 0 ? (scaled + 25399) / 25400 : -((-scaled) / 25400);
}

bool FullWidthForm(const WCHAR (&formName)[CCHFORMNAME]) {
    for (const char16_t* name : kFullWidthForms) {
        size_t i = 0;
        while (i < CCHFORMNAME && formName[i] != 0 && formName[i] == name[i]) ++i;
        if (i < CCHFORMNAME && formName[i] == 0 && name[i] == 0) return true;
    }
    return false;
}

// The form's commands from its header: select it, its font, its identifier and position,
// its second font and its options. Each appended piece is a fixed short run, so the
// buffer's size bounds them all.
class CommandText {
public:
    void Add(const char* text) { Add(text, std::strlen(text)); }
    void Add(const void* bytes, size_t count) {
        if (count > bytes_.size() - count_) return;
        std::memcpy(bytes_.data() + count_, bytes, count);
        count_ += count;
    }
    void Add(BYTE byte) { Add(&byte, 1); }
    void WriteTo(PDEV* pdev) const { WriteOutput(pdev, bytes_.data(), static_cast<DWORD>(count_)); }

private:
    std::array<BYTE, 128> bytes_{};
    size_t count_ = 0;
};

void WriteFormCommands(PDEV* pdev, const BYTE* header) {
    CommandText text;
    text.Add(BYTE{0x1C});
    text.Add("U");
    if (header[188] != ' ') {
        text.Add("\x1bL");
        text.Add(header + 188, 3);
    }
    if (header[192] != ' ') {
        text.Add("\x1b/");
        text.Add(header + 192, 3);
    }
    text.Add("\x1bT");
    text.Add(header + 196, 2);
    text.Add(header[184] == 'E' ? "\x1b" "E" : header[184] == 'Q' ? "\x1b" "Q" : "\x1b" "H");

    switch (header[202]) {
    case '1': text.Add("\x1c" "06F1-001"); break;
    case '2': text.Add("\x1c" "06F1-002"); break;
    case '3': text.Add("\x1c" "06F1-003"); break;
    default: text.Add("\x1c" "06F1-000"); break;
    }

    text.Add("\x1c" "07S2-");
    text.Add(header + 204, 4);
    text.Add("\x1c" "p2,");
    text.Add(header + 208, 3);
    if (header[211] == '0') text.Add("0");
    if (header[211] == '5') text.Add("5");
    text.Add(".");

    if (header[212] == '0') text.Add("\x1c" "06F2-000");
    if (header[212] == '2') text.Add("\x1c" "06F2-200");

    text.Add("\x1c" "c,,0");
    static constexpr const char* kOptionTexts[] = {",1", ",2", ",3", ",4", ",5", ",6", ",7"};
    for (int i = 0; i < 7; ++i) {
        if ((header[216] & (0x80 >> i)) != 0) text.Add(kOptionTexts[i]);
    }
    text.Add(".");
    text.WriteTo(pdev);
}

}  // namespace

BOOL PageSettingsChanged(PDEV* pdev, PageSettings* sent, PageSettings* wanted) {
    const DriverDevMode& s = pdev->Settings;
    const PaperRecord& paper = pdev->Geometry.OutputPaper;
    wanted->PaperCode = paper.Code;
    wanted->PaperWidth = static_cast<DWORD>(paper.Width);
    wanted->PaperHeight = static_cast<DWORD>(paper.Height);
    wanted->Orientation = static_cast<WORD>(s.Public.dmOrientation);
    wanted->DefaultSource = static_cast<WORD>(s.Public.dmDefaultSource);
    wanted->Duplex = static_cast<WORD>(s.Public.dmDuplex);
    wanted->DuplexShift = s.DuplexShift;
    // Once a job turns the binding side, it stays turned.
    if ((s.FeatureFlags & kFeatureBindingSwap) != 0) wanted->BindingSwap = 1;
    wanted->PagesPerSheet = s.PagesPerSheet;
    std::memset(wanted->FormName, 0, sizeof wanted->FormName);
    if ((s.OverlayFlags & kOverlayOn) != 0) {
        for (size_t i = 0; i + 1 < sizeof wanted->FormName && s.OverlayName[i] != '\0'; ++i)
            wanted->FormName[i] = s.OverlayName[i];
    }
    wanted->NupDown = s.NupDown;
    wanted->NupAcross = s.NupAcross;
    wanted->NupOrder = s.NupOrder;

    return std::strncmp(sent->FormName, wanted->FormName, sizeof wanted->FormName) != 0 ||
           sent->PaperCode != wanted->PaperCode || sent->PaperWidth != wanted->PaperWidth ||
           sent->PaperHeight != wanted->PaperHeight ||
           (wanted->PagesPerSheet == 1 && sent->Orientation != wanted->Orientation) ||
           sent->DefaultSource != wanted->DefaultSource || sent->Duplex != wanted->Duplex ||
           sent->DuplexShift != wanted->DuplexShift || sent->BindingSwap != wanted->BindingSwap ||
           sent->PagesPerSheet != wanted->PagesPerSheet || sent->NupDown != wanted->NupDown ||
           sent->NupAcross != wanted->NupAcross || sent->NupOrder != wanted->NupOrder;
}

BOOL EndFormStorageAndPageSetup(PDEV* pdev) {
    const DriverDevMode& s = pdev->Settings;
    PageSettings& wanted = pdev->WantedPage;
    const PageSettings& sent = pdev->SentPage;
    const bool overlay = (s.OverlayFlags & kOverlayOn) != 0;
    EnterPageControlMode(pdev);

    if (wanted.FormStorageOpen != 0 && !overlay) {
        // Switch the stored form off and go back to the plain font.
        WriteBytes(pdev, kFormSwitchOff);
        WriteFormattedOutput(pdev, "\x1c" "05F2-0%d", (s.FeatureFlags & kFeatureFormFontZero) != 0 ? 0 : 2);
        wanted.FormStorageOpen = 0;
    }

    const bool samePaper = wanted.PaperCode == sent.PaperCode && wanted.PaperWidth == sent.PaperWidth &&
                           wanted.PaperHeight == sent.PaperHeight && wanted.NupDown == sent.NupDown &&
                           wanted.NupAcross == sent.NupAcross && wanted.NupOrder == sent.NupOrder;
    if (!samePaper) {
        WritePaperFormat(pdev, pdev->Geometry.OutputPaper, FALSE);
        pdev->SentOrientation = 1;
    }
    if (overlay) {
        BeginFormStorage(pdev);
        wanted.FormStorageOpen = 1;
    }
    return TRUE;
}

void WritePaperFormat(PDEV* pdev, PaperRecord output, BOOL sheetForm) {
    const DriverDevMode& s = pdev->Settings;
    char command[96];
    int length = 0;
    if (s.NupDown == 1 && s.NupAcross == 1) {
        length = std::snprintf(command, sizeof command, "\x1c" "f1LP,%lld,%lld,1/60,i.", Sixtieths(output.Width),
                               Sixtieths(output.Height));
    } else {
        const PaperRecord& input = pdev->Geometry.InputPaper;
        const long long width = Sixtieths(FullWidthForm(s.Public.dmFormName)
                                              ? input.Width
                                              : static_cast<long long>(input.Printable.right) - input.Printable.left);
        const long long height = Sixtieths(input.Height);
        if (sheetForm) {
            length = std::snprintf(command, sizeof command, "\x1c" "f1LP,%lld,%lld,1/60,i.", s.NupAcross * width + 60,
                                   s.NupDown * height);
        } else if (s.NupOrder == 1) {
            length = std::snprintf(command, sizeof command, "\x1c" "f1LPV%dH%d,%lld,%lld,1/60,i.", s.NupDown,
                                   s.NupAcross, width, height);
        } else {
            length = std::snprintf(command, sizeof command, "\x1c" "f1LPH%dV%d,%lld,%lld,1/60,i.", s.NupAcross,
                                   s.NupDown, width, height);
        }
    }
    if (length <= 0 || length >= static_cast<int>(sizeof command)) return;
    if (DebugLogWanted(s, kLogPaperFormat)) WriteDebugLogF(s.LogSizeLimit, "FS f: %s\n", command);
    WriteOutput(pdev, command, static_cast<DWORD>(length));
}

BOOL BeginFormStorage(PDEV* pdev) {
    char path[kFormFilePathBytes];
    MakeFormFilePath(&pdev->Settings, path);
    if (pdev->Settings.OverlayStatus != 0) return FALSE;

    WriteBytes(pdev, kFormUnits);
    WriteBytes(pdev, kFormOrigin);
    WriteBytes(pdev, kFormStoreBegin);

    // The file passed at set-up but may have changed since: it is checked again, and a file
    // that is gone or no longer sound stores the marker text and no form commands.
    FormFileView file(path);
    if (file.Mapped() && FormFileAcceptable(file.Data(), file.Size())) {
        std::array<BYTE, kFormFileHeaderSize> header;
        std::memcpy(header.data(), file.Data(), header.size());
        const DWORD start = FormHeaderDword(header.data(), 168);
        const DWORD end = FormHeaderDword(header.data(), 172);
        WriteOutput(pdev, file.Data() + start, end - start);
        file.Release();
        WriteFormCommands(pdev, header.data());
    } else {
        file.Release();
        WriteOutput(pdev, kNoFormData, sizeof kNoFormData - 1);
    }
    WriteBytes(pdev, kFormSwitchOn);
    return TRUE;
}
