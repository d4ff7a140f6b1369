#pragma once
// Comparisons for tests of job streams (tools/sample/JobReader.h reads them): of two streams
// byte for byte (CompareBytes, tests/support/ByteCompare.h) and of two replayed pages pixel
// for pixel, each with a message that shows where they part.
#include <string>

#include "platform/WinTypes.h"
#include "tests/support/ByteCompare.h"
#include "tools/sample/JobReader.h"

namespace kvtest {

/// Empty when the two pages have the same black pixels; else the number of differing
/// pixels, the first one, and a small picture of both pages around it.
std::string ComparePages(const PageImage& expected, const PageImage& actual);

}  // namespace kvtest
