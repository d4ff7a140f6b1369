// The page picture's mouse handling: which part of the image the cursor is over, moving the
// image by its body, scaling it by a corner with the document's aspect kept, and writing the
// result back into the offsets and the scale.
#include <cstdlib>

#include "platform/User.h"
#include "ui/dialogs/PositionDialog.h"
#include "ui/entry/UiContext.h"

namespace {

constexpr DWORD kCornerBits[4] = {kGrabTopLeft, kGrabTopRight, kGrabBottomLeft, kGrabBottomRight};
// Corners are tried from the bottom right, so that a small image's bottom corners win.
constexpr Corner kHitOrder[4] = {kCornerBottomRight, kCornerBottomLeft, kCornerTopRight, kCornerTopLeft};

PositionDialogState* PictureState(HWND window) {
    return reinterpret_cast<PositionDialogState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

POINT ClientPoint(LPARAM lParam) {
    return POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
}

POINT ToScreen(HWND window, POINT client) {
    ClientToScreen(window, &client);
    return client;
}

int GrabbedCorner(DWORD mode) {
    for (int i = 0; i < 4; ++i) {
        if (mode & kCornerBits[i]) return i;
    }
    return -1;
}

bool IsRightCorner(int corner) { return corner == kCornerTopRight || corner == kCornerBottomRight; }
bool IsBottomCorner(int corner) { return corner == kCornerBottomLeft || corner == kCornerBottomRight; }

POINT CornerPoint(const RECT& r, int corner) {
    return POINT{IsRightCorner(corner) ? r.right : r.left, IsBottomCorner(corner) ? r.bottom : r.top};
}

void HitTest(PositionDialogState* state, POINT p) {
    state->mode &= ~kGrabAny;
    LPCWSTR cursor = IDC_ARROW;
    const bool corners = (state->mode & kModeCornerScaling) != 0 && (state->mode & kModeFixedNup) == 0;
    if (corners) {
        for (Corner corner : kHitOrder) {
            if (!PtInRect(&state->corners[corner], p)) continue;
            state->mode |= kCornerBits[corner];
            const bool falling = corner == kCornerTopLeft || corner == kCornerBottomRight;
            cursor = falling ? IDC_SIZENWSE : IDC_SIZENESW;
            break;
        }
    }
    if ((state->mode & kGrabCorners) == 0 && PtInRect(&state->image, p)) {
        state->mode |= kGrabBody;
        cursor = IDC_SIZEALL;
    }
    SetCursor(LoadCursorW(nullptr, cursor));
}

void ButtonDown(PositionDialogState* state, HWND window, POINT p) {
    HitTest(state, p);
    if ((state->mode & kGrabAny) == 0) return;
    POINT screen = ToScreen(window, p);
    const int corner = GrabbedCorner(state->mode);
    if (corner >= 0) {
        screen = ToScreen(window, CornerPoint(state->image, corner));
        SetCursorPos(screen.x, screen.y);
    }
    state->dragX = screen.x;
    state->dragY = screen.y;
    state->mode |= kModeDragging;
    SetCapture(window);
}

// The space below or right as the dialog shows it, in 0.1 mm.
double ShownSpace(PositionDialogState* state, int id) {
    if (state->dialog == nullptr) return 0;
    const LONG shown = ReadPositionEdit(state, state->dialog, false, id, 0);
    return (PositionBlock(state)->FeatureFlags & kFeatureInches) ? shown * 2.54 : shown;
}

// Moves the grabbed corner toward the mouse keeping the document's printable aspect with the
// opposite corner fixed; false when the move is refused or there is nothing to scale.
bool DragCorner(PositionDialogState* state, HWND window, int corner, LONG dx, LONG dy) {
    const bool falling = corner == kCornerTopLeft || corner == kCornerBottomRight;
    const bool refused = falling ? (dx < 0 && dy > 0) || (dx > 0 && dy < 0) : (dx < 0 && dy < 0) || (dx > 0 && dy > 0);
    const LONG paperWidth = state->paper.right - state->paper.left;
    const LONG paperHeight = state->paper.bottom - state->paper.top;
    const LONG docWidth = state->docWidth - state->docMargins[kLeft] - state->docMargins[kRight];
    const LONG docLength = state->docLength - state->docMargins[kTop] - state->docMargins[kBottom];
    if (refused || paperWidth <= 0 || paperHeight <= 0 || docWidth <= 0 || docLength <= 0) {
        SetCursorPos(state->dragX, state->dragY);
        return false;
    }
    // One step: a hundredth of the paper picture across the shorter side.
    LONG stepX = 0;
    LONG stepY = 0;
    if (IsPortraitOutput(PositionBlock(state))) {
        stepX = (paperWidth + 99) / 100;
        stepY = paperHeight / paperWidth * stepX;
    } else {
        stepY = (paperHeight + 99) / 100;
        stepX = paperWidth / paperHeight * stepY;
    }
    stepX = stepX > 0 ? stepX : 1;
    stepY = stepY > 0 ? stepY : 1;
    const POINT from = CornerPoint(state->image, corner);
    const POINT opposite = CornerPoint(state->image, 3 - corner);
    const LONG signX = IsRightCorner(corner) ? 1 : -1;
    const LONG signY = IsBottomCorner(corner) ? 1 : -1;
    LONG width = 0;
    LONG height = 0;
    if (std::labs(dx) < std::labs(dy)) {
        height = (from.y + dy - opposite.y) * signY;
        if (height < stepY) height = stepY;
        width = static_cast<LONG>(static_cast<double>(height) * docWidth / docLength + 0.5);
    } else {
        width = (from.x + dx - opposite.x) * signX;
        if (width < stepX) width = stepX;
        height = static_cast<LONG>(static_cast<double>(width) * docLength / docWidth + 0.5);
    }
    const POINT to{opposite.x + signX * width, opposite.y + signY * height};
    (IsRightCorner(corner) ? state->image.right : state->image.left) = to.x;
    (IsBottomCorner(corner) ? state->image.bottom : state->image.top) = to.y;
    const POINT screen = ToScreen(window, to);
    SetCursorPos(screen.x, screen.y);
    state->dragX = screen.x;
    state->dragY = screen.y;
    return true;
}

void Drag(PositionDialogState* state, HWND window, POINT p) {
    const POINT screen = ToScreen(window, p);
    const LONG dx = screen.x - state->dragX;
    const LONG dy = screen.y - state->dragY;
    if (dx == 0 && dy == 0) return;
    const int corner = GrabbedCorner(state->mode);
    const bool body = (state->mode & kGrabBody) != 0 && corner < 0;
    if (body) {
        OffsetRect(&state->image, dx, dy);
        state->dragX = screen.x;
        state->dragY = screen.y;
    } else if (corner < 0 || !DragCorner(state, window, corner, dx, dy)) {
        return;
    }
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    RECT client{};
    GetClientRect(window, &client);
    state->centre = POINT{client.right / 2, client.bottom / 2};
    const bool top = body || corner == kCornerTopLeft || corner == kCornerTopRight;
    const bool left = body || corner == kCornerTopLeft || corner == kCornerBottomLeft;
    WriteBackOffsets(state, top, left);
    DriverDevMode* block = PositionBlock(state);
    bool whole = false;
    if (!body) {
        if ((state->mode & kModeCornerScaling) && !(state->mode & kModeFixedNup)) ScaleFromPicture(state);
        // The edge that did not move keeps its space exactly.
        if (top) {
            block->TopMargin = RoundAway(state->outLength - ShownSpace(state, kPositionBelowText) - ScaledLength(state));
        }
        if (left) {
            const LONG shift = LeftShiftApplies(block) ? kNupLeftShift : 0;
            block->LeftMargin =
                RoundAway(state->outWidth - ShownSpace(state, kPositionRightText) - shift - ScaledWidth(state));
        }
    } else {
        // Back on the starting pixel: the default offsets exactly, not a rounded neighbour.
        const bool fixed = (state->mode & kModeFixedNup) != 0;
        if (state->image.top == state->home.y) {
            block->TopMargin = fixed ? kFixedNupTop : state->outMargins[kTop];
            whole = true;
        }
        if (state->image.left == state->home.x) {
            block->LeftMargin = fixed ? kFixedNupLeft : state->outMargins[kLeft];
            whole = true;
        }
    }
    if (state->dialog != nullptr) ShowPositionFields(state, state->dialog, whole);
}

void ButtonUp(PositionDialogState* state) {
    if ((state->mode & kModeDragging) == 0) return;
    state->mode &= ~kModeDragging;
    SetCornerHandles(state);
    SetCursorPos(state->dragX, state->dragY);
    ReleaseCapture();
}

}  // namespace

LRESULT PagePictureWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PositionDialogState* state = PictureState(window);
    if (state == nullptr || state->oldProc == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    const LRESULT result = CallWindowProcW(state->oldProc, window, message, wParam, lParam);
    switch (message) {
    case WM_PAINT: {
        HDC dc = GetDC(window);
        if (dc != nullptr) {
            PaintPagePicture(state, dc);
            ReleaseDC(window, dc);
        }
        break;
    }
    case WM_MOUSEMOVE:
        if (state->mode & kModeDragging) {
            Drag(state, window, ClientPoint(lParam));
        } else {
            HitTest(state, ClientPoint(lParam));
        }
        break;
    case WM_LBUTTONDOWN: ButtonDown(state, window, ClientPoint(lParam)); break;
    case WM_LBUTTONUP: ButtonUp(state); break;
    default: break;
    }
    return result;
}
