#pragma once
// A device state built by hand for the text tests: the sample printer and its model, default
// settings, A4, out of page-control mode with an empty output buffer, and the text state of
// a realized font set by the test (select id, sizes, escapement, caches).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/Pdev.h"
#include "render/draw/DeviceFontText.h"
#include "settings/MemoryPool.h"
#include "tests/support/ByteCompare.h"
#include "tests/support/SamplePdev.h"
#include "tests/support/TestRoot.h"

namespace texttest {

/// A realized font as the string writers see it.
struct FontState {
    const char* selectId = "06F1-002";  // Courier
    WORD doubleByteFlags = 0;
    LONG escapement = 0;
    WORD singleByte[2] = {50, 67};      // width, height (10 pt at 600 dpi)
    WORD doubleByte[2] = {83, 83};
    DWORD textMode = 1;
    SHORT singleByteFont = 0x20;
    SHORT doubleByteFont = 0x310;
};

class TextTest : public kvtest::SamplePdevTest {
protected:
    /// Its strings are the rendering library's own.
    TextTest();
    void SetUp() override;
    void TearDown() override;

    /// Builds the device (600 dpi unless told); any earlier one is dropped.
    void MakeDevice(SHORT dpi = 600);
    PDEV& Pdev() { return *pdev_; }
    /// The realized font, with the printer's caches holding its font and sizes.
    void Realized(const FontState& font);
    std::vector<BYTE> Buffered() const;
    void ClearBuffer();

    /// A record at (x, y) with a code, no style, no direction.
    static DeviceCharRecord Record(WORD code, LONG x, LONG y);

private:
    kvtest::SamplePdevOwner device_;
    PDEV* pdev_ = nullptr;
};

using kvtest::GoldenStream;

using kvtest::CountOf;

}  // namespace texttest
