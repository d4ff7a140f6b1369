#pragma once
// The manager's store below the stand-in root ("<root>/.srm"): one folder per printer with a
// file per variable, the notification registrations, the refresh requests and the records a
// test reads. Every change happens under one flock, which the kernel drops when a process dies.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/StatusManager.h"
#include "platform/WinTypes.h"
#include "tools/standins/srm/SrmControls.h"

namespace srm {

using Bytes = std::vector<BYTE>;

/// Holds the store's lock (shared by every thread and process) while it lives.
class StoreLock {
public:
    StoreLock();
    ~StoreLock();
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

private:
    int fd_ = -1;
};

std::string StoreFolder();  // "<root>/.srm", made when missing
std::string EscapeName(const std::u16string& name);

// --- Variables (call with the lock held) ---
bool ReadVariable(const std::u16string& printer, const std::u16string& name, Bytes* value);
bool WriteVariable(const std::u16string& printer, const std::u16string& name, const Bytes& value);
/// A new id, unique below this root (registrations and requests).
DWORD NextId();

// --- Registrations ---
enum class NotifyKind : std::uint32_t { Message = 1, Event = 2 };
struct Registration {
    std::uint32_t id;
    std::uint32_t processId;
    std::uint32_t manager;   // the registering connection
    std::uint32_t message;   // Message: the message posted
    std::uint64_t window;
    NotifyKind kind;
    std::uint32_t index;     // Event: which of the registration's events
    char16_t printer[260];
    char16_t variable[64];
};
static_assert(sizeof(Registration) == 32 + 520 + 128);
std::vector<Registration> ReadRegistrations();
void WriteRegistrations(const std::vector<Registration>& all);

// --- Records a test reads ---
void AppendPost(const SRM_POST_RECORD& record);
void AppendUpdate(const SRM_UPDATE_RECORD& record);
template <typename Record>
std::vector<Record> ReadRecords(const char* file);
void ClearRecords();

// --- Window messages for registrations of another process, which that process posts ---
struct PendingPost {
    std::uint32_t message;
    std::uint32_t id;  // the registration: the message's wParam
    std::uint64_t window;
};
static_assert(sizeof(PendingPost) == 16);
void AppendPending(DWORD processId, const PendingPost& post);
/// The process's waiting messages, oldest first; they leave the store.
std::vector<PendingPost> TakePending(DWORD processId);

// --- Refresh requests ---
struct RequestHeader {
    std::uint32_t id;
    std::uint32_t done;        // 1 once answered
    std::uint32_t processId;   // the asker
    std::uint32_t message;     // posted when answered (0: none, a direct request)
    std::uint64_t window;
    std::uint32_t result;      // the monitor's answer once done
    std::uint32_t cchList;     // UTF-16 units of the list that follows
    std::uint32_t manager;     // the asker's connection, which abandons the request when closed
    std::uint32_t reserved;
    char16_t printer[260];
};
static_assert(sizeof(RequestHeader) == 40 + 520);
struct Request {
    RequestHeader header;
    std::u16string list;
};
bool WriteRequest(const Request& request);
bool ReadRequest(DWORD id, Request* request);
void RemoveRequest(DWORD id);
std::vector<DWORD> PendingRequests();
/// Every request in the store, answered or not.
std::vector<DWORD> AllRequests();

/// The process that answers refresh requests, when it still runs.
bool RefresherAlive();
void SetRefresher(bool thisProcess);

/// Copies text into a fixed field, cut to fit and terminated.
template <size_t N>
void CopyField(char16_t (&field)[N], const std::u16string& text) {
    const size_t n = text.size() < N - 1 ? text.size() : N - 1;
    text.copy(field, n);
    field[n] = u'\0';
    for (size_t i = n + 1; i < N; ++i) field[i] = u'\0';
}
template <size_t N>
std::u16string FieldText(const char16_t (&field)[N]) {
    size_t n = 0;
    while (n < N && field[n] != u'\0') ++n;
    return std::u16string(field, n);
}

}  // namespace srm

namespace srm {
struct SpoolerPicture;
/// Stores a checked wide value for the printer, records the update, and tells the registered
/// clients of every value that changed: the value itself and what the manager derives from it
/// (CurrentStatus; with a picture of the spooler also SpoolerStatus and the queues).
DWORD Store(const std::u16string& printer, const std::u16string& name, const Bytes& value,
            const SpoolerPicture* spooler = nullptr);
/// The same for a new picture of the spooler alone.
void StoreSpooler(const std::u16string& printer, const SpoolerPicture& spooler);
}  // namespace srm
