// The form-overlay dialog: the switch, the form file (typed, from the recent files or chosen
// in the file-open dialog) and what the file's header says.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/Controls.h"
#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/PropSheet.h"
#include "platform/Shell.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "settings/SpoolerQueries.h"
#include "ui/resolver/Constraints.h"
#include "ui/data/FormFileHeader.h"
#include "ui/data/OverlayForm.h"
#include "ui/data/PrinterDataIo.h"
#include "ui/pages/PropertyPages.h"
#include "ui/entry/UiContext.h"

namespace {

// What the form's header says, emptied before a file is read.
constexpr int kInfoFields[] = {kOverlayKindText, kOverlayTitleText, kOverlayMakerText, kOverlayVersionText,
                               kOverlayLanguageText, kOverlayFormatText, kOverlayPaperSizeText,
                               kOverlayOrientationText, kOverlayWidthText, kOverlayLengthText};

constexpr size_t kTypedChars = 260;
constexpr size_t kAnsiPathBytes = 520;
constexpr size_t kFolderBytes = 127;
constexpr size_t kNameBytes = 8;
constexpr size_t kWarnPathChars = 387;
constexpr int kWarnTextChars = 129;
constexpr int kFilterChars = 64;
constexpr size_t kOpenFileChars = 520;
constexpr size_t kOpenTitleChars = 128;
constexpr char16_t kExtension[] = u".fn2";
constexpr DWORD kHelpIds[] = {kOverlaySwitch,       kOverlaySwitch,       kOverlayFileCombo,    kOverlayFileCombo,
                              kOverlayBrowseButton, kOverlayBrowseButton, kOverlayMarginsCheck, kOverlayMarginsCheck,
                              0,                    0};

using Text = std::u16string;

UiContext* ContextOf(HWND dialog) {
    PageRecord* page = PageRecordOf(dialog);
    return page != nullptr ? page->context : nullptr;
}

Text DialogText(HWND dialog, int id, size_t cchMax) {
    Text text(cchMax + 1, u'\0');
    const UINT copied = GetDlgItemTextW(dialog, id, text.data(), static_cast<int>(text.size()));
    text.resize(copied);
    return text;
}

Text Widen(const char* ansi, size_t bytes) {
    Text wide(bytes + 1, u'\0');
    const int converted =
        bytes == 0 ? 0 : MultiByteToWideChar(CP_ACP, 0, ansi, static_cast<int>(bytes), wide.data(), static_cast<int>(bytes));
    wide.resize(converted > 0 ? static_cast<size_t>(converted) : 0);
    return wide;
}

std::string Narrow(const Text& wide) {
    std::string ansi(kAnsiPathBytes, '\0');
    const int converted = wide.empty() ? 0
                                       : WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                                             ansi.data(), static_cast<int>(ansi.size()), nullptr, nullptr);
    ansi.resize(converted > 0 ? static_cast<size_t>(converted) : 0);
    return ansi;
}

// The longest start of the ANSI text of at most maxBytes that ends on a character boundary.
size_t WholeCharacters(const std::string& ansi, size_t maxBytes) {
    const UINT codePage = GetACP();
    size_t kept = 0;
    while (kept < ansi.size()) {
        const size_t step = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(ansi[kept])) ? 2 : 1;
        if (kept + step > maxBytes || kept + step > ansi.size()) break;
        kept += step;
    }
    return kept;
}

bool EndsWithExtension(const Text& name) {
    constexpr size_t kChars = sizeof kExtension / sizeof kExtension[0] - 1;
    if (name.size() < kChars) return false;
    for (size_t i = 0; i < kChars; ++i) {
        char16_t c = name[name.size() - kChars + i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != kExtension[i]) return false;
    }
    return true;
}

// The path with the file's own spelling of its name when the file exists. Wildcards are not
// looked up: they would name some other file.
Text AsFileSystemSpells(const Text& path) {
    if (path.empty() || path.find_first_of(u"*?") != Text::npos) return path;
    WIN32_FIND_DATAW found{};
    const HANDLE find = FindFirstFileW(path.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return path;
    FindClose(find);
    const size_t slash = path.rfind(u'\\');
    Text spelled = (slash == Text::npos ? Text() : path.substr(0, slash + 1)) + found.cFileName;
    return spelled.size() <= kTypedChars ? spelled : path;
}

void ClearFormFileInfo(HWND dialog) {
    for (const int id : kInfoFields) SetDlgItemTextW(dialog, id, u"");
}

Text CurrentFilePath(DriverDevMode* block) {
    if (block->OverlayFolder[0] == '\0' || block->OverlayName[0] == '\0') return Text();
    const DWORD status = block->OverlayStatus;
    char path[kFormFilePathBytes];
    MakeFormFilePath(block, path);
    block->OverlayStatus = status;
    return AsFileSystemSpells(Widen(path, strnlen(path, sizeof path)));
}

void SetText(HWND dialog, int id, const char* ascii) {
    Text text;
    for (const char* c = ascii; *c != '\0'; ++c) text.push_back(static_cast<char16_t>(static_cast<unsigned char>(*c)));
    SetDlgItemTextW(dialog, id, text.c_str());
}

void ShowFormFileInfo(HWND dialog, UiContext* context) {
    DriverDevMode* block = &context->scratchBlock;
    const DWORD status = block->OverlayStatus;
    char path[kFormFilePathBytes];
    MakeFormFilePath(block, path);
    block->OverlayStatus = status;
    FormFileHeader header;
    if (!ReadFormFileHeader(&header, path)) {
        ClearFormFileInfo(dialog);
        return;
    }
    SetDlgItemTextW(dialog, kOverlayKindText, Widen(header.KindText(), std::strlen(header.KindText())).c_str());
    const char* title = reinterpret_cast<const char*>(header.bytes + kFormHeaderTitle);
    SetDlgItemTextW(dialog, kOverlayTitleText, Widen(title, strnlen(title, kFormHeaderTitleEnd - kFormHeaderTitle)).c_str());
    SetDlgItemTextW(dialog, kOverlayMakerText, header.Dword(kFormHeaderMaker) == 0 ? u"KD-VELUMO for Windows VRTL版" : u"---");

    char text[48];
    const DWORD high = header.Dword(kFormHeaderVersionHigh);
    const DWORD low = header.Dword(kFormHeaderVersionLow);
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", static_cast<unsigned>(high >> 16), static_cast<unsigned>(high & 0xFFFF),
                  static_cast<unsigned>(low >> 16), static_cast<unsigned>(low & 0xFFFF));
    SetText(dialog, kOverlayVersionText, text);
    switch (header.Dword(kFormHeaderLanguage)) {
    case 1: SetText(dialog, kOverlayLanguageText, "VRTL"); break;
    case 2: SetText(dialog, kOverlayLanguageText, "VRTL Level2"); break;
    case 0x10000: SetText(dialog, kOverlayLanguageText, "ZK3PT"); break;
    default: SetText(dialog, kOverlayLanguageText, "---"); break;
    }
    const DWORD format = header.Dword(kFormHeaderFormat);
    std::snprintf(text, sizeof text, "%u.%02u", static_cast<unsigned>(format >> 16), static_cast<unsigned>(format & 0xFFFF));
    SetText(dialog, kOverlayFormatText, text);

    const DWORD code = header.Dword(kFormHeaderSizeCode);
    switch (code) {
    case kFormSizeFree:
    case kFormSizeLetter:
    case kFormSizeA4:
    case kFormSizeB5: SetDlgItemTextW(dialog, kOverlayPaperSizeText, u"サイズ数値指定"); break;
    case kFormSizeTenByEleven: SetText(dialog, kOverlayPaperSizeText, "10x11inch"); break;
    case kFormSizeFifteenByEleven: SetText(dialog, kOverlayPaperSizeText, "15x11inch"); break;
    default: SetText(dialog, kOverlayPaperSizeText, "---"); break;
    }
    DWORD width = header.Dword(kFormHeaderWidth);
    DWORD length = header.Dword(kFormHeaderLength);
    if (code != kFormSizeFree) {
        width = static_cast<DWORD>(block->Public.dmPaperWidth > 0 ? block->Public.dmPaperWidth : 0) * 7200u / 254u;
        length = static_cast<DWORD>(block->Public.dmPaperLength > 0 ? block->Public.dmPaperLength : 0) * 7200u / 254u;
    }
    WCHAR inches[32];
    FormatInchText(width, inches, 32);
    SetDlgItemTextW(dialog, kOverlayWidthText, inches);
    FormatInchText(length, inches, 32);
    SetDlgItemTextW(dialog, kOverlayLengthText, inches);
    switch (header.Orientation()) {
    case 'L': SetDlgItemTextW(dialog, kOverlayOrientationText, u"横方向"); break;
    case 'P': SetDlgItemTextW(dialog, kOverlayOrientationText, u"縦方向"); break;
    default: SetText(dialog, kOverlayOrientationText, "---"); break;
    }
}

// The combo's text into the scratch block's folder and name; true when it names a form file.
bool ParseFormFilePath(HWND dialog, UiContext* context) {
    DriverDevMode* block = &context->scratchBlock;
    const Text typed = AsFileSystemSpells(DialogText(dialog, kOverlayFileCombo, kTypedChars));
    const bool on = (block->OverlayFlags & kOverlayOn) != 0;
    if (typed.empty()) {
        if (on) {
            ClearFormFileInfo(dialog);
            block->OverlayStatus = kOverlayCannotOpen;
        } else {
            block->OverlayStatus = 0;
        }
        return false;
    }
    const size_t slash = typed.rfind(u'\\');
    const std::string folder = slash == Text::npos ? std::string() : Narrow(typed.substr(0, slash));
    if (slash == Text::npos || folder.size() > kFolderBytes) {
        ClearFormFileInfo(dialog);
        block->OverlayStatus = kOverlayCannotOpen;
        return false;
    }
    const Text name = typed.substr(slash + 1);
    if (!EndsWithExtension(name)) {
        ClearFormFileInfo(dialog);
        block->OverlayStatus = kOverlayNotFormFile;
        return false;
    }
    const std::string stem = Narrow(name.substr(0, name.rfind(u'.')));
    std::memset(block->OverlayFolder, 0, sizeof block->OverlayFolder);
    std::memcpy(block->OverlayFolder, folder.data(), folder.size());
    std::memset(block->OverlayName, 0, sizeof block->OverlayName);
    std::memcpy(block->OverlayName, stem.data(), WholeCharacters(stem, kNameBytes));
    return true;
}

bool CheckFormFile(HWND dialog, UiContext* context, bool warn) {
    DriverDevMode* block = &context->scratchBlock;
    if (block->OverlayFolder[0] == '\0' && block->OverlayName[0] == '\0') return false;
    RegisterOverlayForm(block, context->printer, context->model);
    if (block->OverlayStatus == 0) {
        ShowFormFileInfo(dialog, context);
        return true;
    }
    if (block->OverlayStatus == kOverlayBadPaper) ShowFormFileInfo(dialog, context);
    else ClearFormFileInfo(dialog);
    if (warn) PostMessageW(dialog, kOverlayWarnMessage, 0, 0);
    return false;
}

void WarnFormFileError(HWND dialog, UiContext* context) {
    UINT textId = 0;
    switch (context->scratchBlock.OverlayStatus) {
    case kOverlayNotFormFile: textId = kNotFormFileMessage; break;
    case kOverlayBadPaper: textId = kFormPaperSizeMessage; break;
    case kOverlayNoName:
    case kOverlayCannotOpen:
    case kOverlayNoFolder: textId = kFormFileUnreadableMessage; break;
    default: return;
    }
    Text message = DialogText(dialog, kOverlayFileCombo, kWarnPathChars);
    WCHAR reason[kWarnTextChars] = {};
    LoadStringW(context->languageLibrary, textId, reason, kWarnTextChars);
    // The path on a line of its own, so that it does not run into the sentence.
    if (!message.empty()) message += u'\n';
    message += reason;
    MessageBoxW(dialog, message.c_str(), context->printerName, MB_ICONWARNING);
    SetFocus(GetDlgItem(dialog, kOverlayFileCombo));
}

LRESULT Combo(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendDlgItemMessageW(dialog, kOverlayFileCombo, message, wParam, lParam);
}

Text ComboItem(HWND dialog, int index) {
    const LRESULT length = Combo(dialog, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0) return Text();
    Text text(static_cast<size_t>(length) + 1, u'\0');
    const LRESULT copied = Combo(dialog, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

// The exact string leaves its place (else the tenth entry goes) and comes first, selected.
// Callers give the file system's spelling, which the next opening recognises as the current file.
void MoveToTop(HWND dialog, const Text& path) {
    int found = -1;
    const LRESULT count = Combo(dialog, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < count && found < 0; ++i) {
        if (ComboItem(dialog, i) == path) found = i;
    }
    Combo(dialog, CB_DELETESTRING, static_cast<WPARAM>(found >= 0 ? found : static_cast<int>(kFormHistoryEntries) - 1), 0);
    Combo(dialog, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
    Combo(dialog, CB_SETCURSEL, 0, 0);
}

void FillFormHistoryCombo(HWND dialog, UiContext* context) {
    const Text current = CurrentFilePath(&context->scratchBlock);
    DWORD cb = 0;
    const GlobalBlock value = printerdata::ReadBinary(context->printer, kFormHistoryValue, &cb);
    const auto* units = value.As<const char16_t>();
    const size_t unitCount = units != nullptr ? cb / sizeof(char16_t) : 0;
    size_t read = 0;
    for (size_t at = 0; at < unitCount && read < kFormHistoryEntries; ++read) {
        size_t end = at;
        while (end < unitCount && units[end] != 0) ++end;
        const Text path(units + at, end - at);
        at = end + 1;
        if (path.empty() || path.size() > kTypedChars || path == current) continue;
        Combo(dialog, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
    }
    if (!current.empty()) {
        Combo(dialog, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(current.c_str()));
        Combo(dialog, CB_SETCURSEL, 0, 0);
    }
}

void SaveFormHistory(HWND dialog, UiContext* context) {
    Text data;
    size_t saved = 0;
    const LRESULT count = Combo(dialog, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < count && saved < kFormHistoryEntries; ++i) {
        const Text path = ComboItem(dialog, i);
        if (path.empty()) continue;
        data += path;
        data.push_back(u'\0');
        ++saved;
    }
    if (saved == 0) return;
    printerdata::WriteBinary(context->printer, kFormHistoryValue, data.data(),
                             static_cast<DWORD>(data.size() * sizeof(char16_t)));
}

void RunConstraints(UiContext* context) {
    ApplyConstraints(&context->scratchBlock, nullptr, &context->status, context->printer, context->model, nullptr,
                     context->languageLibrary, context->flags);
}

void FollowSwitch(HWND dialog, UiContext* context) {
    const BOOL on = (context->scratchBlock.OverlayFlags & kOverlayOn) != 0;
    for (const int id : {kOverlayFileCombo, kOverlayBrowseButton, kOverlayMarginsCheck})
        EnableWindow(GetDlgItem(dialog, id), on);
}

void ShowUseMargins(HWND dialog, UiContext* context) {
    CheckDlgButton(dialog, kOverlayMarginsCheck,
                   (context->scratchBlock.OverlayFlags & kOverlayChecked) != 0 ? BST_CHECKED : BST_UNCHECKED);
}

void OnSwitch(HWND dialog, UiContext* context) {
    DriverDevMode* block = &context->scratchBlock;
    if (IsDlgButtonChecked(dialog, kOverlaySwitch) == BST_CHECKED) {
        block->OverlayFlags = static_cast<WORD>(block->OverlayFlags | kOverlayOn);
        if (ParseFormFilePath(dialog, context)) CheckFormFile(dialog, context, true);
        else if (!DialogText(dialog, kOverlayFileCombo, kTypedChars).empty()) PostMessageW(dialog, kOverlayWarnMessage, 0, 0);
        RunConstraints(context);
    } else {
        block->OverlayFlags = static_cast<WORD>(block->OverlayFlags & ~kOverlayOn);
        RunConstraints(context);
        ClearFormFileInfo(dialog);
    }
    ShowUseMargins(dialog, context);
    FollowSwitch(dialog, context);
}

void OnBrowse(HWND dialog, UiContext* context) {
    WCHAR filter[kFilterChars + 2] = {};
    const int length = LoadStringW(context->languageLibrary, kFormFileFilterText, filter, kFilterChars + 1);
    if (length > 0) {
        const WCHAR separator = filter[length - 1];
        for (int i = 0; i < length; ++i) {
            if (filter[i] == separator) filter[i] = 0;
        }
    }
    WCHAR file[kOpenFileChars] = {};
    WCHAR title[kOpenTitleChars] = {};
    OPENFILENAMEW open{};
    open.lStructSize = sizeof open;
    open.hwndOwner = dialog;
    open.lpstrFilter = filter;
    open.nFilterIndex = 1;
    open.lpstrFile = file;
    open.nMaxFile = kOpenFileChars;
    open.lpstrFileTitle = title;
    open.nMaxFileTitle = kOpenTitleChars;
    open.lpstrInitialDir = nullptr;  // the current directory
    open.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (!GetOpenFileNameW(&open)) return;
    file[kOpenFileChars - 1] = 0;
    SetDlgItemTextW(dialog, kOverlayFileCombo, file);
    if (ParseFormFilePath(dialog, context) && CheckFormFile(dialog, context, true)) {
        MoveToTop(dialog, AsFileSystemSpells(DialogText(dialog, kOverlayFileCombo, kTypedChars)));
    }
}

void OnOk(HWND dialog, UiContext* context) {
    if (ParseFormFilePath(dialog, context)) {
        if (!CheckFormFile(dialog, context, true)) return;
        MoveToTop(dialog, AsFileSystemSpells(DialogText(dialog, kOverlayFileCombo, kTypedChars)));
    } else if ((context->scratchBlock.OverlayFlags & kOverlayOn) != 0) {
        PostMessageW(dialog, kOverlayWarnMessage, 0, 0);
        return;
    }
    SaveFormHistory(dialog, context);
    context->workingBlock = context->scratchBlock;
    EndDialog(dialog, 1);
}

void OnInit(HWND dialog, UiContext* context) {
    DriverDevMode* block = &context->scratchBlock;
    *block = context->workingBlock;
    Combo(dialog, CB_LIMITTEXT, kTypedChars, 0);
    if ((block->OverlayFlags & kOverlayOn) != 0) {
        CheckFormFile(dialog, context, true);
        ShowUseMargins(dialog, context);
        CheckDlgButton(dialog, kOverlaySwitch, BST_CHECKED);
    }
    FillFormHistoryCombo(dialog, context);
    FollowSwitch(dialog, context);
    if ((context->flags & kUiMayChange) == 0) {
        for (const int id : {kOverlayFileLabel, kOverlaySwitch, kOverlayFileCombo, kOverlayBrowseButton, kDefaultsButton,
                             kOverlayMarginsCheck}) {
            EnableWindow(GetDlgItem(dialog, id), FALSE);
        }
    }
}

void OnCommand(HWND dialog, UiContext* context, int id, UINT code) {
    DriverDevMode* block = &context->scratchBlock;
    switch (id) {
    case kOverlaySwitch:
        if (code == BN_CLICKED) OnSwitch(dialog, context);
        break;
    case kOverlayFileCombo:
        if (code == CBN_KILLFOCUS) {
            if (ParseFormFilePath(dialog, context)) CheckFormFile(dialog, context, false);
        } else if (code == CBN_SELCHANGE) {
            const LRESULT selected = Combo(dialog, CB_GETCURSEL, 0, 0);
            if (selected < 0) break;
            SetDlgItemTextW(dialog, kOverlayFileCombo, ComboItem(dialog, static_cast<int>(selected)).c_str());
            if (ParseFormFilePath(dialog, context)) CheckFormFile(dialog, context, true);
        }
        break;
    case kOverlayBrowseButton:
        if (code == BN_CLICKED) OnBrowse(dialog, context);
        break;
    case kOverlayMarginsCheck:
        if (code == BN_CLICKED) {
            const bool checked = IsDlgButtonChecked(dialog, kOverlayMarginsCheck) == BST_CHECKED;
            for (WORD* flags : {&block->OverlayFlags, &block->SavedOverlayFlags}) {
                *flags = static_cast<WORD>(checked ? (*flags | kOverlayChecked) : (*flags & ~kOverlayChecked));
            }
        }
        break;
    case IDOK: OnOk(dialog, context); break;
    case IDCANCEL: EndDialog(dialog, 0); break;
    default: break;
    }
}

}  // namespace

INT_PTR FormOverlayDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* page = reinterpret_cast<PageRecord*>(lParam);
        if (page == nullptr || page->context == nullptr) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        OnInit(dialog, page->context);
        return TRUE;
    }
    UiContext* context = ContextOf(dialog);
    if (context == nullptr) return FALSE;
    switch (message) {
    case WM_COMMAND: OnCommand(dialog, context, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case kOverlayWarnMessage: WarnFormFileError(dialog, context); return TRUE;
    case WM_HELP: {
        const auto* help = reinterpret_cast<const HELPINFO*>(lParam);
        if (help == nullptr) return FALSE;
        InvokeHtmlHelp(static_cast<HWND>(help->hItemHandle), context->helpPath, HH_TP_HELP_WM_HELP,
                       reinterpret_cast<ULONG_PTR>(kHelpIds));
        return TRUE;
    }
    default: return FALSE;
    }
}

INT_PTR OpenFormOverlayDialog(PageRecord* page, HWND owner) {
    if (page == nullptr || page->context == nullptr) return -1;
    return DialogBoxParamW(page->context->languageLibrary, MAKEINTRESOURCEW(kOverlayDialogTemplate), owner,
                           FormOverlayDlgProc, reinterpret_cast<LPARAM>(page));
}
