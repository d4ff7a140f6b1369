// The job-file destination dialog: the two check boxes and edits on the scratch block, the
// folder browser, and the checks OK runs before the scratch block goes back to the working
// block.
#include "ui/dialogs/JobFileDialog.h"

#include <algorithm>
#include <iterator>

#include "platform/Controls.h"
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/PropSheet.h"
#include "platform/Shell.h"
#include "platform/User.h"
#include "resources/ui/StringIds.h"
#include "settings/SpoolerQueries.h"
#include "ui/pages/PageCommon.h"
#include "ui/pages/PropertyPages.h"

namespace {

constexpr UINT kBrowseDontGoBelowDomain = 0x0002u;
constexpr char16_t kBrowseTitle[] = u"フォルダを選択してください";
constexpr size_t kDefaultNameChars = 15;
constexpr size_t kPrnNameExtra = 5;
constexpr size_t kPlainNameExtra = 9;

constexpr DWORD kHelpIds[] = {
    kJobFolderCheck, kJobFolderCheck, kJobFolderEdit, kJobFolderEdit, kJobNameCheck, kJobNameCheck,
    kJobNameEdit,   kJobNameEdit,   kJobFolderBrowseButton, kJobFolderBrowseButton, 0, 0,
};

size_t Length(LPCWSTR text) {
    size_t n = 0;
    while (text[n] != u'\0') ++n;
    return n;
}

bool IsLetter(WCHAR c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
WCHAR Folded(WCHAR c) { return c >= u'a' && c <= u'z' ? static_cast<WCHAR>(c - u'a' + u'A') : c; }
bool IsOneOf(WCHAR c, LPCWSTR set) {
    for (; *set != u'\0'; ++set) {
        if (c == *set) return true;
    }
    return false;
}

DriverDevMode& Scratch(PageRecord* page) { return page->context->scratchBlock; }

// The beep and the message with the printer's name as caption; the focus goes to the edit.
void Refuse(PageRecord* page, HWND dialog, int messageId, int focus) {
    ShowPageWarning(page, dialog, static_cast<UINT>(messageId));
    SetFocus(GetDlgItem(dialog, focus));
}

void EnableFields(HWND dialog, WORD flags) {
    const BOOL folder = (flags & kRelaydockOwnFolder) != 0 ? TRUE : FALSE;
    EnableWindow(GetDlgItem(dialog, kJobFolderEdit), folder);
    EnableWindow(GetDlgItem(dialog, kJobFolderBrowseButton), folder);
    EnableWindow(GetDlgItem(dialog, kJobNameEdit), (flags & kRelaydockOwnFileName) != 0 ? TRUE : FALSE);
}

void ShowFields(PageRecord* page, HWND dialog) {
    SetDlgItemTextW(dialog, kJobFolderEdit, Scratch(page).JobFolder);
    SetDlgItemTextW(dialog, kJobNameEdit, Scratch(page).JobFileName);
}

// Reads an edit (at most 255 characters) into its field when the text differs.
void StoreEdit(HWND dialog, int edit, WCHAR (&field)[kJobPathChars]) {
    WCHAR text[kJobPathChars] = {};
    GetDlgItemTextW(dialog, edit, text, static_cast<int>(kJobPathChars));
    if (!std::equal(std::begin(text), std::end(text), std::begin(field))) std::copy(std::begin(text), std::end(text), field);
}

void OnInit(HWND dialog, PageRecord* page) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
    page->context->scratchBlock = page->context->workingBlock;
    DriverDevMode& scratch = Scratch(page);
    // A block from an application may leave the texts unterminated.
    scratch.JobFolder[kJobPathChars - 1] = u'\0';
    scratch.JobFileName[kJobPathChars - 1] = u'\0';
    SendDlgItemMessageW(dialog, kJobFolderEdit, EM_LIMITTEXT, kJobPathChars - 1, 0);
    SendDlgItemMessageW(dialog, kJobNameEdit, EM_LIMITTEXT, kJobPathChars - 1, 0);
    CheckDlgButton(dialog, kJobFolderCheck, (scratch.RelaydockFlags & kRelaydockOwnFolder) != 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, kJobNameCheck, (scratch.RelaydockFlags & kRelaydockOwnFileName) != 0 ? BST_CHECKED : BST_UNCHECKED);
    ShowFields(page, dialog);
    EnableFields(dialog, scratch.RelaydockFlags);
}

void SetFlag(HWND dialog, PageRecord* page, int check, WORD bit) {
    WORD& flags = Scratch(page).RelaydockFlags;
    if (IsDlgButtonChecked(dialog, check) == BST_CHECKED) {
        flags = static_cast<WORD>(flags | bit);
    } else {
        flags = static_cast<WORD>(flags & ~bit);
    }
    EnableFields(dialog, flags);
}

// Runs every check, each refusal with its message; true when all passed.
bool CheckFields(HWND dialog, PageRecord* page) {
    const DriverDevMode& scratch = Scratch(page);
    const bool ownFolder = (scratch.RelaydockFlags & kRelaydockOwnFolder) != 0;
    const bool ownName = (scratch.RelaydockFlags & kRelaydockOwnFileName) != 0;
    const bool folderEmpty = scratch.JobFolder[0] == u'\0';
    const bool nameEmpty = scratch.JobFileName[0] == u'\0';
    bool passed = true;
    const auto refuse = [&](int messageId, int focus) {
        Refuse(page, dialog, messageId, focus);
        passed = false;
    };
    if (ownFolder && folderEmpty) refuse(kNoJobFolderMessage, kJobFolderEdit);
    if (ownFolder && !folderEmpty && IsBadFolderPath(scratch.JobFolder) != 0)
        refuse(kBadJobFolderMessage, kJobFolderEdit);
    if (ownFolder && IsInWindowsFolder(scratch.JobFolder) != 0) refuse(kWindowsJobFolderMessage, kJobFolderEdit);
    if (ownName && nameEmpty) refuse(kNoJobNameMessage, kJobNameEdit);
    if (ownName && !nameEmpty && HasBadFileNameChars(scratch.JobFileName) != 0)
        refuse(kJobNameCharactersMessage, kJobNameEdit);

    // The job file's whole path: folder, separator, name and what the engine adds to it.
    WCHAR folder[kJobPathChars] = {};
    if (ownFolder) {
        std::copy(std::begin(scratch.JobFolder), std::end(scratch.JobFolder), folder);
        StripTrailingBackslash(folder);
    } else {
        GetJobFolder(folder);
    }
    size_t namePart = kDefaultNameChars;
    if (ownName) {
        WCHAR name[kJobPathChars] = {};
        std::copy(std::begin(scratch.JobFileName), std::end(scratch.JobFileName), name);
        namePart = Length(scratch.JobFileName) + (StripPrnExtension(name) != 0 ? kPrnNameExtra : kPlainNameExtra);
    }
    if (Length(folder) + namePart >= kJobPathChars) {
        refuse(kJobPathTooLongMessage, ownFolder || !ownName ? kJobFolderEdit : kJobNameEdit);
    }
    return passed;
}

void OnCommand(HWND dialog, PageRecord* page, int id) {
    switch (id) {
    case kJobFolderCheck: SetFlag(dialog, page, id, kRelaydockOwnFolder); break;
    case kJobNameCheck: SetFlag(dialog, page, id, kRelaydockOwnFileName); break;
    case kJobFolderEdit: StoreEdit(dialog, id, Scratch(page).JobFolder); break;
    case kJobNameEdit: StoreEdit(dialog, id, Scratch(page).JobFileName); break;
    case kJobFolderBrowseButton: {
        WCHAR chosen[kJobPathChars] = {};
        if (BrowseForFolder(dialog, chosen, sizeof chosen) == 1) {
            std::copy(std::begin(chosen), std::end(chosen), Scratch(page).JobFolder);
            ShowFields(page, dialog);
        }
        break;
    }
    case IDOK:
        if (CheckFields(dialog, page)) {
            page->context->workingBlock = page->context->scratchBlock;
            EndDialog(dialog, 1);
        }
        break;
    case IDCANCEL: EndDialog(dialog, 0); break;
    default: break;
    }
}

}  // namespace

int BrowseForFolder(HWND owner, LPWSTR out, size_t outBytes) {
    WCHAR display[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pszDisplayName = display;
    info.lpszTitle = kBrowseTitle;
    info.ulFlags = BIF_RETURNONLYFSDIRS | kBrowseDontGoBelowDomain;
    LPITEMIDLIST list = SHBrowseForFolderW(&info);
    if (list == nullptr) return 2;
    WCHAR path[MAX_PATH + 1] = {};
    const BOOL named = SHGetPathFromIDListW(list, path);
    CoTaskMemFree(list);
    const size_t length = Length(path);
    if (!named || length == 0 || out == nullptr || 2 * length + 2 > outBytes) return 2;
    std::copy(path, path + length + 1, out);
    return 1;
}

int IsBadFolderPath(LPCWSTR path) {
    if (path == nullptr) return 1;
    const size_t n = Length(path);
    for (size_t i = 0; i < n; ++i) {
        const WCHAR c = path[i];
        if (c == u'/' || (c == u':' && i != 1) || IsOneOf(c, u"\";<>|*?")) return 1;
        if (c == u' ' && (i <= 3 || i == n - 1)) return 1;
        if (c == u'\\') {
            if (i != 0 && path[i + 1] == u'\\') return 1;
            if (path[i + 1] == u' ') return 1;
            if (i >= 3 && path[i - 1] == u' ') return 1;
        }
    }
    if (n >= 2 && IsLetter(path[0]) && path[1] == u':') {
        if (n == 2) return 0;
        return path[2] == u'\\' && path[3] != u'\\' ? 0 : 1;
    }
    if (n >= 2 && path[0] == u'\\' && path[1] == u'\\') {
        if (n <= 4 || path[2] == u':' || path[2] == u'\\') return 1;
        for (size_t i = 4; i < n; ++i) {
            if (path[i] == u'\\' || path[i] == u':') return path[i] == u'\\' && i + 1 < n ? 0 : 1;
        }
        return 1;  // decided by the last character, which is no separator
    }
    return 1;
}

int IsInWindowsFolder(LPCWSTR path) {
    if (IsBadFolderPath(path) != 0) return 0;
    WCHAR windows[MAX_PATH + 1] = {};
    const UINT got = GetWindowsDirectoryW(windows, MAX_PATH);
    if (got == 0 || got >= MAX_PATH) return 0;
    StripTrailingBackslash(windows);
    const size_t n = Length(windows);
    if (n == 0) return 0;
    for (size_t i = 0; i < n; ++i) {
        if (Folded(path[i]) != Folded(windows[i])) return 0;  // also stops at the path's end
    }
    return path[n] == u'\\' || path[n] == u'\0' ? 1 : 0;
}

int HasBadFileNameChars(LPCWSTR name) {
    if (name == nullptr) return 1;
    const size_t n = Length(name);
    for (size_t i = 0; i < n; ++i) {
        if (IsOneOf(name[i], u"\"/:;<>\\|*?")) return 1;
    }
    return n > 0 && (name[0] == u' ' || name[n - 1] == u' ') ? 1 : 0;
}

INT_PTR JobFileDestinationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* page = reinterpret_cast<PageRecord*>(lParam);
        if (page == nullptr || page->context == nullptr) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        OnInit(dialog, page);
        return TRUE;
    }
    PageRecord* page = PageRecordOf(dialog);
    if (page == nullptr || page->context == nullptr) return FALSE;
    switch (message) {
    case WM_COMMAND: OnCommand(dialog, page, LOWORD(wParam)); return TRUE;
    case WM_HELP: {
        const auto* help = reinterpret_cast<const HELPINFO*>(lParam);
        if (help == nullptr) return FALSE;
        InvokeHtmlHelp(static_cast<HWND>(help->hItemHandle), page->context->helpPath, HH_TP_HELP_WM_HELP,
                       reinterpret_cast<ULONG_PTR>(kHelpIds));
        return TRUE;
    }
    default: return FALSE;
    }
}
