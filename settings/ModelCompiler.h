#pragma once
// The model description compiler: the printer's UTF-16LE data file into a ModelDescription.
#include "platform/WinTypes.h"
#include "settings/ModelDescription.h"

struct ModelKeyword {
    LPCWSTR Keyword;  // NULL ends the table
    DWORD Id;
};
/// The 33 keywords of the data file with their ids (1 to 35 without 28 and 29).
extern const ModelKeyword kModelKeywordTable[34];

inline constexpr int kModelLineChars = 160;          // line buffer, 159 characters used
inline constexpr int kModelKeywordChars = 80;        // 79 characters and the terminator
inline constexpr int kModelNameChars = 128;          // *FriendlyName and *PrinterName
inline constexpr int kModelStringChars = 80;         // every other string

/// Read state over the mapped data file.
struct ModelParseContext {
    const BYTE* View;         // the mapped file
    const BYTE* Cursor;       // next unread byte
    DWORD BytesLeft;
    WCHAR Line[kModelLineChars];
    int LineLength;
    int LinePos;              // cursor into Line
    BOOL EndOfData;
};

/// A parsed string: its text (always terminated) and its byte length with the terminator
/// (0 when the keyword never appeared).
template <int Chars>
struct ModelWorkText {
    WCHAR Text[Chars];
    DWORD cb;
};
using ModelWorkString = ModelWorkText<kModelStringChars>;

struct ModelWorkNamed {
    ModelWorkString Name;
    DWORD Value;
};
struct ModelWorkResolution {
    DWORD Value1;
    ModelWorkString Name1;
    DWORD Value2;
    ModelWorkString Name2;
    DWORD Value3;
};
struct ModelWorkForm {
    ModelWorkString Name;
    DWORD Values[6];  // width, length, printable left, top, right, bottom
};
template <typename Record, DWORD Capacity>
struct ModelWorkList {
    static constexpr DWORD kCapacity = Capacity;
    DWORD Count;
    Record Items[Capacity];
};

/// Parsed values before packing: zero-filled by the compiler, filled by ParseModelKeywords.
/// The single records carry a flag because an absent one takes no room in the image.
struct ModelWorkArea {
    ModelWorkText<kModelNameChars> FriendlyName;
    ModelWorkText<kModelNameChars> PrinterName;
    BOOL HasDefaultMemory;
    ModelMemory DefaultMemory;
    ModelWorkList<ModelMemory, kModelMaxMemorySize> Memory;
    ModelWorkList<ModelWorkNamed, kModelMaxSupportFeature> SupportFeature;
    ModelWorkList<ModelWorkResolution, kModelMaxResolution> Resolution;
    BOOL HasDefaultInputSlot;
    ModelWorkNamed DefaultInputSlot;
    ModelWorkList<ModelWorkNamed, kModelMaxInputSlot> InputSlot;
    ModelWorkList<ModelWorkNamed, kModelMaxDevice> InputDevice;
    ModelWorkList<ModelWorkNamed, kModelMaxDevice> OptionDevice;
    ModelWorkList<ModelWorkNamed, kModelMaxDevice> FormDevice;
    BOOL HasDefaultForm;
    ModelWorkForm DefaultForm;
    ModelWorkList<ModelWorkForm, kModelMaxForm> FormPort;
    ModelWorkList<ModelWorkForm, kModelMaxForm> FormLand;
    ModelWorkList<ModelWorkForm, kModelMaxForm> FormPortCompatible;
    ModelWorkList<ModelWorkForm, kModelMaxForm> FormLandCompatible;
    ModelWorkList<ModelWorkNamed, kModelMaxApplication> Application;
};

/// Returns a GlobalAlloc image the caller frees, or NULL (file missing or unmappable,
/// memory exhausted).
[[nodiscard]] ModelDescription* CompileModelDescription(LPCWSTR dataFilePath);
/// The same over bytes already in memory (the mapped file); never reads past cbView.
[[nodiscard]] ModelDescription* CompileModelDescriptionFromView(const BYTE* view, DWORD cbView);

/// Reads every keyword line: single values into the header, strings, lists and single
/// records into the work area.
void ParseModelKeywords(ModelDescription* header, ModelWorkArea* work, ModelParseContext* context);
/// The packed image's size; PackModelDescription writes exactly this many bytes.
DWORD ComputeModelImageSize(const ModelDescription* header, const ModelWorkArea* work);
/// Writes the records and strings after the header the caller copied to the image's start
/// (an image of ComputeModelImageSize bytes), then the counts, offsets and total size.
void PackModelDescription(BYTE* image, const ModelWorkArea* work);

/// Lexical readers. ReadModelLine: the next non-empty line into context->Line; 1 at end of
/// data, else 0. ReadModelKeyword: -1 at end of data, 0 for an unknown word, else the id.
/// ReadModelString: characters stored plus one. Decimal and hex: the value, 0 when no number
/// stands there.
[[nodiscard]] int ReadModelLine(ModelParseContext* context);
void SkipModelBlanks(ModelParseContext* context);
[[nodiscard]] int ReadModelKeyword(ModelParseContext* context);
[[nodiscard]] int ReadModelString(ModelParseContext* context, LPWSTR out, int cchOut);
LONG ReadModelDecimal(ModelParseContext* context);
DWORD ReadModelHex(ModelParseContext* context);
