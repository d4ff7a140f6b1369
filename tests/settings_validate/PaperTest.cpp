// The paper and output paper: lookups in the usable-forms list, the model's default form, the
// 15x11inch rule and the printer's output-paper table.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/Spooler.h"
#include "settings/ValidateInternal.h"
#include "tests/settings_validate/ValidateFixture.h"
#include "tools/sample/StandardForms.h"

namespace kvtest {
namespace {

std::vector<standin::FormSetup> FormsWithout(const std::u16string& name) {
    std::vector<standin::FormSetup> forms = StandardForms();
    for (auto it = forms.begin(); it != forms.end(); ++it) {
        if (it->name == name) {
            forms.erase(it);
            break;
        }
    }
    return forms;
}

struct PaperCase {
    const char* label;
    const char16_t* form;
    const char16_t* missingForm;  // dropped from the form database, or NULL
    const char16_t* expectedName;
    SHORT expectedSize;
    SHORT expectedWidth;
    SHORT expectedLength;
};

TEST_F(ValidateTest, ResolvesThePaperOrFallsBackToTheDefaultForm) {
    const PaperCase cases[] = {
        {"listed form", u"B5 (JIS)", nullptr, u"B5 (JIS)", FormPosition(u"B5 (JIS)"), 1820, 2570},
        {"driver form", u"はがき 横", nullptr, u"はがき 横", FormPosition(u"はがき 横"), 1480, 1000},
        {"unknown form", u"No such paper", nullptr, u"A4", FormPosition(u"A4"), 2100, 2970},
        {"blanked form (too long)", u"Tabloid", nullptr, u"A4", FormPosition(u"A4"), 2100, 2970},
        {"default form not listed either", u"No such paper", u"A4", u"A4", 46, 2100, 2970},
    };
    const DriverDevMode defaults = block_;
    for (const PaperCase& c : cases) {
        SCOPED_TRACE(c.label);
        standin::SetForms(c.missingForm != nullptr ? FormsWithout(c.missingForm) : StandardForms());
        block_ = defaults;
        SetPaper(c.form);
        block_.Public.dmPaperSize = 77;
        Validate();
        EXPECT_EQ(Text(block_.Public.dmFormName), c.expectedName);
        EXPECT_EQ(block_.Public.dmPaperSize, c.expectedSize);
        EXPECT_EQ(block_.Public.dmPaperWidth, c.expectedWidth);
        EXPECT_EQ(block_.Public.dmPaperLength, c.expectedLength);
    }
}

struct OutputCase {
    const char* label;
    const char16_t* paper;
    const char16_t* outputIn;
    bool featureBit0;
    BYTE nupAcross;
    const char16_t* missingForm;
    const char16_t* expectedName;
    WORD expectedSize;
    SHORT expectedWidth;
    SHORT expectedLength;
};

// With FeatureFlags bit 0 the output paper is chosen by rule; without it a standard paper, or
// one outside the model's size limits, prints on the default form.
TEST_F(ValidateTest, ChoosesTheOutputPaper) {
    const WORD a4 = static_cast<WORD>(FormPosition(u"A4"));
    const WORD a3 = static_cast<WORD>(FormPosition(u"A3"));
    const WORD wide = static_cast<WORD>(FormPosition(u"15x11inch"));
    const OutputCase cases[] = {
        {"standard paper gets 15x11inch", u"A4", u"", true, 1, nullptr, u"15x11inch", wide, 3810, 2794},
        {"15x11inch not listed", u"A4", u"", true, 1, u"15x11inch", u"15x11inch", 46, 3810, 2794},
        {"landscape standard paper", u"B5 (JIS) 横", u"", true, 1, nullptr, u"15x11inch", wide, 3810, 2794},
        {"chosen output paper stays", u"A4", u"A3", true, 1, nullptr, u"A3", a3, 2970, 4200},
        {"unknown output name", u"A4", u"No such paper", true, 1, nullptr, u"A4", a4, 2100, 2970},
        {"unknown output name, default unlisted", u"B5 (JIS)", u"No such paper", true, 1, u"A4", u"A4", 46, 2100, 2970},
        {"other paper within limits has none", u"Executive", u"", true, 1, nullptr, u"", 0, 0, 0},
        {"standard paper without the rule", u"A5", u"", false, 1, nullptr, u"A4", a4, 2100, 2970},
        {"other paper without the rule", u"Executive", u"A3", false, 1, nullptr, u"", 0, 0, 0},
        {"paper wider than the model allows", u"Ledger", u"", false, 1, nullptr, u"A4", a4, 2100, 2970},
        {"wide paper under the rule, no output", u"Ledger", u"", true, 1, nullptr, u"A4", a4, 2100, 2970},
        {"N-up prints on the paper itself", u"A4", u"A3", true, 2, nullptr, u"", 0, 0, 0},
    };
    const DriverDevMode defaults = block_;
    for (const OutputCase& c : cases) {
        SCOPED_TRACE(c.label);
        standin::SetForms(c.missingForm != nullptr ? FormsWithout(c.missingForm) : StandardForms());
        block_ = defaults;
        SetPaper(c.paper);
        SetOutputPaper(c.outputIn);
        block_.OutputPaperSize = 5;
        block_.OutputPaperLength = 55;
        block_.OutputPaperWidth = 66;
        if (c.featureBit0) block_.FeatureFlags |= kFeatureNupLayout;
        block_.NupAcross = c.nupAcross;
        Validate();
        EXPECT_EQ(Text(block_.OutputPaperName), c.expectedName);
        EXPECT_EQ(block_.OutputPaperSize, c.expectedSize);
        EXPECT_EQ(block_.OutputPaperWidth, c.expectedWidth);
        EXPECT_EQ(block_.OutputPaperLength, c.expectedLength);
    }
}

struct TableCase {
    const char* label;
    std::vector<BYTE> value;  // written as TBL_OutPaperTable unless absent
    bool absent;
    bool tableSwitchedOff;    // OptionFlags bit 1
    const char16_t* expectedName;
};

std::vector<BYTE> Plus(std::vector<BYTE> bytes, std::initializer_list<BYTE> tail) {
    bytes.insert(bytes.end(), tail);
    return bytes;
}

std::vector<BYTE> WithoutLastTerminator(std::vector<BYTE> bytes) {
    bytes.resize(bytes.size() - 2);
    return bytes;
}

// B5 (JIS) without the rule would print on the default form A4; the table may name another.
TEST_F(ValidateTest, TakesTheFirstUsablePairOfTheOutputPaperTable) {
    const std::u16string longName = u"An output paper with a name of 33";  // 33 characters
    ASSERT_EQ(longName.size(), 33u);
    std::vector<standin::FormSetup> forms = StandardForms();
    forms.push_back(WholeSheetForm(longName, 210000, 297000, FORM_USER));
    standin::SetForms(forms);

    const std::vector<BYTE> secondPairListed = NameTable({u"B5 (JIS)", u"No such paper", u"B5 (JIS)", u"A3"});
    const TableCase cases[] = {
        {"no table", {}, true, false, u"A4"},
        {"empty value", {}, false, false, u"A4"},
        {"first pair unknown, second listed", secondPairListed, false, false, u"A3"},
        {"first listed pair wins", NameTable({u"B5 (JIS)", u"A5", u"B5 (JIS)", u"A3"}), false, false, u"A5"},
        {"pairs for other papers", NameTable({u"A5", u"A3", u"B5 (JIS) 横", u"A3"}), false, false, u"A4"},
        {"empty names do not end the walk", NameTable({u"", u"", u"B5 (JIS)", u"A3"}), false, false, u"A3"},
        {"odd size", Plus(secondPairListed, {0}), false, false, u"A3"},
        {"last name unterminated", WithoutLastTerminator(secondPairListed), false, false, u"A3"},
        {"last name cut inside a character", Plus(WithoutLastTerminator(secondPairListed), {u'5'}), false, false,
         u"A4"},
        {"paper name without an output name", NameTable({u"B5 (JIS)"}), false, false, u"A4"},
        {"output name too long for the field", NameTable({u"B5 (JIS)", longName}), false, false, u"A4"},
        {"table switched off", secondPairListed, false, true, u"A4"},
    };
    const DriverDevMode defaults = block_;
    for (const TableCase& c : cases) {
        SCOPED_TRACE(c.label);
        std::u16string name = PD_OUT_PAPER_TABLE;
        DeletePrinterDataW(printer(), name.data());
        if (!c.absent) SetOutPaperTable(c.value);
        block_ = defaults;
        SetPaper(u"B5 (JIS)");
        if (!c.tableSwitchedOff) block_.OptionFlags &= ~kOptionNoOutPaperTable;
        Validate();
        EXPECT_EQ(Text(block_.OutputPaperName), c.expectedName);
        if (Text(block_.OutputPaperName) == u"A3") {
            EXPECT_EQ(block_.OutputPaperSize, FormPosition(u"A3"));
            EXPECT_EQ(block_.OutputPaperWidth, 2970);
            EXPECT_EQ(block_.OutputPaperLength, 4200);
        }
    }
}

TEST_F(ValidateTest, ClearsEverythingAfterTheNameTerminators) {
    SetPaper(u"A5");
    const std::u16string stale(u"A5\0stale text", 13);
    stale.copy(block_.Public.dmFormName, stale.size());
    block_.FeatureFlags |= kFeatureNupLayout;
    SetOutputPaper(u"A3");
    const std::u16string staleOutput(u"A3\0old", 6);
    staleOutput.copy(block_.OutputPaperName, staleOutput.size());
    Validate();

    WCHAR expectedForm[32] = {u'A', u'5'};
    WCHAR expectedOutput[32] = {u'A', u'3'};
    EXPECT_EQ(std::memcmp(block_.Public.dmFormName, expectedForm, sizeof expectedForm), 0);
    EXPECT_EQ(std::memcmp(block_.OutputPaperName, expectedOutput, sizeof expectedOutput), 0);
}

TEST_F(ValidateTest, AFormNameFillingItsWholeFieldIsCutInsideIt) {
    for (WCHAR& c : block_.Public.dmFormName) c = u'X';
    Validate();
    EXPECT_EQ(Text(block_.Public.dmFormName), u"A4");
    EXPECT_EQ(block_.Public.dmPaperSize, FormPosition(u"A4"));
}

// The walk reads no character past the value, even without a terminator at its end (the
// table sits in a block of exactly its size, so a read past it is a heap overflow).
TEST(OutPaperTableWalk, StaysInsideTheValue) {
    std::u16string a3 = u"A3";
    std::u16string a5 = u"A5";
    FORM_INFO_1W forms[2] = {{FORM_BUILTIN, a5.data(), {148000, 210000}, {0, 0, 148000, 210000}},
                             {FORM_BUILTIN, a3.data(), {297000, 420000}, {0, 0, 297000, 420000}}};
    const struct {
        const char* label;
        std::u16string value;
        DWORD expected;
    } cases[] = {
        {"unterminated output name", std::u16string(u"A4\0A3", 5), 2},
        {"output name cut short", std::u16string(u"A4\0A", 4), 0},
        {"unterminated paper name", std::u16string(u"A4\0X\0A4", 7), 0},
        {"second pair", std::u16string(u"A4\0X\0A4\0A5", 10), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        auto exact = std::make_unique<WCHAR[]>(c.value.size());
        c.value.copy(exact.get(), c.value.size());
        EXPECT_EQ(validation::FindOutPaperInTable(exact.get(), c.value.size(), u"A4", forms, 2), c.expected);
    }
}

}  // namespace
}  // namespace kvtest
