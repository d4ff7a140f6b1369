#include "settings/HalftonePatterns.h"

#include <iterator>

#include "settings/Forms.h"

namespace {

// The standard pattern-size names, each at its standard value.
constexpr LPCWSTR kPatternSizeNames[] = {
    u"HT_PATSIZE_2x2",       u"HT_PATSIZE_2x2_M",       u"HT_PATSIZE_4x4",     u"HT_PATSIZE_4x4_M",
    u"HT_PATSIZE_6x6",       u"HT_PATSIZE_6x6_M",       u"HT_PATSIZE_8x8",     u"HT_PATSIZE_8x8_M",
    u"HT_PATSIZE_10x10",     u"HT_PATSIZE_10x10_M",     u"HT_PATSIZE_12x12",   u"HT_PATSIZE_12x12_M",
    u"HT_PATSIZE_14x14",     u"HT_PATSIZE_14x14_M",     u"HT_PATSIZE_16x16",   u"HT_PATSIZE_16x16_M",
    u"HT_PATSIZE_SUPERCELL", u"HT_PATSIZE_SUPERCELL_M", u"HT_PATSIZE_USER",
};
static_assert(std::size(kPatternSizeNames) == kHalftonePatternSizeCount);

bool SameText(LPCWSTR a, LPCWSTR b) {
    for (;; ++a, ++b) {
        if (*a != *b) return false;
        if (*a == u'\0') return true;
    }
}

}  // namespace

int HalftonePatternSizeOfName(LPCWSTR name) {
    if (name == nullptr) return -1;
    for (size_t i = 0; i < std::size(kPatternSizeNames); ++i)
        if (SameText(name, kPatternSizeNames[i])) return static_cast<int>(i);
    return -1;
}

bool ModelHalftoneOfRecord(const ModelDescription* model, const ModelResolution& record, int* patternSize,
                           DWORD* gamma) {
    // Later systems have their own engine defaults, so the model gives them their own pair.
    const bool later = IsOsVersion51OrLater() != 0;
    const int size = HalftonePatternSizeOfName(ModelString(model, later ? record.Name2Offset : record.Name1Offset));
    if (size < 0) return false;
    *patternSize = size;
    *gamma = later ? record.Value3 : record.Value2;
    return true;
}

bool ModelHalftoneChoice(const ModelDescription* model, DWORD dpi, int* patternSize, DWORD* gamma) {
    if (model == nullptr) return false;
    const auto* list = ModelList<ModelResolution>(model, model->ResolutionOffset, model->ResolutionCount);
    if (list == nullptr) return false;
    for (DWORD i = 0; i < model->ResolutionCount; ++i) {
        if (list[i].Value1 == dpi) return ModelHalftoneOfRecord(model, list[i], patternSize, gamma);
    }
    return false;
}
