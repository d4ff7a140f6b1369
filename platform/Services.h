#pragma once
// The service control manager: enough to learn whether a service is installed and in which
// state it runs. The services themselves come from the stand-in's controls
// (platform/StandInServices.h); nothing is started or stopped here.
#include "platform/WinTypes.h"

struct SC_HANDLE__;
using SC_HANDLE = SC_HANDLE__*;

#define SERVICES_ACTIVE_DATABASEW u"ServicesActive"
#define SC_MANAGER_CONNECT 0x0001u
#define SC_MANAGER_ENUMERATE_SERVICE 0x0004u
#define SC_MANAGER_ALL_ACCESS 0xF003Fu
#define SERVICE_QUERY_CONFIG 0x0001u
#define SERVICE_QUERY_STATUS 0x0004u
#define SERVICE_ALL_ACCESS 0xF01FFu

#define SERVICE_WIN32_OWN_PROCESS 0x10u
#define SERVICE_STOPPED 1u
#define SERVICE_START_PENDING 2u
#define SERVICE_STOP_PENDING 3u
#define SERVICE_RUNNING 4u
#define SERVICE_PAUSED 7u

#define ERROR_DATABASE_DOES_NOT_EXIST 1065u

struct SERVICE_STATUS {
    DWORD dwServiceType;
    DWORD dwCurrentState;
    DWORD dwControlsAccepted;
    DWORD dwWin32ExitCode;
    DWORD dwServiceSpecificExitCode;
    DWORD dwCheckPoint;
    DWORD dwWaitHint;
};
using LPSERVICE_STATUS = SERVICE_STATUS*;

/// Machine NULL or empty (this computer only, else ERROR_INVALID_NAME); database NULL or
/// "ServicesActive" (else ERROR_DATABASE_DOES_NOT_EXIST).
PLATFORM_API_NODISCARD SC_HANDLE OpenSCManagerW(LPCWSTR machineName, LPCWSTR databaseName, DWORD access);
/// A service installed by that name, compared without regard to case; else NULL with
/// ERROR_SERVICE_DOES_NOT_EXIST (ERROR_INVALID_HANDLE for a manager handle that is not one).
PLATFORM_API_NODISCARD SC_HANDLE OpenServiceW(SC_HANDLE manager, LPCWSTR serviceName, DWORD access);
/// The service's state now (a service removed since it was opened reads as stopped).
/// Needs SERVICE_QUERY_STATUS (else ERROR_ACCESS_DENIED).
PLATFORM_API BOOL QueryServiceStatus(SC_HANDLE service, LPSERVICE_STATUS status);
PLATFORM_API BOOL CloseServiceHandle(SC_HANDLE handle);
