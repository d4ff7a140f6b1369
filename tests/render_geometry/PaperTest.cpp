// The paper-name table, the input paper and the choice of the output paper.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/render_geometry/GeometryFixture.h"

namespace kvgeo {
namespace {

constexpr char16_t kLong31[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZ01234";
constexpr char16_t kLong40[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd";

struct Expected {
    std::u16string name;
    LONG width;
    LONG height;
    RECTL printable;
    DWORD code;
};

void ExpectPaper(const PaperRecord& got, const Expected& want, const std::string& what) {
    EXPECT_EQ(kvtest::U8(NameOf(got)), kvtest::U8(want.name)) << what;
    EXPECT_EQ(got.Width, want.width) << what;
    EXPECT_EQ(got.Height, want.height) << what;
    EXPECT_TRUE(got.Printable.left == want.printable.left && got.Printable.top == want.printable.top &&
                got.Printable.right == want.printable.right && got.Printable.bottom == want.printable.bottom)
        << what << ": printable " << Describe(got.Printable) << ", expected " << Describe(want.printable);
    EXPECT_EQ(got.Code, want.code) << what;
}

// The model's default paper, as the fallback of a name found nowhere and as the paper that
// the output choice names (then with its code); and a spooler form's fixed margins.
const Expected kDefaultPaper{u"15x11inch", 381000, 279400, {4230, 4230, 376770, 275170}, 123};
const Expected kDefaultOutput{u"15x11inch", 381000, 279400, {4230, 4230, 376770, 275170}, 134};
Expected FormPaper(const std::u16string& name, LONG w, LONG h, DWORD code = 123) {
    return Expected{name, w, h, {12700, 0, w - 12700, h - 4300}, code};
}

// --- The table -----------------------------------------------------------------------------

class PaperTableTest : public GeometryTest {};

TEST_F(PaperTableTest, NamesAndCodes) {
    struct Row {
        const char16_t* name;
        DWORD code;
    };
    const Row rows[] = {
        {u"A3", 100}, {u"A4", 101}, {u"A5", 102}, {u"B4 (JIS)", 103}, {u"B5 (JIS)", 104}, {u"Letter", 105},
        {u"はがき", 106}, {u"往復はがき", 107}, {u"A3 横", 124}, {u"B5 (JIS) 横", 128}, {u"往復はがき 横", 131},
        {u"9.5x11inch", 132}, {u"10x11inch", 133}, {u"15x11inch", 134}, {u"15x11.5inch", 146},
        {u"15x3.5inch", 152}, {u"15x6.5inch", 158}, {u"18x14inch", 160}, {u"A4 (フォーム指定サイズ)", 161},
        {u"Letter (フォーム指定サイズ)", 163},
        // Short spellings find the JIS sizes; anything else is 123.
        {u"B4", 103}, {u"B5", 104}, {u"", 123}, {u"A6", 123}, {u"a4", 123}, {u"A4 ", 123},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(PaperCodeOfName(&Pdev(), r.name), r.code) << kvtest::U8(r.name);
    }
}

TEST_F(PaperTableTest, CanonicalNameIsTheFirstRowsString) {
    WCHAR name[kPaperNameChars];
    ASSERT_TRUE(PaperNameOfCode(&Pdev(), 103, name));
    EXPECT_EQ(std::u16string(name), u"B4 (JIS)");
    ASSERT_TRUE(PaperNameOfCode(&Pdev(), 104, name));
    EXPECT_EQ(std::u16string(name), u"B5 (JIS)");
    // 123 has no string of its own; 999 is not in the table.
    for (DWORD code : {123u, 999u, 0u}) {
        name[0] = u'?';
        EXPECT_FALSE(PaperNameOfCode(&Pdev(), code, name)) << code;
        EXPECT_EQ(name[0], u'\0') << code;
    }
    // Every code with a string finds itself again.
    for (const PaperNameRow* row = kPaperNameTable; row->StringId != 0; ++row) {
        if (row->Code == 123) continue;
        ASSERT_TRUE(PaperNameOfCode(&Pdev(), row->Code, name)) << row->Code;
        EXPECT_EQ(PaperCodeOfName(&Pdev(), name), row->Code) << kvtest::U8(name);
    }
}

// --- ResolvePaper --------------------------------------------------------------------------

class ResolvePaperTest : public GeometryTest {};

TEST_F(ResolvePaperTest, ModelThenSpoolerThenDefault) {
    struct Case {
        std::u16string name;
        Expected paper;
    };
    const Case cases[] = {
        // In the table and the model's list: the model's margins.
        {u"A4", {u"A4", 210000, 297000, {4230, 4230, 205770, 292770}, 101}},
        {u"15x11inch", {u"15x11inch", 381000, 279400, {4230, 4230, 376770, 275170}, 134}},
        // The short spelling is looked up under its canonical name.
        {u"B4", {u"B4 (JIS)", 257000, 364000, {4230, 4230, 252770, 359770}, 103}},
        // In the table but not in the model's list: the spooler's form keeps the code.
        {u"Letter", FormPaper(u"Letter", 215900, 279400, 105)},
        {u"A4 横", FormPaper(u"A4 横", 297000, 210000, 125)},
        // Only a spooler form: sizes a hair over a half inch are cut down to it.
        {u"Custom 210x297.3", FormPaper(u"Custom 210x297.3", 210000, 297300)},
        {u"Hair over", FormPaper(u"Hair over", 215900, 279400)},
        {u"Just over", FormPaper(u"Just over", 215900 + 425, 279400)},
        {kLong31, FormPaper(kLong31, 200000, 300000)},
        // Nowhere, blanked as unusable, empty, or too long for a paper record: the default.
        {u"No such paper", kDefaultPaper},
        {u"Too wide", kDefaultPaper},
        {u"", kDefaultPaper},
        {kLong40, kDefaultPaper},
    };
    for (const Case& c : cases) {
        PaperRecord paper{};
        ResolvePaper(&Pdev(), &paper, c.name.c_str());
        ExpectPaper(paper, c.paper, kvtest::U8(c.name));
    }
}

TEST_F(ResolvePaperTest, ReadsAtMostAPaperNameOfAnUnterminatedField) {
    // Exactly 32 characters on the heap: any read past them is reported by the sanitizer.
    auto field = std::make_unique<WCHAR[]>(kPaperNameChars);
    for (int i = 0; i < kPaperNameChars; ++i) field[i] = kLong40[i];
    PaperRecord paper{};
    ResolvePaper(&Pdev(), &paper, field.get());
    ExpectPaper(paper, kDefaultPaper, "32 characters without a terminator");
    EXPECT_EQ(PaperCodeOfName(&Pdev(), field.get()), 123u);
}

TEST_F(ResolvePaperTest, WithoutADefaultInTheModelOnlyTheCodeIsSet) {
    UseModel({{u"A4", 210000, 297000, {4230, 4230, 205770, 292770}}});
    PaperRecord paper = Paper(u"before", 1, 2, {3, 4, 5, 6}, 77);
    ResolvePaper(&Pdev(), &paper, u"No such paper");
    ExpectPaper(paper, {u"before", 1, 2, {3, 4, 5, 6}, 123}, "no default paper");
}

// --- ChooseOutputPaper ---------------------------------------------------------------------

std::vector<BYTE> NameList(const std::vector<std::u16string>& names, bool terminated = true) {
    std::u16string text;
    for (const auto& n : names) text += n + u'\0';
    if (!terminated && !text.empty()) text.pop_back();
    std::vector<BYTE> bytes(text.size() * sizeof(char16_t));
    std::memcpy(bytes.data(), text.data(), bytes.size());
    return bytes;
}

struct OutputCase {
    const char* what;
    std::u16string input;
    std::function<void(GeometryTest&, DriverDevMode&)> setup;
    Expected output;
};

class ChooseOutputPaperTest : public GeometryTest {
protected:
    void Run(const OutputCase& c) {
        ResetDevice();
        RestoreForms();
        DeletePrinterData(u"TBL_OutPaperTable");
        ResolvePaper(&Pdev(), &Geo().InputPaper, c.input.c_str());
        c.setup(*this, Settings());
        ChooseOutputPaper(&Pdev(), &Geo().OutputPaper);
        ExpectPaper(Geo().OutputPaper, c.output, c.what);
    }
    static void Explicit(DriverDevMode& s, const std::u16string& name) {
        s.FeatureFlags |= 1u;
        s.OutputPaperSize = 1;
        std::memset(s.OutputPaperName, 0, sizeof(s.OutputPaperName));
        for (size_t i = 0; i < name.size() && i < 32; ++i) s.OutputPaperName[i] = name[i];
    }
    void Table(DriverDevMode& s, const std::vector<BYTE>& bytes) {
        s.OptionFlags &= ~kOptionNoOutPaperTable;
        SetPrinterData(u"TBL_OutPaperTable", bytes);
    }
};

const Expected kA3{u"A3", 297000, 420000, {4230, 4230, 292770, 415770}, 100};
const Expected kA4{u"A4", 210000, 297000, {4230, 4230, 205770, 292770}, 101};
const Expected kCustom = FormPaper(u"Custom 200x300", 200000, 300000);

TEST_F(ChooseOutputPaperTest, ExplicitOutputPaper) {
    const OutputCase cases[] = {
        {"named", u"A4", [](GeometryTest&, DriverDevMode& s) { Explicit(s, u"A3"); }, kA3},
        {"size 0 keeps the input", u"Custom 200x300",
         [](GeometryTest&, DriverDevMode& s) {
             Explicit(s, u"A3");
             s.OutputPaperSize = 0;
         },
         kCustom},
        {"unterminated name", u"A4", [](GeometryTest&, DriverDevMode& s) { Explicit(s, kLong40); }, kDefaultPaper},
        // Without faces, a spooler form the printer cannot take as output is replaced.
        {"small form, faces 1x1", u"A4", [](GeometryTest&, DriverDevMode& s) { Explicit(s, u"Small"); }, kDefaultOutput},
        {"small form, faces 2x1", u"A4",
         [](GeometryTest&, DriverDevMode& s) {
             Explicit(s, u"Small");
             s.NupDown = 2;
         },
         FormPaper(u"Small", 100000, 150000)},
        {"form in range", u"A4", [](GeometryTest&, DriverDevMode& s) { Explicit(s, u"Custom 200x300"); }, kCustom},
        {"forms cannot be listed", u"A4",
         [](GeometryTest&, DriverDevMode& s) {
             Explicit(s, u"A3");
             standin::SetForms({});
         },
         kDefaultOutput},
    };
    for (const OutputCase& c : cases) Run(c);
}

TEST_F(ChooseOutputPaperTest, DefaultRule) {
    auto none = [](GeometryTest&, DriverDevMode&) {};
    const OutputCase cases[] = {
        {"cut sheet", u"A4", none, kDefaultOutput},
        {"turned cut sheet", u"A4 横", none, kDefaultOutput},
        {"short spelling resolves to a cut sheet", u"B4", none, kDefaultOutput},
        {"custom form", u"Custom 200x300", none, kCustom},
        {"lower bounds included", u"Edge low", none, FormPaper(u"Edge low", 165100, 177800)},
        {"upper bounds included", u"Edge high", none, FormPaper(u"Edge high", 457200, 355600)},
        {"one micrometre too narrow", u"Below edge", none, kDefaultOutput},
        {"a paper wider than the range", u"Custom 200x300",
         [this](GeometryTest&, DriverDevMode&) { Geo().InputPaper.Width = 500000; }, kDefaultOutput},
    };
    for (const OutputCase& c : cases) Run(c);
}

TEST_F(ChooseOutputPaperTest, OutputPaperTable) {
    const OutputCase cases[] = {
        {"first matching pair", u"Custom 200x300",
         [this](GeometryTest&, DriverDevMode& s) { Table(s, NameList({u"A4", u"A5", u"Custom 200x300", u"A3", u"", u""})); },
         kA3},
        {"output a spooler form", u"A4",
         [this](GeometryTest&, DriverDevMode& s) { Table(s, NameList({u"A4", u"Custom 200x300", u""})); }, kCustom},
        {"no pair for the input", u"B4",
         [this](GeometryTest&, DriverDevMode& s) { Table(s, NameList({u"A4", u"A3", u""})); },
         {u"B4 (JIS)", 257000, 364000, {4230, 4230, 252770, 359770}, 103}},
        {"no value", u"A4", [](GeometryTest&, DriverDevMode& s) { s.OptionFlags &= ~kOptionNoOutPaperTable; }, kA4},
        {"empty value", u"A4", [this](GeometryTest&, DriverDevMode& s) { Table(s, {}); }, kA4},
        {"an empty name ends the list", u"A4",
         [this](GeometryTest&, DriverDevMode& s) { Table(s, NameList({u"", u"A4", u"A3"})); }, kA4},
        {"a name without its partner", u"A4", [this](GeometryTest&, DriverDevMode& s) { Table(s, NameList({u"A4"})); },
         kA4},
        {"unterminated last name", u"A4",
         [this](GeometryTest&, DriverDevMode& s) { Table(s, NameList({u"A4", u"A3"}, false)); }, kA3},
        {"odd size", u"A4",
         [this](GeometryTest&, DriverDevMode& s) {
             std::vector<BYTE> bytes = NameList({u"A4", u"A3"}, false);
             bytes.push_back(0x41);
             Table(s, bytes);
         },
         kA3},
        {"output name too long for a paper", u"A4",
         [this](GeometryTest&, DriverDevMode& s) { Table(s, NameList({u"A4", kLong40, u""})); }, kDefaultPaper},
        {"table off", u"A4",
         [this](GeometryTest&, DriverDevMode& s) {
             Table(s, NameList({u"A4", u"A3", u""}));
             s.OptionFlags |= kOptionNoOutPaperTable;
         },
         kDefaultOutput},
    };
    for (const OutputCase& c : cases) Run(c);
}

}  // namespace
}  // namespace kvgeo
