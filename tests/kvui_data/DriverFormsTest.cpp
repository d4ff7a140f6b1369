// The driver's forms in the spooler: added once, deleted at an upgrade, added again after it.
#include <string>
#include <vector>

#include "tests/kvui_data/DataFixture.h"
#include "ui/data/PrinterDataValues.h"

namespace kvuidata {
namespace {

struct SpoolerForm {
    std::u16string name;
    DWORD flags;
    LONG width;
};

std::vector<SpoolerForm> ListForms(HANDLE printer) {
    DWORD cbNeeded = 0;
    DWORD count = 0;
    EnumFormsW(printer, 1, nullptr, 0, &cbNeeded, &count);
    std::vector<BYTE> buffer(cbNeeded);
    std::vector<SpoolerForm> forms;
    if (!EnumFormsW(printer, 1, buffer.data(), cbNeeded, &cbNeeded, &count)) return forms;
    const auto* info = reinterpret_cast<const FORM_INFO_1W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) forms.push_back({info[i].pName, info[i].Flags, info[i].Size.cx});
    return forms;
}

const SpoolerForm* Find(const std::vector<SpoolerForm>& forms, const std::u16string& name) {
    for (const SpoolerForm& form : forms)
        if (form.name == name) return &form;
    return nullptr;
}

class DriverFormsTest : public LinkedDataTest {
protected:
    void SetUp() override {
        LinkedDataTest::SetUp();
        // A form database without the model's forms.
        kvtest::SamplePrinterOptions options;
        options.forms = {{u"Letter", 215900, 279400, {0, 0, 215900, 279400}, FORM_BUILTIN}};
        InstallPrinter(options);
    }
};

TEST_F(DriverFormsTest, TheModelsFormsAreAddedOnceAndAgainAfterAnUpgrade) {
    AddDriverForms(printer_, model_);
    std::vector<SpoolerForm> forms = ListForms(printer_);
    const SpoolerForm* a4 = Find(forms, u"A4");
    ASSERT_NE(a4, nullptr);
    EXPECT_EQ(a4->flags, FORM_PRINTER);
    EXPECT_EQ(a4->width, 210000);
    ASSERT_NE(Find(forms, u"B4 (JIS)"), nullptr);
    EXPECT_EQ(ReadValue(printer_, PD_ADD_FORMS).AsDword(), 3u);

    // Done once: a form deleted since then is not added by a second call.
    ASSERT_TRUE(DeleteFormW(printer_, const_cast<LPWSTR>(u"A4")));
    AddDriverForms(printer_, model_);
    EXPECT_EQ(Find(ListForms(printer_), u"A4"), nullptr);

    // The upgrade deletes every form of the model's list and asks for them again.
    UpgradeDriverForms(printer_, model_);
    forms = ListForms(printer_);
    EXPECT_EQ(Find(forms, u"B4 (JIS)"), nullptr);
    EXPECT_NE(Find(forms, u"Letter"), nullptr);
    EXPECT_EQ(ReadValue(printer_, PD_ADD_FORMS).AsDword(), 0u);
    AddDriverForms(printer_, model_);
    EXPECT_NE(Find(ListForms(printer_), u"A4"), nullptr);
}

TEST_F(DriverFormsTest, AnUpgradeOfAPrinterWithoutTheDriversFormsDeletesNothing) {
    const size_t before = ListForms(printer_).size();
    for (const std::vector<BYTE>& stored : {std::vector<BYTE>{}, DwordBytes(0)}) {
        if (!stored.empty()) WriteValue(printer_, PD_ADD_FORMS, REG_DWORD, stored);
        UpgradeDriverForms(printer_, model_);
        EXPECT_EQ(ListForms(printer_).size(), before);
    }
}

}  // namespace
}  // namespace kvuidata
