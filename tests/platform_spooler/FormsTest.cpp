// The form database: listing in order, adding and deleting, and the standard forms fixture.
#include <algorithm>
#include <set>

#include "tests/platform_spooler/SpoolerTestSupport.h"

namespace kvtest {
namespace {

struct Listed {
    std::u16string name;
    DWORD flags;
    SIZEL size;
    RECTL area;
};

std::vector<Listed> ListForms(HANDLE printer) {
    DWORD cbNeeded = 0, returned = kSentinel;
    if (EnumFormsW(printer, 1, nullptr, 0, &cbNeeded, &returned)) {
        EXPECT_EQ(cbNeeded, 0u);
        EXPECT_EQ(returned, 0u);
        return {};
    }
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(returned, 0u);
    std::vector<BYTE> buffer(cbNeeded);
    if (!EnumFormsW(printer, 1, buffer.data(), cbNeeded, &cbNeeded, &returned)) {
        ADD_FAILURE() << "EnumFormsW failed with " << GetLastError();
        return {};
    }
    std::vector<Listed> forms;
    auto* records = reinterpret_cast<const FORM_INFO_1W*>(buffer.data());
    for (DWORD i = 0; i < returned; ++i)
        forms.push_back({PackedString(buffer, records[i].pName), records[i].Flags, records[i].Size,
                         records[i].ImageableArea});
    return forms;
}

FORM_INFO_1W FormInfo(LPCWSTR name, LONG width, LONG length, DWORD flags = FORM_USER) {
    return FORM_INFO_1W{flags, const_cast<LPWSTR>(name), SIZEL{width, length}, RECTL{0, 0, width, length}};
}

using FormsTest = SpoolerTest;

TEST_F(FormsTest, ListsTheDatabaseInItsOrder) {
    HANDLE printer = Open(kSamplePrinterName);
    ASSERT_NE(printer, nullptr);
    const std::vector<standin::FormSetup> expected = StandardForms();
    const std::vector<Listed> listed = ListForms(printer);
    ASSERT_EQ(listed.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(U8(expected[i].name));
        EXPECT_EQ(listed[i].name, expected[i].name);
        EXPECT_EQ(listed[i].flags, expected[i].flags);
        EXPECT_EQ(listed[i].size.cx, expected[i].width);
        EXPECT_EQ(listed[i].size.cy, expected[i].length);
        EXPECT_EQ(listed[i].area.right, expected[i].imageable.right);
        EXPECT_EQ(listed[i].area.bottom, expected[i].imageable.bottom);
    }
    EXPECT_TRUE(ClosePrinter(printer));
}

TEST_F(FormsTest, AnEmptyDatabaseListsNothingWithoutABuffer) {
    standin::SetForms({});
    HANDLE printer = Open(kSamplePrinterName);
    ASSERT_NE(printer, nullptr);
    DWORD cbNeeded = kSentinel, returned = kSentinel;
    EXPECT_TRUE(EnumFormsW(printer, 1, nullptr, 0, &cbNeeded, &returned));
    EXPECT_EQ(cbNeeded, 0u);
    EXPECT_EQ(returned, 0u);
    EXPECT_TRUE(ClosePrinter(printer));
}

TEST_F(FormsTest, AddAndDeleteChangeTheOneDatabaseForEveryHandle) {
    HANDLE admin = Open(kSamplePrinterName, PRINTER_ALL_ACCESS);
    HANDLE server = OpenServer();
    ASSERT_NE(admin, nullptr);
    ASSERT_NE(server, nullptr);
    const size_t before = StandardForms().size();

    FORM_INFO_1W custom = FormInfo(u"Custom 1", 100000, 200000);
    custom.ImageableArea = RECTL{5000, 5000, 95000, 195000};
    EXPECT_TRUE(AddFormW(admin, 1, reinterpret_cast<LPBYTE>(&custom)));
    std::vector<Listed> listed = ListForms(server);
    ASSERT_EQ(listed.size(), before + 1);
    EXPECT_EQ(listed.back().name, u"Custom 1");
    EXPECT_EQ(listed.back().flags, FORM_USER);
    EXPECT_EQ(listed.back().area.left, 5000);

    EXPECT_TRUE(DeleteFormW(admin, const_cast<LPWSTR>(u"custom 1")));
    listed = ListForms(server);
    EXPECT_EQ(listed.size(), before);
    EXPECT_TRUE(std::none_of(listed.begin(), listed.end(), [](const Listed& f) { return f.name == u"Custom 1"; }));
    EXPECT_TRUE(ClosePrinter(admin));
    EXPECT_TRUE(ClosePrinter(server));
}

TEST_F(FormsTest, RefusedAdditionsAndDeletions) {
    HANDLE admin = Open(kSamplePrinterName, PRINTER_ALL_ACCESS);
    HANDLE user = Open(kSamplePrinterName, PRINTER_ACCESS_USE);
    ASSERT_NE(admin, nullptr);
    ASSERT_NE(user, nullptr);
    FORM_INFO_1W inverted = FormInfo(u"Inverted", 100000, 100000);
    inverted.ImageableArea = RECTL{50000, 0, 40000, 100000};
    FORM_INFO_1W outside = FormInfo(u"Outside", 100000, 100000);
    outside.ImageableArea.bottom = 100001;
    struct AddCase {
        const char* what;
        HANDLE handle;
        DWORD level;
        FORM_INFO_1W form;
        DWORD error;
    } adds[] = {
        {"existing name, other case", admin, 1, FormInfo(u"a4", 210000, 297000), ERROR_FILE_EXISTS},
        {"existing driver form", admin, 1, FormInfo(u"はがき", 100000, 148000, FORM_PRINTER), ERROR_FILE_EXISTS},
        {"use-only handle", user, 1, FormInfo(u"New", 100000, 100000), ERROR_ACCESS_DENIED},
        {"level 2", admin, 2, FormInfo(u"New", 100000, 100000), ERROR_INVALID_LEVEL},
        {"empty name", admin, 1, FormInfo(u"", 100000, 100000), ERROR_INVALID_FORM_NAME},
        {"no name", admin, 1, FormInfo(nullptr, 100000, 100000), ERROR_INVALID_FORM_NAME},
        {"zero width", admin, 1, FormInfo(u"New", 0, 100000), ERROR_INVALID_FORM_SIZE},
        {"inverted area", admin, 1, inverted, ERROR_INVALID_FORM_SIZE},
        {"area beyond the sheet", admin, 1, outside, ERROR_INVALID_FORM_SIZE},
        {"built-in flag", admin, 1, FormInfo(u"New", 100000, 100000, FORM_BUILTIN), ERROR_INVALID_PARAMETER},
    };
    for (AddCase& c : adds) {
        SCOPED_TRACE(c.what);
        SetLastError(kSentinel);
        EXPECT_FALSE(AddFormW(c.handle, c.level, reinterpret_cast<LPBYTE>(&c.form)));
        EXPECT_EQ(GetLastError(), c.error);
    }

    struct DeleteCase {
        const char* what;
        HANDLE handle;
        const char16_t* name;
        DWORD error;
    } deletes[] = {
        {"unknown form", admin, u"No such form", ERROR_INVALID_FORM_NAME},
        {"built-in form", admin, u"A4", ERROR_INVALID_PARAMETER},
        {"use-only handle", user, u"はがき", ERROR_ACCESS_DENIED},
    };
    for (const DeleteCase& c : deletes) {
        SCOPED_TRACE(c.what);
        SetLastError(kSentinel);
        EXPECT_FALSE(DeleteFormW(c.handle, const_cast<LPWSTR>(c.name)));
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_EQ(ListForms(user).size(), StandardForms().size());
    EXPECT_TRUE(ClosePrinter(admin));
    EXPECT_TRUE(ClosePrinter(user));
}

// The settings code addresses a paper by its position, which equals the paper number for the
// machine's forms; a form out of place would shift every paper after it.
TEST(StandardFormsTest, PositionsAreThePaperNumbers) {
    const std::vector<standin::FormSetup> forms = StandardForms();
    struct Case {
        size_t position;
        const char16_t* name;
        LONG width;
        LONG length;
    } cases[] = {
        {1, u"Letter", 215900, 279400},   {8, u"A3", 297000, 420000},    {9, u"A4", 210000, 297000},
        {11, u"A5", 148000, 210000},      {12, u"B4 (JIS)", 257000, 364000}, {13, u"B5 (JIS)", 182000, 257000},
        {43, u"Japanese Postcard", 100000, 148000}, {46, u"15x11", 381000, 279400}, {66, u"A2", 420000, 594000},
        {70, u"A6", 105000, 148000},
    };
    for (const Case& c : cases) {
        ASSERT_GE(forms.size(), c.position);
        const standin::FormSetup& f = forms[c.position - 1];
        EXPECT_EQ(f.name, c.name) << "position " << c.position;
        EXPECT_EQ(f.width, c.width) << "position " << c.position;
        EXPECT_EQ(f.length, c.length) << "position " << c.position;
    }
}

TEST(StandardFormsTest, DriverFormsFollowWithTheirLandscapeTwins) {
    const std::vector<standin::FormSetup> forms = StandardForms();
    auto find = [&](const std::u16string& name) {
        return std::find_if(forms.begin(), forms.end(), [&](const standin::FormSetup& f) { return f.name == name; });
    };
    for (const char16_t* portrait : {u"A3", u"A4", u"A5", u"B4 (JIS)", u"B5 (JIS)", u"Letter", u"はがき", u"往復はがき"}) {
        const std::u16string name = portrait;
        SCOPED_TRACE(U8(name));
        auto upright = find(name);
        auto turned = find(name + u" 横");
        ASSERT_NE(upright, forms.end());
        ASSERT_NE(turned, forms.end());
        EXPECT_EQ(turned->flags, FORM_PRINTER);
        EXPECT_EQ(turned->width, upright->length);
        EXPECT_EQ(turned->length, upright->width);
    }
    for (const char16_t* name : {u"はがき", u"往復はがき", u"封筒 洋形 4 号", u"15x11inch"}) {
        auto form = find(name);
        ASSERT_NE(form, forms.end()) << U8(name);
        EXPECT_EQ(form->flags, FORM_PRINTER);
    }
    // Names must be unique as the spooler compares them, without regard to case.
    std::set<std::u16string> folded;
    for (const standin::FormSetup& f : forms) {
        std::u16string key = f.name;
        for (char16_t& c : key)
            if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 0x20);
        EXPECT_TRUE(folded.insert(key).second) << U8(f.name);
    }
}

}  // namespace
}  // namespace kvtest
