#pragma once
// LoadImageW's bitmap branch, kept beside the drawing side's DIB decoder (WinGdiDib.cpp).
#include "platform/User.h"

namespace standin::ui {

/// IMAGE_BITMAP from an RT_BITMAP resource, scaled to cx x cy when either is non-zero (0
/// keeps the resource's size on that side). The caller has ruled out LR_LOADFROMFILE.
HANDLE LoadBitmapImage(HINSTANCE instance, LPCWSTR name, int cx, int cy, UINT flags);

}  // namespace standin::ui
