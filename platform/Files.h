#pragma once
// Files under Windows paths ("C:\..."), mapped below the stand-in's root folder with
// case-insensitive lookup; file mappings; temporary files; search path.
#include "platform/WinTypes.h"

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define GENERIC_ALL 0x10000000u
#define FILE_SHARE_READ 0x1u
#define FILE_SHARE_WRITE 0x2u
#define FILE_SHARE_DELETE 0x4u
#define CREATE_NEW 1u
#define CREATE_ALWAYS 2u
#define OPEN_EXISTING 3u
#define OPEN_ALWAYS 4u
#define TRUNCATE_EXISTING 5u
#define FILE_ATTRIBUTE_READONLY 0x1u
#define FILE_ATTRIBUTE_HIDDEN 0x2u
#define FILE_ATTRIBUTE_DIRECTORY 0x10u
#define FILE_ATTRIBUTE_ARCHIVE 0x20u
#define FILE_ATTRIBUTE_NORMAL 0x80u
#define FILE_ATTRIBUTE_TEMPORARY 0x100u
#define FILE_FLAG_DELETE_ON_CLOSE 0x04000000u
#define INVALID_FILE_SIZE 0xFFFFFFFFu
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu
#define INVALID_SET_FILE_POINTER 0xFFFFFFFFu
#define FILE_BEGIN 0u
#define FILE_CURRENT 1u
#define FILE_END 2u
#define MOVEFILE_REPLACE_EXISTING 0x1u
#define PAGE_READONLY 0x02u
#define PAGE_READWRITE 0x04u
#define FILE_MAP_WRITE 0x2u
#define FILE_MAP_READ 0x4u
#define FILE_MAP_ALL_ACCESS 0xF001Fu

struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

/// Sharing is enforced between the handles of this process: an open that conflicts with
/// an existing handle fails with ERROR_SHARING_VIOLATION, as do a delete or a move of a
/// file that is open without FILE_SHARE_DELETE. CREATE_NEW on an existing file fails with
/// ERROR_FILE_EXISTS. Returns INVALID_HANDLE_VALUE on failure.
PLATFORM_API_NODISCARD HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                          DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile);
PLATFORM_API_NODISCARD HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                          DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile);
PLATFORM_API BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD cbToRead, LPDWORD cbRead, LPVOID overlapped);
PLATFORM_API BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD cbToWrite, LPDWORD cbWritten, LPVOID overlapped);
PLATFORM_API BOOL FlushFileBuffers(HANDLE file);
/// Closes any handle of the stand-in (files, mappings and later kernel objects).
PLATFORM_API BOOL CloseHandle(HANDLE handle);
PLATFORM_API DWORD GetFileSize(HANDLE file, LPDWORD highSize);
PLATFORM_API BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite);
PLATFORM_API BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                              const FILETIME* lastWrite);
PLATFORM_API DWORD SetFilePointer(HANDLE file, LONG distance, LPLONG distanceHigh, DWORD method);
PLATFORM_API BOOL SetEndOfFile(HANDLE file);
PLATFORM_API BOOL DeleteFileW(LPCWSTR path);
PLATFORM_API BOOL MoveFileW(LPCWSTR from, LPCWSTR to);
PLATFORM_API BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags);
PLATFORM_API BOOL CopyFileW(LPCWSTR from, LPCWSTR to, BOOL failIfExists);
PLATFORM_API DWORD GetFileAttributesW(LPCWSTR path);
PLATFORM_API DWORD GetFileAttributesA(LPCSTR path);
PLATFORM_API BOOL SetFileAttributesW(LPCWSTR path, DWORD attributes);
/// Fails with ERROR_ALREADY_EXISTS or ERROR_PATH_NOT_FOUND (the parent is missing).
PLATFORM_API BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES security);
PLATFORM_API BOOL RemoveDirectoryW(LPCWSTR path);
/// Looks for fileName (plus extension when given) in path, or, with path NULL, in the
/// Windows and system directories. Returns the length of the full name written, the size
/// needed when the buffer is too small, 0 with ERROR_FILE_NOT_FOUND when absent.
PLATFORM_API DWORD SearchPathW(LPCWSTR path, LPCWSTR fileName, LPCWSTR extension, DWORD cchBuffer,
                               LPWSTR buffer, LPWSTR* filePart);
#define DRIVE_UNKNOWN 0u
#define DRIVE_NO_ROOT_DIR 1u
#define DRIVE_REMOVABLE 2u
#define DRIVE_FIXED 3u
#define DRIVE_REMOTE 4u
#define DRIVE_CDROM 5u
#define DRIVE_RAMDISK 6u
/// A drive root ("X:\" or "X:"): DRIVE_FIXED when the stand-in holds a folder for that drive,
/// else DRIVE_NO_ROOT_DIR (also for anything that is not a drive root).
PLATFORM_API UINT GetDriveTypeW(LPCWSTR rootPath);
PLATFORM_API DWORD GetTempPathW(DWORD cchBuffer, LPWSTR buffer);
/// Creates a unique empty file "<path>\<prefix up to 3 chars><hex>.TMP" when unique is 0.
PLATFORM_API UINT GetTempFileNameW(LPCWSTR path, LPCWSTR prefix, UINT unique, LPWSTR tempFileName);

struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];
};
/// Patterns with '*' and '?' in the last component only.
PLATFORM_API_NODISCARD HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* data);
PLATFORM_API BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data);
PLATFORM_API BOOL FindClose(HANDLE find);

/// A mapping of an empty file fails (ERROR_FILE_INVALID), as on the platform. Named
/// mappings without a file are shared between processes.
PLATFORM_API_NODISCARD HANDLE CreateFileMappingW(HANDLE file, LPSECURITY_ATTRIBUTES security, DWORD protect,
                                                 DWORD maxSizeHigh, DWORD maxSizeLow, LPCWSTR name);
PLATFORM_API_NODISCARD LPVOID MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow,
                                            SIZE_T cbMap);
PLATFORM_API BOOL UnmapViewOfFile(LPCVOID view);
