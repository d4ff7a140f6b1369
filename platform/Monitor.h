#pragma once
// The spooler's side of port monitors and language monitors: the records a monitor receives
// at initialisation, the MONITOR2 table of entry points, the port list, job control and port
// status. Everything a monitor asks of the spooler is recorded by
// the stand-in so a host or test can read it (platform/StandInMonitor.h).
#include "platform/Spooler.h"
#include "platform/WinTypes.h"

using ACCESS_MASK = DWORD;

// --- Registry functions the spooler lends a monitor (handles are the spooler's own) ---
struct MONITORREG {
    DWORD cbSize;
    LONG (*fpCreateKey)(HANDLE hcKey, LPCWSTR pszSubKey, DWORD dwOptions, ACCESS_MASK samDesired, PVOID security,
                        HANDLE* phckResult, PDWORD pdwDisposition, HANDLE hSpooler);
    LONG (*fpOpenKey)(HANDLE hcKey, LPCWSTR pszSubKey, ACCESS_MASK samDesired, HANDLE* phkResult, HANDLE hSpooler);
    LONG (*fpCloseKey)(HANDLE hcKey, HANDLE hSpooler);
    LONG (*fpDeleteKey)(HANDLE hcKey, LPCWSTR pszSubKey, HANDLE hSpooler);
    LONG (*fpEnumKey)(HANDLE hcKey, DWORD dwIndex, LPWSTR pszName, PDWORD pcchName, FILETIME* lastWrite,
                      HANDLE hSpooler);
    LONG (*fpQueryInfoKey)(HANDLE hcKey, PDWORD pcSubKeys, PDWORD pcbKey, PDWORD pcValues, PDWORD pcbValue,
                           PDWORD pcbData, PDWORD pcbSecurityDescriptor, FILETIME* lastWrite, HANDLE hSpooler);
    LONG (*fpSetValue)(HANDLE hcKey, LPCWSTR pszValue, DWORD dwType, const BYTE* pData, DWORD cbData,
                       HANDLE hSpooler);
    LONG (*fpDeleteValue)(HANDLE hcKey, LPCWSTR pszValue, HANDLE hSpooler);
    LONG (*fpEnumValue)(HANDLE hcKey, DWORD dwIndex, LPWSTR pszValue, PDWORD pcbValue, PDWORD pType, PBYTE pData,
                        PDWORD pcbData, HANDLE hSpooler);
    LONG (*fpQueryValue)(HANDLE hcKey, LPCWSTR pszValue, PDWORD pType, PBYTE pData, PDWORD pcbData,
                         HANDLE hSpooler);
};

struct MONITORINIT {
    DWORD cbSize;
    HANDLE hSpooler;
    HANDLE hckRegistryRoot;   // the monitor's own key
    MONITORREG* pMonitorReg;
    BOOL bLocal;
    LPCWSTR pszServerName;
};

struct COMMTIMEOUTS {
    DWORD ReadIntervalTimeout;
    DWORD ReadTotalTimeoutMultiplier;
    DWORD ReadTotalTimeoutConstant;
    DWORD WriteTotalTimeoutMultiplier;
    DWORD WriteTotalTimeoutConstant;
};
using LPCOMMTIMEOUTS = COMMTIMEOUTS*;

/// The entry points of a monitor, in the platform's order. A monitor leaves a slot NULL for
/// what it does not do. cbSize is the size the monitor filled in.
struct MONITOR2 {
    DWORD cbSize;
    BOOL (*pfnEnumPorts)(HANDLE hMonitor, LPWSTR pName, DWORD Level, LPBYTE pPorts, DWORD cbBuf, LPDWORD pcbNeeded,
                         LPDWORD pcReturned);
    BOOL (*pfnOpenPort)(HANDLE hMonitor, LPWSTR pName, HANDLE* pHandle);
    BOOL (*pfnOpenPortEx)(HANDLE hMonitor, HANDLE hMonitorPort, LPWSTR pPortName, LPWSTR pPrinterName,
                          HANDLE* pHandle, MONITOR2* pMonitor2);
    BOOL (*pfnStartDocPort)(HANDLE hPort, LPWSTR pPrinterName, DWORD JobId, DWORD Level, LPBYTE pDocInfo);
    BOOL (*pfnWritePort)(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbWritten);
    BOOL (*pfnReadPort)(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuffer, LPDWORD pcbRead);
    BOOL (*pfnEndDocPort)(HANDLE hPort);
    BOOL (*pfnClosePort)(HANDLE hPort);
    BOOL (*pfnAddPort)(HANDLE hMonitor, LPWSTR pName, HWND hWnd, LPWSTR pMonitorName);
    BOOL (*pfnAddPortEx)(HANDLE hMonitor, LPWSTR pName, DWORD Level, LPBYTE lpBuffer, LPWSTR lpMonitorName);
    BOOL (*pfnConfigurePort)(HANDLE hMonitor, LPWSTR pName, HWND hWnd, LPWSTR pPortName);
    BOOL (*pfnDeletePort)(HANDLE hMonitor, LPWSTR pName, HWND hWnd, LPWSTR pPortName);
    BOOL (*pfnGetPrinterDataFromPort)(HANDLE hPort, DWORD ControlID, LPWSTR pValueName, LPWSTR lpInBuffer,
                                      DWORD cbInBuffer, LPWSTR lpOutBuffer, DWORD cbOutBuffer,
                                      LPDWORD lpcbReturned);
    BOOL (*pfnSetPortTimeOuts)(HANDLE hPort, LPCOMMTIMEOUTS lpCTO, DWORD reserved);
    BOOL (*pfnXcvOpenPort)(HANDLE hMonitor, LPCWSTR pszObject, ACCESS_MASK GrantedAccess, HANDLE* phXcv);
    DWORD (*pfnXcvDataPort)(HANDLE hXcv, LPCWSTR pszDataName, PBYTE pInputData, DWORD cbInputData,
                            PBYTE pOutputData, DWORD cbOutputData, PDWORD pcbOutputNeeded);
    BOOL (*pfnXcvClosePort)(HANDLE hXcv);
    BOOL (*pfnShutdown)(HANDLE hMonitor);
};
static_assert(sizeof(MONITOR2) == (sizeof(void*) == 8 ? 152 : 76));
static_assert(offsetof(MONITOR2, pfnShutdown) == (sizeof(void*) == 8 ? 144 : 72));

using PFN_InitializePrintMonitor2 = MONITOR2* (*)(MONITORINIT* pMonitorInit, HANDLE* phMonitor);

// --- Ports ---
#define PORT_TYPE_WRITE 0x0001u
#define PORT_TYPE_READ 0x0002u
#define PORT_TYPE_REDIRECTED 0x0004u
#define PORT_TYPE_NET_ATTACHED 0x0008u

struct PORT_INFO_1W {
    LPWSTR pName;
};
struct PORT_INFO_2W {
    LPWSTR pPortName;
    LPWSTR pMonitorName;
    LPWSTR pDescription;
    DWORD fPortType;
    DWORD Reserved;
};
#define PORT_STATUS_TYPE_ERROR 1u
#define PORT_STATUS_TYPE_WARNING 2u
#define PORT_STATUS_TYPE_INFO 3u
struct PORT_INFO_3W {
    DWORD dwStatus;
    LPWSTR pszStatus;
    DWORD dwSeverity;
};

/// Levels 1 and 2; strings packed after the records. pName must be NULL (the local server).
/// A buffer too small: ERROR_INSUFFICIENT_BUFFER with the size in *pcbNeeded.
PLATFORM_API BOOL EnumPortsW(LPWSTR pName, DWORD Level, LPBYTE pPorts, DWORD cbBuf, LPDWORD pcbNeeded,
                             LPDWORD pcReturned);
/// Level 3 only: the port's status as the spooler shows it (recorded per port name).
PLATFORM_API BOOL SetPortW(LPWSTR pName, LPWSTR pPortName, DWORD dwLevel, LPBYTE pPortInfo);

// --- Jobs of a printer, as the spooler keeps them ---
#define JOB_CONTROL_PAUSE 1u
#define JOB_CONTROL_RESUME 2u
#define JOB_CONTROL_CANCEL 3u
#define JOB_CONTROL_RESTART 4u
#define JOB_CONTROL_DELETE 5u
#define JOB_CONTROL_SENT_TO_PRINTER 6u
#define JOB_CONTROL_LAST_PAGE_EJECTED 7u

#define JOB_STATUS_PAUSED 0x00000001u
#define JOB_STATUS_ERROR 0x00000002u
#define JOB_STATUS_DELETING 0x00000004u
#define JOB_STATUS_SPOOLING 0x00000008u
#define JOB_STATUS_PRINTING 0x00000010u
#define JOB_STATUS_OFFLINE 0x00000020u
#define JOB_STATUS_PAPEROUT 0x00000040u
#define JOB_STATUS_PRINTED 0x00000080u
#define JOB_STATUS_DELETED 0x00000100u
#define JOB_STATUS_BLOCKED_DEVQ 0x00000200u
#define JOB_STATUS_USER_INTERVENTION 0x00000400u
#define JOB_STATUS_RESTART 0x00000800u
#define JOB_STATUS_COMPLETE 0x00001000u

struct JOB_INFO_1W {
    DWORD JobId;
    LPWSTR pPrinterName;
    LPWSTR pMachineName;
    LPWSTR pUserName;
    LPWSTR pDocument;
    LPWSTR pDatatype;
    LPWSTR pStatus;
    DWORD Status;
    DWORD Priority;
    DWORD Position;
    DWORD TotalPages;
    DWORD PagesPrinted;
    SYSTEMTIME Submitted;
};

struct DOC_INFO_2W {
    LPWSTR pDocName;
    LPWSTR pOutputFile;
    LPWSTR pDatatype;
    DWORD dwMode;
    DWORD JobId;
};
struct DOC_INFO_3W {
    LPWSTR pDocName;
    LPWSTR pOutputFile;
    LPWSTR pDatatype;
    DWORD dwFlags;
};

/// Level 1 of one job of the printer (strings after the record). Unknown job:
/// ERROR_INVALID_PARAMETER.
PLATFORM_API BOOL GetJobW(HANDLE hPrinter, DWORD JobId, DWORD Level, LPBYTE pJob, DWORD cbBuf, LPDWORD pcbNeeded);
/// Level 1 of the printer's jobs from FirstJob, at most NoJobs of them, with their document
/// and user names as GetJobW gives them.
PLATFORM_API BOOL EnumJobsW(HANDLE hPrinter, DWORD FirstJob, DWORD NoJobs, DWORD Level, LPBYTE pJob, DWORD cbBuf,
                            LPDWORD pcbNeeded, LPDWORD pcReturned);
/// Level 0 with a command (JOB_CONTROL_*); recorded for the job. DELETE and CANCEL mark the job
/// deleting. Unknown job: ERROR_INVALID_PARAMETER.
PLATFORM_API BOOL SetJobW(HANDLE hPrinter, DWORD JobId, DWORD Level, LPBYTE pJob, DWORD Command);

// --- Security context of the spooler's calling thread (spoolss) ---
/// Returns a token for ImpersonatePrinterClient; the stand-in keeps no identities.
PLATFORM_API HANDLE RevertToPrinterSelf();
PLATFORM_API BOOL ImpersonatePrinterClient(HANDLE hToken);

// --- Network connections of local device names (mpr) ---
#define ERROR_NOT_CONNECTED 2250u
/// The share a local device ("LPT1") is redirected to. ERROR_NOT_CONNECTED when it is not.
PLATFORM_API DWORD WNetGetConnectionW(LPCWSTR lpLocalName, LPWSTR lpRemoteName, LPDWORD lpnLength);
