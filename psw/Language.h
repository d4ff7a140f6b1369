#pragma once
// The status window's language: which LANGID a window set uses, and its language library
// "QW774%03X.DLL" in the driver's DIRPATH folder, from which texts and dialog templates are read.
// Window thread.
#include "psw/PswRecord.h"
#include "platform/WinTypes.h"

/// Primary languages (PRIMARYLANGID) of the supported languages.
enum PrimaryLanguage : WORD {
    kPrimaryChinese = 0x04,
    kPrimaryGerman = 0x07,
    kPrimaryEnglish = 0x09,
    kPrimarySpanish = 0x0A,
    kPrimaryFrench = 0x0C,
    kPrimaryItalian = 0x10,
    kPrimaryJapanese = 0x11,
    kPrimaryKorean = 0x12,
};

/// The LANGIDs the window set chooses from (one per SubLang row) and falls back on.
inline constexpr LANGID kLangChineseTraditional = 1028;
inline constexpr LANGID kLangGerman = 1031;
inline constexpr LANGID kLangEnglish = 1033;  // United States: the default
inline constexpr LANGID kLangFrench = 1036;
inline constexpr LANGID kLangItalian = 1040;
inline constexpr LANGID kLangJapanese = 1041;  // the fallback when a library is missing
inline constexpr LANGID kLangKorean = 1042;
inline constexpr LANGID kLangChineseSimplified = 2052;
inline constexpr LANGID kLangSpanish = 3082;  // modern sort

/// Windows versions as GetOSIndex numbers them.
enum OsIndex : DWORD { kOsUnknown = 0, kOs95, kOs98Me, kOsNt4, kOs2000, kOsXp, kOsLater };

/// One row of the supported languages: primary language and the LANGID used for it.
struct SubLangRow {
    WORD primary;
    WORD language;
};
/// The supported languages in lookup order, ended by a zero row.
extern const SubLangRow SubLang[10];

/// The OsIndex of a version record.
DWORD GetOSIndex(const OSVERSIONINFOW* version);
/// Chooses the record's LANGID and loads its language library (falling back to kLangJapanese
/// once).
/// The record then holds one reference on that library (languageModule), which
/// ReleaseResourceDll gives back; a second call replaces the record's own reference only.
BOOL GetLangID(PSWDATA* record);
/// Loads "<DIRPATH>QW774%03X.DLL" for the record's LANGID; on success the record holds it.
BOOL GetResourceDllHandle(PSWDATA* record, LPCSTR driverName);
/// Gives back the record's reference on its language library (no-op without one).
void ReleaseResourceDll(PSWDATA* record);
/// The LANGID for the running system (no registry choice): user-interface language from
/// kOs2000 on, else the system language; mapped through SubLang, else kLangEnglish.
LANGID GetLanguageID(DWORD osIndex);
/// The LANGID of the first SubLang row with the same primary language, or 0.
LANGID SubLangOf(LANGID language);
/// Copies string id of that language from a library held by a window set, cut to the
/// buffer (bytes) less one character and terminated; the number of characters, 0 when absent
/// (the buffer is then empty). A NULL buffer or a size below one character gives 0.
int LoadStringEx(LANGID language, UINT id, LPWSTR buffer, DWORD cbBuffer);
/// The dialog template id of that language from a library held by a window set, or NULL.
/// Valid while a window set of that language lives.
const void* LoadDialog(HINSTANCE unused, UINT id, LANGID language);
