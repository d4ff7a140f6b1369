// The driver's built-in presets: which the model's PresetFlags choose, and what each fixes.
#include <cstring>
#include <string>

#include "resources/ui/StringIds.h"
#include "settings/DefaultSettings.h"
#include "tests/kvui_presets/PresetsFixture.h"

namespace kvuipresets {
namespace {

std::vector<PresetRecord> Build(HANDLE printer, const ModelDescription* model) {
    DWORD count = 0;
    GlobalBlock block;
    EXPECT_TRUE(BuildBuiltInPresets(printer, model, BuiltInPresetList(), &block, &count));
    const auto* records = block.As<const PresetRecord>();
    return std::vector<PresetRecord>(records, records + count);
}

class BuiltInPresets : public PresetsTest {
protected:
    const ModelDescription* Model() const { return context_->model; }
};

TEST_F(BuiltInPresets, EverySelectedSlotGivesARecordAndEmptySlotsAreBlank) {
    // 0 stands for an empty slot: no name or comment, the defaults and an empty mask.
    struct Case {
        DWORD flags;
        std::vector<WORD> names;
    };
    std::vector<WORD> highSlots = {kPresetSeparateCopiesName, kPresetWideOutputName};
    highSlots.resize(10, 0);
    const Case cases[] = {
        {0x0, {}},
        {0x1, {kPresetStandardName}},
        {0xE, {0, 0, 0}},  // slots 1 to 3 are empty
        {0x13, {kPresetStandardName, 0, kPresetJobFileName}},
        {kAllBuiltIns, {kPresetStandardName, kPresetJobFileName, kPresetSeparateCopiesName, kPresetTwoUpName,
                        kPresetWideOutputName}},
        // Slots 8 to 15 are empty; bits past the sixteen slots choose nothing.
        {0xFFFFFFA0, highSlots},
        {0xFFFF0000, {}},
    };
    const std::vector<BYTE> zeroMask(sizeof(DriverDevMode), 0);
    DriverDevMode defaults{};
    BuildDefaultDevMode(&defaults, printer_, nullptr, Model());
    for (const Case& c : cases) {
        SetPresetFlags(c.flags);
        const std::vector<PresetRecord> records = Build(printer_, Model());
        ASSERT_EQ(records.size(), c.names.size()) << std::hex << c.flags;
        for (size_t i = 0; i < records.size(); ++i) {
            SCOPED_TRACE(testing::Message() << std::hex << c.flags << " record " << i);
            WCHAR name[kPresetNameChars] = {};
            if (c.names[i] != 0) LoadStringW(language_, c.names[i], name, static_cast<int>(kPresetNameChars));
            EXPECT_EQ(std::u16string(records[i].name), std::u16string(name));
            if (c.names[i] != 0) continue;
            EXPECT_EQ(records[i].id, 0u);
            EXPECT_EQ(records[i].icon, 0u);
            EXPECT_EQ(records[i].comment[0], u'\0');
            EXPECT_EQ(std::memcmp(&records[i].mask, zeroMask.data(), zeroMask.size()), 0);
            EXPECT_EQ(std::memcmp(&records[i].values, &defaults, sizeof(DriverDevMode)), 0);
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
