#pragma once
// The spooler's printer, driver, form and printer-data calls, over the stand-in's printer
// database (set up by a host or test through platform/StandIn.h).
#include "platform/DevMode.h"
#include "platform/WinTypes.h"

#define PRINTER_ACCESS_ADMINISTER 0x00000004u
#define PRINTER_ACCESS_USE 0x00000008u
#define PRINTER_ALL_ACCESS 0x000F000Cu
#define PRINTER_ATTRIBUTE_QUEUED 0x00000001u
#define PRINTER_ATTRIBUTE_DIRECT 0x00000002u
#define PRINTER_ATTRIBUTE_DEFAULT 0x00000004u
#define PRINTER_ATTRIBUTE_SHARED 0x00000008u
#define PRINTER_ATTRIBUTE_LOCAL 0x00000040u
#define PRINTER_ATTRIBUTE_ENABLE_BIDI 0x00000800u
#define PRINTER_ATTRIBUTE_RAW_ONLY 0x00001000u

#define PRINTER_ENUM_LOCAL 0x00000002u

#define PRINTER_CONTROL_PAUSE 1u
#define PRINTER_CONTROL_RESUME 2u
#define PRINTER_STATUS_PAUSED 0x00000001u

// Errors of the job calls.
#define ERROR_INVALID_DATATYPE 1804u
#define ERROR_INVALID_PRINTER_STATE 1906u
#define ERROR_SPL_NO_STARTDOC 3004u

#define FORM_USER 0x00000000u
#define FORM_BUILTIN 0x00000001u
#define FORM_PRINTER 0x00000002u

struct PRINTER_DEFAULTSW {
    LPWSTR pDatatype;
    LPDEVMODEW pDevMode;
    DWORD DesiredAccess;
};

struct PRINTER_INFO_1W {
    DWORD Flags;
    LPWSTR pDescription;
    LPWSTR pName;
    LPWSTR pComment;
};

struct PRINTER_INFO_2W {
    LPWSTR pServerName;
    LPWSTR pPrinterName;
    LPWSTR pShareName;
    LPWSTR pPortName;
    LPWSTR pDriverName;
    LPWSTR pComment;
    LPWSTR pLocation;
    LPDEVMODEW pDevMode;
    LPWSTR pSepFile;
    LPWSTR pPrintProcessor;
    LPWSTR pDatatype;
    LPWSTR pParameters;
    LPVOID pSecurityDescriptor;
    DWORD Attributes;
    DWORD Priority;
    DWORD DefaultPriority;
    DWORD StartTime;
    DWORD UntilTime;
    DWORD Status;
    DWORD cJobs;
    DWORD AveragePPM;
};

struct PRINTER_INFO_5W {
    LPWSTR pPrinterName;
    LPWSTR pPortName;
    DWORD Attributes;
    DWORD DeviceNotSelectedTimeout;
    DWORD TransmissionRetryTimeout;
};

struct DRIVER_INFO_2W {
    DWORD cVersion;
    LPWSTR pName;
    LPWSTR pEnvironment;
    LPWSTR pDriverPath;
    LPWSTR pDataFile;
    LPWSTR pConfigFile;
};

struct DRIVER_INFO_3W {
    DWORD cVersion;
    LPWSTR pName;
    LPWSTR pEnvironment;
    LPWSTR pDriverPath;
    LPWSTR pDataFile;
    LPWSTR pConfigFile;
    LPWSTR pHelpFile;
    LPWSTR pDependentFiles;
    LPWSTR pMonitorName;
    LPWSTR pDefaultDataType;
};

struct DOC_INFO_1W {
    LPWSTR pDocName;
    LPWSTR pOutputFile;  // NULL: the job goes to the printer's spool
    LPWSTR pDatatype;    // NULL or "RAW"
};

struct FORM_INFO_1W {
    DWORD Flags;
    LPWSTR pName;
    SIZEL Size;
    RECTL ImageableArea;
};
// The platform's record size differs by build: 32 bytes on x86, 40 on x64.
static_assert(sizeof(FORM_INFO_1W) == (sizeof(void*) == 8 ? 40 : 32));

/// name NULL opens the local print server. Unknown printer: ERROR_INVALID_PRINTER_NAME.
PLATFORM_API_NODISCARD BOOL OpenPrinterW(LPWSTR name, HANDLE* printer, PRINTER_DEFAULTSW* defaults);
PLATFORM_API BOOL ClosePrinter(HANDLE printer);
/// The configuration of a port opened as ",XcvPort <port>": "IPAddress" gives the address the
/// standard TCP/IP port monitor keeps for it (UTF-16). TRUE when the call reached the port's
/// configuration; its own answer is *status (ERROR_INSUFFICIENT_BUFFER with the size in
/// *cbOutputNeeded, ERROR_FILE_NOT_FOUND without an address, ERROR_INVALID_PARAMETER for
/// another data name).
PLATFORM_API BOOL XcvDataW(HANDLE xcv, LPCWSTR dataName, PBYTE input, DWORD cbInput, PBYTE output, DWORD cbOutput,
                           LPDWORD cbOutputNeeded, LPDWORD status);
/// Levels 1, 2 and 5 (strings and the DEVMODE packed after the record in the same buffer).
/// A buffer too small fails with ERROR_INSUFFICIENT_BUFFER and the size in *cbNeeded.
PLATFORM_API BOOL GetPrinterW(HANDLE printer, DWORD level, LPBYTE buffer, DWORD cbBuffer, LPDWORD cbNeeded);
/// The local printers (Flags PRINTER_ENUM_LOCAL, Name NULL) at levels 1, 2 and 5: the records
/// first, in the order the printers were added, their strings after them. A buffer too small
/// fails with ERROR_INSUFFICIENT_BUFFER and the size in *pcbNeeded; other flags or a server
/// name: ERROR_INVALID_PARAMETER; another level: ERROR_INVALID_LEVEL.
PLATFORM_API BOOL EnumPrintersW(DWORD Flags, LPWSTR Name, DWORD Level, LPBYTE pPrinterEnum, DWORD cbBuf,
                                LPDWORD pcbNeeded, LPDWORD pcReturned);
/// Level 2 (command 0) replaces the printer's DEVMODE and attributes; level 0 with
/// PRINTER_CONTROL_PAUSE or PRINTER_CONTROL_RESUME (info NULL) pauses or resumes it, which
/// PRINTER_INFO_2W's Status shows (PRINTER_STATUS_PAUSED). Both need PRINTER_ACCESS_ADMINISTER.
PLATFORM_API BOOL SetPrinterW(HANDLE printer, DWORD level, LPBYTE info, DWORD command);
/// Levels 2 and 3 of the printer's driver (environment NULL: the default one).
PLATFORM_API BOOL GetPrinterDriverW(HANDLE printer, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD cbBuffer,
                                    LPDWORD cbNeeded);
/// Level 1; names are packed after the records. A buffer too small: ERROR_INSUFFICIENT_BUFFER.
PLATFORM_API BOOL EnumFormsW(HANDLE printer, DWORD level, LPBYTE buffer, DWORD cbBuffer, LPDWORD cbNeeded,
                             LPDWORD returned);
PLATFORM_API BOOL AddFormW(HANDLE printer, DWORD level, LPBYTE form);
PLATFORM_API BOOL DeleteFormW(HANDLE printer, LPWSTR formName);
/// Results: ERROR_SUCCESS; ERROR_FILE_NOT_FOUND (2) for a missing value; ERROR_MORE_DATA (234)
/// with the size in *cbNeeded when cbData is smaller than the value.
PLATFORM_API DWORD GetPrinterDataW(HANDLE printer, LPWSTR name, LPDWORD type, LPBYTE data, DWORD cbData,
                                   LPDWORD cbNeeded);
/// Needs PRINTER_ACCESS_ADMINISTER on the handle, else ERROR_ACCESS_DENIED.
PLATFORM_API DWORD SetPrinterDataW(HANDLE printer, LPWSTR name, DWORD type, LPBYTE data, DWORD cbData);
PLATFORM_API DWORD SetPrinterDataExW(HANDLE printer, LPCWSTR key, LPCWSTR name, DWORD type, LPBYTE data,
                                     DWORD cbData);
PLATFORM_API DWORD GetPrinterDataExW(HANDLE printer, LPCWSTR key, LPCWSTR name, LPDWORD type, LPBYTE data,
                                     DWORD cbData, LPDWORD cbNeeded);
PLATFORM_API DWORD DeletePrinterDataW(HANDLE printer, LPWSTR name);

// --- Jobs ---
// A handle carries at most one document at a time; the job's bytes go to a spool file below
// the stand-in's root (standin::JobOutputPath), or to the document's output file when one is
// named. Closing the handle ends its document as EndDocPrinter would.

/// Level 1 only. Returns the new job's id (counting up from 1 across the spooler), or 0 with
/// the last error: ERROR_INVALID_LEVEL, ERROR_INVALID_DATATYPE (a datatype other than RAW),
/// ERROR_INVALID_PRINTER_STATE (a document is already started on the handle).
PLATFORM_API DWORD StartDocPrinterW(HANDLE printer, DWORD level, LPBYTE docInfo);
/// Both fail with ERROR_SPL_NO_STARTDOC when the handle has no document.
PLATFORM_API BOOL StartPagePrinter(HANDLE printer);
PLATFORM_API BOOL EndPagePrinter(HANDLE printer);
/// Appends to the handle's document. *cbWritten is set on every call that has it (0 on
/// failure); no document: ERROR_SPL_NO_STARTDOC.
PLATFORM_API BOOL WritePrinter(HANDLE printer, LPVOID buffer, DWORD cbBuffer, LPDWORD cbWritten);
/// Ends the document; the job stays readable through the stand-in's controls.
PLATFORM_API BOOL EndDocPrinter(HANDLE printer);
/// Ends the document and discards what was written.
PLATFORM_API BOOL AbortPrinter(HANDLE printer);
