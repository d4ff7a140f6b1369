// Document page 2's paper lists, the paper and source names, the feeder warning, the
// paper's orientation and the halftone defaults of a resolution.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/StandInShell.h"
#include "platform/User.h"
#include "resources/ui/ControlIds.h"
#include "resources/ui/StringIds.h"
#include "settings/Forms.h"
#include "tests/kvui_common/CommonFixture.h"
#include "ui/data/HalftoneAdjustments.h"

namespace kvuicommon {
namespace {

using PagePaper = CommonTest;

template <size_t N>
void SetName(WCHAR (&field)[N], const std::u16string& name) {
    std::fill(std::begin(field), std::end(field), u'\0');
    std::copy_n(name.begin(), std::min(name.size(), N - 1), field);
}

std::u16string DefaultForm(const ModelDescription* model) {
    return ModelString(model, ModelDefaultForm(model)->NameOffset);
}

TEST_F(PagePaper, ThePaperListHoldsTheUsableFormsAndSelectsTheBlocksForm) {
    HWND dialog = OpenPage(kDocumentPage2Template);
    ASSERT_GT(context_->formCount, 3u);
    SetName(Working().Public.dmFormName, context_->formName[2]);
    FillPaperSizeCombo(&page_, dialog);
    ASSERT_EQ(Send(dialog, kPaperList, CB_GETCOUNT), static_cast<LRESULT>(context_->formCount));
    EXPECT_EQ(Send(dialog, kPaperList, CB_GETCURSEL), 2);
    EXPECT_EQ(Send(dialog, kPaperList, CB_GETITEMDATA, 2), context_->formIndex[2]);

    // A form the overlay sizes is shown only with the overlay on; without, the default form.
    const std::u16string overlaySized = u"A4 (フォーム指定サイズ)";
    SetName(Working().Public.dmFormName, overlaySized);
    Working().OverlayFlags = 0;
    FillPaperSizeCombo(&page_, dialog);
    EXPECT_EQ(ComboText(dialog, kPaperList, Send(dialog, kPaperList, CB_GETCURSEL)), DefaultForm(model_));
    Working().OverlayFlags = kOverlayOn;
    FillPaperSizeCombo(&page_, dialog);
    EXPECT_EQ(Send(dialog, kPaperList, CB_GETCOUNT), static_cast<LRESULT>(context_->formCount + 1));
    EXPECT_EQ(Send(dialog, kPaperList, CB_GETCURSEL), 0);
    EXPECT_EQ(ComboText(dialog, kPaperList, 0), overlaySized);
    // Any other unknown name with the overlay on: the default form again.
    SetName(Working().Public.dmFormName, u"Nothing like it");
    FillPaperSizeCombo(&page_, dialog);
    EXPECT_EQ(ComboText(dialog, kPaperList, Send(dialog, kPaperList, CB_GETCURSEL)), DefaultForm(model_));
    // A form name without its terminator matches nothing and reads nothing past its field.
    std::fill(std::begin(Working().Public.dmFormName), std::end(Working().Public.dmFormName), u'A');
    FillPaperSizeCombo(&page_, dialog);
    EXPECT_EQ(ComboText(dialog, kPaperList, Send(dialog, kPaperList, CB_GETCURSEL)), DefaultForm(model_));
}

TEST_F(PagePaper, TheOutputPaperListLeavesOutStandardSizesAndStartsWithNone) {
    HWND dialog = OpenPage(kDocumentPage2Template);
    Working().NupDown = 1;
    Working().NupAcross = 1;
    SetName(Working().OutputPaperName, u"");
    FillOutputPaperCombo(&page_, dialog);
    const LRESULT count = Send(dialog, kOutputPaperList, CB_GETCOUNT);
    ASSERT_GE(count, 1);
    EXPECT_EQ(ComboText(dialog, kOutputPaperList, 0), LanguageString(language_, kNoOutputPaperText));
    EXPECT_EQ(Send(dialog, kOutputPaperList, CB_GETITEMDATA, 0), 0);
    EXPECT_EQ(Send(dialog, kOutputPaperList, CB_GETCURSEL), 0);
    // Every usable form inside the model's bounds that is not a standard size, in order.
    std::vector<std::u16string> expected;
    for (DWORD i = 0; i < context_->formCount; ++i) {
        const FormSize size = context_->formSize[i];
        const std::u16string name = context_->formName[i];
        const bool inside = size.width >= static_cast<LONG>(model_->MinFormWidth / 100) &&
                            size.width <= static_cast<LONG>(model_->MaxFormWidth / 100) &&
                            size.length >= static_cast<LONG>(model_->MinFormLength / 100) &&
                            size.length <= static_cast<LONG>(model_->MaxFormLength / 100);
        for (const char16_t* standard : {u"A3", u"A4", u"A5", u"B4 (JIS)", u"B5 (JIS)", u"Letter", u"A4 横"}) {
            if (name == standard) {
                EXPECT_EQ(Send(dialog, kOutputPaperList, CB_FINDSTRINGEXACT, 0, reinterpret_cast<LPARAM>(standard)), CB_ERR);
            }
        }
        if (inside && name != u"A3" && name != u"A4" && name != u"A5" && name != u"B4 (JIS)" && name != u"B5 (JIS)" &&
            name != u"Letter" && name != u"はがき" && name != u"往復はがき" && name.find(u" 横") == std::u16string::npos) {
            expected.push_back(name);
        }
    }
    ASSERT_EQ(count, static_cast<LRESULT>(expected.size() + 1));
    ASSERT_FALSE(expected.empty());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(ComboText(dialog, kOutputPaperList, static_cast<LRESULT>(i + 1)), expected[i]);
    }

    SetName(Working().OutputPaperName, expected.back());
    Working().NupAcross = 2;
    FillOutputPaperCombo(&page_, dialog);
    EXPECT_EQ(ComboText(dialog, kOutputPaperList, 0), LanguageString(language_, kSetByPagesPerSheetText));
    EXPECT_EQ(ComboText(dialog, kOutputPaperList, Send(dialog, kOutputPaperList, CB_GETCURSEL)), expected.back());
}

TEST_F(PagePaper, PageTwoStartsFromTheWorkingSettings) {
    HWND dialog = OpenPage(kDocumentPage2Template);
    Working().FeatureFlags = 0x2;
    InitDocumentPage2Controls(&page_, dialog);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kSameAsPaperCheck), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kScalingCheck), BST_CHECKED);
    EXPECT_EQ(Send(dialog, kPreviewControl, LB_GETITEMDATA), Working().Public.dmPaperSize);
    EXPECT_GT(Send(dialog, kPaperList, CB_GETCOUNT), 0);
    EXPECT_GT(Send(dialog, kOutputPaperList, CB_GETCOUNT), 0);
    Working().FeatureFlags = 0x1;
    InitDocumentPage2Controls(&page_, dialog);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kSameAsPaperCheck), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kScalingCheck), BST_UNCHECKED);
}

TEST_F(PagePaper, PaperNamesComeFromTheFormTableOrTheModelsDefault) {
    WCHAR out[65] = {};
    GetPaperNameByIndex(&page_, nullptr, context_->formIndex[1], out);
    EXPECT_EQ(std::u16string(out), std::u16string(context_->formName[1]));
    for (int missing : {0, -1, 30000}) {
        GetPaperNameByIndex(&page_, nullptr, missing, out);
        EXPECT_EQ(std::u16string(out), DefaultForm(model_)) << missing;
    }

    WCHAR effective[33] = {};
    SetName(Working().Public.dmFormName, u"A4");
    SetName(Working().OutputPaperName, u"");
    GetEffectivePaperName(&page_, effective);
    EXPECT_EQ(std::u16string(effective), u"A4");
    std::fill(std::begin(Working().OutputPaperName), std::end(Working().OutputPaperName), u'w');
    GetEffectivePaperName(&page_, effective);
    EXPECT_EQ(std::u16string(effective), std::u16string(32, u'w'));
}

TEST_F(PagePaper, TheSourceNameIsTheModelsSlotOfTheBlocksSource) {
    const auto* slots = ModelList<ModelNamedValue>(model_, model_->InputSlotOffset, model_->InputSlotCount);
    ASSERT_NE(slots, nullptr);
    for (DWORD i = 0; i < model_->InputSlotCount; ++i) {
        Working().Public.dmDefaultSource = static_cast<short>(slots[i].Value);
        WCHAR name[65] = u"unchanged";
        Working().OverlayFlags = 0;
        EXPECT_EQ(GetPaperSourceName(&page_, nullptr, name), 0u);
        EXPECT_EQ(std::u16string(name), std::u16string(ModelString(model_, slots[i].NameOffset)));
    }
    Working().Public.dmDefaultSource = 12345;
    WCHAR name[65] = u"unchanged";
    EXPECT_EQ(GetPaperSourceName(&page_, nullptr, name), 0u);
    EXPECT_EQ(std::u16string(name), u"unchanged");
}

TEST_F(PagePaper, NoFeederWarningWithoutAnOverlayThatAsksForTheFeeder) {
    HWND dialog = OpenPage(kDocumentPage2Template);
    const auto* slots = ModelList<ModelNamedValue>(model_, model_->InputSlotOffset, model_->InputSlotCount);
    ASSERT_NE(slots, nullptr);
    for (DWORD i = 0; i < model_->InputSlotCount; ++i) {
        Working().Public.dmDefaultSource = static_cast<short>(slots[i].Value);
        for (DeviceSlot& slot : Working().DeviceSlots) slot.State = 0;
        Working().OverlayFlags = 0;
        WarnSourceNotInstalled(&page_, dialog);
    }
    EXPECT_TRUE(standin::ui::MessageBoxes().empty());
}

TEST_F(PagePaper, PortraitIsNarrowerThanLongOfTheOutputPaperWhenOneIsSet) {
    DriverDevMode block{};
    struct Case {
        WORD output;
        SHORT outWidth, outLength, width, length;
        bool portrait;
    };
    const Case cases[] = {
        {0, 0, 0, 2100, 2970, true}, {0, 0, 0, 2970, 2100, false}, {0, 0, 0, 2100, 2100, false},
        {9, 2970, 2100, 2100, 2970, false}, {9, 2100, 2970, 2970, 2100, true},
    };
    for (const Case& c : cases) {
        block.OutputPaperSize = c.output;
        block.OutputPaperWidth = c.outWidth;
        block.OutputPaperLength = c.outLength;
        block.Public.dmPaperWidth = c.width;
        block.Public.dmPaperLength = c.length;
        EXPECT_EQ(IsPortraitPaper(&block), c.portrait);
    }
}

TEST_F(PagePaper, HalftoneDefaultsTakeTheModelsRecordOfTheResolutionOnly) {
    DEVHTINFO record{};
    record.HTFlags = 0xFF;
    SetHalftoneDefaultsForResolution(&record, model_, 12345);
    EXPECT_EQ(record.HTFlags, 2u);
    EXPECT_EQ(record.HTPatternSize, 7u);
    EXPECT_EQ(record.ColorInfo.RedGamma, 5000);
    EXPECT_EQ(record.ColorInfo.Cyan.Y, 65534);
    EXPECT_EQ(record.ColorInfo.MagentaInYellowDye, 129);
    const auto* resolutions = ModelList<ModelResolution>(model_, model_->ResolutionOffset, model_->ResolutionCount);
    ASSERT_NE(resolutions, nullptr);
    const ModelResolution& first = resolutions[0];
    SetHalftoneDefaultsForResolution(&record, model_, first.Value1);
    const bool later = IsOsLaterThan50() != 0;
    EXPECT_EQ(record.ColorInfo.GreenGamma, static_cast<LONG>(later ? first.Value3 : first.Value2));
    const DEVHTINFO same = HalftoneDefaultsForResolution(model_, first.Value1);
    EXPECT_EQ(std::memcmp(&record, &same, sizeof record), 0);
}


// The sample model with its resolution list replaced by the given records; name offsets are
// filled in as the strings are appended behind the records.
struct HalftoneRecord {
    DWORD dpi;
    std::u16string name1;
    DWORD gamma1;
    std::u16string name2;
    DWORD gamma2;
};

std::vector<DWORD> ModelWithResolutions(const ModelDescription* model, const std::vector<HalftoneRecord>& records) {
    std::vector<DWORD> image((model->TotalSize + 3) / 4, 0);
    std::memcpy(image.data(), model, model->TotalSize);
    const size_t recordAt = image.size();
    image.resize(recordAt + records.size() * sizeof(ModelResolution) / 4, 0);
    auto addString = [&image](const std::u16string& text) {
        const DWORD offset = static_cast<DWORD>(image.size() * 4);
        std::vector<DWORD> words((text.size() * 2 + 2 + 3) / 4, 0);
        std::memcpy(words.data(), text.c_str(), text.size() * 2);
        image.insert(image.end(), words.begin(), words.end());
        return offset;
    };
    for (size_t i = 0; i < records.size(); ++i) {
        const HalftoneRecord& r = records[i];
        const ModelResolution entry{r.dpi, addString(r.name1), r.gamma1, addString(r.name2), r.gamma2};
        std::memcpy(image.data() + recordAt + i * sizeof(ModelResolution) / 4, &entry, sizeof entry);
    }
    auto* header = reinterpret_cast<ModelDescription*>(image.data());
    header->ResolutionOffset = static_cast<DWORD>(recordAt * 4);
    header->ResolutionCount = static_cast<DWORD>(records.size());
    header->TotalSize = static_cast<DWORD>(image.size() * 4);
    return image;
}

struct WalkCase {
    const char* what;
    std::vector<HalftoneRecord> records;
    DWORD osMinor;  // system 5.<minor>
    DWORD pattern;
    LONG gamma;
};

TEST_F(PagePaper, HalftoneDefaultsWalkEveryRecordOfTheResolution) {
    const HalftoneRecord early300{300, u"HT_PATSIZE_4x4", 1111, u"HT_PATSIZE_6x6_M", 2222};
    const HalftoneRecord late300{300, u"HT_PATSIZE_8x8", 3333, u"HT_PATSIZE_10x10_M", 4444};
    const HalftoneRecord other600{600, u"HT_PATSIZE_2x2_M", 6666, u"HT_PATSIZE_12x12", 7777};
    const WalkCase cases[] = {
        {"the later of two records wins", {early300, other600, late300}, 1, 9, 4444},
        {"the later of two records wins, first pair", {early300, late300, other600}, 0, 6, 3333},
        {"one record", {other600, early300}, 1, 5, 2222},
        {"the largest square cell", {other600, {300, u"HT_PATSIZE_12x12_M", 5, u"HT_PATSIZE_12x12_M", 6}}, 1, 11, 6},
        {"14 x 14 is past the list", {{300, u"HT_PATSIZE_14x14", 8, u"HT_PATSIZE_14x14", 9}}, 1, 0, 9},
        {"user pattern is past the list", {{300, u"HT_PATSIZE_USER", 8, u"HT_PATSIZE_USER", 9}}, 1, 0, 9},
        {"unknown name", {{300, u"HT_PATSIZE_7x7", 8, u"300dpi", 9}}, 1, 0, 9},
        {"a later unknown name resets the pattern", {late300, {300, u"x", 8, u"x", 9}}, 1, 0, 9},
        {"no record of the resolution", {other600}, 1, 7, 5000},
    };
    for (const WalkCase& c : cases) {
        SCOPED_TRACE(c.what);
        standin::SetOsVersion(5, c.osMinor, 2600, VER_PLATFORM_WIN32_NT);
        const std::vector<DWORD> image = ModelWithResolutions(model_, c.records);
        const auto* model = reinterpret_cast<const ModelDescription*>(image.data());
        DEVHTINFO record{};
        SetHalftoneDefaultsForResolution(&record, model, 300);
        EXPECT_EQ(record.HTFlags, 2u);
        EXPECT_EQ(record.HTPatternSize, c.pattern);
        EXPECT_EQ(record.ColorInfo.RedGamma, c.gamma);
        EXPECT_EQ(record.ColorInfo.GreenGamma, c.gamma);
        EXPECT_EQ(record.ColorInfo.BlueGamma, c.gamma);
        EXPECT_EQ(record.ColorInfo.Cyan.Y, 65534);
    }
    standin::SetOsVersion(6, 1, 7601, VER_PLATFORM_WIN32_NT);
}

}  // namespace
}  // namespace kvuicommon
