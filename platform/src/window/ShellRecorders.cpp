// Recorders of the outside user interface: message boxes, beeps, WinHelp, folder and file
// choosers and font enumeration answer from the test's script and keep what they were asked.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/Kernel.h"
#include "platform/StandInShell.h"

namespace standin::ui {

namespace {

struct ShellState {
    std::mutex lock;
    std::function<int(const MessageBoxCall&)> messageBoxScript;
    std::vector<MessageBoxCall> messageBoxes;
    std::vector<UINT> beeps;
    std::vector<HelpCall> help;
    std::u16string folder;
    std::u16string openFile;
    std::vector<ScriptedFont> fonts;
    std::vector<std::u16string> chooserTitles;
    DWORD dialogError = 0;
};

ShellState& Shell() {
    static ShellState* state = new ShellState;
    return *state;
}

// An item list of the stand-in: the folder's path, NUL-terminated, after a marker word.
constexpr uint32_t kItemListMarker = 0x4C444950u;  // "PIDL"

std::u16string Text(LPCWSTR s) { return s ? std::u16string(s) : std::u16string(); }

}  // namespace

void OnMessageBox(std::function<int(const MessageBoxCall& call)> script) {
    std::lock_guard<std::mutex> guard(Shell().lock);
    Shell().messageBoxScript = std::move(script);
}

std::vector<MessageBoxCall> MessageBoxes() {
    std::lock_guard<std::mutex> guard(Shell().lock);
    return Shell().messageBoxes;
}

std::vector<UINT> Beeps() {
    std::lock_guard<std::mutex> guard(Shell().lock);
    return Shell().beeps;
}

std::vector<HelpCall> HelpCalls() {
    std::lock_guard<std::mutex> guard(Shell().lock);
    return Shell().help;
}

void RecordHelpCall(const HelpCall& call) {
    std::lock_guard<std::mutex> guard(Shell().lock);
    Shell().help.push_back(call);
}

void ScriptFolder(const std::u16string& windowsPath) {
    std::lock_guard<std::mutex> guard(Shell().lock);
    Shell().folder = windowsPath;
}

void ScriptOpenFile(const std::u16string& windowsPath) {
    std::lock_guard<std::mutex> guard(Shell().lock);
    Shell().openFile = windowsPath;
}

void ScriptFonts(const std::vector<ScriptedFont>& fonts) {
    std::lock_guard<std::mutex> guard(Shell().lock);
    Shell().fonts = fonts;
}

std::vector<std::u16string> ChooserTitles() {
    std::lock_guard<std::mutex> guard(Shell().lock);
    return Shell().chooserTitles;
}

void ResetShell() {
    ShellState& s = Shell();
    std::lock_guard<std::mutex> guard(s.lock);
    s.messageBoxScript = nullptr;
    s.messageBoxes.clear();
    s.beeps.clear();
    s.help.clear();
    s.folder.clear();
    s.openFile.clear();
    s.fonts.clear();
    s.chooserTitles.clear();
    s.dialogError = 0;
}

}  // namespace standin::ui

using namespace standin::ui;

PLATFORM_API int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    MessageBoxCall call{owner, Text(text), Text(caption), type};
    std::function<int(const MessageBoxCall&)> script;
    {
        std::lock_guard<std::mutex> guard(Shell().lock);
        Shell().messageBoxes.push_back(call);
        script = Shell().messageBoxScript;
    }
    // The script runs unlocked: it may look at the records or open another box.
    return script ? script(call) : IDOK;
}

PLATFORM_API BOOL MessageBeep(UINT type) {
    std::lock_guard<std::mutex> guard(Shell().lock);
    Shell().beeps.push_back(type);
    return TRUE;
}

PLATFORM_API BOOL WinHelpW(HWND hwnd, LPCWSTR helpFile, UINT command, ULONG_PTR data) {
    RecordHelpCall({"WinHelpW", hwnd, Text(helpFile), command, data});
    return TRUE;
}

PLATFORM_API LPITEMIDLIST SHBrowseForFolderW(BROWSEINFOW* info) {
    if (!info) return nullptr;
    if (info->lpfn) info->lpfn(nullptr, BFFM_INITIALIZED, 0, info->lParam);
    std::u16string folder;
    {
        std::lock_guard<std::mutex> guard(Shell().lock);
        Shell().chooserTitles.push_back(Text(info->lpszTitle));
        folder = Shell().folder;
    }
    if (folder.empty()) return nullptr;
    if (info->pszDisplayName) {
        const size_t slash = folder.find_last_of(u'\\');
        const std::u16string name = slash == std::u16string::npos ? folder : folder.substr(slash + 1);
        lstrcpynW(info->pszDisplayName, name.c_str(), MAX_PATH);
    }
    const size_t bytes = sizeof(uint32_t) + (folder.size() + 1) * sizeof(char16_t);
    auto* block = static_cast<uint8_t*>(std::malloc(bytes));
    if (!block) return nullptr;
    std::memcpy(block, &kItemListMarker, sizeof kItemListMarker);
    std::memcpy(block + sizeof(uint32_t), folder.c_str(), (folder.size() + 1) * sizeof(char16_t));
    return reinterpret_cast<LPITEMIDLIST>(block);
}

PLATFORM_API BOOL SHGetPathFromIDListW(LPCITEMIDLIST list, LPWSTR path) {
    if (!list || !path) return FALSE;
    uint32_t marker = 0;
    std::memcpy(&marker, list, sizeof marker);
    if (marker != kItemListMarker) return FALSE;
    const auto* text = reinterpret_cast<const uint8_t*>(list) + sizeof(uint32_t);
    size_t n = 0;
    char16_t c;
    do {
        std::memcpy(&c, text + n * sizeof(char16_t), sizeof c);
        if (n < MAX_PATH - 1 || c == 0) path[std::min<size_t>(n, MAX_PATH - 1)] = c;
        ++n;
    } while (c != 0);
    return TRUE;
}

PLATFORM_API void CoTaskMemFree(LPVOID block) { std::free(block); }

PLATFORM_API BOOL GetOpenFileNameW(OPENFILENAMEW* info) {
    std::u16string file;
    {
        std::lock_guard<std::mutex> guard(Shell().lock);
        Shell().dialogError = 0;
        if (!info || info->lStructSize != sizeof(OPENFILENAMEW)) return FALSE;
        Shell().chooserTitles.push_back(Text(info->lpstrTitle));
        file = Shell().openFile;
    }
    if (file.empty() || !info->lpstrFile) return FALSE;
    if (file.size() + 1 > info->nMaxFile) {
        // The platform reports the size needed in the buffer's first two characters.
        if (info->nMaxFile >= 2) {
            info->lpstrFile[0] = static_cast<WCHAR>((file.size() + 1) & 0xFFFF);
            info->lpstrFile[1] = 0;
        }
        std::lock_guard<std::mutex> guard(Shell().lock);
        Shell().dialogError = FNERR_BUFFERTOOSMALL;
        return FALSE;
    }
    lstrcpynW(info->lpstrFile, file.c_str(), static_cast<int>(info->nMaxFile));
    const size_t slash = file.find_last_of(u'\\');
    const size_t nameStart = slash == std::u16string::npos ? 0 : slash + 1;
    const size_t dot = file.find_last_of(u'.');
    info->nFileOffset = static_cast<WORD>(nameStart);
    info->nFileExtension = static_cast<WORD>(dot == std::u16string::npos || dot < nameStart ? file.size() : dot + 1);
    if (info->lpstrFileTitle && info->nMaxFileTitle > 0)
        lstrcpynW(info->lpstrFileTitle, file.c_str() + nameStart, static_cast<int>(info->nMaxFileTitle));
    return TRUE;
}

PLATFORM_API DWORD CommDlgExtendedError() {
    std::lock_guard<std::mutex> guard(Shell().lock);
    return Shell().dialogError;
}

PLATFORM_API int EnumFontsW(HDC, LPCWSTR face, FONTENUMPROCW proc, LPARAM param) {
    if (!proc) return 0;
    std::vector<ScriptedFont> fonts;
    {
        std::lock_guard<std::mutex> guard(Shell().lock);
        fonts = Shell().fonts;
    }
    int answer = 1;
    std::vector<std::u16string> families;
    for (const ScriptedFont& f : fonts) {
        if (face && lstrcmpiW(face, f.face.c_str()) != 0) continue;
        if (!face) {
            // One font per face when no face is asked for.
            const auto seen = [&](const std::u16string& family) { return lstrcmpiW(family.c_str(), f.face.c_str()) == 0; };
            if (std::any_of(families.begin(), families.end(), seen)) continue;
            families.push_back(f.face);
        }
        ENUMLOGFONTW elf{};
        LOGFONTW& lf = elf.elfLogFont;
        lf.lfHeight = 16;
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = f.charSet;
        lf.lfPitchAndFamily = f.pitchAndFamily;
        lstrcpynW(lf.lfFaceName, f.face.c_str(), LF_FACESIZE);
        const std::u16string& full = f.fullName.empty() ? f.face : f.fullName;
        std::memcpy(elf.elfFullName, full.data(), std::min<size_t>(full.size(), LF_FULLFACESIZE) * sizeof(WCHAR));
        TEXTMETRICW tm{};
        tm.tmHeight = 16;
        tm.tmAscent = 14;
        tm.tmDescent = 2;
        tm.tmAveCharWidth = 8;
        tm.tmMaxCharWidth = 16;
        tm.tmWeight = FW_NORMAL;
        tm.tmCharSet = f.charSet;
        // The metric's pitch bit is set for a variable pitch, the other way round.
        tm.tmPitchAndFamily = static_cast<BYTE>((f.pitchAndFamily & ~3u) | ((f.pitchAndFamily & 3u) == FIXED_PITCH ? 0u : 1u));
        answer = proc(&lf, &tm, f.type, param);
        if (answer == 0) break;
    }
    return answer;
}
