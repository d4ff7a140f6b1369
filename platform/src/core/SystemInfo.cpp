// Process, computer and system information, from the stand-in's settings. Each call keeps
// the platform's own size convention, which differs from call to call.
#include <sys/types.h>

#include <algorithm>
#include <new>
#include <string>

#include "platform/Kernel.h"
#include "platform/src/core/CodePage.h"
#include "platform/src/core/ProcessIds.h"
#include "platform/src/core/StandInState.h"

namespace {

// Copies text plus terminator into a buffer known to be large enough.
template <typename Char>
void CopyTerminated(Char* buffer, const std::basic_string<Char>& text) {
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = Char{};
}

// The computer-name convention: a short buffer gives ERROR_BUFFER_OVERFLOW and the size
// needed with the terminator; success gives the length without it.
template <typename Char>
BOOL ComputerNameInto(Char* buffer, LPDWORD cchBuffer, const std::basic_string<Char>& name) {
    if (cchBuffer == nullptr || (buffer == nullptr && *cchBuffer != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (*cchBuffer <= name.size()) {
        *cchBuffer = static_cast<DWORD>(name.size() + 1);
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return FALSE;
    }
    CopyTerminated(buffer, name);
    *cchBuffer = static_cast<DWORD>(name.size());
    return TRUE;
}

// The directory convention: the length without terminator, or the size needed with it
// when the buffer is too small (nothing written then).
UINT DirectoryInto(LPWSTR buffer, UINT cchBuffer, const std::u16string& path) {
    if (buffer == nullptr || cchBuffer <= path.size()) return static_cast<UINT>(path.size() + 1);
    CopyTerminated(buffer, path);
    return static_cast<UINT>(path.size());
}

}  // namespace

DWORD GetCurrentProcessId() { return static_cast<DWORD>(standin::ids::Process()); }

DWORD GetCurrentThreadId() { return static_cast<DWORD>(standin::ids::Thread()); }

BOOL GetComputerNameW(LPWSTR buffer, LPDWORD cchBuffer) {
    try {
        return ComputerNameInto(buffer, cchBuffer, standin::state::ComputerName());
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

BOOL GetComputerNameA(LPSTR buffer, LPDWORD cchBuffer) {
    try {
        return ComputerNameInto(buffer, cchBuffer, standin::codepage::FromWide(CP_ACP, standin::state::ComputerName()));
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

BOOL GetUserNameW(LPWSTR buffer, LPDWORD cchBuffer) {
    try {
        const std::u16string name = standin::state::UserName();
        if (cchBuffer == nullptr || (buffer == nullptr && *cchBuffer != 0)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        // Unlike the computer name, both the needed and the copied count include the terminator.
        if (*cchBuffer <= name.size()) {
            *cchBuffer = static_cast<DWORD>(name.size() + 1);
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        CopyTerminated(buffer, name);
        *cchBuffer = static_cast<DWORD>(name.size() + 1);
        return TRUE;
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

BOOL GetVersionExW(LPOSVERSIONINFOW info) {
    if (info == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOW)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    // A larger (extended) record keeps its further fields: only the basic record is known here.
    standin::state::OsVersion(&info->dwMajorVersion, &info->dwMinorVersion, &info->dwBuildNumber, &info->dwPlatformId);
    std::fill(std::begin(info->szCSDVersion), std::end(info->szCSDVersion), u'\0');
    return TRUE;
}

UINT GetWindowsDirectoryW(LPWSTR buffer, UINT cchBuffer) {
    try {
        return DirectoryInto(buffer, cchBuffer, standin::state::WindowsDirectory());
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

UINT GetSystemDirectoryW(LPWSTR buffer, UINT cchBuffer) {
    try {
        return DirectoryInto(buffer, cchBuffer, standin::state::SystemDirectory());
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}
