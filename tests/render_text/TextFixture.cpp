#include "tests/render_text/TextFixture.h"

#include <algorithm>
#include <cstring>

#include "platform/Modules.h"
#include "platform/Spooler.h"
#include "platform/StandIn.h"
#include "render/DriverEntry.h"
#include "render/DocumentHooks.h"
#include "render/draw/DeviceFonts.h"
#include "render/draw/DrawingState.h"
#include "render/draw/TextOutput.h"
#include "tests/support/SamplePdev.h"
#include "tools/sample/SamplePrinter.h"

namespace texttest {

TextTest::TextTest() : SamplePdevTest(u"" KV_RENDER_NAME) {}

void TextTest::SetUp() {
    SamplePdevTest::SetUp();
    standin::SetAnsiCodePage(932);
    ASSERT_NE(strings_, nullptr);
    MakeDevice();
}

void TextTest::TearDown() {
    pdev_ = nullptr;
    device_.Reset();
    SamplePdevTest::TearDown();
}

void TextTest::MakeDevice(SHORT dpi) {
    pdev_ = nullptr;
    ASSERT_EQ(device_.Make(strings_, dpi), "");
    pdev_ = device_.pdev();
    PDEV& p = *pdev_;
    DriverDevMode& s = p.Settings;
    s.Public.dmDuplex = 1;
    s.PagesPerSheet = 1;
    s.LayoutScale = 100;
    s.FeatureFlags &= ~kFeatureGraphicsOnly;
    p.Geometry.ScalePercent = 100;
    p.StateFlags = 0;
    if (p.UnitFactor == 2) p.StateFlags |= kStateDoubling;
    ResetPageSettings(&p);
    ResetPrinterState(&p);
    ResetGraphicsState(&p);
    if (p.UnitFactor == 2) p.StateFlags |= kStateDoubling;
    p.VectorResolution = static_cast<WORD>(dpi);
    p.SentOrientation = 1;
    p.DeviceFontCount = kDeviceFontCount;
    ASSERT_TRUE(LoadDeviceFonts(&p));
    ASSERT_TRUE(LoadTrueTypeSubstList(&p));
}

void TextTest::Realized(const FontState& font) {
    PDEV& p = *pdev_;
    TextState& t = p.Text;
    std::memcpy(t.SelectId, font.selectId, 8);
    t.DoubleByteFlags = font.doubleByteFlags;
    t.Escapement = font.escapement;
    t.SingleByteSize[0] = font.singleByte[0];
    t.SingleByteSize[1] = font.singleByte[1];
    t.DoubleByteSize[0] = font.doubleByte[0];
    t.DoubleByteSize[1] = font.doubleByte[1];
    t.CodeTable = (font.doubleByteFlags & kDbcsFont) ? nullptr : kDeviceCharTable;
    p.TextValues[kTextMode] = font.textMode;
    p.StateFlags |= kStateDeviceFontText;
    DrawingStateCache& c = p.Draw;
    c.SingleByteFont = font.singleByteFont;
    c.DoubleByteFont = font.doubleByteFont;
    const bool twoByte = font.textMode == 2 && font.selectId[7] != '9';
    c.FontNumber = static_cast<WORD>(twoByte ? font.doubleByteFont : font.singleByteFont);
    c.SizeValues[0] = font.singleByte[1];
    c.SizeValues[1] = font.singleByte[0];
    c.SizeValues[2] = font.doubleByte[1];
    c.SizeValues[3] = font.doubleByte[0];
    c.DirectionAngle = static_cast<WORD>(font.escapement);
    c.StyleWords[0] = 0;
    c.CharMode = 2;
}

std::vector<BYTE> TextTest::Buffered() const {
    return std::vector<BYTE>(pdev_->Output.Data, pdev_->Output.Data + pdev_->Output.Count);
}

void TextTest::ClearBuffer() {
    pdev_->Output.Count = 0;
    pdev_->Output.WritePos = pdev_->Output.Data;
}

DeviceCharRecord TextTest::Record(WORD code, LONG x, LONG y) {
    DeviceCharRecord r{};
    r.Code = code;
    r.X = x;
    r.Y = y;
    r.Style = kNoStyle;
    r.Direction = kNoDirection;
    r.Left = 1;
    return r;
}

}  // namespace texttest
