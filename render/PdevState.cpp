// The settings and state of a new device: signatures and flag words, the settings block, the
// page stamp, the geometry, and the TrueType substitution list.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <tuple>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Spooler.h"
#include "render/DriverEntry.h"
#include "render/Geometry.h"
#include "render/JobFiles.h"
#include "render/DocumentHooks.h"
#include "render/PageSetup.h"
#include "render/draw/DrawingState.h"
#include "settings/MergeSettings.h"
#include "settings/PrinterData.h"
#include "settings/ValidateSettings.h"

namespace {

constexpr int kStampChars = 128;
constexpr int kSubstNameChars = 128;
constexpr DWORD kGlyphBudgetReserve = 380;

// Selectors of the page-stamp text (settings PageStampSelector).
enum PageStampSelector : DWORD {
    kStampUserName = 0,
    kStampComputerName = 1,
    kStampUserAndComputer = 2,
    kStampDate = 3,
    kStampTime = 4,
    kStampDateAndTime = 5,
    kStampDocumentName = 6,
    kStampPageNumber = 7,
    kStampUserText = 8,
};

// Appends a settings string field to a terminated buffer: stops at the field's end even
// when the field holds no terminator, and at the buffer's end.
template <size_t N>
void AppendField(WCHAR (&out)[kStampChars], const WCHAR (&field)[N]) {
    size_t used = 0;
    while (used < kStampChars - 1 && out[used] != 0) ++used;
    for (size_t i = 0; i < N && field[i] != 0 && used < kStampChars - 1; ++i) out[used++] = field[i];
    out[used] = 0;
}

void AppendText(WCHAR (&out)[kStampChars], const WCHAR* text) {
    size_t used = 0;
    while (used < kStampChars - 1 && out[used] != 0) ++used;
    for (; *text != 0 && used < kStampChars - 1; ++text) out[used++] = *text;
    out[used] = 0;
}

struct StampClock {
    int year, month, day, hour, minute;
    bool operator<(const StampClock& o) const {
        return std::tie(year, month, day, hour, minute) < std::tie(o.year, o.month, o.day, o.hour, o.minute);
    }
};

// The local time, unless it is no time or earlier than the model's own release date and
// time (a machine whose clock was never set stamps that date instead).
StampClock StampTime(const ModelDescription* model) {
    const DWORD day = model->DefaultLocalDay;
    const DWORD time = model->DefaultLocalTime;
    const StampClock release{static_cast<int>(day / 10000), static_cast<int>(day / 100 % 100),
                             static_cast<int>(day % 100), static_cast<int>(time / 100),
                             static_cast<int>(time % 100)};
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const StampClock local{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute};
    const bool valid = local.year >= release.year && local.month >= 1 && local.month <= 12 && local.day >= 1 &&
                       local.day <= 31 && local.hour < 24 && local.minute < 60;
    return valid && !(local < release) ? local : release;
}

void SetStampFromAnsi(PDEV* pdev, const char* text) {
    pdev->PageStampText[0] = 0;
    const int cch = MultiByteToWideChar(CP_ACP, 0, text, -1, pdev->PageStampText, kStampChars);
    if (cch <= 0) pdev->PageStampText[0] = 0;
}

// The model's paper list for the margin style and orientation of the settings.
void ChoosePaperMarginList(PDEV* pdev) {
    const ModelDescription* m = pdev->Model;
    const bool compatible = (pdev->Settings.OptionFlags & kOptionCompatibleMargin) != 0;
    const bool landscape = pdev->Settings.Public.dmOrientation == DMORIENT_LANDSCAPE;
    DWORD count = 0;
    DWORD offset = 0;
    if (!compatible) {
        count = landscape ? m->FormLandCount : m->FormPortCount;
        offset = landscape ? m->FormLandOffset : m->FormPortOffset;
    } else {
        count = landscape ? m->FormLandCompatibleCount : m->FormPortCompatibleCount;
        offset = landscape ? m->FormLandCompatibleOffset : m->FormPortCompatibleOffset;
    }
    const ModelForm* list = ModelList<ModelForm>(m, offset, count);
    pdev->Geometry.PaperMarginList = list;
    pdev->Geometry.PaperMarginCount = list != nullptr ? count : 0;
}

void ApplyInitialScale(PDEV* pdev) {
    PageGeometry& g = pdev->Geometry;
    if (pdev->Settings.PagesPerSheet != 1) {
        const WORD fit = ComputeFitScale(pdev, &g.InputPaper, &g.OutputPaper);
        g.ScalePercent = fit == 100 ? 99 : fit;
        ComputeNupSlots(pdev);
    } else {
        g.ScalePercent = pdev->Settings.LayoutScale;
    }
}

// The built-in substitution pairs: a TrueType face and the device face that replaces it.
struct SubstPair {
    UINT TrueTypeId;
    UINT DeviceId;
};
constexpr SubstPair kBuiltinSubst[] = {
    {5200, 164}, {5201, 165}, {5202, 166}, {5203, 167}, {5204, 164}, {5205, 165}, {5206, 166}, {5207, 167},
};

WCHAR* BuildBuiltinSubstList(PDEV* pdev, DWORD* chars) {
    WCHAR names[std::size(kBuiltinSubst) * 2][kSubstNameChars];
    size_t cchTotal = 1;  // the final NUL
    for (size_t i = 0; i < std::size(kBuiltinSubst); ++i) {
        LoadStringW(pdev->Module, kBuiltinSubst[i].TrueTypeId, names[2 * i], kSubstNameChars);
        LoadStringW(pdev->Module, kBuiltinSubst[i].DeviceId, names[2 * i + 1], kSubstNameChars);
        cchTotal += std::char_traits<char16_t>::length(names[2 * i]) + 1;
        cchTotal += std::char_traits<char16_t>::length(names[2 * i + 1]) + 1;
    }
    auto* list = static_cast<WCHAR*>(PdevAlloc(pdev, cchTotal * sizeof(WCHAR)));
    if (list == nullptr) return nullptr;
    WCHAR* out = list;
    for (const auto& name : names) {
        const size_t cch = std::char_traits<char16_t>::length(name) + 1;
        std::memcpy(out, name, cch * sizeof(WCHAR));
        out += cch;
    }
    *out = 0;
    *chars = static_cast<DWORD>(cchTotal);
    return list;
}

}  // namespace

void InitDeviceState(PDEV* pdev) {
    pdev->Signature = kPdevSignature;
    pdev->SignatureEnd = kPdevSignature;

    // The first drawing leaves page-control mode; the job header is pending.
    pdev->StateFlags = kStatePageControl;
    pdev->MappingMode = 0;
    pdev->FlowFlags = kFlowHeaderPending;

    pdev->Draw.ClipRect = RECTL{};
    pdev->VectorResolution = 0;
    pdev->FirstDrawingOfPage = 0;

    PageGeometry& g = pdev->Geometry;
    g.ScalePercent = 100;
    std::fill(std::begin(g.NupSlots), std::end(g.NupSlots), RECTL{});
    g.CentringOffset = POINTL{};
    g.SheetFrame = RECTL{};
    for (PaperRecord* paper : {&g.InputPaper, &g.OutputPaper}) {
        paper->Width = 0;
        paper->Height = 0;
        paper->Printable = RECTL{};
        paper->Code = 0;
    }
    g.OddOrigin = POINTL{};
    g.EvenOrigin = POINTL{};

    ResetPageSettings(pdev);

    const int dpi = Resolution(pdev);
    if ((pdev->Model->Flags & kModelGlyphDownload) != 0 && (dpi == 200 || dpi == 400)) {
        pdev->NextDownloadCode = 0;
        const DWORD memory = pdev->Limits.GlyphMemory;
        pdev->DownloadBudget = memory > kGlyphBudgetReserve ? memory - kGlyphBudgetReserve : 0;
    }
    pdev->DownloadFontId = kDownloadFontId;
}

void PreparePageStamp(PDEV* pdev) {
    const DriverDevMode& s = pdev->Settings;
    pdev->PageStampText[0] = 0;
    pdev->PageNumberStamp = 0;
    pdev->DocumentNameStamp = 0;
    char date[16];
    char time[16];
    char both[40];
    switch (s.PageStampSelector) {
        case kStampUserName:
            AppendField(pdev->PageStampText, s.PageStampUserName);
            break;
        case kStampComputerName:
            AppendField(pdev->PageStampText, s.ComputerName);
            break;
        case kStampUserAndComputer:
            AppendField(pdev->PageStampText, s.PageStampUserName);
            AppendText(pdev->PageStampText, u"/");
            AppendField(pdev->PageStampText, s.ComputerName);
            break;
        case kStampDate:
        case kStampTime:
        case kStampDateAndTime: {
            const StampClock t = StampTime(pdev->Model);
            snprintf(date, sizeof date, "%04d-%02d-%02d", t.year, t.month, t.day);
            snprintf(time, sizeof time, "%02d:%02d", t.hour, t.minute);
            snprintf(both, sizeof both, "%s/%s", date, time);
            const DWORD selector = s.PageStampSelector;
            SetStampFromAnsi(pdev, selector == kStampDate ? date : selector == kStampTime ? time : both);
            break;
        }
        case kStampDocumentName:
            pdev->DocumentNameStamp = 1;
            break;
        case kStampPageNumber:
            pdev->PageNumberStamp = 1;
            break;
        case kStampUserText:
            AppendField(pdev->PageStampText, s.PageStampText);
            break;
        default:
            break;
    }
}

BOOL LoadTrueTypeSubstList(PDEV* pdev) {
    pdev->TrueTypeSubstList = nullptr;
    pdev->Text.SubstListChars = 0;
    WCHAR defaultName[] = PD_TT_SUBST_DEFAULT;
    WCHAR tableName[] = PD_TT_SUBST_TABLE;
    DWORD type = 0;
    DWORD cbNeeded = 0;
    BYTE value[4] = {};
    const DWORD read = GetPrinterDataW(pdev->Printer, defaultName, &type, value, sizeof value, &cbNeeded);
    if (read == ERROR_SUCCESS && (value[0] & 1) == 0) {
        DWORD cbTable = 0;
        if (GetPrinterDataW(pdev->Printer, tableName, &type, nullptr, 0, &cbTable) != ERROR_SUCCESS && cbTable != 0) {
            // The table comes from the printer's data as the user interface wrote it: room
            // for two more NULs (past an odd byte count) ends its last name and the list
            // whatever it holds.
            const SIZE_T cbBlock = (static_cast<SIZE_T>(cbTable) + 1) / 2 * 2 + 2 * sizeof(WCHAR);
            BYTE* block = static_cast<BYTE*>(PdevAlloc(pdev, cbBlock));
            if (block == nullptr) return FALSE;
            DWORD cbRead = 0;
            if (GetPrinterDataW(pdev->Printer, tableName, &type, block, cbTable, &cbRead) == ERROR_SUCCESS &&
                cbRead != 0) {
                pdev->TrueTypeSubstList = reinterpret_cast<WCHAR*>(block);
                // The text code walks the pairs inside this size, never beyond the block.
                pdev->Text.SubstListChars = static_cast<DWORD>(cbBlock / sizeof(WCHAR));
                return TRUE;
            }
            PdevFree(pdev, block);
        }
    }
    pdev->TrueTypeSubstList = BuildBuiltinSubstList(pdev, &pdev->Text.SubstListChars);
    return pdev->TrueTypeSubstList != nullptr ? TRUE : FALSE;
}

BOOL InitPDEVSettings(PDEV* pdev, const DEVMODEW* devmode, LPCWSTR /*deviceName*/) {
    InitDeviceState(pdev);

    DriverDevMode* block = &pdev->Settings;
    // The engine gives no size: the application's record is bounded by its own header.
    const size_t cbDevmode =
        devmode != nullptr ? static_cast<size_t>(devmode->dmSize) + devmode->dmDriverExtra : kUnknownDevModeSize;
    GetCurrentDevMode(block, devmode, pdev->Printer, nullptr, pdev->Model, cbDevmode);
    LoadFormOverlay(pdev, pdev->Printer, block, pdev->Model);
    ValidateDevMode(block, nullptr, pdev->Printer, nullptr, pdev->Model);

    pdev->PageDecorationOption = block->PageDecorationOption;
    pdev->PageStampSwitch = block->PageStampSwitch;
    pdev->PageStampPosition = block->PageStampPosition;
    PreparePageStamp(pdev);

    PrepareJobFileNames(pdev);

    ChoosePaperMarginList(pdev);
    ResolvePaper(pdev, &pdev->Geometry.InputPaper, block->Public.dmFormName);
    ChooseOutputPaper(pdev, &pdev->Geometry.OutputPaper);
    ApplyInitialScale(pdev);
    ComputePageOrigins(pdev);

    pdev->Draw = DrawingStateCache{};
    ResetGraphicsState(pdev);
    ResetPrinterState(pdev);

    if (!LoadTrueTypeSubstList(pdev)) return FALSE;

    const SHORT dpi = static_cast<SHORT>(Resolution(pdev));
    pdev->ClipLimitRect = PrintableRectDots(pdev->Geometry.InputPaper, dpi);
    pdev->PageRect = pdev->ClipLimitRect;
    pdev->OutputPaperRect = PrintableRectDots(pdev->Geometry.OutputPaper, dpi);

    pdev->ShadowBitmap = nullptr;
    pdev->ShadowSurface = nullptr;
    pdev->CaptureFile = nullptr;
    pdev->CapturePath[0] = 0;
    return TRUE;
}
