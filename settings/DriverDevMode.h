#pragma once
// The settings block: the driver's DEVMODE of 2,208 bytes, the platform's 220-byte DEVMODEW
// followed by the driver's 1,988-byte private part. The spooler stores it with printers and
// jobs and applications hand it around, so every offset is fixed and the same on x86 and
// x64. Integers little-endian; wide fields hold NUL-terminated UTF-16, char fields
// NUL-terminated text in the ANSI code page.
//
// Other names for the same bytes, as the user-interface code knows them:
//   offset  here                 there
//   368     OverlayStatus        OverlayErrorWord
//   396     FeatureFlags         OptionFlags
//   400     OptionFlags          DataFlags
//   416     OutputPaperSize      OutputPaperIndex
//   486     LayoutScale          ScalePercent
//   488     SourceMediaValue     MediaKind
//   490     PrintMode            PrintMode
//   492     PagesPerSheet        LayoutMode
//   494     PageFrame            LayoutOrder   (holds the page-frame option 0..4)
//   496     NupSlotOrder         LayoutFrame   (holds the N-up slot order 0..3)
//   500-512 TopMargin ...        LayoutArea
//   708-909 Saved* (saved copy)  UserChoiceShadow
//   952     CoverFlags           OutputFlags
//   958     DuplexShift          ShiftAmount
//   960     FinishPosition1      FinishPosition1
//   961     FinishPosition2      FinishPosition2
//   962     FeederSetting        FeederSetting
//   963     SplitCounts          SplitCounts
//   984     PageDecorationOption ExtraOption1
//   2203    PageOptionBits       PageOptionBits
//   2204    OutputDestination    OutputDestination
#include <cstddef>

#include "platform/DevMode.h"
#include "platform/WinTypes.h"

inline constexpr WORD kDriverDevModeSize = 2208;
inline constexpr WORD kDevModePublicSize = 220;
inline constexpr WORD kDriverExtraSize = 1988;
inline constexpr WORD kDriverSpecVersion = 0x0401;
inline constexpr WORD kDriverVersion = 0x0100;
inline constexpr char kPrivateSignature[17] = "VRTL Level2 Form";

/// One installed-device slot: high word of the printer-data value DEV_... and the code
/// word chosen from its low word.
struct DeviceSlot {
    WORD State;
    WORD Code;
};

inline constexpr int kDeviceSlotCount = 20;
inline constexpr int kSourceValueCount = 9;

struct DriverDevMode {
    DEVMODEW Public;                       // 0
    WORD OverlayFlags;                     // 220
    char OverlayFolder[128];               // 222
    char OverlayName[14];                  // 350
    WORD Word364;                          // 364: default 1, carried unchanged; nothing here reads it
    BYTE Byte366;                          // 366: default 0, carried unchanged; nothing here reads it
    BYTE Byte367;                          // 367: default 0, carried unchanged; nothing here reads it
    DWORD OverlayStatus;                   // 368
    char Signature[17];                    // 372
    BYTE Reserved389[3];                   // 389
    DWORD PrivateID;                       // 392
    DWORD FeatureFlags;                    // 396
    DWORD OptionFlags;                     // 400
    DWORD Dword404;                        // 404: default 0, carried unchanged; nothing here reads it
    DWORD Dword408;                        // 408: default 0, carried unchanged; nothing here reads it
    WORD CategoryIndex;                    // 412
    SHORT PresetIndex;                     // 414
    WORD OutputPaperSize;                  // 416
    SHORT OutputPaperLength;               // 418
    SHORT OutputPaperWidth;                // 420
    WCHAR OutputPaperName[32];             // 422
    WORD LayoutScale;                      // 486
    WORD SourceMediaValue;                 // 488
    WORD PrintMode;                        // 490
    WORD PagesPerSheet;                    // 492
    WORD PageFrame;                        // 494
    WORD NupSlotOrder;                     // 496
    WORD Word498;                          // 498: default 3, carried unchanged; nothing here reads it
    LONG TopMargin;                        // 500
    LONG LeftMargin;                       // 504
    LONG TopMarginEven;                    // 508
    LONG LeftMarginEven;                   // 512
    WORD Word516;                          // 516: default 1, carried unchanged; nothing here reads it
    WORD Word518;                          // 518: default 1, carried unchanged; nothing here reads it
    WORD Word520;                          // 520: default 1, carried unchanged; nothing here reads it
    WCHAR ComputerName[16];                // 522
    WCHAR UserName1[17];                   // 554
    WCHAR UserName2[18];                   // 588
    DWORD InstalledMemory;                 // 624
    DeviceSlot DeviceSlots[kDeviceSlotCount];  // 628
    // Saved copy of the values as last checked (SavedPaperSize to SavedNupOrder).
    SHORT SavedPaperSize;                  // 708
    SHORT SavedPaperLength;                // 710
    SHORT SavedPaperWidth;                 // 712
    WCHAR SavedFormName[32];               // 714
    SHORT SavedOrientation;                // 778
    SHORT SavedDefaultSource;              // 780
    SHORT SavedDuplex;                     // 782
    WORD SavedOverlayFlags;                // 784
    WORD Reserved786;                      // 786
    DWORD SavedFeatureFlags;               // 788
    DWORD SavedOptionFlags;                // 792
    WORD SavedOutputPaperSize;             // 796
    SHORT SavedOutputPaperLength;          // 798
    SHORT SavedOutputPaperWidth;           // 800
    WCHAR SavedOutputPaperName[32];        // 802
    WORD SavedLayoutScale;                 // 866
    WORD SavedSourceMediaValue;            // 868
    WORD SavedPrintMode;                   // 870
    WORD SavedPagesPerSheet;               // 872
    WORD SavedPageFrame;                   // 874
    WORD SavedNupSlotOrder;                // 876
    BYTE Reserved878[18];                  // 878
    DWORD SavedCoverFlags;                 // 896
    BYTE SavedSourceGroupA;                // 900
    BYTE SavedSourceGroupB;                // 901
    WORD SavedDuplexShift;                 // 902
    BYTE SavedFinishPosition1;             // 904
    BYTE SavedFinishPosition2;             // 905
    BYTE SavedFeederSetting;               // 906
    BYTE SavedNupDown;                     // 907
    BYTE SavedNupAcross;                   // 908
    BYTE SavedNupOrder;                    // 909
    BYTE Reserved910[6];                   // 910
    DWORD LogControl;                      // 916
    DWORD LogSizeLimit;                    // 920
    WORD Word924;                          // 924: default 130, carried unchanged; nothing here reads it
    WORD Word926;                          // 926: default 100, carried unchanged; nothing here reads it
    COLORADJUSTMENT ColorAdjustment;       // 928
    DWORD CoverFlags;                      // 952
    BYTE SourceGroupA;                     // 956
    BYTE SourceGroupB;                     // 957
    WORD DuplexShift;                      // 958
    BYTE FinishPosition1;                  // 960: first finishing position, 0 = none
    BYTE FinishPosition2;                  // 961: second finishing position, 0 = none
    BYTE FeederSetting;                    // 962: 1 to 6, default 1; set by the user interface
    BYTE SplitCounts;                      // 963
    WORD SourceValues[kSourceValueCount];  // 964
    WORD Reserved982;                      // 982
    // 984: a page-decoration switch (0 or 1) set by the user interface; the renderer copies
    // it into the device state with PageStampSwitch and reads it nowhere else.
    DWORD PageDecorationOption;            // 984
    DWORD PageStampSwitch;                 // 988
    DWORD PageStampSelector;               // 992
    WCHAR PageStampText[66];               // 996
    DWORD PageStampPosition;               // 1128
    WCHAR PageStampUserName[21];           // 1132
    WORD RelaydockFlags;                   // 1174
    WCHAR JobFolder[256];                  // 1176
    WCHAR JobFileName[256];                // 1688
    BYTE NupDown;                          // 2200
    BYTE NupAcross;                        // 2201
    BYTE NupOrder;                         // 2202
    BYTE PageOptionBits;                   // 2203
    WORD OutputDestination;                // 2204
    WORD Reserved2206;                     // 2206
};

static_assert(sizeof(DriverDevMode) == kDriverDevModeSize);
static_assert(offsetof(DriverDevMode, OverlayFlags) == 220);
static_assert(offsetof(DriverDevMode, OverlayFolder) == 222);
static_assert(offsetof(DriverDevMode, OverlayName) == 350);
static_assert(offsetof(DriverDevMode, Word364) == 364);
static_assert(offsetof(DriverDevMode, OverlayStatus) == 368);
static_assert(offsetof(DriverDevMode, Signature) == 372);
static_assert(offsetof(DriverDevMode, PrivateID) == 392);
static_assert(offsetof(DriverDevMode, FeatureFlags) == 396);
static_assert(offsetof(DriverDevMode, OptionFlags) == 400);
static_assert(offsetof(DriverDevMode, CategoryIndex) == 412);
static_assert(offsetof(DriverDevMode, PresetIndex) == 414);
static_assert(offsetof(DriverDevMode, OutputPaperSize) == 416);
static_assert(offsetof(DriverDevMode, OutputPaperName) == 422);
static_assert(offsetof(DriverDevMode, LayoutScale) == 486);
static_assert(offsetof(DriverDevMode, PagesPerSheet) == 492);
static_assert(offsetof(DriverDevMode, PageFrame) == 494);
static_assert(offsetof(DriverDevMode, NupSlotOrder) == 496);
static_assert(offsetof(DriverDevMode, TopMargin) == 500);
static_assert(offsetof(DriverDevMode, LeftMarginEven) == 512);
static_assert(offsetof(DriverDevMode, Word516) == 516);
static_assert(offsetof(DriverDevMode, ComputerName) == 522);
static_assert(offsetof(DriverDevMode, UserName1) == 554);
static_assert(offsetof(DriverDevMode, UserName2) == 588);
static_assert(offsetof(DriverDevMode, InstalledMemory) == 624);
static_assert(offsetof(DriverDevMode, DeviceSlots) == 628);
static_assert(offsetof(DriverDevMode, SavedPaperSize) == 708);
static_assert(offsetof(DriverDevMode, SavedFormName) == 714);
static_assert(offsetof(DriverDevMode, SavedOrientation) == 778);
static_assert(offsetof(DriverDevMode, SavedOverlayFlags) == 784);
static_assert(offsetof(DriverDevMode, SavedFeatureFlags) == 788);
static_assert(offsetof(DriverDevMode, SavedOptionFlags) == 792);
static_assert(offsetof(DriverDevMode, SavedOutputPaperSize) == 796);
static_assert(offsetof(DriverDevMode, SavedOutputPaperName) == 802);
static_assert(offsetof(DriverDevMode, SavedLayoutScale) == 866);
static_assert(offsetof(DriverDevMode, SavedSourceMediaValue) == 868);
static_assert(offsetof(DriverDevMode, SavedPagesPerSheet) == 872);
static_assert(offsetof(DriverDevMode, SavedNupSlotOrder) == 876);
static_assert(offsetof(DriverDevMode, SavedCoverFlags) == 896);
static_assert(offsetof(DriverDevMode, SavedSourceGroupA) == 900);
static_assert(offsetof(DriverDevMode, SavedDuplexShift) == 902);
static_assert(offsetof(DriverDevMode, SavedFinishPosition1) == 904);
static_assert(offsetof(DriverDevMode, SavedNupDown) == 907);
static_assert(offsetof(DriverDevMode, SavedNupOrder) == 909);
static_assert(offsetof(DriverDevMode, LogControl) == 916);
static_assert(offsetof(DriverDevMode, LogSizeLimit) == 920);
static_assert(offsetof(DriverDevMode, Word924) == 924);
static_assert(offsetof(DriverDevMode, ColorAdjustment) == 928);
static_assert(offsetof(DriverDevMode, CoverFlags) == 952);
static_assert(offsetof(DriverDevMode, SourceGroupA) == 956);
static_assert(offsetof(DriverDevMode, DuplexShift) == 958);
static_assert(offsetof(DriverDevMode, FinishPosition1) == 960);
static_assert(offsetof(DriverDevMode, SplitCounts) == 963);
static_assert(offsetof(DriverDevMode, SourceValues) == 964);
static_assert(offsetof(DriverDevMode, PageDecorationOption) == 984);
static_assert(offsetof(DriverDevMode, PageStampSwitch) == 988);
static_assert(offsetof(DriverDevMode, PageStampSelector) == 992);
static_assert(offsetof(DriverDevMode, PageStampText) == 996);
static_assert(offsetof(DriverDevMode, PageStampPosition) == 1128);
static_assert(offsetof(DriverDevMode, PageStampUserName) == 1132);
static_assert(offsetof(DriverDevMode, RelaydockFlags) == 1174);
static_assert(offsetof(DriverDevMode, JobFolder) == 1176);
static_assert(offsetof(DriverDevMode, JobFileName) == 1688);
static_assert(offsetof(DriverDevMode, NupDown) == 2200);
static_assert(offsetof(DriverDevMode, PageOptionBits) == 2203);
static_assert(offsetof(DriverDevMode, OutputDestination) == 2204);

// FeatureFlags bits named by the settings code.
inline constexpr DWORD kFeatureGraphicsOnly = 1u << 11;
inline constexpr DWORD kFeatureDefaults = 0x162114C4u;
// OptionFlags bits.
inline constexpr DWORD kOptionBuiltinTTSubst = 1u << 0;
inline constexpr DWORD kOptionNoOutPaperTable = 1u << 1;
inline constexpr DWORD kOptionCompatibleMargin = 1u << 9;
inline constexpr DWORD kOptionNupMargins = 1u << 24;
inline constexpr DWORD kOptionPagesPerSheetMargins = 1u << 25;
inline constexpr DWORD kOptionDefaults = 0x00030003u;
// OverlayFlags bits.
inline constexpr WORD kOverlayOn = 1u << 0;
inline constexpr WORD kOverlayChecked = 1u << 3;
// OverlayStatus bits set by the form-file path routine.
inline constexpr DWORD kOverlayNoName = 0x20000u;
inline constexpr DWORD kOverlayNoFolder = 0x80000u;
// LogControl bits.
inline constexpr DWORD kLogOn = 1u << 31;
// RelaydockFlags bits.
inline constexpr WORD kRelaydockFileMode = 1u << 0;
inline constexpr WORD kRelaydockStartHelper = 1u << 1;
inline constexpr WORD kRelaydockOwnFolder = 1u << 4;
inline constexpr WORD kRelaydockOwnFileName = 1u << 5;

/// The settings block seen as bytes (for code that works by offset).
inline BYTE* BlockBytes(DriverDevMode* block) { return reinterpret_cast<BYTE*>(block); }
inline const BYTE* BlockBytes(const DriverDevMode* block) { return reinterpret_cast<const BYTE*>(block); }
