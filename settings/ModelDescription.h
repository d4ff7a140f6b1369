#pragma once
// The compiled model description: a position-independent image of the printer's data file.
// A 196-byte header of 49 u32 values, then 4-byte-aligned records and UTF-16 strings, every
// string addressed by its byte offset from the image start. The cache file holds exactly
// these bytes, so the layout is the same on x86 and x64.
#include <cstddef>

#include "platform/WinTypes.h"

struct ModelDescription {
    DWORD TotalSize;            // +0
    DWORD Version;              // +4   *Version
    DWORD FriendlyName;         // +8   offset of the string
    DWORD PrinterName;          // +12
    DWORD PPM;                  // +16
    DWORD PrivateID;            // +20
    DWORD DefaultLocalDay;      // +24  YYYYMMDD
    DWORD DefaultLocalTime;     // +28
    DWORD Flags;                // +32
    DWORD PresetFlags;          // +36
    DWORD Reserved40;           // +40  always 0
    DWORD MemorySizeCount;      // +44
    DWORD MemorySizeOffset;     // +48
    DWORD DefaultMemorySize;    // +52  offset of the single record
    DWORD SupportFeatureCount;  // +56
    DWORD SupportFeatureOffset; // +60
    DWORD ResolutionCount;      // +64
    DWORD ResolutionOffset;     // +68
    DWORD DefaultResolution;    // +72
    DWORD InputSlotCount;       // +76
    DWORD InputSlotOffset;      // +80
    DWORD DefaultInputSlot;     // +84  offset of the single record
    DWORD InputDeviceCount;     // +88
    DWORD InputDeviceOffset;    // +92
    DWORD OptionDeviceCount;    // +96
    DWORD OptionDeviceOffset;   // +100
    DWORD FormDeviceCount;      // +104
    DWORD FormDeviceOffset;     // +108
    DWORD MaxFormWidth;         // +112
    DWORD MaxFormLength;        // +116
    DWORD MinFormWidth;         // +120
    DWORD MinFormLength;        // +124
    DWORD FormPortCount;        // +128
    DWORD FormPortOffset;       // +132
    DWORD FormLandCount;        // +136
    DWORD FormLandOffset;       // +140
    DWORD FormPortCompatibleCount;   // +144
    DWORD FormPortCompatibleOffset;  // +148
    DWORD FormLandCompatibleCount;   // +152
    DWORD FormLandCompatibleOffset;  // +156
    DWORD DefaultForm;          // +160 offset of the single record
    DWORD ApplicationCount;     // +164
    DWORD ApplicationOffset;    // +168
    DWORD AdvFuncSwitch;        // +172
    DWORD DefaultPatternScale;  // +176
    DWORD LinePatternScale1200; // +180
    DWORD LinePatternScale600;  // +184
    DWORD LinePatternScale400;  // +188
    DWORD LinePatternScale240;  // +192
};

inline constexpr DWORD kModelHeaderSize = 196;

/// {name offset, value}: *SupportFeature, *InputSlot, *InputDevice, *OptionDevice,
/// *FormDevice, *Application and the *DefaultInputSlot record.
struct ModelNamedValue {
    DWORD NameOffset;
    DWORD Value;
};

/// *Resolution: {value 1, name 1 offset, value 2, name 2 offset, value 3}.
struct ModelResolution {
    DWORD Value1;
    DWORD Name1Offset;
    DWORD Value2;
    DWORD Name2Offset;
    DWORD Value3;
};

/// *MemorySize and *DefaultMemorySize: seven values, the first the memory size.
struct ModelMemory {
    DWORD Values[7];
};

/// Forms (*DefaultForm, *FormPort, *FormLand, *FormPortCompatible, *FormLandCompatible), in
/// thousandths of a millimetre.
struct ModelForm {
    DWORD Value0;
    DWORD NameOffset;
    DWORD Width;
    DWORD Length;
    DWORD PrintableLeft;
    DWORD PrintableTop;
    DWORD PrintableRight;
    DWORD PrintableBottom;
};

static_assert(sizeof(ModelDescription) == kModelHeaderSize);
static_assert(offsetof(ModelDescription, DefaultResolution) == 72);
static_assert(offsetof(ModelDescription, InputSlotCount) == 76);
static_assert(offsetof(ModelDescription, DefaultInputSlot) == 84);
static_assert(offsetof(ModelDescription, MaxFormWidth) == 112);
static_assert(offsetof(ModelDescription, FormPortCount) == 128);
static_assert(offsetof(ModelDescription, DefaultForm) == 160);
static_assert(offsetof(ModelDescription, ApplicationCount) == 164);
static_assert(offsetof(ModelDescription, LinePatternScale240) == 192);
static_assert(sizeof(ModelNamedValue) == 8);
static_assert(sizeof(ModelResolution) == 20);
static_assert(sizeof(ModelMemory) == 28);
static_assert(sizeof(ModelForm) == 32);

// List capacities.
inline constexpr DWORD kModelMaxSupportFeature = 16;
inline constexpr DWORD kModelMaxMemorySize = 16;
inline constexpr DWORD kModelMaxResolution = 16;
inline constexpr DWORD kModelMaxInputSlot = 16;
inline constexpr DWORD kModelMaxDevice = 32;   // input, option and form devices
inline constexpr DWORD kModelMaxForm = 45;     // each of the four form lists
inline constexpr DWORD kModelMaxApplication = 64;

// Bounded access to an image that IsModelImageConsistent accepted. Every accessor returns
// NULL (or an empty span) rather than reading outside the image.

/// Checks the whole image before use: size, every count against its capacity, every list
/// and single record inside the image, every string offset inside the image with its
/// terminator before the end, record offsets 4-byte aligned after the header. The image
/// itself must be 4-byte aligned (as GlobalAlloc blocks are). A cache file that fails this
/// is recompiled.
[[nodiscard]] bool IsModelImageConsistent(const BYTE* image, size_t cbImage);

/// The string at offset, or u"" when the offset is 0 or outside the image.
LPCWSTR ModelString(const ModelDescription* model, DWORD offset);

template <typename Record>
[[nodiscard]] const Record* ModelList(const ModelDescription* model, DWORD offset, DWORD count) {
    if (count == 0 || offset > model->TotalSize || (model->TotalSize - offset) / sizeof(Record) < count) return nullptr;
    return reinterpret_cast<const Record*>(reinterpret_cast<const BYTE*>(model) + offset);
}

/// The single records are present only when the image has room for them where the header
/// says (a missing record's offset points where it would have been, so the next list's
/// records or the image end would be read instead): NULL when absent.
[[nodiscard]] const ModelForm* ModelDefaultForm(const ModelDescription* model);
[[nodiscard]] const ModelNamedValue* ModelDefaultInputSlot(const ModelDescription* model);
[[nodiscard]] const ModelMemory* ModelDefaultMemory(const ModelDescription* model);
