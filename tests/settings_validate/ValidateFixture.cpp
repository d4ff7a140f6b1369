#include "tests/settings_validate/ValidateFixture.h"

#include <cstring>

#include "platform/Registry.h"
#include "platform/Spooler.h"
#include "settings/DefaultSettings.h"
#include "settings/ModelCompiler.h"
#include "settings/ValidateSettings.h"
#include "tools/sample/StandardForms.h"

namespace kvtest {

void ValidateTest::SetUp() {
    StandInTest::SetUp();
    const SamplePrinterResult installed = InstallSamplePrinter();
    ASSERT_TRUE(installed.dataFileCopied);
    ASSERT_TRUE(installed.languageLibrariesInstalled);
    printer_ = std::make_unique<ScopedPrinter>(kSamplePrinterName, PRINTER_ALL_ACCESS);
    ASSERT_NE(printer(), nullptr);
    model_.reset(CompileModelDescription(kSampleDataFile));
    ASSERT_NE(model_, nullptr);
    BuildDefaultDevMode(&block_, printer(), nullptr, model_.get());
}

void ValidateTest::TearDown() {
    printer_.reset();
    model_.reset();
    StandInTest::TearDown();
}

void ValidateTest::Validate(const PrinterStatusSnapshot* status) {
    ValidateDevMode(&block_, status, printer(), nullptr, model_.get());
}

void ValidateTest::Validate(const ModelDescription* model) {
    ValidateDevMode(&block_, nullptr, printer(), nullptr, model);
}

void SetFormName(DriverDevMode& block, const std::u16string& name) {
    std::memset(block.Public.dmFormName, 0, sizeof block.Public.dmFormName);
    name.copy(block.Public.dmFormName, CCHFORMNAME - 1);
}

void SetOutputName(DriverDevMode& block, const std::u16string& name) {
    std::memset(block.OutputPaperName, 0, sizeof block.OutputPaperName);
    name.copy(block.OutputPaperName, 31);
}

void ValidateTest::SetOutPaperTable(const std::vector<BYTE>& bytes) {
    std::vector<BYTE> data = bytes;
    std::u16string name = PD_OUT_PAPER_TABLE;
    ASSERT_EQ(SetPrinterDataW(printer(), name.data(), REG_BINARY, data.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
}

ModelImage ValidateTest::CompileModel(const std::u16string& text) {
    const std::u16string path = u"C:\\models\\model" + U16(std::to_string(++modelFiles_)) + u".dat";
    WriteFile(path, Utf16LeBytes(text, true));
    return ModelImage(CompileModelDescription(path.c_str()));
}

SHORT FormPosition(const std::u16string& name) {
    const std::vector<standin::FormSetup> forms = StandardForms();
    for (size_t i = 0; i < forms.size(); ++i) {
        if (forms[i].name == name) return static_cast<SHORT>(i + 1);
    }
    ADD_FAILURE() << "no standard form " << U8(name);
    return 0;
}

std::vector<BYTE> NameTable(std::initializer_list<std::u16string> names) {
    std::vector<BYTE> bytes;
    for (const std::u16string& name : names) {
        for (char16_t c : name) {
            bytes.push_back(static_cast<BYTE>(c & 0xFF));
            bytes.push_back(static_cast<BYTE>(c >> 8));
        }
        bytes.push_back(0);
        bytes.push_back(0);
    }
    return bytes;
}

std::u16string Text(const WCHAR* field) { return std::u16string(field); }

PrinterStatusSnapshot Status(DWORD extStatus, DWORD runningPss) {
    PrinterStatusSnapshot status{};
    status.printerExtStatus = extStatus;
    status.runningPss = runningPss;
    return status;
}

}  // namespace kvtest
