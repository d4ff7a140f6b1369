// The lists of document page two that no other page shares: sources, media kinds, print
// modes and output trays, the source's place among the per-source media kinds, and the
// page's controls shown again from the working block.
#include <algorithm>
#include <iterator>
#include <string_view>

#include "platform/Controls.h"
#include "platform/User.h"
#include "resources/ui/StringIds.h"
#include "ui/pages/DocumentPage2.h"
#include "ui/pages/PageCommon.h"
#include "ui/pages/PageListFillers.h"
#include "ui/pages/PropertyPages.h"

namespace {

// Names of the sources with a value of their own, in the order of SourceValues.
constexpr UINT kSourceValueStrings[kSourceValueCount] = {kAutoSourceName,    kFeeder1SourceName, kFeeder2SourceName,
                                                         kFeeder3SourceName, kFeeder4SourceName, kFeeder5SourceName,
                                                         kManualSourceName,  kGroupASourceName,  kGroupBSourceName};
constexpr int kNameChars = 80;  // a source name of the model or the library holds at most 79
constexpr int kTextChars = 64;

// The model's text at offset, cut at the image's end and at chars - 1 characters.
void CopyModelName(const ModelDescription* model, DWORD offset, WCHAR* out, size_t chars) {
    out[0] = u'\0';
    if (model == nullptr || chars == 0) return;
    const LPCWSTR text = ModelString(model, offset);
    if (text[0] == u'\0') return;
    const size_t room = (model->TotalSize - offset) / sizeof(WCHAR);
    const size_t limit = std::min(room, chars - 1);
    size_t length = 0;
    while (length < limit && text[length] != u'\0') ++length;
    std::copy(text, text + length, out);
    out[length] = u'\0';
}

const ModelNamedValue* InputSlots(const ModelDescription* model) {
    return model != nullptr ? ModelList<ModelNamedValue>(model, model->InputSlotOffset, model->InputSlotCount) : nullptr;
}

int AddItem(HWND dialog, int list, const WCHAR* text, LPARAM data) {
    const auto index = SendDlgItemMessageW(dialog, list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index >= 0) SendDlgItemMessageW(dialog, list, CB_SETITEMDATA, static_cast<WPARAM>(index), data);
    return static_cast<int>(index);
}

void AddStringItem(HWND dialog, int list, HMODULE language, UINT id, LPARAM data) {
    WCHAR text[kTextChars] = {};
    LoadStringW(language, id, text, kTextChars);
    AddItem(dialog, list, text, data);
}

// Selects the entry whose data is value; none when no entry has it.
void SelectByData(HWND dialog, int list, LPARAM value) {
    const auto count = SendDlgItemMessageW(dialog, list, CB_GETCOUNT, 0, 0);
    LRESULT selected = -1;
    for (LRESULT i = 0; i < count && selected < 0; ++i) {
        if (SendDlgItemMessageW(dialog, list, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == value) selected = i;
    }
    SendDlgItemMessageW(dialog, list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

}  // namespace

int SourceValueIndex(HMODULE languageLibrary, const WCHAR* slotName) {
    if (slotName == nullptr || slotName[0] == u'\0') return 0;
    for (int i = 0; i < kSourceValueCount; ++i) {
        WCHAR name[kNameChars] = {};
        if (LoadStringW(languageLibrary, kSourceValueStrings[i], name, kNameChars) > 0 &&
            std::u16string_view(name) == slotName) {
            return i;
        }
    }
    return 0;
}

void CurrentSourceName(PageRecord* page, WCHAR* out, size_t chars) {
    if (out == nullptr || chars == 0) return;
    out[0] = u'\0';
    if (page == nullptr || page->context == nullptr) return;
    const ModelDescription* model = page->context->model;
    const ModelNamedValue* slots = InputSlots(model);
    const WORD source = static_cast<WORD>(page->context->workingBlock.Public.dmDefaultSource);
    for (DWORD i = 0; slots != nullptr && i < model->InputSlotCount; ++i) {
        if (LOWORD(slots[i].Value) != source) continue;
        CopyModelName(model, slots[i].NameOffset, out, chars);
        return;
    }
}

void FillSourceList(PageRecord* page, HWND dialog) {
    if (page == nullptr || page->context == nullptr) return;
    const UiContext& context = *page->context;
    SendDlgItemMessageW(dialog, kSourceList, CB_RESETCONTENT, 0, 0);
    const ModelNamedValue* slots = InputSlots(context.model);
    for (DWORD i = 0; slots != nullptr && i < context.model->InputSlotCount; ++i) {
        WCHAR name[kNameChars];
        CopyModelName(context.model, slots[i].NameOffset, name, kNameChars);
        if (name[0] != u'\0') AddItem(dialog, kSourceList, name, static_cast<LPARAM>(LOWORD(slots[i].Value)));
    }
    SelectByData(dialog, kSourceList, static_cast<WORD>(context.workingBlock.Public.dmDefaultSource));
}

void FillMediaKindList(PageRecord* page, HWND dialog) {
    if (page == nullptr || page->context == nullptr) return;
    const UiContext& context = *page->context;
    SendDlgItemMessageW(dialog, kMediaList, CB_RESETCONTENT, 0, 0);
    for (int kind = 0; kind < kMediaKindCount; ++kind) {
        AddStringItem(dialog, kMediaList, context.languageLibrary, kMediaKindTextBase + kind, kind);
    }
    SelectByData(dialog, kMediaList, context.workingBlock.SourceMediaValue);
}

void FillPrintModeList(PageRecord* page, HWND dialog) {
    if (page == nullptr || page->context == nullptr) return;
    const UiContext& context = *page->context;
    SendDlgItemMessageW(dialog, kPrintModeList, CB_RESETCONTENT, 0, 0);
    for (int mode = 0; mode < kPrintModeCount; ++mode) {
        AddStringItem(dialog, kPrintModeList, context.languageLibrary, kPrintModeTextBase + mode, mode);
    }
    const WORD mode = context.workingBlock.PrintMode;
    SendDlgItemMessageW(dialog, kPrintModeList, CB_SETCURSEL, mode < kPrintModeCount ? mode : static_cast<WPARAM>(-1),
                        0);
}

void FillOutputTrayList(PageRecord* page, HWND dialog) {
    if (page == nullptr || page->context == nullptr) return;
    const UiContext& context = *page->context;
    SendDlgItemMessageW(dialog, kOutputTrayList, CB_RESETCONTENT, 0, 0);
    LPARAM current = 0;
    for (const OutputTrayItem& item : kOutputTrayItems) {
        AddStringItem(dialog, kOutputTrayList, context.languageLibrary, item.stringId, item.stringId);
        if (current == 0 && (context.workingBlock.CoverFlags & item.bit) != 0) current = item.stringId;
    }
    SelectByData(dialog, kOutputTrayList, current);
}

void ShowScaleText(PageRecord* page, HWND dialog) {
    if (page == nullptr || page->context == nullptr) return;
    const DriverDevMode& block = page->context->workingBlock;
    if (block.PagesPerSheet == 1) {
        SetDlgItemInt(dialog, kScaleEdit, block.LayoutScale, FALSE);
    } else {
        SetDlgItemTextW(dialog, kScaleEdit, u"---");
    }
}

void RefreshDocumentPage2(PageRecord* page, HWND dialog) {
    if (page == nullptr || page->context == nullptr) return;
    const DriverDevMode& block = page->context->workingBlock;
    InitDocumentPage2Controls(page, dialog);
    FillSourceList(page, dialog);
    FillMediaKindList(page, dialog);
    FillPrintModeList(page, dialog);
    FillOutputTrayList(page, dialog);
    CheckRadioButton(dialog, kPortraitRadio, kLandscapeRadio,
                     block.Public.dmOrientation == DMORIENT_LANDSCAPE ? kLandscapeRadio : kPortraitRadio);
    CheckDlgButton(dialog, kSeparatorCheck, block.PageDecorationOption == 1 ? BST_CHECKED : BST_UNCHECKED);
    FillNupDownList(page, dialog);
    FillNupAcrossList(page, dialog);
    ShowNupArrangement(page, dialog);
    if (HWND picture = GetDlgItem(dialog, kPreviewControl); picture != nullptr) InvalidateRect(picture, nullptr, TRUE);
}
