// Document page two's typed numbers, copies and scale: the edits with their up-downs shown
// from the working block, a number taken as soon as it lies in its range, and the check that
// keeps the page while an edit holds anything else.
#include <string_view>

#include "platform/Controls.h"
#include "platform/User.h"
#include "resources/ui/StringIds.h"
#include "ui/pages/DocumentPage2Internal.h"
#include "ui/pages/LayoutPreview.h"
#include "ui/pages/PageRoutines.h"

namespace page2 {
namespace {

constexpr int kMinCopies = 1, kMaxCopies = 999;
constexpr int kMinScale = 10, kMaxScale = 400;
constexpr int kNumberChars = 8;
constexpr char16_t kNoScale[] = u"---";

// Set while the page writes an edit itself, so that its EN_CHANGE is not taken as typing.
thread_local int t_writingEdit = 0;

class EditWrite {
public:
    EditWrite() { ++t_writingEdit; }
    ~EditWrite() { --t_writingEdit; }
    EditWrite(const EditWrite&) = delete;
    EditWrite& operator=(const EditWrite&) = delete;
};

void SetEditNumber(HWND dialog, int edit, UINT value) {
    const EditWrite writing;
    SetDlgItemInt(dialog, edit, value, FALSE);
}

// The edit's text as a number: digits only, at most six of them.
bool ReadNumber(HWND dialog, int edit, int* value) {
    WCHAR text[kNumberChars] = {};
    const int length = GetDlgItemTextW(dialog, edit, text, kNumberChars);
    if (length <= 0 || length > 6) return false;
    int number = 0;
    for (int i = 0; i < length; ++i) {
        if (text[i] < u'0' || text[i] > u'9') return false;
        number = number * 10 + (text[i] - u'0');
    }
    *value = number;
    return true;
}

bool EditShows(HWND dialog, int edit, std::u16string_view wanted) {
    WCHAR text[kNumberChars] = {};
    GetDlgItemTextW(dialog, edit, text, kNumberChars);
    return wanted == text;
}

// A refused edit: the warning, the edit focused with its text selected, the page kept.
bool Refuse(PageRecord* page, HWND dialog, int edit, UINT textId) {
    Warn(page, dialog, textId);
    HWND control = GetDlgItem(dialog, edit);
    SetFocus(control);
    SendMessageW(control, EM_SETSEL, 0, -1);
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 1);
    return false;
}

bool CheckCopies(PageRecord* page, HWND dialog) {
    int copies = 0;
    if (ReadNumber(dialog, kCopiesEdit, &copies) && copies >= kMinCopies && copies <= kMaxCopies) return true;
    return Refuse(page, dialog, kCopiesEdit, kCopiesRangeMessage);
}

bool CheckScale(PageRecord* page, HWND dialog) {
    int scale = 0;
    if (ReadNumber(dialog, kScaleEdit, &scale) && scale >= kMinScale && scale <= kMaxScale) return true;
    if (EditShows(dialog, kScaleEdit, kNoScale) && Working(page).PagesPerSheet != 1) return true;
    return Refuse(page, dialog, kScaleEdit, kScaleRangeMessage);
}

void SetUpDown(HWND dialog, int upDown, int low, int high, int position) {
    SendDlgItemMessageW(dialog, upDown, UDM_SETRANGE, 0, MAKELONG(high, low));
    SendDlgItemMessageW(dialog, upDown, UDM_SETPOS, 0, MAKELONG(position, 0));
}

}  // namespace

void ShowScale(PageRecord* page, HWND dialog) {
    const EditWrite writing;
    ShowScaleText(page, dialog);
}

bool CheckEdits(PageRecord* page, HWND dialog) { return CheckCopies(page, dialog) && CheckScale(page, dialog); }

// The scale edit and its up-down for the block: the scale within its range, or "---".
void ShowScaleEdit(PageRecord* page, HWND dialog) {
    const DriverDevMode& block = Working(page);
    const EditWrite writing;
    if (block.PagesPerSheet == 1) {
        SendDlgItemMessageW(dialog, kScaleEdit, EM_LIMITTEXT, 3, 0);
        SetUpDown(dialog, kScaleUpDown, kMinScale, kMaxScale, block.LayoutScale);
    }
    ShowScaleText(page, dialog);
}

void ShowCopiesEdit(PageRecord* page, HWND dialog) {
    const DriverDevMode& block = Working(page);
    const int copies = block.OutputDestination != 0 ? 1 : block.Public.dmCopies;
    const EditWrite writing;
    SendDlgItemMessageW(dialog, kCopiesEdit, EM_LIMITTEXT, 3, 0);
    SetUpDown(dialog, kCopiesUpDown, kMinCopies, kMaxCopies, copies);
    SetDlgItemInt(dialog, kCopiesEdit, static_cast<UINT>(copies), FALSE);
}

void OnScaleTyped(PageRecord* page, HWND dialog) {
    if (t_writingEdit != 0) return;
    DriverDevMode& block = Working(page);
    SetPageHint(page, dialog, 0, 0);
    if ((block.FeatureFlags & kFeatureScaling) == 0) return;
    int scale = 0;
    if (!ReadNumber(dialog, kScaleEdit, &scale) || scale < kMinScale || scale > kMaxScale) return;
    block.LayoutScale = block.SavedLayoutScale = static_cast<WORD>(scale);
    NotifyPageChanged(page, dialog);
    OnSettingChanged(page, dialog, 0, FALSE);
    Refresh(page, dialog);
    // What validation left is what the edit shows.
    if (block.PagesPerSheet != 1 || block.LayoutScale != scale) ShowScale(page, dialog);
}

void OnCopiesTyped(PageRecord* page, HWND dialog) {
    if (t_writingEdit != 0) return;
    DriverDevMode& block = Working(page);
    if (block.OutputDestination != 0) return;
    int copies = 0;
    if (ReadNumber(dialog, kCopiesEdit, &copies)) {
        if (copies == kMaxCopies + 1) {
            copies = 1;
            SetEditNumber(dialog, kCopiesEdit, 1);
        }
        if (copies >= kMinCopies && copies <= kMaxCopies) {
            if (block.Public.dmCopies != copies) {
                block.Public.dmCopies = static_cast<SHORT>(copies);
                NotifyPageChanged(page, dialog);
            }
            OnSettingChanged(page, dialog, 0, FALSE);
            Refresh(page, dialog);
            if (block.Public.dmCopies != copies) SetEditNumber(dialog, kCopiesEdit, static_cast<UINT>(block.Public.dmCopies));
        }
    }
    SetPageHint(page, dialog, kCopiesHint, kHintInfo);
}

}  // namespace page2
