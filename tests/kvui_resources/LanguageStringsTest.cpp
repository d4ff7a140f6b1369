// The strings the settings pages load from the two language libraries: every id is there in
// both, each within the buffer its reader gives it, translated where it is a text and
// byte-identical where it is an identifier that printer data or the model description holds.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/User.h"
#include "tests/kvui_common/SampleSetUp.h"
#include "tests/support/TestRoot.h"

namespace kvuiresources {
namespace {

struct Range {
    int first;
    int last;
};

// Every string id that the pages, dialogs, tree and no-UI paths load.
const Range kStringIds[] = {
    {99, 99},     {100, 120},   {200, 220},   {225, 226},   {300, 300},   {400, 459},   {462, 468},
    {472, 484},   {488, 491},   {497, 509},   {514, 521},   {529, 529},   {531, 531},   {536, 541},
    {544, 547},   {551, 552},   {554, 554},   {556, 556},   {558, 559},   {566, 566},   {569, 570},
    {573, 576},   {588, 589},   {595, 600},   {603, 603},   {606, 618},   {623, 624},   {631, 631},
    {636, 661},   {664, 680},   {687, 688},   {700, 711},   {713, 713},   {717, 719},   {721, 724},
    {728, 731},   {739, 739},   {753, 754},   {757, 758},   {762, 765},   {771, 779},   {788, 788},
    {804, 809},   {4011, 4016}, {4200, 4206}, {4210, 4216}, {4220, 4223}, {4230, 4233}, {4250, 4253},
    {4255, 4255}, {4257, 4257}, {4259, 4260}, {4300, 4311}, {4330, 4331}, {4400, 4400}, {4480, 4480},
    {4500, 4504}, {4560, 4560}, {4571, 4598},
};

// Identifiers: the model description's slot and device names, the printer language, the
// device font names that the font table stores, the destination name and the N-up counts.
const Range kIdentifiers[] = {{99, 99}, {200, 226}, {463, 467}, {4400, 4400}, {661, 661}, {665, 667}};

// The longest text each reader takes (characters, without the terminator).
struct Limit {
    Range ids;
    size_t chars;
};
const Limit kLimits[] = {
    {{99, 99}, 31},       {{200, 200}, 23},     {{207, 207}, 22},     {{300, 300}, 23},
    {{462, 468}, 31},     {{4400, 4400}, 31},   {{4011, 4016}, 31},   {{4200, 4233}, 31},
    {{505, 521}, 31},     {{545, 547}, 31},     {{589, 589}, 31},     {{599, 599}, 31},
    {{4589, 4589}, 31},   {{551, 566}, 31},     {{595, 597}, 31},     {{642, 659}, 31},
    {{664, 672}, 31},     {{531, 531}, 15},     {{573, 576}, 15},     {{618, 618}, 127},
    {{676, 679}, 127},    {{700, 809}, 127},    {{4250, 4260}, 127},  {{100, 120}, 255},
    {{600, 637}, 255},    {{673, 675}, 255},    {{688, 688}, 255},    {{4331, 4331}, 255},
    {{400, 459}, 259},    {{4300, 4330}, 259},  {{4575, 4598}, 259},  {{536, 537}, 259},
};

bool In(const Range* ranges, size_t count, int id) {
    for (size_t i = 0; i < count; ++i)
        if (id >= ranges[i].first && id <= ranges[i].last) return true;
    return false;
}

std::vector<int> RequiredIds() {
    std::vector<int> ids;
    for (const Range& r : kStringIds)
        for (int id = r.first; id <= r.last; ++id) ids.push_back(id);
    return ids;
}

class LanguageStrings : public kvtest::StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(kvtest::LoadLanguageLibraries(&english_, &japanese_));
    }
    void TearDown() override {
        if (english_ != nullptr) FreeLibrary(english_);
        if (japanese_ != nullptr) FreeLibrary(japanese_);
        StandInTest::TearDown();
    }
    // The whole string (a buffer far above every limit), empty when missing.
    static std::u16string Load(HMODULE module, int id) {
        std::vector<char16_t> buffer(2048, u'\0');
        const int n = LoadStringW(module, static_cast<UINT>(id), buffer.data(), static_cast<int>(buffer.size()));
        return n > 0 ? std::u16string(buffer.data(), static_cast<size_t>(n)) : std::u16string();
    }
    HMODULE english_ = nullptr;
    HMODULE japanese_ = nullptr;
};

TEST_F(LanguageStrings, EveryIdIsInBothLanguagesAndTranslatedUnlessAnIdentifier) {
    for (int id : RequiredIds()) {
        SCOPED_TRACE(id);
        const std::u16string en = Load(english_, id), ja = Load(japanese_, id);
        EXPECT_FALSE(en.empty());
        EXPECT_FALSE(ja.empty());
        if (In(kIdentifiers, std::size(kIdentifiers), id)) {
            EXPECT_EQ(en, ja);
        } else {
            EXPECT_NE(en, ja);
            // A Japanese text has at least one character outside ASCII.
            bool wide = false;
            for (char16_t c : ja) wide = wide || c > 0x7F;
            EXPECT_TRUE(wide);
        }
    }
}

TEST_F(LanguageStrings, EachTextFitsItsReadersBuffer) {
    for (const Limit& limit : kLimits) {
        for (int id = limit.ids.first; id <= limit.ids.last; ++id) {
            for (HMODULE module : {english_, japanese_}) {
                const std::u16string text = Load(module, id);
                EXPECT_LE(text.size(), limit.chars) << id << " " << (module == english_ ? "en" : "ja");
            }
        }
    }
}

TEST_F(LanguageStrings, FormattedAndSplitTextsKeepTheirMarks) {
    for (HMODULE module : {english_, japanese_}) {
        SCOPED_TRACE(module == english_ ? "en" : "ja");
        // The N-up sheet warning takes exactly one text argument.
        const std::u16string nup = Load(module, 804);
        const size_t at = nup.find(u"%s");
        ASSERT_NE(at, std::u16string::npos);
        EXPECT_EQ(nup.find(u'%', at + 2), std::u16string::npos);
        // The file filter ends with the separator that becomes each terminator.
        const std::u16string filter = Load(module, 472);
        ASSERT_FALSE(filter.empty());
        EXPECT_EQ(filter.back(), u'|');
        EXPECT_NE(filter.find(u"*.fn2"), std::u16string::npos);
        // Category and finishing labels are drawn as two lines split at their one "|".
        std::vector<int> splitLabels{545, 547, 589, 599, 4589};
        for (int first : {4200, 4210}) {
            for (int id = first; id <= first + 6; ++id) splitLabels.push_back(id);
        }
        for (int first : {4220, 4230}) {
            for (int id = first; id <= first + 3; ++id) splitLabels.push_back(id);
        }
        for (int id : splitLabels) {
            const std::u16string label = Load(module, id);
            const size_t bar = label.find(u'|');
            EXPECT_TRUE(bar != std::u16string::npos && label.find(u'|', bar + 1) == std::u16string::npos) << id;
        }
    }
}

// The quoted names of the model description's source and device lines.
std::set<std::u16string> ModelNames() {
    std::ifstream file(std::string(KV_SOURCE_DIR) + "/resources/model/KV-TD520.dat", std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    std::set<std::u16string> names;
    for (const std::u16string keyword : {u"*InputSlot \"", u"*InputDevice \"", u"*OptionDevice \""}) {
        for (size_t at = text.find(keyword); at != std::u16string::npos; at = text.find(keyword, at + 1)) {
            const size_t first = at + keyword.size();
            const size_t last = text.find(u'"', first);
            if (last != std::u16string::npos) names.insert(text.substr(first, last - first));
        }
    }
    return names;
}

TEST_F(LanguageStrings, SourceAndDeviceNamesAreThoseOfTheModelDescription) {
    const std::set<std::u16string> names = ModelNames();
    ASSERT_FALSE(names.empty());
    for (int id = 200; id <= 226; ++id) {
        if (id >= 221 && id <= 224) {
            EXPECT_TRUE(Load(english_, id).empty()) << id;
            continue;
        }
        EXPECT_EQ(names.count(Load(english_, id)), 1u) << id;
    }
}

TEST_F(LanguageStrings, BuiltInFontTableNamesOnlyListedDeviceFonts) {
    HMODULE ui = LoadLibraryW(u"KVUIRES");
    ASSERT_NE(ui, nullptr);
    HRSRC found = FindResourceW(ui, MAKEINTRESOURCEW(1000), RT_RCDATA);
    ASSERT_NE(found, nullptr);
    const auto* data = static_cast<const char16_t*>(LockResource(LoadResource(ui, found)));
    const size_t count = SizeofResource(ui, found) / 2;
    std::vector<std::u16string> strings(1);
    for (size_t i = 0; i < count; ++i) {
        if (data[i] == 0) {
            strings.emplace_back();
        } else {
            strings.back().push_back(data[i]);
        }
    }
    strings.pop_back();
    FreeLibrary(ui);
    ASSERT_EQ(strings.size(), 16u);
    for (HMODULE module : {english_, japanese_}) {
        std::set<std::u16string> fonts;
        for (int id : {463, 464, 465, 466, 467, 4400}) fonts.insert(Load(module, id));
        for (size_t i = 1; i < strings.size(); i += 2) EXPECT_EQ(fonts.count(strings[i]), 1u) << i;
    }
}

}  // namespace
}  // namespace kvuiresources
