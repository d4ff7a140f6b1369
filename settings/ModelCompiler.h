#pragma once
// The model description compiler: the printer's UTF-16LE data file into a ModelDescription.
#include "platform/WinTypes.h"
#include "settings/ModelDescription.h"

struct ModelKeyword {
    LPCWSTR Keyword;  // NULL ends the table
    DWORD Id;
};
/// The 33 keywords of the data file with their ids (1 to 35 without 28 and 29).
extern const ModelKeyword ModelKeywordTable[34];

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

struct ModelWorkArea;  // parsed values before packing (ModelCompiler.cpp)

/// Returns a GlobalAlloc image the caller frees, or NULL (file missing or unmappable,
/// memory exhausted).
ModelDescription* CompileModelDescription(LPCWSTR dataFilePath);

/// Lexical readers. ReadModelLine: the next non-empty line into context->Line; 1 at end of
/// data, else 0. ReadModelKeyword: -1 at end of data, 0 for an unknown word, else the id.
/// ReadModelString: characters stored plus one. Decimal and hex: the value, 0 when no number
/// stands there.
int ReadModelLine(ModelParseContext* context);
void SkipModelBlanks(ModelParseContext* context);
int ReadModelKeyword(ModelParseContext* context);
int ReadModelString(ModelParseContext* context, LPWSTR out, int cchOut);
LONG ReadModelDecimal(ModelParseContext* context);
DWORD ReadModelHex(ModelParseContext* context);
