// The trays with paper that DrvDeviceCapabilities names from what the printer reported.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/DriverUi.h"
#include "settings/Forms.h"
#include "tests/kvui_common/CommonFixture.h"
#include "tools/sample/StandardForms.h"
#include "ui/entry/Capabilities.h"

namespace kvuicommon {
namespace {

using ReadyMedia = CommonTest;
using kvuitest::Tray;

bool InSizeWindow(const standin::FormSetup& form) {
    return form.width >= kUsableMinWidth && form.width <= kUsableMaxWidth && form.length >= kUsableMinLength &&
           form.length <= kUsableMaxLength;
}

// A tray may hold a form this printer cannot print on; it is still named as the spooler names it.
TEST_F(ReadyMedia, EveryTrayWithPaperIsNamedByItsSpoolerForm) {
    const std::vector<standin::FormSetup> forms = kvtest::StandardForms();
    const auto outside = std::find_if(forms.begin(), forms.end(), [](const standin::FormSetup& f) {
        return !InSizeWindow(f) && f.name != u"A3" && f.name != u"B4 (JIS)";
    });
    const auto inside = std::find_if(forms.begin(), forms.end(), InSizeWindow);
    ASSERT_NE(outside, forms.end());
    ASSERT_NE(inside, forms.end());
    const WORD outsideIndex = static_cast<WORD>(outside - forms.begin() + 1);
    const WORD insideIndex = static_cast<WORD>(inside - forms.begin() + 1);
    PublishDword(u"PrinterExtStatus", 0x4);
    PublishTrays({Tray(1, 1, outsideIndex, 100), Tray(2, 2, insideIndex, 100)});
    StartMonitor();

    ASSERT_EQ(DeviceCapabilities(Printer(), kvtest::kSamplePrinterName, DC_MEDIAREADY, nullptr, nullptr), 2u);
    std::vector<char16_t> names(3 * kCapMediaNameChars, u'#');
    ASSERT_EQ(DeviceCapabilities(Printer(), kvtest::kSamplePrinterName, DC_MEDIAREADY, names.data(), nullptr), 2u);
    EXPECT_EQ(std::u16string(&names[0]), outside->name);
    EXPECT_EQ(std::u16string(&names[kCapMediaNameChars]), inside->name);
    EXPECT_EQ(names[2 * kCapMediaNameChars], u'#');
}

}  // namespace
}  // namespace kvuicommon
