// Temporary folder and names, and the search for a file along a list of folders.
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <vector>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/src/core/PathMap.h"
#include "platform/src/core/StandInState.h"

namespace {

namespace paths = standin::paths;

// Copies `text` with its terminator when it fits: the length written, else the size needed
// (terminator counted), the convention of the path queries.
DWORD CopyOut(const std::u16string& text, LPWSTR buffer, DWORD cchBuffer) {
    if (buffer == nullptr || cchBuffer <= text.size()) return static_cast<DWORD>(text.size() + 1);
    text.copy(buffer, text.size());
    buffer[text.size()] = u'\0';
    return static_cast<DWORD>(text.size());
}

std::u16string JoinPath(std::u16string folder, const std::u16string& name) {
    if (!folder.empty() && folder.back() != u'\\' && folder.back() != u'/') folder += u'\\';
    return folder + name;
}

bool HasExtension(const std::u16string& name) {
    const size_t lastSeparator = name.find_last_of(u"\\/");
    const size_t dot = name.find_last_of(u'.');
    return dot != std::u16string::npos && (lastSeparator == std::u16string::npos || dot > lastSeparator);
}

bool IsAbsolute(const std::u16string& name) {
    return (!name.empty() && (name[0] == u'\\' || name[0] == u'/')) || (name.size() >= 2 && name[1] == u':');
}

std::atomic<unsigned> nameCounter{0};

}  // namespace

PLATFORM_API DWORD SearchPathW(LPCWSTR path, LPCWSTR fileName, LPCWSTR extension, DWORD cchBuffer, LPWSTR buffer,
                               LPWSTR* filePart) {
    std::u16string name;
    if (!paths::WideArg(fileName, &name) || name.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (extension != nullptr && !HasExtension(name)) name += extension;

    std::vector<std::u16string> candidates;
    if (IsAbsolute(name)) {
        candidates.push_back(name);
    } else if (path != nullptr) {
        const std::u16string folders = path;
        size_t start = 0;
        while (start <= folders.size()) {
            size_t end = folders.find(u';', start);
            if (end == std::u16string::npos) end = folders.size();
            if (end > start) candidates.push_back(JoinPath(folders.substr(start, end - start), name));
            start = end + 1;
        }
    } else {
        candidates.push_back(JoinPath(standin::state::WindowsDirectory(), name));
        candidates.push_back(JoinPath(standin::state::SystemDirectory(), name));
    }

    for (const std::u16string& candidate : candidates) {
        const paths::Resolved resolved = paths::Resolve(candidate);
        struct stat info {};
        if (resolved.error != ERROR_SUCCESS || stat(resolved.linuxPath.c_str(), &info) != 0) continue;
        const DWORD result = CopyOut(resolved.windowsPath, buffer, cchBuffer);
        if (result <= resolved.windowsPath.size() && filePart != nullptr) {
            const size_t lastSeparator = resolved.windowsPath.find_last_of(u'\\');
            *filePart = buffer + (lastSeparator == std::u16string::npos ? 0 : lastSeparator + 1);
        }
        return result;
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
}

PLATFORM_API DWORD GetTempPathW(DWORD cchBuffer, LPWSTR buffer) {
    const std::u16string folder = standin::state::WindowsDirectory() + u"\\Temp\\";
    // Made on first use: a fresh stand-in root has no temporary folder yet.
    const paths::Resolved resolved = paths::Resolve(folder);
    if (resolved.error == ERROR_SUCCESS && resolved.parentExists) mkdir(resolved.linuxPath.c_str(), 0777);
    return CopyOut(folder, buffer, cchBuffer);
}

PLATFORM_API UINT GetTempFileNameW(LPCWSTR path, LPCWSTR prefix, UINT unique, LPWSTR tempFileName) {
    std::u16string folder;
    if (!paths::WideArg(path, &folder) || tempFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const paths::Resolved resolved = paths::Resolve(folder);
    struct stat info {};
    if (resolved.error != ERROR_SUCCESS || stat(resolved.linuxPath.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        SetLastError(ERROR_DIRECTORY);
        return 0;
    }
    std::u16string base = folder;
    if (!base.empty() && base.back() != u'\\' && base.back() != u'/') base += u'\\';
    if (prefix != nullptr) base += std::u16string(prefix).substr(0, 3);

    auto nameFor = [&base](UINT number) {
        static constexpr char16_t kHex[] = u"0123456789ABCDEF";
        std::u16string name = base;
        for (int shift = 12; shift >= 0; shift -= 4) name += kHex[(number >> shift) & 0xF];
        return name + u".TMP";
    };
    auto copyName = [tempFileName](const std::u16string& name) {
        if (name.size() >= MAX_PATH) {
            SetLastError(ERROR_BUFFER_OVERFLOW);
            return false;
        }
        name.copy(tempFileName, name.size());
        tempFileName[name.size()] = u'\0';
        return true;
    };

    if (unique != 0) return copyName(nameFor(unique & 0xFFFF)) ? unique : 0;
    if (nameFor(1).size() >= MAX_PATH) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return 0;
    }

    // Start apart from other processes and from earlier calls, then step to a free name.
    UINT number = (static_cast<UINT>(getpid()) * 7919u + GetTickCount() + nameCounter.fetch_add(1) * 31u) & 0xFFFF;
    for (unsigned tries = 0; tries < 0xFFFF; ++tries) {
        number = (number + 1) & 0xFFFF;
        if (number == 0) number = 1;
        const std::u16string name = nameFor(number);
        HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return copyName(name) ? number : 0;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) return 0;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}
