#pragma once
// Comparisons for tests of job streams (tools/sample/JobReader.h reads them): of two streams
// byte for byte and of two replayed pages pixel for pixel, each with a message that shows
// where they part.
#include <span>
#include <string>

#include "platform/WinTypes.h"
#include "tools/sample/JobReader.h"

namespace kvtest {

/// Empty when the two byte strings are equal; else the first differing offset (or the
/// length difference) and a hex dump of both sides around it.
std::string CompareBytes(std::span<const BYTE> expected, std::span<const BYTE> actual);
/// Empty when the two pages have the same black pixels; else the number of differing
/// pixels, the first one, and a small picture of both pages around it.
std::string ComparePages(const PageImage& expected, const PageImage& actual);

}  // namespace kvtest
