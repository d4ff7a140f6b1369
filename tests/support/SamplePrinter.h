#pragma once
// The sample printer lives in tools/sample/SamplePrinter.h; the fuzz targets still include it
// by this name.
#include "tools/sample/SamplePrinter.h"
