// The manager's files below the root. Values and records are whole files or fixed-size
// records, written and read under the store lock.
#include "tools/standins/srm/SrmStore.h"

#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/StandIn.h"

namespace srm {
namespace {

std::string PrinterFolder(const std::u16string& printer) {
    const std::string folder = StoreFolder() + "/printer-" + EscapeName(printer);
    mkdir(folder.c_str(), 0777);
    return folder;
}

bool ReadWhole(const std::string& path, Bytes* bytes) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bytes->clear();
    BYTE chunk[4096];
    for (;;) {
        const ssize_t got = read(fd, chunk, sizeof(chunk));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        bytes->insert(bytes->end(), chunk, chunk + got);
    }
    close(fd);
    return true;
}

bool WriteAll(int fd, const void* data, size_t size) {
    const auto* p = static_cast<const BYTE*>(data);
    while (size > 0) {
        const ssize_t put = write(fd, p, size);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        p += put;
        size -= static_cast<size_t>(put);
    }
    return true;
}

bool WriteWhole(const std::string& path, const void* data, size_t size) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    const bool ok = WriteAll(fd, data, size);
    close(fd);
    return ok;
}

void Append(const char* file, const void* record, size_t size) {
    const int fd = open((StoreFolder() + "/" + file).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) return;
    WriteAll(fd, record, size);
    close(fd);
}

std::string RequestPath(DWORD id) { return StoreFolder() + "/request-" + std::to_string(id); }

}  // namespace

StoreLock::StoreLock() {
    fd_ = open((StoreFolder() + "/lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ >= 0) flock(fd_, LOCK_EX);
}

StoreLock::~StoreLock() {
    if (fd_ >= 0) close(fd_);
}

std::string StoreFolder() {
    const std::string root = standin::Root();
    const std::string folder = root + "/.srm";
    mkdir(root.c_str(), 0777);
    mkdir(folder.c_str(), 0777);
    return folder;
}

// Letters and digits as they are, every other code unit as "%XXXX": any name is a file name.
std::string EscapeName(const std::u16string& name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char16_t c : name) {
        if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHex[(c >> shift) & 0xF]);
        }
    }
    return out;
}

bool ReadVariable(const std::u16string& printer, const std::u16string& name, Bytes* value) {
    return ReadWhole(PrinterFolder(printer) + "/var-" + EscapeName(name), value);
}

bool WriteVariable(const std::u16string& printer, const std::u16string& name, const Bytes& value) {
    return WriteWhole(PrinterFolder(printer) + "/var-" + EscapeName(name), value.data(), value.size());
}

DWORD NextId() {
    Bytes bytes;
    DWORD next = 1;
    const std::string path = StoreFolder() + "/counter";
    if (ReadWhole(path, &bytes) && bytes.size() == sizeof(DWORD)) std::memcpy(&next, bytes.data(), sizeof(next));
    const DWORD id = next == 0 ? 1 : next;  // 0 means "none" to the clients
    next = id + 1;
    WriteWhole(path, &next, sizeof(next));
    return id;
}

std::vector<Registration> ReadRegistrations() {
    Bytes bytes;
    std::vector<Registration> all;
    if (!ReadWhole(StoreFolder() + "/registrations", &bytes)) return all;
    all.resize(bytes.size() / sizeof(Registration));  // a torn tail is dropped
    if (!all.empty()) std::memcpy(all.data(), bytes.data(), all.size() * sizeof(Registration));
    return all;
}

void WriteRegistrations(const std::vector<Registration>& all) {
    WriteWhole(StoreFolder() + "/registrations", all.data(), all.size() * sizeof(Registration));
}

void AppendPost(const SRM_POST_RECORD& record) { Append("posts", &record, sizeof(record)); }
void AppendUpdate(const SRM_UPDATE_RECORD& record) { Append("updates", &record, sizeof(record)); }

template <typename Record>
std::vector<Record> ReadRecords(const char* file) {
    Bytes bytes;
    std::vector<Record> all;
    if (!ReadWhole(StoreFolder() + "/" + file, &bytes)) return all;
    all.resize(bytes.size() / sizeof(Record));
    if (!all.empty()) std::memcpy(all.data(), bytes.data(), all.size() * sizeof(Record));
    return all;
}
template std::vector<SRM_POST_RECORD> ReadRecords<SRM_POST_RECORD>(const char*);
template std::vector<SRM_UPDATE_RECORD> ReadRecords<SRM_UPDATE_RECORD>(const char*);

std::string PendingPath(DWORD processId) { return StoreFolder() + "/pending-" + std::to_string(processId); }

void AppendPending(DWORD processId, const PendingPost& post) {
    const int fd = open(PendingPath(processId).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) return;
    WriteAll(fd, &post, sizeof(post));
    close(fd);
}

std::vector<PendingPost> TakePending(DWORD processId) {
    Bytes bytes;
    std::vector<PendingPost> all;
    const std::string path = PendingPath(processId);
    if (!ReadWhole(path, &bytes)) return all;
    unlink(path.c_str());
    all.resize(bytes.size() / sizeof(PendingPost));
    if (!all.empty()) std::memcpy(all.data(), bytes.data(), all.size() * sizeof(PendingPost));
    return all;
}

void ClearRecords() {
    unlink((StoreFolder() + "/posts").c_str());
    unlink((StoreFolder() + "/updates").c_str());
}

bool WriteRequest(const Request& request) {
    Bytes bytes(sizeof(RequestHeader) + request.list.size() * sizeof(char16_t));
    RequestHeader header = request.header;
    header.cchList = static_cast<std::uint32_t>(request.list.size());
    std::memcpy(bytes.data(), &header, sizeof(header));
    if (!request.list.empty()) std::memcpy(bytes.data() + sizeof(header), request.list.data(), request.list.size() * 2);
    return WriteWhole(RequestPath(request.header.id), bytes.data(), bytes.size());
}

bool ReadRequest(DWORD id, Request* request) {
    Bytes bytes;
    if (!ReadWhole(RequestPath(id), &bytes) || bytes.size() < sizeof(RequestHeader)) return false;
    std::memcpy(&request->header, bytes.data(), sizeof(RequestHeader));
    const size_t cch = (bytes.size() - sizeof(RequestHeader)) / 2;
    if (request->header.cchList != cch) return false;
    request->list.assign(cch, u'\0');
    if (cch != 0) std::memcpy(request->list.data(), bytes.data() + sizeof(RequestHeader), cch * 2);
    return true;
}

void RemoveRequest(DWORD id) { unlink(RequestPath(id).c_str()); }

std::vector<DWORD> AllRequests() {
    std::vector<DWORD> ids;
    DIR* dir = opendir(StoreFolder().c_str());
    if (dir == nullptr) return ids;
    while (const dirent* entry = readdir(dir)) {
        if (std::strncmp(entry->d_name, "request-", 8) != 0) continue;
        ids.push_back(static_cast<DWORD>(std::strtoul(entry->d_name + 8, nullptr, 10)));
    }
    closedir(dir);
    return ids;
}

std::vector<DWORD> PendingRequests() {
    std::vector<DWORD> ids;
    for (DWORD id : AllRequests()) {
        Request request;
        if (ReadRequest(id, &request) && request.header.done == 0) ids.push_back(id);
    }
    return ids;
}

bool RefresherAlive() {
    Bytes bytes;
    if (!ReadWhole(StoreFolder() + "/refresher", &bytes) || bytes.size() != sizeof(std::uint32_t)) return false;
    std::uint32_t pid = 0;
    std::memcpy(&pid, bytes.data(), sizeof(pid));
    return pid != 0 && (kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

void SetRefresher(bool thisProcess) {
    const std::string path = StoreFolder() + "/refresher";
    if (!thisProcess) {
        unlink(path.c_str());
        return;
    }
    const std::uint32_t pid = static_cast<std::uint32_t>(getpid());
    WriteWhole(path, &pid, sizeof(pid));
}

}  // namespace srm
