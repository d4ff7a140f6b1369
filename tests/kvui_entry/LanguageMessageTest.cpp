// Messages made of language strings and arguments, cut to the caller's buffer.
#include <string>

#include "platform/Modules.h"
#include "tests/kvui_entry/EntryFixture.h"
#include "ui/entry/UiEntry.h"

namespace kvuitest {
namespace {

struct Written {
    int count = 0;
    DWORD needed = 0;
    std::u16string text;
    bool sentinelKept = true;
};

template <typename... Args>
Written Format(DWORD cch, LPCWSTR format, Args... args) {
    std::u16string buffer(cch + 4, u'#');
    Written w;
    w.count = FormatLanguageMessage(nullptr, buffer.data(), cch, &w.needed, format, args...);
    w.text = buffer.substr(0, cch).c_str();
    w.sentinelKept = buffer.substr(cch) == u"####";
    return w;
}

TEST(FormatLanguageMessage, ConversionsAndCuts) {
    struct Case {
        Written got;
        std::u16string text;
        DWORD needed;
    };
    const Case cases[] = {
        {Format(64, u"%s-%d-%u-%x-%X-%c", u"ab", -12, 4000000000u, 0xBEEFu, 0xBEEFu, static_cast<int>(u'Z')),
         u"ab--12-4000000000-beef-BEEF-Z", 30},
        {Format(64, u"[%s]", static_cast<LPCWSTR>(nullptr)), u"[ ]", 4},
        {Format(64, u"100%q%"), u"100%q%", 7},
        {Format(64, u"%d", 0), u"0", 2},
        {Format(64, u"%d", -2147483647 - 1), u"-2147483648", 12},
        // Cut at cch - 1 characters; the need counts the whole text and its terminator.
        {Format(5, u"%s", u"abcdefgh"), u"abcd", 9},
        {Format(1, u"abc"), u"", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(kvtest::U8(c.text));
        EXPECT_EQ(c.got.text, c.text);
        EXPECT_EQ(c.got.count, static_cast<int>(c.text.size()));
        EXPECT_EQ(c.got.needed, c.needed);
        EXPECT_TRUE(c.got.sentinelKept);
    }
}

TEST(FormatLanguageMessage, NoRoomOnlyReportsTheNeed) {
    // No slot at all: nothing is written, not even a terminator before the buffer.
    WCHAR guard[3] = {u'#', u'#', u'#'};
    DWORD needed = 0;
    EXPECT_EQ(FormatLanguageMessage(nullptr, guard + 1, 0, &needed, u"%s", u"text"), 0);
    EXPECT_EQ(needed, 5u);
    EXPECT_EQ(guard[0], u'#');
    EXPECT_EQ(guard[1], u'#');
    needed = 0;
    EXPECT_EQ(FormatLanguageMessage(nullptr, nullptr, 80, &needed, u"%s", u"text"), 0);
    EXPECT_EQ(needed, 5u);
    EXPECT_EQ(FormatLanguageMessage(nullptr, nullptr, 0, nullptr, u"%s", u"text"), 0);
}

class LanguageMessageTest : public LinkedUiTest {};

TEST_F(LanguageMessageTest, LanguageStringsAreInserted) {
    HMODULE library = LoadLibraryW(u"" KV_LANG_PREFIX "SJ.dll");
    ASSERT_NE(library, nullptr);
    for (UINT id : {100u, 102u, 115u, 120u}) {
        WCHAR expected[257] = {};
        LoadStringW(library, id, expected, 257);
        WCHAR out[300];
        DWORD needed = 0;
        const int count = FormatLanguageMessage(library, out, 300, &needed, u"%!:%d", id, 7);
        const std::u16string text = std::u16string(expected) + u":7";
        EXPECT_EQ(std::u16string(out), text) << id;
        EXPECT_EQ(count, static_cast<int>(text.size()));
        EXPECT_EQ(needed, text.size() + 1);
    }
    FreeLibrary(library);
}

}  // namespace
}  // namespace kvuitest
