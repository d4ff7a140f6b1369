#pragma once
// The status window's language: which LANGID a window set uses, and its language library
// "QW774%03X.DLL" in the driver's DIRPATH folder, from which texts and dialog templates are read.
// Window thread.
#include "psw/PswRecord.h"
#include "platform/WinTypes.h"

/// One row of the supported languages: primary language and the LANGID used for it.
struct SubLangRow {
    WORD primary;
    WORD language;
};
/// The supported languages in lookup order, ended by a zero row.
extern const SubLangRow SubLang[10];

/// Windows version index from a version record (0 unknown, 1 95, 2 98/Me, 3 NT4, 4 2000,
/// 5 XP, 6 later).
DWORD GetOSIndex(const OSVERSIONINFOW* version);
/// Chooses the record's LANGID and loads its language library (falling back to 1041 once).
/// The record then holds one reference on that library (languageModule), which
/// ReleaseResourceDll gives back; a second call replaces the record's own reference only.
BOOL GetLangID(PSWDATA* record);
/// Loads "<DIRPATH>QW774%03X.DLL" for the record's LANGID; on success the record holds it.
BOOL GetResourceDllHandle(PSWDATA* record, LPCSTR driverName);
/// Gives back the record's reference on its language library (no-op without one).
void ReleaseResourceDll(PSWDATA* record);
/// The LANGID for the running system (no registry choice): user-interface language from
/// version index 4 on, else the system language; mapped through SubLang, else 1033.
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
