// The data file's syntax as the compiler reads it: keywords, numbers, strings and lines.
#include <gtest/gtest.h>

#include <string>

#include "tests/settings_model/ModelTestSupport.h"

using modeltest::CompileText;
using modeltest::Str;

namespace {

// One source with every kind of value, to compare whole images.
const char kMixedSource[] =
    "*Version 2\r\n*FriendlyName \"KV\"\r\n*PPM 35\r\n*PrivateID 0x1234\r\n"
    "*DefaultMemorySize 1 2 3 4 5 6 7\r\n*MemorySize 8 9 10 11 12 13 14\r\n"
    "*Resolution 600 \"600dpi\" 600 \"Fine\" 1\r\n*DefaultInputSlot \"AUTO\" 7\r\n*InputSlot \"AUTO\" 7\r\n"
    "*DefaultForm \"A4\" 210000 297000 4230 4230 205770 292770\r\n"
    "*FormPort \"A4\" 210000 297000 4230 4230 205770 292770\r\n*Application \"APP\" 0x1\r\n";

TEST(ModelLexer, ByteOrderMarkIsSkipped) {
    auto withBom = CompileText(kMixedSource, true);
    auto withoutBom = CompileText(kMixedSource, false);
    ASSERT_TRUE(withBom && withoutBom);
    EXPECT_EQ(modeltest::ImageBytes(withBom.get()), modeltest::ImageBytes(withoutBom.get()));
    EXPECT_EQ(withBom->Version, 2u);
}

struct NumberCase {
    const char* source;
    DWORD ModelDescription::*field;
    DWORD expected;
};

TEST(ModelLexer, KeywordsAndNumbers) {
    const NumberCase cases[] = {
        // Keyword words: a colon is dropped, a semicolon ends the word and is kept.
        {"*Version: 3", &ModelDescription::Version, 3},
        {"*Version 3", &ModelDescription::Version, 3},
        {"*Version; 3", &ModelDescription::Version, 0},
        {"*version 3", &ModelDescription::Version, 0},  // keywords are case-sensitive
        {"  \t*Version 3", &ModelDescription::Version, 3},
        {"*Version 1\r\n*Version 4", &ModelDescription::Version, 4},  // a repeated value overwrites
        {"*Version\r\n\r\n  5", &ModelDescription::Version, 5},      // a value may stand on a later line
        // Hexadecimal: digits of either case; it must start with 0.
        {"*PrivateID 0xbeA1", &ModelDescription::PrivateID, 0xBEA1},
        {"*PrivateID 0XFF", &ModelDescription::PrivateID, 0xFF},
        {"*PrivateID 0755", &ModelDescription::PrivateID, 0x755},
        {"*PrivateID ab", &ModelDescription::PrivateID, 0},
        {"*PrivateID \" 0x10\"", &ModelDescription::PrivateID, 0x10},
        {"*PrivateID 0x123456789", &ModelDescription::PrivateID, 0x23456789},  // wraps
        // Decimal: sign, fraction ignored, optional quote, wrap instead of overflow.
        {"*PPM -7.5", &ModelDescription::PPM, static_cast<DWORD>(-7)},
        {"*PPM x", &ModelDescription::PPM, 0},
        {"*PPM -", &ModelDescription::PPM, 0},
        {"*PPM 12.9", &ModelDescription::PPM, 12},
        {"*PPM \"42\"", &ModelDescription::PPM, 42},
        {"*PPM 4294967297", &ModelDescription::PPM, 1},
        {"*PPM 99999999999999999999", &ModelDescription::PPM, 0x630FFFFF},  // 10^20 - 1 modulo 2^32
        {"*MaxForm 297000 431800", &ModelDescription::MaxFormLength, 431800},
        {"*MinForm 90000\r\n139700", &ModelDescription::MinFormLength, 139700},
        {"*LinePatternScale_240 10", &ModelDescription::LinePatternScale240, 10},
        {"*DefaultResolution 600", &ModelDescription::DefaultResolution, 600},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(c.source);
        auto model = CompileText(c.source);
        ASSERT_TRUE(model);
        EXPECT_EQ(model.get()->*c.field, c.expected);
        EXPECT_EQ(model->Reserved40, 0u);
    }
}

TEST(ModelLexer, FinalOddByteIsIgnored) {
    std::vector<BYTE> bytes = kvtest::Utf16LeBytes(u"*PPM 35", true);
    bytes.push_back('9');
    auto model = modeltest::CompileBytes(bytes);
    ASSERT_TRUE(model);
    EXPECT_EQ(model->PPM, 35u);
}

TEST(ModelLexer, LongLinesAreCutAndGoOnAsANewLine) {
    const std::string filler = "%" + std::string(158, 'x');  // exactly 159 characters
    struct Case {
        std::string source;
        DWORD ppm;
    } cases[] = {
        {filler + "\r\n*PPM 9", 9},
        // The 160th character is dropped and the text after it starts a line.
        {filler + "#*PPM 9", 9},
        {filler + "*PPM 9", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source.substr(159));
        auto model = CompileText(c.source);
        ASSERT_TRUE(model);
        EXPECT_EQ(model->PPM, c.ppm);
    }
}

struct StringCase {
    std::string source;
    std::string friendlyName;
    DWORD ppm;  // a keyword after the string, to show where reading went on
};

TEST(ModelLexer, Strings) {
    const StringCase cases[] = {
        {"*FriendlyName \"KV-TD520\"\r\n*PPM 1", "KV-TD520", 1},
        // Continued strings: the first continuation joins directly, later ones after a LF.
        {"*FriendlyName \"A\r\nB\r\nC\"\r\n*PPM 2", "AB\nC", 2},
        {"*FriendlyName \"A%note\r\n   B\"\r\n*PPM 3", "AB", 3},
        {"*FriendlyName\r\n\"X\"\r\n*PPM 4", "X", 4},
        // No opening quote: an empty string, and the next line is still a keyword line.
        {"*FriendlyName KV\r\n*PPM 5", "", 5},
        {"*FriendlyName \"\"\r\n*PPM 6", "", 6},
        // An unterminated string runs to the end of the data.
        {"*PPM 7\r\n*FriendlyName \"AB\r\nC", "ABC", 7},
        // Values past the limit are cut: 127 characters for the two names.
        {"*FriendlyName \"" + std::string(140, 'N') + "\"\r\n*PPM 8", std::string(127, 'N'), 8},
        // A 200-character value is cut by the line buffer first, then by the limit.
        {"*FriendlyName \"" + std::string(200, 'L') + "\"\r\n*PPM 9", std::string(127, 'L'), 9},
        {"*FriendlyName \"Ａ４ 横\"", "Ａ４ 横", 0},
    };
    for (const StringCase& c : cases) {
        SCOPED_TRACE(c.source.substr(0, 40));
        auto model = CompileText(c.source);
        ASSERT_TRUE(model);
        EXPECT_EQ(Str(model.get(), model->FriendlyName), c.friendlyName);
        EXPECT_EQ(model->PPM, c.ppm);
        EXPECT_TRUE(modeltest::Consistent(model.get()));
    }
}

TEST(ModelLexer, OtherStringsAreCutAt79Characters) {
    auto model = CompileText("*PrinterName \"" + std::string(130, 'P') + "\"\r\n*InputSlot \"" +
                             std::string(100, 'S') + "\" 7\r\n*FormPort \"" + std::string(90, 'F') +
                             "\" 1 2 3 4 5 6\r\n");
    ASSERT_TRUE(model);
    EXPECT_EQ(Str(model.get(), model->PrinterName), std::string(127, 'P'));
    EXPECT_EQ(modeltest::NamedList(model.get(), model->InputSlotOffset, model->InputSlotCount),
              std::vector<std::string>{std::string(79, 'S') + "=7"});
    const ModelForm* form = ModelList<ModelForm>(model.get(), model->FormPortOffset, model->FormPortCount);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(Str(model.get(), form->NameOffset), std::string(79, 'F'));
    EXPECT_EQ(form->PrintableBottom, 6u);
}

TEST(ModelLexer, ResolutionReadsAllFiveValues) {
    auto model = CompileText("*Resolution 1200 \"1200dpi\" 1201 \"Super Fine\" 3");
    ASSERT_TRUE(model);
    const ModelResolution* r = ModelList<ModelResolution>(model.get(), model->ResolutionOffset, 1);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->Value1, 1200u);
    EXPECT_EQ(Str(model.get(), r->Name1Offset), "1200dpi");
    EXPECT_EQ(r->Value2, 1201u);
    EXPECT_EQ(Str(model.get(), r->Name2Offset), "Super Fine");
    EXPECT_EQ(r->Value3, 3u);
}

}  // namespace
