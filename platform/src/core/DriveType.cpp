// Drive kinds: every drive the stand-in holds a folder for counts as a fixed disk.
#include <sys/stat.h>

#include "platform/Files.h"
#include "platform/src/core/PathMap.h"

PLATFORM_API UINT GetDriveTypeW(LPCWSTR rootPath) {
    std::u16string root;
    if (!standin::paths::WideArg(rootPath, &root) || root.size() < 2 || root[1] != u':') return DRIVE_NO_ROOT_DIR;
    const char16_t letter = root[0];
    const bool isLetter = (letter >= u'A' && letter <= u'Z') || (letter >= u'a' && letter <= u'z');
    if (!isLetter || (root.size() > 3) || (root.size() == 3 && root[2] != u'\\' && root[2] != u'/')) {
        return DRIVE_NO_ROOT_DIR;
    }
    const standin::paths::Resolved resolved = standin::paths::Resolve(root.substr(0, 2) + u"\\");
    struct stat info {};
    if (resolved.error != ERROR_SUCCESS || stat(resolved.linuxPath.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return DRIVE_NO_ROOT_DIR;
    }
    return DRIVE_FIXED;
}
