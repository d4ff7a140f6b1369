// The update region (one rectangle per window) and WM_PAINT delivery.
#include "platform/Kernel.h"
#include "platform/src/ControlClasses.h"
#include "platform/src/window/WindowState.h"

namespace standin::ui {

bool TakeUpdateRect(HWND hwnd, RECT* rect, BOOL* erase) {
    core::Guard guard(core::Lock());
    core::Window* w = core::Find(hwnd);
    if (rect != nullptr) *rect = RECT{};
    if (w == nullptr) return false;
    if (w->hasUpdate && rect != nullptr) *rect = w->update;
    if (erase != nullptr) *erase = w->hasUpdate && w->eraseUpdate ? TRUE : FALSE;
    w->hasUpdate = false;
    w->eraseUpdate = false;
    w->update = RECT{};
    return true;
}

void Paint(HWND hwnd) {
    std::vector<HWND> children;
    {
        core::Guard guard(core::Lock());
        core::Window* w = core::Find(hwnd);
        if (w == nullptr) return;
        w->hasUpdate = true;
        w->eraseUpdate = true;
        w->update = core::ClientRectOf(*w);
        children = w->children;
    }
    SendMessageW(hwnd, WM_PAINT, 0, 0);
    for (HWND c : children) Paint(c);
}

}  // namespace standin::ui

using namespace standin::ui::core;

namespace {
void AddUpdate(Window& w, const RECT* rect, BOOL erase) {
    const RECT client = ClientRectOf(w);
    RECT r = client;
    if (rect != nullptr && !IntersectRect(&r, rect, &client)) return;
    if (w.hasUpdate) {
        UnionRect(&w.update, &w.update, &r);
    } else {
        w.update = r;
    }
    w.hasUpdate = !IsRectEmpty(&w.update);
    w.eraseUpdate = w.eraseUpdate || erase;
    NotifyQueue(w.thread);
}
}  // namespace

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    Guard guard(Lock());
    if (hwnd == nullptr) {
        for (auto& [h, w] : Windows()) {
            if (w->thread == GetCurrentThreadId()) AddUpdate(*w, nullptr, erase);
        }
        return TRUE;
    }
    Window* w = FindOrFail(hwnd);
    if (w == nullptr) return FALSE;
    AddUpdate(*w, rect, erase);
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
    Guard guard(Lock());
    Window* w = FindOrFail(hwnd);
    if (w == nullptr) return FALSE;
    // One rectangle stands for the region: validating part of it keeps it whole unless the
    // part covers it.
    RECT covered{};
    if (rect == nullptr || (IntersectRect(&covered, rect, &w->update) && EqualRect(&covered, &w->update))) {
        w->hasUpdate = false;
        w->eraseUpdate = false;
        w->update = RECT{};
    }
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
    bool pending = false;
    {
        Guard guard(Lock());
        Window* w = FindOrFail(hwnd);
        if (w == nullptr) return FALSE;
        pending = w->hasUpdate;
    }
    if (pending) SendMessageW(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase) {
    (void)erase;
    Guard guard(Lock());
    Window* w = FindOrFail(hwnd);
    if (w == nullptr) return FALSE;
    if (rect != nullptr) *rect = w->hasUpdate ? w->update : RECT{};
    return w->hasUpdate ? TRUE : FALSE;
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, void* region, UINT flags) {
    (void)region;
    if (flags & RDW_INVALIDATE) InvalidateRect(hwnd, rect, (flags & RDW_ERASE) ? TRUE : FALSE);
    if (flags & RDW_VALIDATE) ValidateRect(hwnd, rect);
    if (flags & RDW_UPDATENOW) UpdateWindow(hwnd);
    return TRUE;
}
