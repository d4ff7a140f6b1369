// What the language libraries and the library's own resources must carry.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string_view>
#include <vector>

#include "platform/Modules.h"
#include "platform/User.h"
#include "platform/WinGdi.h"
#include "psw/StatusTables.h"
#include "resources/psw/PswIds.h"
#include "tests/support/TestRoot.h"

namespace {

class LanguageResourcesTest : public kvtest::StandInTest {
protected:
    void TearDown() override {
        for (HMODULE m : loaded_) FreeLibrary(m);
        StandInTest::TearDown();
    }
    HMODULE Load(const char16_t* name) {
        HMODULE m = LoadLibraryW(name);
        if (m) loaded_.push_back(m);
        return m;
    }
    std::vector<HMODULE> loaded_;
};

// The control ids of a DIALOGEX template, read within its size.
std::set<WORD> ControlIds(const BYTE* data, DWORD cb) {
    std::set<WORD> ids;
    DWORD at = 0;
    auto word = [&](WORD* out) {
        if (at + 2 > cb) return false;
        std::memcpy(out, data + at, 2);
        at += 2;
        return true;
    };
    auto skipSzOrOrd = [&] {
        WORD w = 0;
        if (!word(&w)) return false;
        if (w == 0xFFFF) return word(&w);
        while (w != 0) {
            if (!word(&w)) return false;
        }
        return true;
    };
    auto align = [&] { at = (at + 3) & ~3u; };
    WORD signature[2] = {};
    if (!word(&signature[0]) || !word(&signature[1]) || signature[1] != 0xFFFF) return ids;
    at = 16;  // help id, extended style, style
    WORD count = 0;
    if (!word(&count)) return ids;
    at += 8;  // x, y, cx, cy
    if (!skipSzOrOrd() || !skipSzOrOrd() || !skipSzOrOrd()) return ids;  // menu, class, title
    at += 6;  // point size, weight, italic, charset
    if (!skipSzOrOrd()) return ids;  // face
    for (WORD i = 0; i < count; ++i) {
        align();
        at += 20;  // help id, extended style, style, x, y, cx, cy
        DWORD id = 0;
        if (at + 4 > cb) break;
        std::memcpy(&id, data + at, 4);
        at += 4;
        ids.insert(static_cast<WORD>(id));
        WORD extra = 0;
        if (!skipSzOrOrd() || !skipSzOrOrd() || !word(&extra)) break;
        at += extra;
    }
    return ids;
}

TEST_F(LanguageResourcesTest, BothLanguagesCarryTheTextsAndTheBaseDialog) {
    // Every status row's text (row 0 has none).
    std::vector<UINT> statusTexts;
    for (int row = 1; row < kPswStatusRows; ++row) statusTexts.push_back(PswStatusTable()[row].stringId);
    // And the texts that name the supply or the paper-loading step in place of a row's own.
    for (UINT id : {kUsedUpWasteTonerText, kUsedUpDeveloperText, kUsedUpKitFText, kUsedUpAirFilterText,
                    kMissingCleanerBladeText, kMissingWasteTonerBottleText, kLoadTimedOutText, kLoadSetUpText,
                    kLoadSwitchText, kLoadFoldText}) {
        statusTexts.push_back(id);
    }
    for (const auto& [name, language] : {std::pair{u"QW774409.DLL", LANGID{1033}}, std::pair{u"QW774411.DLL", LANGID{1041}}}) {
        HMODULE m = Load(name);
        ASSERT_NE(m, nullptr);
        std::set<UINT> blocks;
        for (UINT id : statusTexts) blocks.insert(id / 16 + 1);
        for (UINT id : {kMainTitleText, kBaseCaptionText, kTonerText, kTonerOutText, kTonerLowText}) {
            blocks.insert(id / 16 + 1);
        }
        for (UINT block : blocks) {
            EXPECT_NE(FindResourceExW(m, RT_STRING, MAKEINTRESOURCEW(block), language), nullptr) << block;
        }
        for (UINT id : statusTexts) {
            WCHAR text[64] = {};
            standin::SetUserDefaultLanguage(language);
            EXPECT_GT(LoadStringW(m, id, text, 64), 0) << id;
        }
        HRSRC dialog = FindResourceExW(m, RT_DIALOG, MAKEINTRESOURCEW(kBaseDialogTemplate), language);
        ASSERT_NE(dialog, nullptr);
        const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(m, dialog)));
        EXPECT_EQ(ControlIds(data, SizeofResource(m, dialog)),
                  (std::set<WORD>{kBaseCaptionLabel, kBaseStatusLabel, kBaseJobNameLabel, kBasePicture, kTonerIcon,
                                  kTonerLabel}));
    }
}

TEST_F(LanguageResourcesTest, OwnResourcesArePalettePicturesIconsAcceleratorsAndTheNotice) {
    HMODULE m = Load(u"QW774RES.DLL");
    ASSERT_NE(m, nullptr);
    std::vector<UINT> pictures = {kPicturePlainReady, kPicturePlainPrinting, kPicturePlainCaution, kPicturePlainError,
                                  kPictureOff};
    // The four rows of five: the printer at work, paper, the printer itself, held.
    for (UINT first : {kPicturePrinter, kPicturePaperOut, kPictureCoverOpen, kPictureOffline}) {
        for (UINT i = 0; i < 5; ++i) pictures.push_back(first + i);
    }
    for (UINT id : pictures) {
        for (UINT n : {id, id + kPaletteSetOffset}) {
            HRSRC r = FindResourceExW(m, RT_BITMAP, MAKEINTRESOURCEW(n), 1041);
            ASSERT_NE(r, nullptr) << n;
            BITMAPINFOHEADER header{};
            ASSERT_GE(SizeofResource(m, r), sizeof(header));
            std::memcpy(&header, LockResource(LoadResource(m, r)), sizeof(header));
            EXPECT_EQ(header.biCompression, BI_RGB) << n;
            EXPECT_LE(header.biBitCount, 8) << n;
        }
    }
    for (UINT id : {kWindowIcon, kCautionIcon, kAllWellIcon, kErrorIcon}) {
        EXPECT_NE(FindResourceW(m, MAKEINTRESOURCEW(id), RT_GROUP_ICON), nullptr) << id;
    }
    EXPECT_NE(LoadAcceleratorsW(m, MAKEINTRESOURCEW(kAcceleratorTable)), nullptr);
    HRSRC notice = FindResourceW(m, MAKEINTRESOURCEW(kAuthorityNoticeTemplate), RT_DIALOG);
    ASSERT_NE(notice, nullptr);
    const std::set<WORD> ids =
        ControlIds(static_cast<const BYTE*>(LockResource(LoadResource(m, notice))), SizeofResource(m, notice));
    EXPECT_TRUE(ids.count(IDOK) && ids.count(IDCANCEL));
}

// Each status row's text names the printer state its word and bit stand for (the texts are
// looked up by the row's string id, so a text placed on the wrong id shows the wrong state).
TEST_F(LanguageResourcesTest, EachStatusRowsTextNamesItsState) {
    struct Case {
        WORD word;  // 1 H, 2 M, 3 L, 4 spooler, 6 job
        DWORD mask;
        const char16_t* english;
        const char16_t* japanese;
    };
    const Case cases[] = {
        {2, 0x200, u"Another printer", u"別のプリンタ"},   {2, 0x100, u"does not answer", u"応答しません"},
        {3, 0x10000, u"Paper jam", u"紙づまり"},           {3, 0x4000, u"Out of toner", u"トナーがありません"},
        {3, 0x8000, u"Cover open", u"カバー"},             {3, 0x800000, u"Out of paper", u"用紙がありません"},
        {3, 0x10, u"Warming up", u"ウォームアップ"},       {3, 0x1000, u"Offline", u"オフライン"},
        {3, 0x8, u"Printing", u"印刷中"},                  {3, 0x1, u"Ready", u"印刷できます"},
        {4, 0x1, u"paused", u"一時停止"},                  {4, 0x2, u"Deleting", u"削除"},
        {6, 0x4, u"Cancelling", u"キャンセル"},            {1, 0x8, u"Stacker", u"スタッカー"},
    };
    const PSWStatusEntry* table = PswStatusTable();
    for (const auto& [name, language] : {std::pair{u"QW774409.DLL", LANGID{1033}}, std::pair{u"QW774411.DLL", LANGID{1041}}}) {
        HMODULE m = Load(name);
        ASSERT_NE(m, nullptr);
        standin::SetUserDefaultLanguage(language);
        for (const Case& c : cases) {
            const PSWStatusEntry* row = nullptr;
            for (DWORD i = 0; i < kPswStatusRows && row == nullptr; ++i) {
                if (table[i].word == c.word && table[i].mask == c.mask) row = &table[i];
            }
            ASSERT_NE(row, nullptr) << c.word << " " << c.mask;
            WCHAR text[128] = {};
            LoadStringW(m, row->stringId, text, 128);
            const std::u16string_view want = language == 1033 ? c.english : c.japanese;
            EXPECT_NE(std::u16string_view(text).find(want), std::u16string_view::npos)
                << "row " << row->row << " (string " << row->stringId << ") in " << language;
        }
    }
}

}  // namespace
