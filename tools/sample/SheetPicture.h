#pragma once
// A printed sheet as a person sees it: a PNG whose pixels each stand for a square of dots,
// as grey as its share of black.
#include <string>

#include "tools/sample/JobReader.h"

namespace kvtest {

/// Writes the picture; false when the file cannot be written whole.
bool WriteSheetPicture(const PageImage& sheet, LONG dotsPerPixel, const std::string& linuxPath);

}  // namespace kvtest
