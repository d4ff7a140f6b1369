// The driver's built-in presets: which the model's PresetFlags choose, and what each fixes.
#include <cstring>
#include <string>

#include "tests/kvui_presets/PresetsFixture.h"

namespace kvuipresets {
namespace {

std::vector<PresetRecord> Build(HANDLE printer, const ModelDescription* model) {
    DWORD count = 0;
    const GlobalBlock block = BuildBuiltInPresets(printer, model, BuiltInPresetList(), &count);
    const auto* records = block.As<const PresetRecord>();
    return std::vector<PresetRecord>(records, records + count);
}

class BuiltInPresets : public PresetsTest {
protected:
    const ModelDescription* Model() const { return context_->model; }
};

TEST_F(BuiltInPresets, EmptySlotsGiveNoPresetAndLaterSlotsKeepTheirBits) {
    struct Case {
        DWORD flags;
        std::vector<WORD> names;
    };
    const Case cases[] = {
        {0x0, {}},
        {0x1, {kPresetStandardName}},
        {0xE, {}},  // slots 1 to 3 are empty
        {kAllBuiltIns, {kPresetStandardName, kPresetJobFileName, kPresetSeparateCopiesName, kPresetTwoUpName,
                        kPresetWideOutputName}},
        {0xFFFF00A0, {kPresetSeparateCopiesName, kPresetWideOutputName}},
    };
    for (const Case& c : cases) {
        SetPresetFlags(c.flags);
        const std::vector<PresetRecord> records = Build(printer_, Model());
        ASSERT_EQ(records.size(), c.names.size()) << std::hex << c.flags;
        for (size_t i = 0; i < records.size(); ++i) {
            WCHAR name[kPresetNameChars] = {};
            LoadStringW(language_, c.names[i], name, static_cast<int>(kPresetNameChars));
            EXPECT_EQ(std::u16string(records[i].name), std::u16string(name)) << std::hex << c.flags << " " << i;
        }
    }
}

TEST_F(BuiltInPresets, EachFixesItsOwnSettingsWithTheirCopies) {
    const std::vector<PresetRecord> records = Build(printer_, Model());
    ASSERT_EQ(records.size(), 5u);
    const DriverDevMode& defaults = context_->defaultBlock;
    const PresetRecord& standard = records[0];
    EXPECT_EQ(standard.id, kPresetBuiltIn | kPresetDefault);
    EXPECT_EQ(standard.icon, 17u);
    EXPECT_EQ(standard.mask.FeatureFlags, 0x21u);
    EXPECT_EQ(standard.mask.SavedFeatureFlags, 0x21u);
    EXPECT_EQ(standard.values.FeatureFlags & 0x21u, 0u);
    EXPECT_EQ(standard.mask.NupDown, 0xFF);
    EXPECT_EQ(standard.mask.NupAcross, 0xFF);
    EXPECT_EQ(standard.values.SavedNupAcross, 1);
    EXPECT_EQ(standard.mask.OutputDestination, 0xFFFF);
    EXPECT_EQ(standard.mask.RelaydockFlags, 1);
    EXPECT_EQ(standard.mask.PageOptionBits, 1);
    EXPECT_EQ(standard.mask.OutputPaperName[31], 0xFFFF);
    EXPECT_EQ(standard.mask.Public.dmCopies, 0);

    const PresetRecord& jobFile = records[1];
    EXPECT_EQ(jobFile.id, kPresetBuiltIn);
    EXPECT_EQ(jobFile.mask.FeatureFlags, 0x24u);
    EXPECT_EQ(jobFile.values.Public.dmCopies, 1);
    EXPECT_EQ(jobFile.mask.Public.dmCopies, static_cast<SHORT>(0xFFFF));
    EXPECT_EQ(jobFile.values.OutputDestination, 1);
    EXPECT_EQ(jobFile.mask.NupDown, 0);

    const PresetRecord& copies = records[2];
    EXPECT_EQ(copies.icon, 1u);
    EXPECT_EQ(copies.values.PageOptionBits & 1, 1);
    EXPECT_EQ(copies.mask.PageOptionBits, 1);
    EXPECT_EQ(copies.mask.FeatureFlags, 0u);

    const PresetRecord& twoUp = records[3];
    EXPECT_EQ(std::u16string(twoUp.values.Public.dmFormName), u"9.5x11inch");
    EXPECT_EQ(std::u16string(twoUp.values.SavedFormName), u"9.5x11inch");
    EXPECT_EQ(twoUp.mask.Public.dmFormName[0], 0xFFFF);
    EXPECT_EQ(twoUp.values.FeatureFlags & 1u, 1u);
    EXPECT_EQ(twoUp.values.NupAcross, 2);
    EXPECT_EQ(twoUp.values.SavedNupAcross, 2);

    const PresetRecord& wide = records[4];
    EXPECT_EQ(wide.icon, 8u);
    EXPECT_EQ(std::u16string(wide.values.OutputPaperName), u"15x11inch");
    EXPECT_EQ(std::u16string(wide.values.SavedOutputPaperName), u"15x11inch");
    // Fields a preset does not fix keep the defaults and a zero mask.
    for (const PresetRecord& record : records) {
        EXPECT_EQ(record.values.InstalledMemory, defaults.InstalledMemory);
        EXPECT_EQ(record.mask.InstalledMemory, 0u);
        EXPECT_EQ(record.mask.LayoutScale, 0);
    }
}

}  // namespace
}  // namespace kvuipresets
