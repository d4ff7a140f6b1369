#include "tests/settings_defaults/DefaultsFixture.h"

#include <cstddef>
#include <cstring>

#include "settings/ModelCompiler.h"

namespace kvtest {

void DefaultsTest::SetUp() {
    StandInTest::SetUp();
    model_ = CompileModel(kTestModelText);
    ASSERT_NE(model_, nullptr);
}

void DefaultsTest::InstallPrinter(SamplePrinterOptions options) {
    options.copyDataFile = false;  // the tests hand their own model description around
    languageLibraries_ = InstallSamplePrinter(options).languageLibrariesInstalled;
    printer_ = std::make_unique<ScopedPrinter>(options.name);
    ASSERT_NE(printer(), nullptr);
}

ModelImage DefaultsTest::CompileModel(const std::u16string& text) {
    const std::u16string path = u"C:\\drv\\model" + U16(std::to_string(++modelFiles_)) + u".dat";
    WriteFile(path, Utf16LeBytes(text, true));
    return ModelImage(CompileModelDescription(path.c_str()));
}

std::vector<BYTE> BlockBytesOf(const DriverDevMode& block) {
    std::vector<BYTE> bytes(sizeof(block));
    std::memcpy(bytes.data(), &block, sizeof(block));
    return bytes;
}

const StringField kStringFields[15] = {
    {"dmDeviceName", offsetof(DEVMODEW, dmDeviceName), 2, 32},
    {"dmFormName", offsetof(DEVMODEW, dmFormName), 2, 32},
    {"OverlayFolder", offsetof(DriverDevMode, OverlayFolder), 1, 128},
    {"OverlayName", offsetof(DriverDevMode, OverlayName), 1, 14},
    {"Signature", offsetof(DriverDevMode, Signature), 1, 17},
    {"ComputerName", offsetof(DriverDevMode, ComputerName), 2, 16},
    {"UserName1", offsetof(DriverDevMode, UserName1), 2, 17},
    {"UserName2", offsetof(DriverDevMode, UserName2), 2, 18},
    {"OutputPaperName", offsetof(DriverDevMode, OutputPaperName), 2, 32},
    {"SavedFormName", offsetof(DriverDevMode, SavedFormName), 2, 32},
    {"SavedOutputPaperName", offsetof(DriverDevMode, SavedOutputPaperName), 2, 32},
    {"PageStampText", offsetof(DriverDevMode, PageStampText), 2, 66},
    {"PageStampUserName", offsetof(DriverDevMode, PageStampUserName), 2, 21},
    {"JobFolder", offsetof(DriverDevMode, JobFolder), 2, 256},
    {"JobFileName", offsetof(DriverDevMode, JobFileName), 2, 256},
};

std::vector<std::string> UnterminatedFields(const DriverDevMode& block) {
    std::vector<std::string> bad;
    const BYTE* bytes = BlockBytes(&block);
    for (const StringField& field : kStringFields) {
        bool terminated = false;
        for (size_t unit = 0; unit < field.units && !terminated; ++unit) {
            const BYTE* at = bytes + field.offset + unit * field.unitBytes;
            terminated = field.unitBytes == 1 ? at[0] == 0 : (at[0] == 0 && at[1] == 0);
        }
        if (!terminated) bad.push_back(field.name);
    }
    return bad;
}

}  // namespace kvtest
