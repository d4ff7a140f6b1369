#include "tools/sample/SheetPicture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/StandInDraw.h"

namespace kvtest {

bool WriteSheetPicture(const PageImage& sheet, LONG dotsPerPixel, const std::string& linuxPath) {
    if (dotsPerPixel < 1) return false;
    standin::ui::Pixels pixels;
    pixels.width = static_cast<int>((sheet.width + dotsPerPixel - 1) / dotsPerPixel);
    pixels.height = static_cast<int>((sheet.height + dotsPerPixel - 1) / dotsPerPixel);
    pixels.bgr.assign(static_cast<size_t>(pixels.width) * pixels.height * 3, 0xFF);
    for (int py = 0; py < pixels.height; ++py) {
        for (int px = 0; px < pixels.width; ++px) {
            int black = 0, all = 0;
            for (LONG y = py * dotsPerPixel; y < std::min<LONG>((py + 1) * dotsPerPixel, sheet.height); ++y) {
                for (LONG x = px * dotsPerPixel; x < std::min<LONG>((px + 1) * dotsPerPixel, sheet.width); ++x) {
                    black += sheet.Black(x, y) ? 1 : 0;
                    ++all;
                }
            }
            const auto grey = static_cast<uint8_t>(255 - (all == 0 ? 0 : 255 * black / all));
            uint8_t* pixel = &pixels.bgr[(static_cast<size_t>(py) * pixels.width + px) * 3];
            pixel[0] = pixel[1] = pixel[2] = grey;
        }
    }
    const std::vector<uint8_t> png = standin::ui::EncodePng(pixels);
    std::ofstream(linuxPath, std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    std::error_code error;
    return std::filesystem::exists(linuxPath, error) && std::filesystem::file_size(linuxPath, error) == png.size();
}

}  // namespace kvtest
