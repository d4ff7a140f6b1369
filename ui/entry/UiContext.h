#pragma once
// The record every property sheet of the driver and the no-UI document path work on: the
// printer, the language library, the usable forms, four whole settings blocks and the last
// printer status, in a pool of blocks that dies with it.
#include "platform/PropSheet.h"
#include "platform/WinTypes.h"
#include "settings/DriverDevMode.h"
#include "settings/MemoryPool.h"
#include "settings/ModelDescription.h"
#include "settings/PrinterData.h"

inline constexpr DWORD kUiContextMagic = 0x19710104u;

// UiContext flags.
inline constexpr DWORD kUiMayChange = 0x1;        // controls enabled
inline constexpr DWORD kUiMayWriteData = 0x2;     // the DAT_Permission probe succeeded
inline constexpr DWORD kUiDeviceSheet = 0x10;
inline constexpr DWORD kUiDocumentSheet = 0x20;
inline constexpr DWORD kUiAdvancedSheet = 0x40;

inline constexpr size_t kUiNameChars = 32;        // a form name slot
inline constexpr size_t kUiPathChars = 260;
inline constexpr size_t kUiUserChars = 22;

/// The pool of a sheet: an anchor that holds the chain of zero-filled blocks (pointer-sized
/// link, aligned data). Destroying it frees every block, the context included.
struct UiPool {
    PoolBlock* head;
};
[[nodiscard]] UiPool* UiPoolCreate();
[[nodiscard]] void* UiPoolAlloc(UiPool* pool, SIZE_T cb);
void UiPoolFree(UiPool* pool, void* data);
void UiPoolDestroy(UiPool* pool);

struct FormSize {
    LONG width;   // 0.1 mm
    LONG length;
};

struct UiContext {
    DWORD magic;                    // kUiContextMagic in a sheet context, 0 in the no-UI one
    DWORD flags;                    // kUi*
    UiPool* pool;                   // owns this record and everything the sheet allocates
    HANDLE printer;
    HMODULE languageLibrary;
    HANDLE comPropSheet;
    PFNCOMPROPSHEET comPropSheetFn;
    DWORD locale;                   // 1041 or 1033
    DWORD formCount;
    SHORT* formIndex;               // [formCount]: 1-based position in the spooler's list
    FormSize* formSize;             // [formCount]
    WCHAR (*formName)[kUiNameChars];  // [formCount]
    WCHAR driverPath[kUiPathChars];
    WCHAR helpPath[kUiPathChars];
    WCHAR printerName[kUiPathChars];
    WCHAR userName[kUiUserChars];
    DriverDevMode defaultBlock;
    DriverDevMode workingBlock;
    DriverDevMode scratchBlock;
    DriverDevMode resultBlock;
    PrinterStatusSnapshot status;
    const ModelDescription* model;
};

/// A sheet context for the printer (pdmIn may be NULL); NULL when any piece is missing, the
/// language library included.
[[nodiscard]] UiContext* CreateUiContext(HANDLE printer, const DEVMODEW* pdmIn);
/// The no-UI document context (magic 0): only the working and result blocks are filled.
[[nodiscard]] UiContext* CreateDocumentContext(HANDLE printer, const DEVMODEW* pdmIn);
/// Releases the model description and the language library, then destroys the pool (and so
/// the context).
void ReleaseUiContext(UiContext* context);
/// The context of a sheet when it carries the magic, else NULL.
UiContext* SheetContext(ULONG_PTR userData);

/// The help file of the driver with its language letter set: the character before the last
/// "." of the file name (after the last "\") becomes 'J' under locale 1041, else 'E'. A name
/// without a "." after its first character, a NULL or an over-long path gives the path
/// unchanged (cut to the buffer) or empty.
void MakeHelpPath(LPWSTR out /* kUiPathChars */, LPCWSTR helpFile, DWORD locale);

// The names that go into a settings block pass through the ANSI code page, as the printer
// receives them, and are cut on character boundaries.
inline constexpr size_t kComputerNameChars = 16;   // DriverDevMode::ComputerName
inline constexpr size_t kOwnerFieldChars = 17;     // DriverDevMode::UserName1
inline constexpr size_t kStampUserChars = 21;      // DriverDevMode::PageStampUserName
/// At most 15 characters (30 bytes) of the computer name.
void CopyComputerName(LPWSTR dst /* kComputerNameChars */, LPCWSTR name);
/// At most 20 characters of the user name (through 42 bytes).
void CopyUserName(LPWSTR dst /* kStampUserChars */, LPCWSTR name);
/// The job's 16-byte owner field: the name as it is when it fits 16 bytes, else its first
/// 13 bytes (whole characters) and "..."; empty when the kept bytes hold '"' or '~'.
void SetUserNameField(LPWSTR dst /* kOwnerFieldChars */, LPCWSTR name);
