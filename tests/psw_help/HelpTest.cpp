// Help files by extension and command.
#include <gtest/gtest.h>

#include "psw/Help.h"
#include "platform/Kernel.h"
#include "platform/Shell.h"
#include "platform/StandInShell.h"
#include "tests/support/PswBaseFixture.h"

namespace {

class HelpTest : public kvtest::PswBaseTest {
protected:
    void SetUp() override {
        PswBaseTest::SetUp();
        record_->language = 0x411;
        SetString(HKEY_LOCAL_MACHINE, kvtest::kPswDriverKey, u"HELPPATH", u"C:\\help\\");
    }
    void TearDown() override {
        if (record_->helpPath) GlobalFree(record_->helpPath);
        if (record_->htmlHelpModule) FreeLibrary(record_->htmlHelpModule);
        PswBaseTest::TearDown();
    }
};

TEST_F(HelpTest, FileExtensionTable) {
    struct Case {
        const char16_t* path;
        const char16_t* extension;  // nullptr: none
    } const cases[] = {
        {u"C:\\help\\QW774411.CHM", u"CHM"}, {u"C:\\a.b\\file", nullptr}, {u"file.", u""},
        {u"", nullptr},                      {u"x.tar.gz", u"gz"},
    };
    for (const Case& c : cases) {
        LPCWSTR extension = nullptr;
        EXPECT_EQ(GetFileExtension(c.path, &extension), c.extension != nullptr);
        if (c.extension) {
            EXPECT_EQ(std::u16string(extension), c.extension);
        }
    }
    LPCWSTR extension = nullptr;
    EXPECT_FALSE(GetFileExtension(nullptr, &extension));
}

TEST_F(HelpTest, CompiledHelpSendsPopupsToThePopFile) {
    WriteFile(u"C:\\help\\QW774411.CHM", std::string("chm"));
    ASSERT_TRUE(CallHelp(nullptr, HELP_WM_HELP, 5, record_.get(), nullptr));
    ASSERT_TRUE(CallHelp(nullptr, HELP_CONTEXT, 7, record_.get(), u">sub1"));
    const auto calls = standin::ui::HelpCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].function, "WinHelpW");
    EXPECT_EQ(calls[0].file, u"C:\\help\\QW774411.POP");
    EXPECT_EQ(calls[0].command, HELP_WM_HELP);
    EXPECT_EQ(calls[1].function, "HtmlHelpW");
    EXPECT_EQ(calls[1].file, u"C:\\help\\QW774411.CHM>sub1");
    EXPECT_EQ(calls[1].command, 15u);  // HH_HELP_CONTEXT
    EXPECT_EQ(calls[1].data, 7u);
}

TEST_F(HelpTest, ClassicHelpTakesEveryCommand) {
    WriteFile(u"C:\\help\\QW774411.HLP", std::string("hlp"));
    ASSERT_TRUE(CallHelp(nullptr, HELP_FINDER, 0, record_.get(), nullptr));
    const auto calls = standin::ui::HelpCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].function, "WinHelpW");
    EXPECT_EQ(calls[0].file, u"C:\\help\\QW774411.HLP");
    EXPECT_EQ(calls[0].command, HELP_FINDER);
}

TEST_F(HelpTest, WithoutAHelpFileNothingIsShown) {
    EXPECT_FALSE(CallHelp(nullptr, HELP_CONTEXT, 1, record_.get(), nullptr));
    EXPECT_FALSE(CallHelp(nullptr, HELP_CONTEXT, 1, nullptr, nullptr));
    EXPECT_TRUE(standin::ui::HelpCalls().empty());
}

TEST_F(HelpTest, CommandMapTable) {
    const std::pair<UINT, int> cases[] = {{1, 15}, {2, 18}, {10, 16}, {11, 0}, {12, 17}, {3, -1}};
    for (const auto& [command, mapped] : cases) EXPECT_EQ(HtmlHelpCommand(command), mapped) << command;
}

}  // namespace
