// Menus: the menu objects and their items, the per-window menu bar and system menu, popup
// menus chosen by the test's script, and menus loaded from the platform's MENU and MENUEX
// template layouts (MenuTemplates below).
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "platform/src/window/ByteCursor.h"
#include "platform/src/window/MenuState.h"
#include "platform/src/window/WindowState.h"

namespace standin::ui {
namespace {

struct Item {
    UINT flags = 0;  // MF_* / MFT_* / MFS_* bits other than MF_POPUP, MF_BYPOSITION and MF_END
    UINT id = 0;
    HMENU submenu = nullptr;
    std::u16string text;
};

struct Menu {
    bool popup = false;
    std::vector<Item> items;
};

struct MenuTable {
    std::mutex lock;
    std::map<HMENU, Menu> menus;
    ULONG_PTR next = 0x60000;
    std::function<UINT(HMENU, HWND)> script;
};
MenuTable& Menus() {
    static MenuTable table;
    return table;
}
using Hold = std::lock_guard<std::mutex>;

// The flag bits an item keeps; the rest describe the call, not the item.
constexpr UINT kItemBits = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_BITMAP | MF_OWNERDRAW | MF_SEPARATOR |
                           MF_MENUBARBREAK | MF_MENUBREAK | MF_HELP | MF_DEFAULT | MFT_RADIOCHECK | MFS_HILITE;

// --- With the table's lock held ---

HMENU NewMenu(bool popup) {
    MenuTable& t = Menus();
    auto h = reinterpret_cast<HMENU>(t.next);
    t.next += 4;
    t.menus[h].popup = popup;
    return h;
}

Menu* FindMenu(HMENU menu) {
    auto it = Menus().menus.find(menu);
    return it == Menus().menus.end() ? nullptr : &it->second;
}

Menu* FindMenuOrFail(HMENU menu) {
    Menu* m = FindMenu(menu);
    if (m == nullptr) SetLastError(ERROR_INVALID_MENU_HANDLE);
    return m;
}

void DestroyLocked(HMENU menu) {
    auto it = Menus().menus.find(menu);
    if (it == Menus().menus.end()) return;
    const std::vector<Item> items = std::move(it->second.items);
    Menus().menus.erase(it);
    for (const Item& item : items)
        if (item.submenu != nullptr) DestroyLocked(item.submenu);
}

struct Found {
    HMENU menu = nullptr;
    size_t index = 0;
};

// By position in this menu, or by command anywhere below it (depth first, as the platform
// searches).
std::optional<Found> Locate(HMENU menu, UINT item, UINT flags, int depth = 0) {
    Menu* m = FindMenu(menu);
    if (m == nullptr || depth > 32) return std::nullopt;
    if (flags & MF_BYPOSITION) {
        if (item >= m->items.size()) return std::nullopt;
        return Found{menu, item};
    }
    for (size_t i = 0; i < m->items.size(); ++i) {
        const Item& it = m->items[i];
        if (it.submenu != nullptr) {
            if (auto inner = Locate(it.submenu, item, flags, depth + 1)) return inner;
        } else if (it.id == item && !(it.flags & MF_SEPARATOR)) {
            return Found{menu, i};
        }
    }
    return std::nullopt;
}

Item* ItemAt(const Found& f) { return &FindMenu(f.menu)->items[f.index]; }

// Checks and builds the item of AppendMenuW / InsertMenuW.
std::optional<Item> MakeItem(UINT flags, UINT_PTR newItemId, LPCWSTR text) {
    Item item;
    item.flags = flags & kItemBits;
    if (flags & MF_POPUP) {
        item.submenu = reinterpret_cast<HMENU>(newItemId);
        Menu* sub = FindMenuOrFail(item.submenu);
        if (sub == nullptr) return std::nullopt;
        sub->popup = true;
    } else {
        item.id = static_cast<UINT>(newItemId);
    }
    // Bitmaps and owner-drawn items carry a handle or data where the text would be.
    if (!(flags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW)) && text != nullptr) item.text = text;
    return item;
}

// Builds the item of InsertMenuItemW from the members its mask names.
std::optional<Item> MakeItem(const MENUITEMINFOW& info) {
    const UINT mask = info.fMask;
    // The older MIIM_TYPE cannot be mixed with the two masks that replaced it.
    if ((mask & MIIM_TYPE) && (mask & (MIIM_FTYPE | MIIM_STRING))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return std::nullopt;
    }
    Item item;
    UINT type = 0;
    if (mask & (MIIM_TYPE | MIIM_FTYPE)) type = info.fType;
    const bool textual = !(type & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW));
    if (((mask & MIIM_STRING) || ((mask & MIIM_TYPE) && textual)) && info.dwTypeData != nullptr)
        item.text = info.dwTypeData;
    item.flags = (type | ((mask & MIIM_STATE) ? info.fState : 0)) & kItemBits;
    if (mask & MIIM_ID) item.id = info.wID;
    if ((mask & MIIM_SUBMENU) && info.hSubMenu != nullptr) {
        Menu* sub = FindMenuOrFail(info.hSubMenu);
        if (sub == nullptr) return std::nullopt;
        sub->popup = true;
        item.submenu = info.hSubMenu;
    }
    return item;
}

bool InsertItem(HMENU menu, UINT position, bool byPosition, Item&& item) {
    Menu* m = FindMenuOrFail(menu);
    if (m == nullptr) return false;
    if (byPosition) {
        // Past the end (or -1) appends.
        const size_t at = position >= m->items.size() ? m->items.size() : position;
        m->items.insert(m->items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
        return true;
    }
    const std::optional<Found> f = Locate(menu, position, MF_BYCOMMAND);
    if (!f) {
        SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
        return false;
    }
    auto& items = FindMenu(f->menu)->items;
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(f->index), std::move(item));
    return true;
}

bool Insert(HMENU menu, UINT position, UINT flags, UINT_PTR newItemId, LPCWSTR text) {
    if (FindMenuOrFail(menu) == nullptr) return false;
    std::optional<Item> item = MakeItem(flags, newItemId, text);
    if (!item) return false;
    return InsertItem(menu, position, (flags & MF_BYPOSITION) != 0, std::move(*item));
}

bool Remove(HMENU menu, UINT position, UINT flags, bool destroySubmenu) {
    if (FindMenuOrFail(menu) == nullptr) return false;
    const std::optional<Found> f = Locate(menu, position, flags);
    if (!f) {
        SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
        return false;
    }
    auto& items = FindMenu(f->menu)->items;
    const HMENU sub = items[f->index].submenu;
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(f->index));
    if (destroySubmenu && sub != nullptr) DestroyLocked(sub);
    return true;
}

// True when a user could choose the command in the menu: an enabled command item, reached
// through enabled popups.
bool Choosable(HMENU menu, UINT command, int depth = 0) {
    const Menu* m = FindMenu(menu);
    if (m == nullptr || depth > 32) return false;
    for (const Item& it : m->items) {
        if (it.flags & (MF_GRAYED | MF_DISABLED | MF_SEPARATOR)) continue;
        if (it.submenu != nullptr ? Choosable(it.submenu, command, depth + 1) : it.id == command) return true;
    }
    return false;
}

struct SystemItem {
    UINT flags;
    UINT id;
    const char16_t* text;
};
constexpr SystemItem kSystemMenu[] = {
    {MF_STRING, SC_RESTORE, u"&Restore"},   {MF_STRING, SC_MOVE, u"&Move"},
    {MF_STRING, SC_SIZE, u"&Size"},         {MF_STRING, SC_MINIMIZE, u"Mi&nimize"},
    {MF_STRING, SC_MAXIMIZE, u"Ma&ximize"}, {MF_SEPARATOR, 0, u""},
    {MF_STRING, SC_CLOSE, u"&Close\tAlt+F4"},
};

// --- Templates: a cursor that never passes the end and remembers the first overrun ---

using Cursor = standin::ByteCursor;

void AlignTo4(Cursor& c) { c.Seek((c.offset() + 3) & ~size_t{3}); }

constexpr int kMaxMenuDepth = 16;

// One level of a MENU template into menu, up to the item flagged MF_END.
void ReadLevel(Cursor& c, HMENU menu, int depth) {
    if (depth > kMaxMenuDepth) return c.Fail();
    for (;;) {
        const auto option = c.Read<WORD>();
        Item item;
        const bool popup = option & MF_POPUP;
        if (!popup) item.id = c.Read<WORD>();
        item.text = c.ReadString();
        if (!c.ok()) return;
        item.flags = option & kItemBits & ~MF_END;
        // A command item with neither text nor id is how the template writes a separator.
        if (!popup && item.id == 0 && item.text.empty() && item.flags == 0) item.flags = MF_SEPARATOR;
        if (popup) {
            item.submenu = NewMenu(true);
            FindMenu(menu)->items.push_back(item);
            ReadLevel(c, item.submenu, depth + 1);
        } else {
            FindMenu(menu)->items.push_back(item);
        }
        if (!c.ok() || (option & MF_END)) return;
    }
}

// One level of a MENUEX template: items at DWORD boundaries, a popup's help id and items
// after its text; bResInfo 0x80 ends the level.
void ReadLevelEx(Cursor& c, HMENU menu, int depth) {
    if (depth > kMaxMenuDepth) return c.Fail();
    for (;;) {
        const auto header = c.Read<MENUEX_TEMPLATE_ITEM>();
        Item item;
        item.text = c.ReadString();
        AlignTo4(c);
        if (!c.ok()) return;
        item.flags = (header.dwType | header.dwState) & kItemBits;
        item.id = header.menuId;
        if (header.bResInfo & 0x01) {
            c.Read<DWORD>();  // the popup's help id
            item.submenu = NewMenu(true);
            FindMenu(menu)->items.push_back(item);
            ReadLevelEx(c, item.submenu, depth + 1);
        } else {
            FindMenu(menu)->items.push_back(item);
        }
        if (!c.ok() || (header.bResInfo & 0x80)) return;
    }
}

HMENU LoadTemplate(std::span<const BYTE> bytes) {
    Cursor c(bytes);
    const auto version = c.Read<WORD>();
    const auto offset = c.Read<WORD>();
    Hold guard(Menus().lock);
    HMENU menu = NewMenu(false);
    if (c.ok() && version == 0) {
        c.Seek(4u + offset);
        ReadLevel(c, menu, 0);
    } else if (c.ok() && version == 1) {
        c.Seek(4u + offset);
        ReadLevelEx(c, menu, 0);
    } else {
        c.Fail();
    }
    if (!c.ok()) {
        DestroyLocked(menu);
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    return menu;
}

// A template in memory carries no size: its end marks bound the read.
constexpr size_t kUnsizedMenuLimit = 1u << 20;

}  // namespace

void OnTrackPopupMenu(std::function<UINT(HMENU menu, HWND owner)> script) {
    Hold guard(Menus().lock);
    Menus().script = std::move(script);
}

namespace core {

void ResetMenus() {
    Hold guard(Menus().lock);
    Menus().menus.clear();
    Menus().script = nullptr;
}

}  // namespace core
}  // namespace standin::ui

using namespace standin::ui;

HMENU CreateMenu() {
    Hold guard(Menus().lock);
    return NewMenu(false);
}

HMENU CreatePopupMenu() {
    Hold guard(Menus().lock);
    return NewMenu(true);
}

BOOL DestroyMenu(HMENU menu) {
    Hold guard(Menus().lock);
    if (FindMenuOrFail(menu) == nullptr) return FALSE;
    DestroyLocked(menu);
    return TRUE;
}

BOOL IsMenu(HMENU menu) {
    Hold guard(Menus().lock);
    return FindMenu(menu) != nullptr;
}

BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR newItemId, LPCWSTR text) {
    Hold guard(Menus().lock);
    return Insert(menu, UINT(-1), flags | MF_BYPOSITION, newItemId, text);
}

BOOL InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR newItemId, LPCWSTR text) {
    Hold guard(Menus().lock);
    return Insert(menu, position, flags, newItemId, text);
}

BOOL InsertMenuItemW(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOW info) {
    // Callers written for older systems pass the structure without its last member.
    if (info == nullptr ||
        (info->cbSize != sizeof(MENUITEMINFOW) && info->cbSize != offsetof(MENUITEMINFOW, hbmpItem))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Hold guard(Menus().lock);
    if (FindMenuOrFail(menu) == nullptr) return FALSE;
    std::optional<Item> made = MakeItem(*info);
    if (!made) return FALSE;
    return InsertItem(menu, item, byPosition != FALSE, std::move(*made));
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) {
    Hold guard(Menus().lock);
    return Remove(menu, position, flags, true);
}

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) {
    Hold guard(Menus().lock);
    return Remove(menu, position, flags, false);
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable) {
    Hold guard(Menus().lock);
    if (FindMenuOrFail(menu) == nullptr) return -1;
    const std::optional<Found> f = Locate(menu, item, enable);
    if (!f) return -1;
    Item* it = ItemAt(*f);
    const UINT previous = it->flags & (MF_GRAYED | MF_DISABLED);
    it->flags = (it->flags & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
    return static_cast<BOOL>(previous);
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT check) {
    Hold guard(Menus().lock);
    if (FindMenuOrFail(menu) == nullptr) return DWORD(-1);
    const std::optional<Found> f = Locate(menu, item, check);
    if (!f) return DWORD(-1);
    Item* it = ItemAt(*f);
    const DWORD previous = it->flags & MF_CHECKED;
    it->flags = (it->flags & ~MF_CHECKED) | (check & MF_CHECKED);
    return previous;
}

int GetMenuItemCount(HMENU menu) {
    Hold guard(Menus().lock);
    const Menu* m = FindMenuOrFail(menu);
    return m == nullptr ? -1 : static_cast<int>(m->items.size());
}

UINT GetMenuItemID(HMENU menu, int position) {
    Hold guard(Menus().lock);
    const Menu* m = FindMenuOrFail(menu);
    if (m == nullptr || position < 0 || static_cast<size_t>(position) >= m->items.size()) return UINT(-1);
    const Item& it = m->items[static_cast<size_t>(position)];
    return it.submenu != nullptr ? UINT(-1) : it.id;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
    Hold guard(Menus().lock);
    if (FindMenuOrFail(menu) == nullptr) return UINT(-1);
    const std::optional<Found> f = Locate(menu, item, flags);
    if (!f) return UINT(-1);
    const Item* it = ItemAt(*f);
    if (it->submenu == nullptr) return it->flags;
    const Menu* sub = FindMenu(it->submenu);
    const UINT count = sub == nullptr ? 0 : static_cast<UINT>(sub->items.size());
    return (count << 8) | ((it->flags | MF_POPUP) & 0xFF);
}

int GetMenuStringW(HMENU menu, UINT item, LPWSTR buffer, int cchMax, UINT flags) {
    Hold guard(Menus().lock);
    if (FindMenuOrFail(menu) == nullptr) return 0;
    const std::optional<Found> f = Locate(menu, item, flags);
    if (!f) return 0;
    const std::u16string& text = ItemAt(*f)->text;
    if (buffer == nullptr) return static_cast<int>(text.size());
    if (cchMax <= 0) return 0;
    const size_t n = std::min(text.size(), static_cast<size_t>(cchMax) - 1);
    text.copy(buffer, n);
    buffer[n] = 0;
    return static_cast<int>(n);
}

HMENU GetSubMenu(HMENU menu, int position) {
    Hold guard(Menus().lock);
    const Menu* m = FindMenuOrFail(menu);
    if (m == nullptr || position < 0 || static_cast<size_t>(position) >= m->items.size()) return nullptr;
    return m->items[static_cast<size_t>(position)].submenu;
}

HMENU GetSystemMenu(HWND hwnd, BOOL revert) {
    HMENU existing = nullptr;
    {
        core::Guard guard(core::Lock());
        core::Window* w = core::FindOrFail(hwnd);
        if (w == nullptr) return nullptr;
        existing = w->systemMenu;
        if (revert) w->systemMenu = nullptr;
    }
    if (revert) {
        // Back to the standard menu: the window's changed copy goes.
        if (existing != nullptr) DestroyMenu(existing);
        return nullptr;
    }
    if (existing != nullptr) return existing;
    HMENU copy = nullptr;
    {
        Hold guard(Menus().lock);
        copy = NewMenu(true);
        for (const SystemItem& s : kSystemMenu) FindMenu(copy)->items.push_back(Item{s.flags, s.id, nullptr, s.text});
    }
    core::Guard guard(core::Lock());
    core::Window* w = core::Find(hwnd);
    if (w == nullptr || w->systemMenu != nullptr) {
        // Destroyed, or another thread made the copy meanwhile: that one stands.
        HMENU winner = w == nullptr ? nullptr : w->systemMenu;
        guard.unlock();
        DestroyMenu(copy);
        return winner;
    }
    w->systemMenu = copy;
    return copy;
}

HMENU GetMenu(HWND hwnd) {
    core::Guard guard(core::Lock());
    const core::Window* w = core::FindOrFail(hwnd);
    // A child's "menu" is its id.
    if (w == nullptr || (w->style & WS_CHILD)) return nullptr;
    return w->menu;
}

BOOL SetMenu(HWND hwnd, HMENU menu) {
    if (menu != nullptr && !IsMenu(menu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    {
        core::Guard guard(core::Lock());
        core::Window* w = core::FindOrFail(hwnd);
        if (w == nullptr) return FALSE;
        if (w->style & WS_CHILD) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        w->menu = menu;
    }
    // The menu bar takes from the client area (or gives it back).
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return TRUE;
}

HMENU LoadMenuW(HINSTANCE instance, LPCWSTR name) {
    HRSRC found = FindResourceW(instance, name, RT_MENU);
    if (found == nullptr) return nullptr;
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(instance, found)));
    if (data == nullptr) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    return LoadTemplate({data, SizeofResource(instance, found)});
}

HMENU LoadMenuIndirectW(const void* menuTemplate) {
    if (menuTemplate == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return LoadTemplate({static_cast<const BYTE*>(menuTemplate), kUnsizedMenuLimit});
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect) {
    (void)x, (void)y, (void)reserved, (void)rect;  // nothing is shown
    std::function<UINT(HMENU, HWND)> script;
    {
        Hold guard(Menus().lock);
        if (FindMenuOrFail(menu) == nullptr) return FALSE;
        script = Menus().script;
    }
    if (!IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    // The owner sets the items' states here, as it would before the menu shows.
    SendMessageW(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    UINT command = script ? script(menu, owner) : 0;
    {
        // A script cannot choose what a user could not: a grayed item counts as a cancel.
        Hold guard(Menus().lock);
        if (command != 0 && !Choosable(menu, command)) command = 0;
    }
    if (flags & TPM_RETURNCMD) return static_cast<BOOL>(command);
    if (command == 0) return FALSE;
    if (!(flags & TPM_NONOTIFY)) PostMessageW(owner, WM_COMMAND, command, 0);
    return TRUE;
}

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS params) {
    if (params != nullptr && params->cbSize != sizeof(TPMPARAMS)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
}
