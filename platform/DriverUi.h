#pragma once
// The spooler's interface to a printer driver's user-interface library: the headers of the
// property-sheet calls, the print-query record, the upgrade record, and the constants of
// DocumentProperties, DeviceCapabilities, ConvertDevMode, printer and document events.
#include "platform/DevMode.h"
#include "platform/WinTypes.h"

// DocumentProperties modes (fMode).
#define DM_UPDATE 1u
#define DM_COPY 2u
#define DM_PROMPT 4u
#define DM_MODIFY 8u
#define DM_ADVANCED 0x10u
#define DM_NOPERMISSION 0x20u
#define DM_USER_DEFAULT 0x40u
#define DM_IN_BUFFER DM_MODIFY
#define DM_OUT_BUFFER DM_COPY
#define DM_IN_PROMPT DM_PROMPT

struct DOCUMENTPROPERTYHEADER {
    WORD cbSize;
    WORD Reserved;
    HANDLE hPrinter;
    LPWSTR pszPrinterName;
    DEVMODEW* pdmIn;
    DEVMODEW* pdmOut;
    DWORD cbOut;
    DWORD fMode;
};
static_assert(sizeof(DOCUMENTPROPERTYHEADER) == (sizeof(void*) == 8 ? 48 : 28));

#define DPS_NOPERMISSION 0x0001u
struct DEVICEPROPERTYHEADER {
    WORD cbSize;
    WORD Flags;
    HANDLE hPrinter;
    LPWSTR pszPrinterName;
};
static_assert(sizeof(DEVICEPROPERTYHEADER) == (sizeof(void*) == 8 ? 24 : 12));

struct DEVQUERYPRINT_INFO {
    WORD cbSize;
    WORD Level;
    HANDLE hPrinter;
    DEVMODEW* pDevMode;
    LPWSTR pszErrorStr;
    DWORD cchErrorStr;
    DWORD cchNeeded;
};

struct DRIVER_UPGRADE_INFO_1 {
    LPWSTR pPrinterName;
    LPWSTR pOldDriverDirectory;
};

// DeviceCapabilities indexes.
#define DC_FIELDS 1u
#define DC_PAPERS 2u
#define DC_PAPERSIZE 3u
#define DC_MINEXTENT 4u
#define DC_MAXEXTENT 5u
#define DC_BINS 6u
#define DC_DUPLEX 7u
#define DC_SIZE 8u
#define DC_EXTRA 9u
#define DC_VERSION 10u
#define DC_DRIVER 11u
#define DC_BINNAMES 12u
#define DC_ENUMRESOLUTIONS 13u
#define DC_FILEDEPENDENCIES 14u
#define DC_TRUETYPE 15u
#define DC_PAPERNAMES 16u
#define DC_ORIENTATION 17u
#define DC_COPIES 18u
#define DC_BINADJUST 19u
#define DC_EMF_COMPLIANT 20u
#define DC_DATATYPE_PRODUCED 21u
#define DC_COLLATE 22u
#define DC_MANUFACTURER 23u
#define DC_MODEL 24u
#define DC_PERSONALITY 25u
#define DC_PRINTRATE 26u
#define DC_PRINTRATEUNIT 27u
#define DC_PRINTERMEM 28u
#define DC_MEDIAREADY 29u
#define DC_STAPLE 30u
#define DC_PRINTRATEPPM 31u
#define DC_COLORDEVICE 32u
#define DC_NUP 33u
#define DCTT_BITMAP 0x1u
#define DCTT_DOWNLOAD 0x2u
#define DCTT_SUBDEV 0x4u
#define DCTT_DOWNLOAD_OUTLINE 0x8u
#define PRINTRATEUNIT_PPM 1u

// ConvertDevMode modes.
#define CDM_CONVERT 0x01u
#define CDM_CONVERT351 0x02u
#define CDM_DRIVER_DEFAULT 0x04u

// Printer events.
#define PRINTER_EVENT_CONFIGURATION_CHANGE 0
#define PRINTER_EVENT_ADD_CONNECTION 1
#define PRINTER_EVENT_DELETE_CONNECTION 2
#define PRINTER_EVENT_INITIALIZE 3
#define PRINTER_EVENT_DELETE 4
#define PRINTER_EVENT_CACHE_REFRESH 5
#define PRINTER_EVENT_CACHE_DELETE 6
#define PRINTER_EVENT_FLAG_NO_UI 0x00000001u

// Document events.
#define DOCUMENTEVENT_CREATEDCPRE 1
#define DOCUMENTEVENT_CREATEDCPOST 2
#define DOCUMENTEVENT_RESETDCPRE 3
#define DOCUMENTEVENT_RESETDCPOST 4
#define DOCUMENTEVENT_STARTDOC 5
#define DOCUMENTEVENT_STARTPAGE 6
#define DOCUMENTEVENT_ENDPAGE 7
#define DOCUMENTEVENT_ENDDOC 8
#define DOCUMENTEVENT_ABORTDOC 9
#define DOCUMENTEVENT_DELETEDC 10
#define DOCUMENTEVENT_ESCAPE 11
#define DOCUMENTEVENT_ENDDOCPOST 12
#define DOCUMENTEVENT_STARTDOCPOST 13
#define DOCUMENTEVENT_FAILURE (-1)
#define DOCUMENTEVENT_UNSUPPORTED 0
#define DOCUMENTEVENT_SUCCESS 1
