// The paper-name table and the input and output papers of a device.
#include "render/Geometry.h"

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Spooler.h"
#include "settings/Forms.h"
#include "settings/MemoryPool.h"
#include "settings/PrinterData.h"

const PaperNameRow kPaperNameTable[52] = {
    {5300, 100}, {5301, 101}, {5302, 102}, {5303, 103}, {5304, 104}, {5322, 105}, {5305, 106}, {5306, 107},
    // Landscape variants.
    {5329, 124}, {5330, 125}, {5331, 126}, {5332, 127}, {5333, 128}, {5334, 129}, {5335, 130}, {5336, 131},
    // Continuous forms in inches, then the three form-size papers.
    {5367, 132}, {5368, 133}, {5369, 134}, {5370, 135}, {5371, 136}, {5372, 137}, {5373, 138}, {5374, 139},
    {5375, 140}, {5376, 141}, {5377, 142}, {5378, 143}, {5379, 144}, {5380, 145}, {5381, 146}, {5382, 147},
    {5383, 148}, {5384, 149}, {5385, 150}, {5386, 151}, {5387, 152}, {5388, 153}, {5389, 154}, {5390, 155},
    {5391, 156}, {5392, 157}, {5393, 158}, {5394, 159}, {5395, 160}, {5396, 161}, {5397, 162}, {5398, 163},
    // Short spellings of the JIS sizes.
    {5324, 103}, {5325, 104},
    // Code 123 has no string of its own: no name finds it.
    {5323, 123},
    {0, 0},
};

namespace {

constexpr char16_t kDefaultPaperName[] = u"15x11inch";

/// Characters before the terminator, reading at most limit; limit when there is none.
int BoundedLength(LPCWSTR text, int limit) {
    int n = 0;
    while (n < limit && text[n] != u'\0') ++n;
    return n;
}

/// A paper name that fits a PaperRecord (at most 31 characters), or nothing.
struct PaperName {
    WCHAR Text[kPaperNameChars] = {};
    bool Valid = false;

    explicit PaperName(LPCWSTR name) {
        if (name == nullptr) return;
        const int n = BoundedLength(name, kPaperNameChars);
        if (n >= kPaperNameChars) return;  // a longer name matches nothing
        for (int i = 0; i < n; ++i) Text[i] = name[i];
        Valid = true;
    }
};

bool Equal(LPCWSTR a, LPCWSTR b) {
    for (;; ++a, ++b) {
        if (*a != *b) return false;
        if (*a == u'\0') return true;
    }
}

void CopyName(WCHAR (&to)[kPaperNameChars], LPCWSTR from) {
    const int n = BoundedLength(from, kPaperNameChars - 1);
    for (int i = 0; i < n; ++i) to[i] = from[i];
    for (int i = n; i < kPaperNameChars; ++i) to[i] = u'\0';
}

/// A row's string; empty when the module lacks it, so that such a row matches nothing.
bool RowString(const PDEV* pdev, UINT id, WCHAR (&out)[kPaperNameChars]) {
    out[0] = u'\0';
    const HINSTANCE module = reinterpret_cast<HINSTANCE>(pdev->Module);
    return LoadStringW(module, id, out, kPaperNameChars) > 0;
}

/// The first table row whose string equals name, or NULL.
const PaperNameRow* FindRow(const PDEV* pdev, const PaperName& name) {
    if (!name.Valid || name.Text[0] == u'\0') return nullptr;
    for (const PaperNameRow* row = kPaperNameTable; row->StringId != 0; ++row) {
        WCHAR text[kPaperNameChars];
        if (RowString(pdev, row->StringId, text) && Equal(text, name.Text)) return row;
    }
    return nullptr;
}

/// Copies the margin-list record named name (name, size, printable area); false when none.
bool CopyMarginRecord(const PDEV* pdev, PaperRecord* paper, LPCWSTR name) {
    const ModelForm* list = pdev->Geometry.PaperMarginList;
    if (list == nullptr || pdev->Model == nullptr) return false;
    for (DWORD i = 0; i < pdev->Geometry.PaperMarginCount; ++i) {
        const ModelForm& form = list[i];
        const LPCWSTR formName = ModelString(pdev->Model, form.NameOffset);
        if (!Equal(formName, name)) continue;
        CopyName(paper->Name, formName);
        paper->Width = static_cast<LONG>(form.Width);
        paper->Height = static_cast<LONG>(form.Length);
        paper->Printable = RECTL{static_cast<LONG>(form.PrintableLeft), static_cast<LONG>(form.PrintableTop),
                                 static_cast<LONG>(form.PrintableRight), static_cast<LONG>(form.PrintableBottom)};
        return true;
    }
    return false;
}

/// The default paper's name from the string table (the built-in spelling when it is absent).
void DefaultPaperName(const PDEV* pdev, WCHAR (&out)[kPaperNameChars]) {
    if (!RowString(pdev, kDefaultPaperStringId, out)) CopyName(out, kDefaultPaperName);
}

/// Spooler forms are measured in whole micrometres; one a hair over a half-inch multiple is
/// that multiple.
LONG SnapToHalfInch(LONG microns) {
    constexpr LONG kHalfInch = 12700;
    const LONG over = microns % kHalfInch;
    return microns > 0 && over != 0 && over < 425 ? microns - over : microns;
}


// The range of sizes the printer takes as an output paper of its own (bounds included).
bool FitsOutputRange(LONG width, LONG height) {
    return width >= 165100 && width <= 457200 && height >= 177800 && height <= 355600;
}

// Cut-sheet papers that the default rule always prints on the continuous form.
constexpr const char16_t* kCutSheetPapers[] = {
    u"A3",     u"A4",     u"A5",     u"B4 (JIS)",     u"B5 (JIS)",     u"Letter",     u"はがき",    u"往復はがき",
    u"A3 横", u"A4 横", u"A5 横", u"B4 (JIS) 横", u"B5 (JIS) 横", u"Letter 横", u"はがき 横", u"往復はがき 横",
};

/// The output name that TBL_OutPaperTable pairs with the input name; false when there is
/// no table or no pair for it.
bool OutputNameFromTable(PDEV* pdev, LPCWSTR inputName, WCHAR (&out)[kPaperNameChars + 1]) {
    WCHAR valueName[] = u"TBL_OutPaperTable";
    DWORD type = 0;
    DWORD cbValue = 0;
    GetPrinterDataW(pdev->Printer, valueName, &type, nullptr, 0, &cbValue);
    if (cbValue == 0) return false;
    // Two zero bytes beyond the value (three when its size is odd) terminate even an
    // unterminated last name.
    const DWORD cbBlock = cbValue + 2 + (cbValue & 1);
    if (cbBlock < cbValue) return false;
    auto* block = static_cast<WCHAR*>(PoolAlloc(pdev->ChainHead, cbBlock));
    if (block == nullptr) return false;
    DWORD cbRead = 0;
    bool found = false;
    if (GetPrinterDataW(pdev->Printer, valueName, &type, reinterpret_cast<BYTE*>(block), cbValue, &cbRead) ==
        ERROR_SUCCESS) {
        const int cch = static_cast<int>((cbRead < cbValue ? cbRead : cbValue) / sizeof(WCHAR));
        int at = 0;
        while (at < cch && block[at] != u'\0') {
            const LPCWSTR first = block + at;
            at += BoundedLength(first, cch - at) + 1;
            if (at >= cch || block[at] == u'\0') break;  // a first name without its partner
            const LPCWSTR second = block + at;
            const int cchSecond = BoundedLength(second, cch - at);
            at += cchSecond + 1;
            if (!Equal(first, inputName)) continue;
            // A name longer than a paper name is kept long enough to be found by nothing.
            const int n = cchSecond < kPaperNameChars ? cchSecond : kPaperNameChars;
            for (int i = 0; i < n; ++i) out[i] = second[i];
            out[n] = u'\0';
            found = true;
            break;
        }
    }
    PoolFree(pdev->ChainHead, block);
    return found;
}

}  // namespace

BOOL PaperNameOfCode(const PDEV* pdev, DWORD code, LPWSTR out) {
    if (out == nullptr) return FALSE;
    out[0] = u'\0';
    for (const PaperNameRow* row = kPaperNameTable; row->StringId != 0; ++row) {
        if (row->Code != code) continue;
        WCHAR text[kPaperNameChars];
        if (!RowString(pdev, row->StringId, text)) return FALSE;
        for (int i = 0; i < kPaperNameChars; ++i) out[i] = text[i];
        return TRUE;
    }
    return FALSE;
}

DWORD PaperCodeOfName(const PDEV* pdev, LPCWSTR name) {
    const PaperNameRow* row = FindRow(pdev, PaperName(name));
    return row == nullptr ? kUnknownPaperCode : row->Code;
}

void ResolvePaper(PDEV* pdev, PaperRecord* paper, LPCWSTR name) {
    paper->Code = kUnknownPaperCode;
    const PaperName wanted(name);

    // The printer's own papers carry the model's margins under their canonical names.
    if (const PaperNameRow* row = FindRow(pdev, wanted)) {
        paper->Code = row->Code;
        WCHAR canonical[kPaperNameChars];
        if (PaperNameOfCode(pdev, row->Code, canonical) && CopyMarginRecord(pdev, paper, canonical)) return;
    }

    // Any other form of the spooler prints with fixed margins.
    if (wanted.Valid) {
        const UsableForms forms(pdev->Printer);
        if (const FORM_INFO_1W* form = forms.Find(wanted.Text)) {
            const LONG width = SnapToHalfInch(form->Size.cx);
            const LONG height = SnapToHalfInch(form->Size.cy);
            paper->Width = width;
            paper->Height = height;
            paper->Printable = RECTL{12700, 0, width - 12700, height - 4300};
            CopyName(paper->Name, wanted.Text);
            return;
        }
    }

    WCHAR fallback[kPaperNameChars];
    DefaultPaperName(pdev, fallback);
    CopyMarginRecord(pdev, paper, fallback);
}

void ChooseOutputPaper(PDEV* pdev, PaperRecord* output) {
    const DriverDevMode& s = pdev->Settings;
    const PaperRecord& input = pdev->Geometry.InputPaper;
    WCHAR defaultName[kPaperNameChars];
    DefaultPaperName(pdev, defaultName);

    // One character more than a paper name: a longer name stays too long to be found.
    WCHAR name[kPaperNameChars + 1] = {};
    auto take = [&name](LPCWSTR from, int limit) {
        const int n = BoundedLength(from, limit);
        for (int i = 0; i < n; ++i) name[i] = from[i];
        name[n] = u'\0';
    };
    constexpr DWORD kExplicitOutputPaper = 1u << 0;
    if ((s.FeatureFlags & kExplicitOutputPaper) != 0) {
        if (s.OutputPaperSize != 0) {
            take(s.OutputPaperName, kPaperNameChars);
        } else {
            take(input.Name, kPaperNameChars);
        }
    } else if ((s.OptionFlags & kOptionNoOutPaperTable) != 0) {
        bool cutSheet = false;
        const PaperName inputName(input.Name);
        for (const char16_t* paper : kCutSheetPapers) cutSheet = cutSheet || (inputName.Valid && Equal(inputName.Text, paper));
        const bool own = !cutSheet && FitsOutputRange(input.Width, input.Height);
        take(own ? input.Name : defaultName, kPaperNameChars);
    } else if (const PaperName inputName(input.Name); !inputName.Valid || !OutputNameFromTable(pdev, inputName.Text, name)) {
        take(input.Name, kPaperNameChars);
    }

    {
        const UsableForms forms(pdev->Printer);
        if (!forms.Listed()) {
            take(defaultName, kPaperNameChars);
        } else if (FindRow(pdev, PaperName(name)) == nullptr && s.NupDown == 1 && s.NupAcross == 1) {
            // Without faces, a form of the spooler prints on itself only when the printer
            // takes its size.
            const FORM_INFO_1W* form = forms.Find(name);
            if (form != nullptr && !FitsOutputRange(form->Size.cx, form->Size.cy)) take(defaultName, kPaperNameChars);
        }
    }
    ResolvePaper(pdev, output, name);
}
