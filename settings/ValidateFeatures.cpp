// Validation of the paper source, the values this printer does not vary and the feature
// switches that the other settings exclude.
#include <string_view>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Spooler.h"
#include "resources/ui/StringIds.h"
#include "settings/SpoolerQueries.h"
#include "settings/ValidateInternal.h"

namespace validation {
namespace {

// FeatureFlags bits decided here.
constexpr DWORD kFeatureNoReduction = 1u << 1;
constexpr DWORD kFeatureBit3 = 1u << 3;
constexpr DWORD kFeatureBit4 = 1u << 4;
constexpr DWORD kFeatureBit5 = 1u << 5;
constexpr DWORD kFeatureBit6 = 1u << 6;
constexpr DWORD kFeatureBit7 = 1u << 7;
constexpr DWORD kFeatureBit8 = 1u << 8;
constexpr DWORD kFeatureBit9 = 1u << 9;
constexpr DWORD kFeatureBit12 = 1u << 12;
constexpr DWORD kFeatureBit17 = 1u << 17;
// Features the printer renders itself, which graphics-only output cannot use.
constexpr DWORD kFeatureDeviceRendered =
    (1u << 10) | (1u << 12) | (1u << 13) | (1u << 14) | (1u << 15) | (1u << 27);
constexpr DWORD kOptionCapability = 1u << 16;
constexpr DWORD kOptionIgnoreMemory = 1u << 17;

// Sources with a per-source value, in the order of SourceValues, by their language-library
// names.
constexpr UINT kSourceValueStrings[kSourceValueCount] = {kAutoSourceName,    kFeeder1SourceName, kFeeder2SourceName,
                                                         kFeeder3SourceName, kFeeder4SourceName, kFeeder5SourceName,
                                                         kManualSourceName,  kGroupASourceName,  kGroupBSourceName};

constexpr WORD kPrintModeNoFeatures = 2;
constexpr DWORD kMemoryFor1200 = 0x42000;
constexpr DWORD kMemoryFor600 = 0x12000;

constexpr int kSourceNameChars = 80;  // an *InputSlot name holds at most 79 characters

bool LoadSourceName(HMODULE language, UINT id, WCHAR (&name)[kSourceNameChars]) {
    return language != nullptr && LoadStringW(language, id, name, kSourceNameChars) > 0;
}

const ModelNamedValue* InputSlots(const ModelDescription* model) {
    return ModelList<ModelNamedValue>(model, model->InputSlotOffset, model->InputSlotCount);
}

const ModelNamedValue* FindInputSlotByName(const ModelDescription* model, std::u16string_view name) {
    const ModelNamedValue* slots = InputSlots(model);
    for (DWORD i = 0; slots != nullptr && i < model->InputSlotCount; ++i) {
        if (name == ModelString(model, slots[i].NameOffset)) return &slots[i];
    }
    return nullptr;
}

const ModelNamedValue* FindInputSlotByValue(const ModelDescription* model, SHORT source) {
    const ModelNamedValue* slots = InputSlots(model);
    for (DWORD i = 0; slots != nullptr && i < model->InputSlotCount; ++i) {
        if (LOWORD(slots[i].Value) == static_cast<WORD>(source)) return &slots[i];
    }
    return nullptr;
}

/// Value of the *InputSlot that the language library's string id names; false when the
/// string or the slot is missing.
bool SlotValueOfString(const Context& context, UINT id, WORD* value) {
    WCHAR name[kSourceNameChars];
    if (!LoadSourceName(context.Language, id, name)) return false;
    const ModelNamedValue* slot = FindInputSlotByName(context.Model, name);
    if (slot == nullptr) return false;
    *value = LOWORD(slot->Value);
    return true;
}

bool SourceIsSlotOfString(const Context& context, UINT id) {
    WORD value = 0;
    return SlotValueOfString(context, id, &value) && value == static_cast<WORD>(context.Block->Public.dmDefaultSource);
}

// Frees a spooler record block on every path.
class PrinterInfoBlock {
public:
    explicit PrinterInfoBlock(BYTE* block) : block_(block) {}
    ~PrinterInfoBlock() {
        if (block_ != nullptr) GlobalFree(block_);
    }
    PrinterInfoBlock(const PrinterInfoBlock&) = delete;
    PrinterInfoBlock& operator=(const PrinterInfoBlock&) = delete;
    const PRINTER_INFO_2W* Get() const { return reinterpret_cast<const PRINTER_INFO_2W*>(block_); }

private:
    BYTE* block_;
};

}  // namespace

void ChoosePaperSource(const Context& context) noexcept {
    // The user's source stays when the model knows it (as the merge accepts it); any other
    // value becomes the automatic source, or the model's default slot when the library does
    // not name one.
    DEVMODEW& dm = context.Block->Public;
    if (FindInputSlotByValue(context.Model, dm.dmDefaultSource) != nullptr) return;
    WORD value = 0;
    if (SlotValueOfString(context, kAutoSourceName, &value)) {
        dm.dmDefaultSource = static_cast<SHORT>(value);
        return;
    }
    const ModelNamedValue* fallback = ModelDefaultInputSlot(context.Model);
    if (fallback != nullptr) dm.dmDefaultSource = static_cast<SHORT>(LOWORD(fallback->Value));
}

void ApplySourceMediaValue(const Context& context) noexcept {
    DriverDevMode* block = context.Block;
    block->SourceMediaValue = block->SavedSourceMediaValue;
    const ModelNamedValue* slot = FindInputSlotByValue(context.Model, block->Public.dmDefaultSource);
    if (slot == nullptr) return;
    const std::u16string_view slotName(ModelString(context.Model, slot->NameOffset));
    for (int i = 0; i < kSourceValueCount; ++i) {
        WCHAR name[kSourceNameChars];
        if (LoadSourceName(context.Language, kSourceValueStrings[i], name) && slotName == name) {
            block->SourceMediaValue = block->SourceValues[i];
            return;
        }
    }
}

void ApplyByteRules(DriverDevMode* block) noexcept {
    if ((block->PageOptionBits & 0x05) == 0x05) block->PageOptionBits &= static_cast<BYTE>(~0x04);

    // Two counts of 2 to 6 (low nibble) and 1 to 6 (high nibble).
    BYTE split = block->SplitCounts;
    const BYTE low = split & 0x0F;
    if (low > 6) split = static_cast<BYTE>((split & 0xF0) | 6);
    if (low < 2) split = static_cast<BYTE>((split & 0xF0) | 2);
    if (split > 111) split = static_cast<BYTE>(0x60 | (split & 0x0F));
    if (split < 16) split = static_cast<BYTE>(0x10 | (split & 0x0F));
    block->SplitCounts = split;
}

void ForceFixedValues(DriverDevMode* block) noexcept {
    // Landscape is chosen by the form name; banners and duplex are set per job elsewhere.
    block->Public.dmOrientation = 1;
    block->CoverFlags = 0;
    block->Public.dmDuplex = 1;
    block->FeatureFlags &= ~kFeatureBit8;
    block->OptionFlags &= ~kOptionCompatibleMargin;
    block->DuplexShift = 0;
}

void ApplyPaperFeatureRules(const Context& context) noexcept {
    DriverDevMode* block = context.Block;
    const DEVMODEW& dm = block->Public;
    const PrinterStatusSnapshot* status = context.Status;
    DWORD features = block->FeatureFlags;

    const std::u16string_view paper(EffectivePaperName(block));
    const bool paperIsPort = EffectivePaperPort(context) != nullptr;
    WORD autoSource = 0;
    const bool sourceNotAuto =
        SlotValueOfString(context, kAutoSourceName, &autoSource) && static_cast<WORD>(dm.dmDefaultSource) != autoSource;

    if (!paperIsPort || paper != u"A4" || sourceNotAuto || (features & kFeatureBit6) == 0 ||
        block->PrintMode == kPrintModeNoFeatures) {
        features &= ~(kFeatureBit3 | kFeatureBit4);
    }
    // Without a known printer status, bit 4 needs enough installed memory for the resolution.
    if (status != nullptr && (status->printerExtStatus & kExtStatusKnown) == 0 &&
        (block->OptionFlags & kOptionIgnoreMemory) == 0) {
        if (dm.dmPrintQuality >= 1200 && block->InstalledMemory < kMemoryFor1200) features &= ~kFeatureBit4;
        if (dm.dmPrintQuality <= 600 && block->InstalledMemory < kMemoryFor600) features &= ~kFeatureBit4;
    }

    if (status != nullptr && !((status->printerExtStatus & kExtStatusKnown) != 0 && status->runningPss == 1)) {
        features &= ~kFeatureBit5;
    }

    // Bit 6 needs the automatic source, except that the manual and multi-purpose feeders
    // keep whatever it was.
    const DWORD remembered = features;
    if (sourceNotAuto) features &= ~kFeatureBit6;
    if (SourceIsSlotOfString(context, kMultiPurposeSourceName) || SourceIsSlotOfString(context, kManualSourceName)) {
        features = remembered;
    }
    if (!paperIsPort || paper == u"往復はがき" || paper == u"封筒 洋形 4 号") features &= ~kFeatureBit6;

    if (status != nullptr) {
        const DWORD both = kExtStatusKnown | kExtStatusCapability;
        if ((status->printerExtStatus & both) == both) {
            block->OptionFlags |= kOptionCapability;
        } else {
            block->OptionFlags &= ~kOptionCapability;
            features &= ~kFeatureBit7;
        }
    }
    block->FeatureFlags = features;
}

void ApplyOutputFeatureRules(DriverDevMode* block) noexcept {
    const bool overlayOn = (block->OverlayFlags & kOverlayOn) != 0;
    if (overlayOn || (block->FeatureFlags & kFeatureNoReduction) != 0 || block->PagesPerSheet == 1) {
        block->FeatureFlags &= ~kFeatureBit9;
    }
    if ((block->FeatureFlags & kFeatureGraphicsOnly) != 0) block->FeatureFlags &= ~kFeatureDeviceRendered;
    if (block->Public.dmPrintQuality != 600) block->FeatureFlags &= ~kFeatureBit12;
    if (block->Public.dmPrintQuality == 1200) block->FeatureFlags &= ~kFeatureBit17;
    if (!overlayOn) block->OverlayFlags &= static_cast<WORD>(~kOverlayChecked);
}

void ApplyRawOnlyCheck(DriverDevMode* block, HANDLE printer) noexcept {
    // File mode needs a printer that spools raw only; when the printer's own record cannot
    // be read, the user's choice stays.
    if ((block->RelaydockFlags & kRelaydockFileMode) != 0 && printer != nullptr) {
        const PrinterInfoBlock info(GetPrinterInfo(printer, 2));
        if (info.Get() != nullptr && QueryRawOnlyAttribute(info.Get()->pPrinterName) != 1) {
            block->RelaydockFlags &= static_cast<WORD>(~kRelaydockFileMode);
        }
    }
    if ((block->FeatureFlags & kFeatureBit5) != 0) block->RelaydockFlags &= static_cast<WORD>(~kRelaydockFileMode);
}

}  // namespace validation
