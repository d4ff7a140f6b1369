// Drawing into windows: DCs on the window side's client pixels, BeginPaint/EndPaint with the
// update rectangle and the class background, icons, and the dialog font.
#include <algorithm>

#include "platform/Kernel.h"
#include "platform/StandInUi.h"
#include "platform/User.h"
#include "platform/src/ControlClasses.h"
#include "platform/src/engine/WinGdiState.h"

namespace standin::gdi {

bool WindowTarget(State&, HWND hwnd, bool wholeWindow, Target* target) {
    if (!IsWindow(hwnd)) return false;
    ui::Surface* pixels = ui::WindowSurface(hwnd);
    if (!pixels) return false;
    target->surface = {pixels->bgr.data(), static_cast<int>(pixels->width), static_cast<int>(pixels->height), false};
    target->origin = {0, 0};
    target->clip = {0, 0, pixels->width, pixels->height};
    if (wholeWindow) {
        // Whole-window coordinates start at the frame's corner, left and above the client area.
        RECT window{};
        POINT client{0, 0};
        GetWindowRect(hwnd, &window);
        ClientToScreen(hwnd, &client);
        target->origin = {window.left - client.x, window.top - client.y};
    }
    return true;
}

namespace {

HFONT MakeDialogFont(const ui::DialogFont& font) {
    LOGFONTW lf{};
    lf.lfHeight = -((font.pointSize * ui::GetDisplayCaps().logPixels + 36) / 72);
    lf.lfWeight = font.weight ? font.weight : FW_NORMAL;
    lf.lfItalic = font.italic;
    lf.lfCharSet = font.charset;
    for (int i = 0; font.face && font.face[i] && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = font.face[i];
    return CreateFontIndirectW(&lf);
}

void DeleteDialogFont(HFONT font) { DeleteObject(font); }

const bool kDialogFontInstalled = ui::SetDialogFontMaker(MakeDialogFont, DeleteDialogFont);

// The brush a window's class erases with: a system colour index + 1 or a brush; dialogs
// without one take the button face, as the platform's dialog procedure paints them.
HBRUSH ClassBackground(HWND hwnd) {
    WCHAR name[64]{};
    if (!GetClassNameW(hwnd, name, 64)) return nullptr;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd, GWLP_HINSTANCE));
    if (!GetClassInfoExW(instance, name, &wc) && !GetClassInfoExW(nullptr, name, &wc)) return nullptr;
    const auto value = reinterpret_cast<ULONG_PTR>(wc.hbrBackground);
    if (value == 0) {
        return lstrcmpW(name, u"#32770") == 0 ? GetSysColorBrush(COLOR_BTNFACE) : nullptr;
    }
    if (value <= 31) return GetSysColorBrush(static_cast<int>(value - 1));
    return wc.hbrBackground;
}

}  // namespace

}  // namespace standin::gdi

using namespace standin::gdi;

PLATFORM_API HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
    if (!paint) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    RECT update{};
    BOOL erase = FALSE;
    if (!standin::ui::TakeUpdateRect(hwnd, &update, &erase)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    HDC hdc = GetDC(hwnd);
    if (!hdc) return nullptr;
    IntersectClipRect(hdc, update.left, update.top, update.right, update.bottom);
    *paint = {};
    paint->hdc = hdc;
    paint->rcPaint = update;
    if (erase) {
        if (HBRUSH background = ClassBackground(hwnd)) FillRect(hdc, &update, background);
        paint->fErase = SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) ? FALSE : TRUE;
    }
    return hdc;
}

PLATFORM_API BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint) {
    if (!paint) return FALSE;
    ReleaseDC(hwnd, paint->hdc);
    return TRUE;
}

PLATFORM_API BOOL DrawIconEx(HDC hdc, int x, int y, HICON icon, int width, int height, UINT, HBRUSH, UINT flags) {
    State& s = Gdi();
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    Dc* dc = FindDc(s, hdc);
    Target t;
    if (!dc || !ResolveTarget(s, *dc, &t)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const standin::ui::IconPixels* image = standin::ui::IconImage(icon);
    if (!image || image->width <= 0 || image->height <= 0) {
        SetLastError(ERROR_INVALID_ICON_HANDLE);
        return FALSE;
    }
    if (width <= 0) width = image->width;
    if (height <= 0) height = image->height;
    Record(s, hdc, *dc, "DrawIconEx", {x, y, width, height, flags});
    for (int j = 0; j < height; ++j) {
        for (int i = 0; i < width; ++i) {
            const size_t sx = static_cast<size_t>(i * image->width / width);
            const size_t sy = static_cast<size_t>(j * image->height / height);
            const BYTE* px = &image->bgra[(sy * static_cast<size_t>(image->width) + sx) * 4];
            const bool masked = px[3] == 0;
            const COLORREF color = RGB(px[2], px[1], px[0]);
            if ((flags & DI_NORMAL) == DI_NORMAL) {
                if (!masked) PlotPixel(t, x + i, y + j, color, R2_COPYPEN);
            } else if (flags & DI_IMAGE) {
                PlotPixel(t, x + i, y + j, color, R2_COPYPEN);
            } else if (flags & DI_MASK) {
                if (!masked) PlotPixel(t, x + i, y + j, RGB(0, 0, 0), R2_COPYPEN);
            }
        }
    }
    return TRUE;
}

PLATFORM_API BOOL DrawIcon(HDC hdc, int x, int y, HICON icon) {
    return DrawIconEx(hdc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL);
}
