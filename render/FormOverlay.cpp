// The overlay's ".fn2" form file at device set-up: whether it can be used, and which paper
// it was made for.
#include <cstring>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/Spooler.h"
#include "render/Geometry.h"
#include "render/PageSetup.h"
#include "settings/Forms.h"
#include "settings/ModelCache.h"
#include "settings/SpoolerQueries.h"

namespace {

constexpr size_t kOffsetFormat = 112;
constexpr size_t kOffsetKindA = 136;
constexpr size_t kOffsetKindB = 152;
constexpr size_t kOffsetLength = 156;
constexpr size_t kOffsetWidth = 160;
constexpr size_t kOffsetDataStart = 168;
constexpr size_t kOffsetDataEnd = 172;
constexpr DWORD kFormFormat = 2;
constexpr DWORD kOverlayDefaultCode = 134;

// The header bytes that BeginFormStorage copies into its commands: {first, count, only when
// the first byte is not a blank}.
struct PastedRun {
    size_t Offset;
    size_t Count;
    bool UnlessBlank;
};
constexpr PastedRun kPastedRuns[] = {
    {188, 3, true},   // ESC L parameter
    {192, 3, true},   // ESC / parameter
    {196, 2, false},  // ESC T parameter
    {204, 7, false},  // form identifier and position
};

// Paper kind codes of the header and the paper each stands for.
struct PaperKindRow {
    DWORD Kind;
    DWORD Code;
};
constexpr PaperKindRow kPaperKinds[] = {
    {16, 133},    // 10x11inch
    {32, 134},    // 15x11inch
    {2, 163},     // Letter (form size)
    {512, 161},   // A4 (form size)
    {4096, 162},  // B5 (form size)
};

bool Printable(BYTE c) { return c >= 0x20 && c <= 0x7E; }

// The header's size in 1/7200 inch as micrometres.
long long HeaderMicrons(const BYTE* header, size_t offset) {
    return FormLengthMicrons(FormHeaderDword(header, offset));
}

void SetFormName(DriverDevMode* block, LPCWSTR name) {
    lstrcpynW(block->Public.dmFormName, name, CCHFORMNAME);
}

}  // namespace

bool FormFileAcceptable(const BYTE* file, DWORD cbFile) {
    if (file == nullptr || cbFile < kFormFileHeaderSize) return false;
    if (std::memcmp(file, "ZEV", 3) != 0 || FormHeaderDword(file, kOffsetFormat) != kFormFormat) return false;
    const DWORD start = FormHeaderDword(file, kOffsetDataStart);
    const DWORD end = FormHeaderDword(file, kOffsetDataEnd);
    if (start < kFormFileHeaderSize || start > end || end > cbFile) return false;
    for (const PastedRun& run : kPastedRuns) {
        if (run.UnlessBlank && file[run.Offset] == ' ') continue;
        for (size_t i = 0; i < run.Count; ++i) {
            if (!Printable(file[run.Offset + i])) return false;
        }
    }
    return true;
}

DWORD GetOverlayPaperCode(const BYTE* header, const ModelDescription* model, DWORD defaultCode) {
    const DWORD kind = FormHeaderDword(header, kOffsetKindA);
    if (kind != FormHeaderDword(header, kOffsetKindB)) return defaultCode;
    if (kind != 0) {
        for (const PaperKindRow& row : kPaperKinds) {
            if (row.Kind == kind) return row.Code;
        }
        return defaultCode;
    }
    // Kind 0: a custom size, named after the model's portrait form of that size.
    const OverlayCustomPaper* paper =
        FindOverlayCustomPaper(model, HeaderMicrons(header, kOffsetWidth), HeaderMicrons(header, kOffsetLength));
    if (paper != nullptr) return paper->Code;
    return kUnknownPaperCode;
}

BOOL CheckFormFileHeader(PDEV* /*pdev*/, LPCSTR path, DriverDevMode* block) {
    FormFileView file(path);
    if (!file.Mapped()) {
        block->OverlayStatus |= kOverlayUnmappable;
        return FALSE;
    }
    if (!FormFileAcceptable(file.Data(), file.Size())) {
        block->OverlayStatus |= kOverlayBadHeader;
        return FALSE;
    }
    return TRUE;
}

BOOL MatchOverlayForm(PDEV* pdev, HANDLE printer, DriverDevMode* block, const ModelDescription* model, LPCSTR path) {
    BYTE header[kFormFileHeaderSize];
    {
        FormFileView file(path);
        if (!file.Mapped()) {
            block->OverlayStatus |= kOverlayUnmappable;
            return FALSE;
        }
        // The file may have changed since it was checked.
        if (!FormFileAcceptable(file.Data(), file.Size())) {
            block->OverlayStatus |= kOverlayBadHeader;
            return FALSE;
        }
        std::memcpy(header, file.Data(), sizeof header);
    }
    const DWORD code = GetOverlayPaperCode(header, model, kOverlayDefaultCode);
    WCHAR name[kPaperNameChars];
    if (PaperNameOfCode(pdev, code, name)) SetFormName(block, name);
    if (code != kUnknownPaperCode) return TRUE;

    // A size of no known paper: the spooler's form of exactly that size, else 15x11inch.
    const long long width = HeaderMicrons(header, kOffsetWidth);
    const long long length = HeaderMicrons(header, kOffsetLength);
    DWORD count = 0;
    FORM_INFO_1W* forms = EnumUsableForms(printer, &count);
    bool found = false;
    for (DWORD i = 0; forms != nullptr && i < count && !found; ++i) {
        if (IsBlankedForm(forms[i]) || forms[i].pName == nullptr) continue;
        if (forms[i].Size.cx == width && forms[i].Size.cy == length) {
            SetFormName(block, forms[i].pName);
            found = true;
        }
    }
    if (forms != nullptr) GlobalFree(forms);
    if (!found) SetFormName(block, u"15x11inch");
    return TRUE;
}

void LoadFormOverlay(PDEV* pdev, HANDLE printer, DriverDevMode* block, const ModelDescription* model) {
    block->OverlayStatus = 0;
    if ((block->OverlayFlags & kOverlayOn) == 0) return;
    char path[kFormFilePathBytes];
    MakeFormFilePath(block, path);
    // An unusable file switches the overlay off; the job prints without it.
    if (!CheckFormFileHeader(pdev, path, block)) {
        block->OverlayFlags = static_cast<WORD>(block->OverlayFlags & ~kOverlayOn);
        return;
    }
    MatchOverlayForm(pdev, printer, block, model, path);
}
