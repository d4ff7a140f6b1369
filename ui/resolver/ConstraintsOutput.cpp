// The constraint rules of the printed output: the binding byte, the media controls, the print
// mode, the finishing group and duplex.
#include "resources/ui/StringIds.h"
#include "ui/resolver/ConstraintRules.h"

namespace constraints {
namespace {

constexpr DWORD kFeatureOutputPaper = 0x1;
// Bytes of OutputFlags (the settings code's CoverFlags), each with its own shadow byte.
constexpr DWORD kOutputLowByte = 0x000000FFu;
constexpr DWORD kOutputSecondByte = 0x0000FF00u;
constexpr DWORD kOutputHighByte = 0xFF000000u;
constexpr BYTE kHighByteFinisherBusy = 0x4;
constexpr BYTE kSecondByteStaple = 0x1;
constexpr BYTE kSecondByteDuplexBlock = 0x4;

constexpr WORD kMediaPlain = 0;
constexpr WORD kMediaSecond = 1;
constexpr WORD kMediaThick = 2;

// Widths (0.1 mm) below which paper that is not one of the driver's forms cannot be bound or
// finished.
constexpr int kMinBindingWidth = 1820;
constexpr int kMinFinishingWidth = 1701;
// The paper window of the print mode for papers that are not the driver's forms (0.1 mm).
constexpr int kPrintModeMinWidth = 2100;
constexpr int kPrintModeMaxWidth = 2970;
constexpr int kPrintModeMinLength = 1397;
constexpr int kPrintModeMaxLength = 2159;

// Print modes that the finishing byte chooses.
constexpr WORD kPrintModeFinishing = 3;
constexpr WORD kPrintModeStapled = 5;
constexpr WORD kPrintModeDuplexBlock = 4;

// dmPaperSize / OutputPaperIndex positions the second finisher control takes.
constexpr int kFinisherPapers[] = {1, 8, 9, 12, 13};

BYTE HighByte(DWORD flags) { return static_cast<BYTE>(flags >> 24); }
BYTE SecondByte(DWORD flags) { return static_cast<BYTE>(flags >> 8); }

bool IsEnvelope(LPCWSTR name) { return NameIs(name, u"封筒 洋形 4 号"); }

void BindingRule(Resolver& r) {
    DriverDevMode* b = r.block;
    LPCWSTR form = EffectiveForm(b);
    const bool paperFits = IsDriverForm(r.model, form) ? !IsPostcard(form) && !NameIs(form, u"A5")
                                                       : EffectiveWidth(b) >= kMinBindingWidth;
    const bool allowed = DeviceInstalled(b, kSlotFinisher) && b->SourceMediaValue < kMediaThick && paperFits;
    RestoreOrKeepBits(allowed, b->CoverFlags, b->SavedCoverFlags, r.before.CoverFlags, kOutputHighByte);
    Validate(r);
    EnableControls(r, {{kOutputTrayIcon, kOutputTrayList}}, allowed);
    EnableItems(r, {kOutputTrayTreeItem}, allowed);
}

void MediaRule(Resolver& r) {
    const bool allowed = r.block->SourceMediaValue == kMediaSecond;
    EnableControls(r, {{kFeederButton, kFeederButton}}, allowed);
    EnableItems(r, {354}, allowed);
}

bool PrintModePaperFits(const DriverDevMode* b) {
    const bool output = (b->FeatureFlags & kFeatureOutputPaper) != 0 && b->OutputPaperSize != 0;
    const int width = output ? b->OutputPaperWidth : b->Public.dmPaperWidth;
    const int length = output ? b->OutputPaperLength : b->Public.dmPaperLength;
    return width >= kPrintModeMinWidth && width <= kPrintModeMaxWidth && length >= kPrintModeMinLength &&
           length <= kPrintModeMaxLength;
}

void PrintModeRule(Resolver& r) {
    DriverDevMode* b = r.block;
    LPCWSTR form = EffectiveForm(b);
    const bool driverForm = IsDriverForm(r.model, form);
    // Large papers and postcards of the driver's forms need the automatic source.
    const bool sourceRefused = r.autoSlot.present && b->Public.dmDefaultSource != r.autoSlot.value && driverForm &&
                               (NameIs(form, u"A3") || NameIs(form, u"B4 (JIS)") || IsPostcard(form) || IsEnvelope(form));
    const bool paperFits = driverForm ? !IsPostcard(form) && !IsEnvelope(form) : PrintModePaperFits(b);
    const bool allowed = !sourceRefused && paperFits && b->SourceMediaValue != kMediaThick &&
                         DeviceInstalled(b, kSlotLargeCapacity);
    RestoreOrKeep(allowed, b->PrintMode, b->SavedPrintMode, r.before.PrintMode);
    Validate(r);
    EnableControls(r, {{kPrintModeIcon, kPrintModeList}}, allowed);
    EnableItems(r, {kPrintModeTreeItem}, allowed);
}

bool FinisherPaper(const DriverDevMode* b) {
    const int paper = b->OutputPaperSize != 0 ? b->OutputPaperSize : b->Public.dmPaperSize;
    for (int listed : kFinisherPapers) {
        if (paper == listed) return true;
    }
    return false;
}

void FinishingRule(Resolver& r) {
    DriverDevMode* b = r.block;
    EnableControls(r, {{kPrintModeGroup, kPrintModeStapleRadio}, {kOutputPositionGroup, kSecondPositionText}}, true);
    const bool finisher = DeviceInstalled(b, kSlotFinisher);
    const bool finisherFree = !finisher || (HighByte(b->CoverFlags) & kHighByteFinisherBusy) == 0;
    EnableControls(r, {{kPrintModeSortRadio, kPrintModeSortRadio}}, finisherFree);
    const bool mediaFits = b->SourceMediaValue == kMediaPlain || (b->SourceMediaValue == kMediaSecond && b->FeederSetting == 1);
    EnableControls(r, {{kPrintModeStapleRadio, kPrintModeStapleRadio}}, finisher && FinisherPaper(b) && mediaFits);
    const bool stapled = (SecondByte(b->CoverFlags) & kSecondByteStaple) != 0;
    EnableControls(r, {{kFinishingPositionButton, kFinishingPositionButton}}, stapled);
    EnableItems(r, {kFirstPositionTreeItem, kSecondPositionTreeItem}, stapled);

    // The second byte comes back from the shadow and chooses the print mode.
    if (finisherFree) {
        RestoreBits(b->CoverFlags, b->SavedCoverFlags, kOutputSecondByte);
        const BYTE second = SecondByte(b->CoverFlags);
        b->PrintMode = (second & kSecondByteDuplexBlock) != 0 ? kPrintModeDuplexBlock
                       : (second & kSecondByteStaple) != 0  ? kPrintModeStapled
                                                            : kPrintModeFinishing;
    }
    EnableControls(r, {{kPrintModeStandardRadio, kPrintModeStandardRadio}}, finisherFree);
    Validate(r);

    LPCWSTR form = EffectiveForm(b);
    const bool lowAllowed = finisher && (IsDriverForm(r.model, form) || EffectiveWidth(b) >= kMinFinishingWidth) &&
                            !NameIs(form, u"A5");
    if (lowAllowed) RestoreBits(b->CoverFlags, b->SavedCoverFlags, kOutputLowByte);
    EnableControls(r, {{kOutputPositionLeftRadio, kOutputPositionLeftRadio}}, lowAllowed);
    Validate(r);

    form = EffectiveForm(b);
    if (IsPostcard(form)) {
        EnableControls(r, {{kOutputPositionNoneRadio, kOutputPositionRightRadio}}, false);
    } else {
        RestoreBits(b->CoverFlags, b->SavedCoverFlags, kOutputLowByte);
    }
    Validate(r);
}

void DuplexRule(Resolver& r) {
    DriverDevMode* b = r.block;
    const bool unit = r.status == nullptr || DeviceInstalled(b, kSlotDuplex);
    const bool allowed = unit && !IsPostcard(EffectiveForm(b)) && b->SourceMediaValue < kMediaThick &&
                         !SourceIs(b, r.manualSlot) && (SecondByte(b->CoverFlags) & kSecondByteDuplexBlock) == 0;
    RestoreOrKeep(allowed, b->Public.dmDuplex, b->SavedDuplex, r.before.Public.dmDuplex);
    Validate(r);
    EnableControls(r, {{kDuplexGroup, kDuplexShortEdgeRadio}}, allowed);
    EnableItems(r, {kDuplexTreeItem}, allowed);
}

}  // namespace

void ApplyOutputRules(Resolver& r) {
    BindingRule(r);
    MediaRule(r);
    PrintModeRule(r);
    FinishingRule(r);
    DuplexRule(r);
}

}  // namespace constraints
