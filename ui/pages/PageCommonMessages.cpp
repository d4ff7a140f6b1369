// Message boxes, control icons, the hint line and the restore of the defaults that every page
// and dialog shares.
#include <algorithm>
#include <string>

#include "platform/Controls.h"
#include "platform/User.h"
#include "resources/ui/PictureIds.h"
#include "resources/ui/StringIds.h"
#include "ui/pages/PageCommon.h"
#include "ui/pages/PageIcons.h"
#include "ui/data/PrinterDataValues.h"
#include "ui/pages/PropertyPages.h"
#include "ui/status/StatusQuery.h"

namespace {

constexpr int kMessageChars = 128;
constexpr int kCaptionChars = 64;
constexpr int kHintChars = 256;

// The hint icons of the page's icons, by kind.
int HintIconId(int kind) {
    switch (kind) {
        case kHintInfo: return kInfoIconId;
        case kHintNote: return kNoteIconId;
        case kHintCaution: return kCautionIconId;
        case kHintFixed: return kLockIconId;
        default: return kLightBulbIconId;
    }
}

}  // namespace

int ShowMessage(HWND owner, UINT textId, LPCWSTR caption, UINT captionId, UINT style, HMODULE languageLibrary) {
    WCHAR text[kMessageChars + 1] = {};
    LoadStringW(languageLibrary, textId, text, kMessageChars + 1);
    WCHAR title[kCaptionChars + 1] = {};
    if (caption != nullptr) {
        const size_t length = std::char_traits<char16_t>::length(caption);
        std::char_traits<char16_t>::copy(title, caption, std::min<size_t>(length, kCaptionChars));
    } else {
        LoadStringW(languageLibrary, captionId, title, kCaptionChars + 1);
    }
    return MessageBoxW(owner, text, title, style);
}

int ShowPageWarning(PageRecord* page, HWND owner, UINT textId) {
    MessageBeep(MB_ICONEXCLAMATION);
    const UiContext* context = page != nullptr ? page->context : nullptr;
    return ShowMessage(owner, textId, context != nullptr ? context->printerName : u"", 0, MB_ICONWARNING,
                       context != nullptr ? context->languageLibrary : nullptr);
}

HICON SetControlIcon(HWND dialog, int control, HICON icon) {
    return reinterpret_cast<HICON>(
        SendDlgItemMessageW(dialog, control, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0));
}

void SetPageHint(PageRecord* page, HWND dialog, UINT textId, int iconKind) {
    HWND icon = GetDlgItem(dialog, kHintIcon);
    if (textId == 0) {
        SetDlgItemTextW(dialog, kHintText, u"");
        ShowWindow(icon, SW_HIDE);
        EnableWindow(icon, FALSE);
        return;
    }
    WCHAR text[kHintChars + 1] = {};
    if (page != nullptr && page->context != nullptr) {
        LoadStringW(page->context->languageLibrary, textId, text, kHintChars + 1);
    }
    SetDlgItemTextW(dialog, kHintText, text);
    ShowWindow(icon, SW_SHOW);
    EnableWindow(icon, TRUE);
    SetControlIcon(dialog, kHintIcon, PageIcon(page, HintIconId(iconKind)));
}

int RestoreDefaults(PageRecord* page, HWND dialog) {
    if (page == nullptr || page->context == nullptr) return 0;
    UiContext* context = page->context;
    if (ShowMessage(dialog, kRestoreDefaultsMessage, context->printerName, 0, MB_OKCANCEL | MB_ICONEXCLAMATION,
                    context->languageLibrary) != IDOK) {
        return 0;
    }
    // The defaults carry the default preset's position; the presets list follows the block.
    context->workingBlock = context->defaultBlock;
    ReadInstalledOptions(&context->workingBlock, context->printer);
    UpdateStatusFlag(&context->workingBlock, &context->status, context->printer);
    PublishDsProperties(&context->workingBlock, &context->status, context->printer, context->model);
    return 1;
}
