// Names of printer-data values chosen by the settings code.
#include <gtest/gtest.h>

#include <string>

#include "settings/PrinterData.h"

namespace kvtest {
namespace {

TEST(PrinterData, HalftoneInfoValueByResolution) {
    struct Case {
        int Dpi;
        const char16_t* Name;
    };
    const Case cases[] = {
        {200, u"DAT_CurDevHTInfo200"},  {240, u"DAT_CurDevHTInfo240"},   {300, u"DAT_CurDevHTInfo300"},
        {400, u"DAT_CurDevHTInfo400"},  {600, u"DAT_CurDevHTInfo600"},   {1200, u"DAT_CurDevHTInfo1200"},
        {0, u"DAT_CurDevHTInfo600"},    {150, u"DAT_CurDevHTInfo600"},   {360, u"DAT_CurDevHTInfo600"},
        {2400, u"DAT_CurDevHTInfo600"}, {-600, u"DAT_CurDevHTInfo600"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Dpi);
        EXPECT_EQ(std::u16string(HalftoneInfoValueName(c.Dpi)), c.Name);
    }
}

}  // namespace
}  // namespace kvtest
