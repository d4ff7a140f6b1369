// The 16 x 18 images of the settings tree and the owner-drawn lists: each icon id is loaded
// once at 16 x 16, set one pixel down in an 18-pixel-high image and kept under its id. Any id
// is accepted (the items' icons go past the range the pages preload).
#include "ui/SettingsTreeState.h"

namespace {

constexpr int kImageWidth = 16;
constexpr int kImageHeight = 18;
constexpr int kIconSide = 16;
constexpr int kGrowBy = 128;
constexpr COLORREF kTransparentKey = RGB(255, 0, 255);

// The module the icons come from: the user-interface library's own handle, process-wide like
// the module itself.
HMODULE g_iconModule = nullptr;

// A memory DC with a bitmap selected; both go with it.
class ImageCanvas {
public:
    ImageCanvas(int width, int height) {
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateBitmap(width, height, 1, 24, nullptr);
        if (dc_ != nullptr && bitmap_ != nullptr) old_ = SelectObject(dc_, bitmap_);
    }
    ~ImageCanvas() {
        if (old_ != nullptr) SelectObject(dc_, old_);
        if (bitmap_ != nullptr) DeleteObject(bitmap_);
        if (dc_ != nullptr) DeleteDC(dc_);
    }
    ImageCanvas(const ImageCanvas&) = delete;
    ImageCanvas& operator=(const ImageCanvas&) = delete;
    bool Ready() const { return old_ != nullptr; }
    HDC Dc() const { return dc_; }
    /// The bitmap, no longer selected (for the image list, which copies it).
    HBITMAP Release() {
        SelectObject(dc_, old_);
        old_ = nullptr;
        return bitmap_;
    }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

// Adds the icon (or a blank image for NULL) one pixel down; the index, or -1.
int AddPaddedIcon(HIMAGELIST list, HICON icon) {
    ImageCanvas canvas(kImageWidth, kImageHeight);
    if (!canvas.Ready()) return -1;
    HBRUSH key = CreateSolidBrush(kTransparentKey);
    const RECT all{0, 0, kImageWidth, kImageHeight};
    FillRect(canvas.Dc(), &all, key);
    DeleteObject(key);
    if (icon != nullptr) DrawIconEx(canvas.Dc(), 0, 1, icon, kIconSide, kIconSide, 0, nullptr, DI_NORMAL);
    return ImageList_AddMasked(list, canvas.Release(), kTransparentKey);
}

}  // namespace

void SetTreeIconModule(HMODULE module) { g_iconModule = module; }

HIMAGELIST TreeImageList(PageRecord* page) {
    SettingsTreeState* state = TreeStateOf(page, true);
    if (state == nullptr) return nullptr;
    if (state->images == nullptr) state->images = ImageList_Create(kImageWidth, kImageHeight, ILC_COLOR4 | ILC_MASK, kGrowBy, kGrowBy);
    return state->images;
}

int TreeIconIndex(PageRecord* page, int iconId) {
    HIMAGELIST list = TreeImageList(page);
    if (list == nullptr) return -1;
    SettingsTreeState* state = TreeStateOf(page, false);
    if (auto it = state->imageIndex.find(iconId); it != state->imageIndex.end()) return it->second;
    HICON icon = nullptr;
    if (g_iconModule != nullptr && iconId > 0 && iconId <= 0xFFFF) {
        icon = static_cast<HICON>(
            LoadImageW(g_iconModule, MAKEINTRESOURCEW(iconId), IMAGE_ICON, kIconSide, kIconSide, LR_DEFAULTCOLOR));
    }
    const int index = AddPaddedIcon(list, icon);
    if (icon != nullptr) DestroyIcon(icon);
    if (index >= 0) state->imageIndex.emplace(iconId, index);
    return index;
}
