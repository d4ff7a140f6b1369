#pragma once
// Owners of the user side's handles for the settings pages: icons, image lists, GDI objects,
// memory DCs and loaded modules, on the platform's Owner template.
#include "platform/Controls.h"
#include "platform/Modules.h"
#include "platform/Owners.h"
#include "platform/User.h"
#include "platform/WinGdi.h"

/// An icon the holder destroys (not a shared one from LoadIconW).
struct IconTraits {
    using Handle = HICON;
    static Handle None() { return nullptr; }
    static bool Valid(Handle handle) { return handle != nullptr; }
    static void Close(Handle handle) { DestroyIcon(handle); }
};
using IconHandle = Owner<IconTraits>;

struct ImageListTraits {
    using Handle = HIMAGELIST;
    static Handle None() { return nullptr; }
    static bool Valid(Handle handle) { return handle != nullptr; }
    static void Close(Handle handle) { ImageList_Destroy(handle); }
};
using ImageListHandle = Owner<ImageListTraits>;

/// A bitmap, pen, brush or font (not selected into a DC when it is closed).
struct GdiObjectTraits {
    using Handle = HGDIOBJ;
    static Handle None() { return nullptr; }
    static bool Valid(Handle handle) { return handle != nullptr; }
    static void Close(Handle handle) { DeleteObject(handle); }
};
using GdiObject = Owner<GdiObjectTraits>;

/// A DC of CreateCompatibleDC.
struct MemoryDcTraits {
    using Handle = HDC;
    static Handle None() { return nullptr; }
    static bool Valid(Handle handle) { return handle != nullptr; }
    static void Close(Handle handle) { DeleteDC(handle); }
};
using MemoryDc = Owner<MemoryDcTraits>;

/// A reference of LoadLibrary.
struct ModuleTraits {
    using Handle = HMODULE;
    static Handle None() { return nullptr; }
    static bool Valid(Handle handle) { return handle != nullptr; }
    static void Close(Handle handle) { FreeLibrary(handle); }
};
using ModuleHandle = Owner<ModuleTraits>;

/// Selects an object into a DC and puts the previous one back at the end of the scope.
class ScopedSelection {
public:
    ScopedSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~ScopedSelection() {
        if (previous_ != nullptr) SelectObject(dc_, previous_);
    }
    ScopedSelection(const ScopedSelection&) = delete;
    ScopedSelection& operator=(const ScopedSelection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

/// A DC's selected font, text and background colours, background and mix modes and text
/// alignment, put back at the end of the scope.
class SavedDcState {
public:
    explicit SavedDcState(HDC dc)
        : dc_(dc),
          font_(GetCurrentObject(dc, OBJ_FONT)),
          text_(GetTextColor(dc)),
          back_(GetBkColor(dc)),
          mode_(GetBkMode(dc)),
          rop2_(GetROP2(dc)),
          align_(GetTextAlign(dc)) {}
    ~SavedDcState() {
        if (font_ != nullptr) SelectObject(dc_, font_);
        SetTextColor(dc_, text_);
        SetBkColor(dc_, back_);
        SetBkMode(dc_, mode_);
        SetROP2(dc_, rop2_);
        SetTextAlign(dc_, align_);
    }
    SavedDcState(const SavedDcState&) = delete;
    SavedDcState& operator=(const SavedDcState&) = delete;
    /// The font selected when the state was saved.
    HGDIOBJ Font() const { return font_; }

private:
    HDC dc_;
    HGDIOBJ font_;
    COLORREF text_;
    COLORREF back_;
    int mode_;
    int rop2_;
    UINT align_;
};

/// A DC of a window (GetDC), released at the end of the scope.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(window != nullptr ? GetDC(window) : nullptr) {}
    ~WindowDc() {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};
