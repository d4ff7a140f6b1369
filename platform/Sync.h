#pragma once
// Kernel synchronisation objects, threads, private heaps and security descriptors.
// Events and mutexes may be named; a named object is shared by every process of the stand-in
// that uses the same root, and lives while some process holds a handle to it. Names may begin
// with "Global\" or "Local\" (the stand-in has one session, so both mean the same object).
// Events, mutexes and mappings share one name space: a name held by an object of another
// type fails with ERROR_INVALID_HANDLE. Every handle here is closed with CloseHandle.
#include "platform/Files.h"
#include "platform/WinTypes.h"

#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED_0 0x00000080u
#define WAIT_ABANDONED WAIT_ABANDONED_0
#define WAIT_FAILED 0xFFFFFFFFu
#define MAXIMUM_WAIT_OBJECTS 64u
#define STILL_ACTIVE 259u

#define SYNCHRONIZE 0x00100000u
#define EVENT_MODIFY_STATE 0x0002u
#define EVENT_ALL_ACCESS 0x1F0003u
#define MUTEX_MODIFY_STATE 0x0001u
#define MUTEX_ALL_ACCESS 0x1F0001u

// --- Events ---
/// Creating a name that exists opens that event (its reset kind and state stay as they are)
/// and sets ERROR_ALREADY_EXISTS; a fresh object sets ERROR_SUCCESS. NULL on failure.
PLATFORM_API_NODISCARD HANDLE CreateEventW(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState,
                                           LPCWSTR name);
/// The name in the ANSI code page.
PLATFORM_API_NODISCARD HANDLE CreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState,
                                           LPCSTR name);
/// NULL with ERROR_FILE_NOT_FOUND when no event has that name.
PLATFORM_API_NODISCARD HANDLE OpenEventW(DWORD access, BOOL inheritHandle, LPCWSTR name);
PLATFORM_API_NODISCARD HANDLE OpenEventA(DWORD access, BOOL inheritHandle, LPCSTR name);
PLATFORM_API BOOL SetEvent(HANDLE event);
PLATFORM_API BOOL ResetEvent(HANDLE event);

// --- Mutexes ---
/// Owned by a thread, recursively: each successful wait by the owner counts once more and
/// ReleaseMutex gives one back. A mutex whose owning thread (or process) ended while owning
/// it is handed to the next waiter with WAIT_ABANDONED_0 + index. initialOwner is ignored
/// when the name exists already (ERROR_ALREADY_EXISTS).
PLATFORM_API_NODISCARD HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES security, BOOL initialOwner, LPCWSTR name);
PLATFORM_API_NODISCARD HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES security, BOOL initialOwner, LPCSTR name);
PLATFORM_API_NODISCARD HANDLE OpenMutexW(DWORD access, BOOL inheritHandle, LPCWSTR name);
/// FALSE with ERROR_NOT_OWNER when the calling thread does not own the mutex.
PLATFORM_API BOOL ReleaseMutex(HANDLE mutex);

// --- Waits (events, mutexes and threads) ---
/// Timeouts in milliseconds, INFINITE waits for ever. Returns WAIT_OBJECT_0 (+ index),
/// WAIT_ABANDONED_0 (+ index), WAIT_TIMEOUT, or WAIT_FAILED with ERROR_INVALID_HANDLE for a
/// handle that is not waitable. Waiting takes what it waits for: an auto-reset event is
/// reset, a mutex is owned. With waitAll every object is taken at once or none is; a handle
/// given twice with waitAll fails with ERROR_INVALID_PARAMETER, as do counts of 0 or above
/// MAXIMUM_WAIT_OBJECTS.
PLATFORM_API DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
PLATFORM_API DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);

// --- Threads ---
#define CREATE_SUSPENDED 0x00000004u
#define STACK_SIZE_PARAM_IS_A_RESERVATION 0x00010000u
using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID parameter);
/// A real thread; its handle is signalled when the thread has ended (waitable until then).
/// The stack size is a minimum (0: the default). *threadId, when given, is the id that
/// GetCurrentThreadId reports inside the new thread. CREATE_SUSPENDED holds the routine
/// until ResumeThread.
PLATFORM_API_NODISCARD HANDLE CreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stackSize,
                                           LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                                           LPDWORD threadId);
/// Returns the previous suspend count (1 lets a suspended thread run, 0 for a running one),
/// (DWORD)-1 with ERROR_INVALID_HANDLE for a handle that is not a thread.
PLATFORM_API DWORD ResumeThread(HANDLE thread);
/// STILL_ACTIVE while the thread runs, then the routine's result.
PLATFORM_API BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);

// --- Private heaps (never kernel handles: HeapDestroy, not CloseHandle, ends them) ---
#define HEAP_NO_SERIALIZE 0x00000001u
#define HEAP_GENERATE_EXCEPTIONS 0x00000004u
#define HEAP_ZERO_MEMORY 0x00000008u
#define HEAP_REALLOC_IN_PLACE_ONLY 0x00000010u
/// maximumSize 0: the heap grows as needed; else allocations fail beyond that many bytes.
PLATFORM_API_NODISCARD HANDLE HeapCreate(DWORD options, SIZE_T initialSize, SIZE_T maximumSize);
/// Frees every block of the heap. The process heap cannot be destroyed.
PLATFORM_API BOOL HeapDestroy(HANDLE heap);
/// NULL (last error ERROR_NOT_ENOUGH_MEMORY) when the heap cannot grow.
PLATFORM_API_NODISCARD LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T cb);
/// HEAP_ZERO_MEMORY zeroes the bytes added beyond the old size. A block not of this heap
/// fails with ERROR_INVALID_PARAMETER; the old block stays valid whenever NULL is returned.
PLATFORM_API_NODISCARD LPVOID HeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T cb);
/// A NULL block is accepted (TRUE); a block not of this heap fails with ERROR_INVALID_PARAMETER.
PLATFORM_API BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID block);
/// (SIZE_T)-1 for a block not of this heap.
PLATFORM_API SIZE_T HeapSize(HANDLE heap, DWORD flags, LPCVOID block);
PLATFORM_API HANDLE GetProcessHeap();

// --- Security descriptors (recorded; the stand-in enforces no access rights) ---
#define SECURITY_DESCRIPTOR_REVISION 1u
#define SE_DACL_PRESENT 0x0004u
#define SE_DACL_DEFAULTED 0x0008u
#define ERROR_UNKNOWN_REVISION 1305u
#define ERROR_INVALID_SECURITY_DESCR 1338u
struct ACL {
    BYTE AclRevision;
    BYTE Sbz1;
    WORD AclSize;
    WORD AceCount;
    WORD Sbz2;
};
using PACL = ACL*;
using PSID = void*;
struct SECURITY_DESCRIPTOR {
    BYTE Revision;
    BYTE Sbz1;
    WORD Control;
    PSID Owner;
    PSID Group;
    PACL Sacl;
    PACL Dacl;
};
using PSECURITY_DESCRIPTOR = void*;
#define SECURITY_DESCRIPTOR_MIN_LENGTH sizeof(SECURITY_DESCRIPTOR)
/// FALSE with ERROR_UNKNOWN_REVISION unless the revision is SECURITY_DESCRIPTOR_REVISION.
PLATFORM_API BOOL InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision);
/// A NULL DACL with present TRUE grants everyone everything, as on the platform.
PLATFORM_API BOOL SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL daclPresent, PACL dacl,
                                            BOOL daclDefaulted);
