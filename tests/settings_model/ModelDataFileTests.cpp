// The shipped data file of the KV-TD520 compiles and every value the readers rely on reads
// back as written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/settings_model/ModelTestSupport.h"

using modeltest::NamedList;
using modeltest::Str;

namespace {

modeltest::ImagePtr CompileShippedFile() {
    std::ifstream in(KV_SOURCE_DIR "/resources/model/KV-TD520.dat", std::ios::binary);
    std::vector<BYTE> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_GT(bytes.size(), 2u);
    EXPECT_TRUE(bytes[0] == 0xFF && bytes[1] == 0xFE) << "UTF-16LE with a byte-order mark";
    return modeltest::CompileBytes(bytes);
}

struct FormRow {
    std::string name;
    DWORD width, length, left, top, right, bottom;
};

std::vector<FormRow> Forms(const ModelDescription* model, DWORD offset, DWORD count) {
    std::vector<FormRow> rows;
    const ModelForm* forms = ModelList<ModelForm>(model, offset, count);
    for (DWORD i = 0; forms != nullptr && i < count; ++i) {
        const ModelForm& f = forms[i];
        EXPECT_EQ(f.Value0, 0u);
        rows.push_back({Str(model, f.NameOffset), f.Width, f.Length, f.PrintableLeft, f.PrintableTop,
                        f.PrintableRight, f.PrintableBottom});
    }
    return rows;
}

bool operator==(const FormRow& a, const FormRow& b) {
    return a.name == b.name && a.width == b.width && a.length == b.length && a.left == b.left && a.top == b.top &&
           a.right == b.right && a.bottom == b.bottom;
}
void PrintTo(const FormRow& f, std::ostream* os) {
    *os << f.name << " " << f.width << "x" << f.length << " [" << f.left << "," << f.top << "," << f.right << ","
        << f.bottom << "]";
}

FormRow Inset(const std::string& name, DWORD width, DWORD length, DWORD inset) {
    return {name, width, length, inset, inset, width - inset, length - inset};
}

TEST(ModelDataFile, HeaderValues) {
    auto model = CompileShippedFile();
    ASSERT_TRUE(model);
    ASSERT_TRUE(modeltest::Consistent(model.get()));
    const struct {
        const char* name;
        DWORD actual;
        DWORD expected;
    } rows[] = {
        {"Version", model->Version, 1},
        {"PPM", model->PPM, 35},
        {"PrivateID", model->PrivateID, 0x4B565444},
        {"DefaultLocalDay", model->DefaultLocalDay, 20240401},
        {"DefaultLocalTime", model->DefaultLocalTime, 0},
        {"Flags", model->Flags, 0x1},
        {"PresetFlags", model->PresetFlags, 0x7},
        {"AdvFuncSwitch", model->AdvFuncSwitch, 0x2},
        {"DefaultPatternScale", model->DefaultPatternScale, 100},
        {"LinePatternScale1200", model->LinePatternScale1200, 50},
        {"LinePatternScale600", model->LinePatternScale600, 25},
        {"LinePatternScale400", model->LinePatternScale400, 17},
        {"LinePatternScale240", model->LinePatternScale240, 10},
        {"DefaultResolution", model->DefaultResolution, 600},
        {"MaxFormWidth", model->MaxFormWidth, 297000},
        {"MaxFormLength", model->MaxFormLength, 431800},
        {"MinFormWidth", model->MinFormWidth, 90000},
        {"MinFormLength", model->MinFormLength, 139700},
        {"Reserved40", model->Reserved40, 0},
    };
    for (const auto& row : rows) EXPECT_EQ(row.actual, row.expected) << row.name;
    EXPECT_EQ(Str(model.get(), model->FriendlyName), "KV-TD520");
    EXPECT_EQ(Str(model.get(), model->PrinterName), "KV-TD520");
}

TEST(ModelDataFile, MemoryAndResolutions) {
    auto model = CompileShippedFile();
    ASSERT_TRUE(model);
    const ModelMemory* defaultMemory = ModelDefaultMemory(model.get());
    ASSERT_NE(defaultMemory, nullptr);
    EXPECT_EQ(defaultMemory->Values[0], 131072u);
    ASSERT_EQ(model->MemorySizeCount, 4u);
    const ModelMemory* memory = ModelList<ModelMemory>(model.get(), model->MemorySizeOffset, 4);
    const DWORD sizes[] = {65536, 131072, 270336, 524288};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(memory[i].Values[0], sizes[i]);
    // The default row is one of the list's rows, all seven values.
    EXPECT_EQ(std::memcmp(defaultMemory, &memory[1], sizeof(ModelMemory)), 0);

    ASSERT_EQ(model->ResolutionCount, 6u);
    const ModelResolution* r = ModelList<ModelResolution>(model.get(), model->ResolutionOffset, 6);
    const DWORD dpis[] = {200, 240, 300, 400, 600, 1200};
    bool defaultListed = false;
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(r[i].Value1, dpis[i]);
        // Each resolution names a halftone pattern the engine knows.
        EXPECT_EQ(Str(model.get(), r[i].Name1Offset).rfind("HT_PATSIZE_", 0), 0u);
        defaultListed = defaultListed || r[i].Value1 == model->DefaultResolution;
    }
    EXPECT_TRUE(defaultListed);
    EXPECT_EQ(Str(model.get(), r[4].Name2Offset), "HT_PATSIZE_8x8_M");
    EXPECT_EQ(r[4].Value2, 10000u);
    EXPECT_EQ(r[4].Value3, 12000u);
}

TEST(ModelDataFile, SlotsDevicesFeaturesAndApplications) {
    auto model = CompileShippedFile();
    ASSERT_TRUE(model);
    const ModelNamedValue* defaultSlot = ModelDefaultInputSlot(model.get());
    ASSERT_NE(defaultSlot, nullptr);
    EXPECT_EQ(Str(model.get(), defaultSlot->NameOffset), "AUTO");
    EXPECT_EQ(defaultSlot->Value, 7u);
    EXPECT_EQ(NamedList(model.get(), model->InputSlotOffset, model->InputSlotCount),
              (std::vector<std::string>{"AUTO=7", "FEEDER1=257", "FEEDER2=258", "FEEDER3=259", "FEEDER4=260",
                                        "FEEDER5=261", "MANUAL=4", "MP=262", "GROUPA=263", "GROUPB=264", "ENV=5"}));
    EXPECT_EQ(NamedList(model.get(), model->InputDeviceOffset, model->InputDeviceCount),
              (std::vector<std::string>{"FEEDER1=524289", "FEEDER2=2", "FEEDER3=4", "FEEDER4=8", "FEEDER5=16",
                                        "MSF=524416", "MANUAL=524544", "ENV=512", "MP=1024"}));
    EXPECT_EQ(NamedList(model.get(), model->OptionDeviceOffset, model->OptionDeviceCount),
              (std::vector<std::string>{"DUPLEX=1", "SORTER=2", "PLOTTER=4", "NIC=524296", "RCC=16", "FIN1=32",
                                        "FIN2=64", "LCS=128", "FUT=256", "HDD=512", "LCH=4096"}));
    EXPECT_EQ(NamedList(model.get(), model->SupportFeatureOffset, model->SupportFeatureCount),
              (std::vector<std::string>{"STAPLE=1", "PUNCH=2", "DUPLEX=4", "NUP=8"}));
    EXPECT_EQ(model->FormDeviceCount, 3u);
    EXPECT_EQ(model->ApplicationCount, 3u);
}

TEST(ModelDataFile, Forms) {
    auto model = CompileShippedFile();
    ASSERT_TRUE(model);
    const ModelForm* defaultForm = ModelDefaultForm(model.get());
    ASSERT_NE(defaultForm, nullptr);
    EXPECT_EQ(Forms(model.get(), model->DefaultForm, 1)[0], Inset("A4", 210000, 297000, 4230));

    const std::vector<FormRow> port = {
        Inset("A3", 297000, 420000, 4230),       Inset("A4", 210000, 297000, 4230),
        Inset("A5", 148000, 210000, 4230),       Inset("B4 (JIS)", 257000, 364000, 4230),
        Inset("B5 (JIS)", 182000, 257000, 4230), Inset("Letter", 215900, 279400, 4230),
        Inset("Legal", 215900, 355600, 4230),    Inset("はがき", 100000, 148000, 4230),
        Inset("往復はがき", 200000, 148000, 4230), Inset("封筒 洋形 4 号", 105000, 235000, 4230),
        Inset("15x11inch", 381000, 279400, 4230),
    };
    EXPECT_EQ(Forms(model.get(), model->FormPortOffset, model->FormPortCount), port);

    // Landscape variants: " 横" appended, width and length swapped.
    const std::vector<FormRow> land = Forms(model.get(), model->FormLandOffset, model->FormLandCount);
    const char* const landNames[] = {"A3", "A4", "A5", "B4 (JIS)", "B5 (JIS)", "Letter", "はがき", "往復はがき"};
    ASSERT_EQ(land.size(), 8u);
    for (size_t i = 0; i < land.size(); ++i) {
        const FormRow& p = *std::find_if(port.begin(), port.end(), [&](const FormRow& f) { return f.name == landNames[i]; });
        EXPECT_EQ(land[i], Inset(p.name + " 横", p.length, p.width, 4230));
    }
    EXPECT_EQ(Forms(model.get(), model->FormPortCompatibleOffset, model->FormPortCompatibleCount),
              (std::vector<FormRow>{Inset("A3", 297000, 420000, 5000), Inset("A4", 210000, 297000, 5000)}));
    EXPECT_EQ(Forms(model.get(), model->FormLandCompatibleOffset, model->FormLandCompatibleCount),
              (std::vector<FormRow>{Inset("A3 横", 420000, 297000, 5000), Inset("A4 横", 297000, 210000, 5000)}));
    // Names fit the settings block's 32-character form and device-name fields.
    for (const FormRow& f : port) EXPECT_LT(kvtest::U16(f.name).size(), 32u) << f.name;
}

}  // namespace
