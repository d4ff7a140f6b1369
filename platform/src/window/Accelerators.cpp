// Accelerator tables: loaded from RT_ACCELERATOR resources (8-byte entries, the last one
// flagged) or made from ACCEL arrays, and matched against keyboard messages with the
// stand-in's key state.
#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "platform/Kernel.h"
#include "platform/src/window/MenuState.h"
#include "platform/src/window/WindowState.h"

namespace standin::ui {
namespace {

struct AcceleratorTables {
    std::mutex lock;
    std::map<HACCEL, std::vector<ACCEL>> tables;
    ULONG_PTR next = 0x70000;
};
AcceleratorTables& Tables() {
    static AcceleratorTables tables;
    return tables;
}
using Hold = std::lock_guard<std::mutex>;

constexpr BYTE kFlagBits = FVIRTKEY | FNOINVERT | FSHIFT | FCONTROL | FALT;

HACCEL Add(std::vector<ACCEL> entries) {
    Hold guard(Tables().lock);
    auto h = reinterpret_cast<HACCEL>(Tables().next);
    Tables().next += 4;
    Tables().tables.emplace(h, std::move(entries));
    return h;
}

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

}  // namespace

namespace core {

void ResetAccelerators() {
    Hold guard(Tables().lock);
    Tables().tables.clear();
}

}  // namespace core
}  // namespace standin::ui

using namespace standin::ui;

HACCEL LoadAcceleratorsW(HINSTANCE instance, LPCWSTR name) {
    HRSRC found = FindResourceW(instance, name, RT_ACCELERATOR);
    if (found == nullptr) return nullptr;
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(instance, found)));
    const DWORD size = SizeofResource(instance, found);
    std::vector<ACCEL> entries;
    bool last = false;
    for (size_t at = 0; data != nullptr && !last && size - at >= sizeof(ACCELTABLEENTRY); at += sizeof(ACCELTABLEENTRY)) {
        ACCELTABLEENTRY e{};
        std::memcpy(&e, data + at, sizeof e);
        entries.push_back(ACCEL{static_cast<BYTE>(e.fFlags & kFlagBits), e.wAnsi, e.wId});
        last = (e.fFlags & ACCEL_LAST_ENTRY) != 0;
    }
    // Without its last-entry flag the table runs on past the resource: refused.
    if (!last) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    return Add(std::move(entries));
}

HACCEL CreateAcceleratorTableW(const ACCEL* entries, int count) {
    if (entries == nullptr || count <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::vector<ACCEL> copy(entries, entries + count);
    for (ACCEL& a : copy) a.fVirt &= kFlagBits;
    return Add(std::move(copy));
}

BOOL DestroyAcceleratorTable(HACCEL table) {
    Hold guard(Tables().lock);
    if (Tables().tables.erase(table) == 0) {
        SetLastError(ERROR_INVALID_ACCEL_HANDLE);
        return FALSE;
    }
    return TRUE;
}

int CopyAcceleratorTableW(HACCEL table, ACCEL* entries, int count) {
    Hold guard(Tables().lock);
    auto it = Tables().tables.find(table);
    if (it == Tables().tables.end()) {
        SetLastError(ERROR_INVALID_ACCEL_HANDLE);
        return 0;
    }
    const auto size = static_cast<int>(it->second.size());
    if (entries == nullptr) return size;
    const int n = std::min(size, std::max(count, 0));
    std::copy_n(it->second.begin(), n, entries);
    return n;
}

int TranslateAcceleratorW(HWND hwnd, HACCEL table, LPMSG msg) {
    if (msg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::vector<ACCEL> entries;
    {
        Hold guard(Tables().lock);
        auto it = Tables().tables.find(table);
        if (it == Tables().tables.end()) {
            SetLastError(ERROR_INVALID_ACCEL_HANDLE);
            return 0;
        }
        entries = it->second;
    }
    const bool keyMessage = msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN;
    const bool charMessage = msg->message == WM_CHAR || msg->message == WM_SYSCHAR;
    if (!keyMessage && !charMessage) return 0;
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    // The system messages come with Alt held (bit 29 of lParam, the context code).
    const bool system = msg->message == WM_SYSKEYDOWN || msg->message == WM_SYSCHAR;
    const bool alt = KeyDown(VK_MENU) || (system && (msg->lParam & (LPARAM{1} << 29)));
    BYTE held = alt ? FALT : 0;
    if (keyMessage) {
        if (KeyDown(VK_SHIFT)) held |= FSHIFT;
        if (KeyDown(VK_CONTROL)) held |= FCONTROL;
    }
    for (const ACCEL& a : entries) {
        const bool virtualKey = (a.fVirt & FVIRTKEY) != 0;
        if (virtualKey != keyMessage || a.key != static_cast<WORD>(msg->wParam)) continue;
        // Character entries differ only by Alt: Shift and Control are in the character.
        const BYTE wanted = a.fVirt & (virtualKey ? (FSHIFT | FCONTROL | FALT) : FALT);
        if (wanted != held) continue;
        SendMessageW(hwnd, WM_COMMAND, (WPARAM{1} << 16) | a.cmd, 0);
        return 1;
    }
    return 0;
}
