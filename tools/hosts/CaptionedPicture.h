#pragma once
// A window's picture under a caption band, the window faded: what a demo writes for a step
// whose window is no longer on the screen, so that the picture does not look like an open one.
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "platform/StandInDraw.h"
#include "platform/WinGdi.h"

namespace kvdemo {

/// Writes `shot` faded under a black band with `caption` in white as a PNG at a Linux path.
/// False when the band cannot be drawn or the file cannot be written.
inline bool WriteCaptionedPicture(const standin::ui::Pixels& shot, const std::u16string& caption,
                                  const std::string& path) {
    constexpr int kBand = 22;
    if (shot.width <= 0) return false;
    standin::ui::Pixels band;
    HDC dc = CreateCompatibleDC(nullptr);
    LOGFONTW spec{};
    spec.lfHeight = -13;
    HFONT font = CreateFontIndirectW(&spec);
    HBITMAP strip = CreateBitmap(shot.width, kBand, 1, 24, nullptr);
    if (dc != nullptr && font != nullptr && strip != nullptr) {
        HGDIOBJ oldStrip = SelectObject(dc, strip);
        HGDIOBJ oldFont = SelectObject(dc, font);
        PatBlt(dc, 0, 0, shot.width, kBand, BLACKNESS);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        TextOutW(dc, 4, 4, caption.c_str(), static_cast<int>(caption.size()));
        SelectObject(dc, oldFont);
        SelectObject(dc, oldStrip);
        band = standin::ui::BitmapPixels(strip);
    }
    if (strip != nullptr) DeleteObject(strip);
    if (font != nullptr) DeleteObject(font);
    if (dc != nullptr) DeleteDC(dc);
    if (band.width != shot.width) return false;
    standin::ui::Pixels picture;
    picture.width = shot.width;
    picture.height = kBand + shot.height;
    picture.bgr = band.bgr;
    for (uint8_t value : shot.bgr) picture.bgr.push_back(static_cast<uint8_t>(255 - (255 - value) / 3));
    const std::vector<uint8_t> png = standin::ui::EncodePng(picture);
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return !png.empty() && file.good();
}

}  // namespace kvdemo
