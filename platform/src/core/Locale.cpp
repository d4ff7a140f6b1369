// The reported user-interface and system languages, and the user's desktop folder.
#include <atomic>
#include <string>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/Locale.h"
#include "platform/StandInLocale.h"
#include "platform/src/core/StandInState.h"

namespace {
std::atomic<LANGID> uiLanguage{0};
std::atomic<LANGID> systemLanguage{0};

LANGID OrUserDefault(LANGID language) {
    return language != 0 ? language : standin::state::UserDefaultLanguage();
}
}  // namespace

namespace standin {
void SetUserInterfaceLanguage(LANGID language) { uiLanguage = language; }
void SetSystemLanguage(LANGID language) { systemLanguage = language; }
}  // namespace standin

LANGID GetUserDefaultUILanguage() { return OrUserDefault(uiLanguage); }
LANGID GetSystemDefaultLangID() { return OrUserDefault(systemLanguage); }

LONG SHGetFolderPathW(HWND, int folder, HANDLE, DWORD, LPWSTR path) {
    constexpr LONG kInvalidArg = static_cast<LONG>(0x80070057u);
    if (path == nullptr || folder != CSIDL_DESKTOPDIRECTORY) return kInvalidArg;
    const std::u16string users = u"C:\\Users";
    const std::u16string home = users + u"\\" + standin::state::UserName();
    const std::u16string desktop = home + u"\\Desktop";
    if (desktop.size() >= MAX_PATH) return kInvalidArg;
    for (const std::u16string* folderPath : {&users, &home, &desktop}) {
        CreateDirectoryW(folderPath->c_str(), nullptr);  // an existing folder is fine
    }
    desktop.copy(path, desktop.size());
    path[desktop.size()] = 0;
    return 0;
}
