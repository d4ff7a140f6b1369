// The owner-name check the pages share: only while the name is printed, only the field's own
// 17 characters (an application's field may have no terminator), and a warning that clears
// the choice when a byte of the name cannot go to the printer.
#include <algorithm>
#include <string>

#include "platform/StandInShell.h"
#include "resources/ui/StringIds.h"
#include "tests/kvui_common/SampleSetUp.h"
#include "tests/kvui_page1/Page1Fixture.h"
#include "ui/pages/PageRoutines.h"

namespace kvuipage1 {
namespace {

TEST_F(Page1Test, TheOwnerNameCheckReadsOnlyTheFieldAndRefusesWhatThePrinterCannotTake) {
    struct Case {
        const char* name;
        std::u16string owner;      // written into the 17-character field, not terminated when it fills it
        std::u16string following;  // the field after it
        bool printed;              // FeatureFlags bit 21
        bool refused;
    };
    const Case cases[] = {
        {"plain", u"Suzuki", u"", true, false},
        {"quote", u"A\"B", u"", true, true},
        {"tilde", u"A~B", u"", true, true},
        {"double-byte", u"山田", u"", true, true},
        {"not printed", u"A~B", u"", false, false},
        {"full field, quote after it", std::u16string(17, u'A'), u"\"\"\"\"", true, false},
    };
    UiContext* context = kvtest::NewSampleContext(printer_, model_, japanese_, kUiDocumentSheet, 1041);
    ASSERT_NE(context, nullptr);
    PageRecord page{};
    page.context = context;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        standin::ui::ResetShell();
        DriverDevMode& block = context->workingBlock;
        std::fill(std::begin(block.UserName1), std::end(block.UserName1), u'\0');
        std::fill(std::begin(block.UserName2), std::end(block.UserName2), u'\0');
        std::copy(c.owner.begin(), c.owner.end(), block.UserName1);
        std::copy(c.following.begin(), c.following.end(), block.UserName2);
        block.FeatureFlags = c.printed ? (block.FeatureFlags | kPrintOwnerName) : (block.FeatureFlags & ~kPrintOwnerName);
        EXPECT_EQ(CheckAnsiNameField(nullptr, &page, NameFieldCheck::Warn), c.refused);
        EXPECT_EQ((block.FeatureFlags & kPrintOwnerName) != 0, c.printed && !c.refused);
        EXPECT_EQ(MessageTexts(), c.refused ? std::vector<std::u16string>{Text(kUserNameCharactersMessage)}
                                            : std::vector<std::u16string>{});
    }
    UiPoolDestroy(context->pool);
}

}  // namespace
}  // namespace kvuipage1
