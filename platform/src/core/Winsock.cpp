// The stand-in's Windows Sockets: a process-wide start-up count, a table of our own SOCKET
// values over host datagram sockets, and the address helpers.
#include "platform/Winsock.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "platform/StandInWinsock.h"
#include "platform/src/core/WinsockPosix.h"

namespace {

// Closes the host socket when the last user lets go, so that a closesocket on one thread
// never pulls the descriptor from under a call running on another.
//
// The blocking mode and the broadcast permission are kept here rather than on the host
// socket: a client that makes each socket non-blocking and broadcast-capable would otherwise
// pay host calls for every socket it opens. Reads and sends pass the mode with each call; the
// permission reaches the host only when the host refuses a send for the want of it.
struct SocketRecord {
    explicit SocketRecord(int hostFd) : fd(hostFd) {}
    ~SocketRecord() { standin::net::Close(fd); }
    SocketRecord(const SocketRecord&) = delete;
    SocketRecord& operator=(const SocketRecord&) = delete;

    // 0, or the error of withdrawing the permission from the host.
    int SetBroadcast(bool on) {
        std::lock_guard<std::mutex> hold(options);
        broadcast = on;
        if (on || !broadcastOnHost) {
            return 0;
        }
        const int error = standin::net::SetFlag(fd, standin::net::HostOptionBroadcast(), false);
        broadcastOnHost = error != 0;
        return error;
    }
    // True when the permission was asked for and has just been given to the host.
    bool GrantBroadcast() {
        std::lock_guard<std::mutex> hold(options);
        if (!broadcast || broadcastOnHost) {
            return false;
        }
        broadcastOnHost = standin::net::SetFlag(fd, standin::net::HostOptionBroadcast(), true) == 0;
        return broadcastOnHost;
    }

    int fd;
    std::atomic<bool> nonBlocking{false};
    std::mutex options;
    bool broadcast = false;        // as the caller set it
    bool broadcastOnHost = false;  // as the host socket has it
};

struct WinsockState {
    std::mutex lock;
    unsigned startups = 0;
    int startupError = 0;  // standin::FailStartups
    SOCKET nextSocket = 0x100;
    std::map<SOCKET, std::shared_ptr<SocketRecord>> sockets;
    std::map<std::string, ULONG> hosts;  // lower-case name -> network-order address
};

WinsockState& State() {
    static WinsockState state;
    return state;
}

int Fail(int error) {
    WSASetLastError(error);
    return SOCKET_ERROR;
}

bool Started() {
    std::lock_guard<std::mutex> hold(State().lock);
    return State().startups > 0;
}

// The socket's record, or nullptr with the last error set.
std::shared_ptr<SocketRecord> Find(SOCKET s) {
    WinsockState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    if (state.startups == 0) {
        WSASetLastError(WSANOTINITIALISED);
        return nullptr;
    }
    const auto it = state.sockets.find(s);
    if (it == state.sockets.end()) {
        WSASetLastError(WSAENOTSOCK);
        return nullptr;
    }
    return it->second;
}

bool ReadEndpoint(const WsaSockAddr* name, int cbName, standin::net::Endpoint& endpoint) {
    if (name == nullptr || cbName < static_cast<int>(sizeof(WsaSockAddrIn))) {
        WSASetLastError(WSAEFAULT);
        return false;
    }
    WsaSockAddrIn address;
    std::memcpy(&address, name, sizeof address);
    if (address.sin_family != AF_INET) {
        WSASetLastError(WSAEAFNOSUPPORT);
        return false;
    }
    endpoint.address = address.sin_addr.s_addr;
    endpoint.port = address.sin_port;
    return true;
}

bool WriteEndpoint(const standin::net::Endpoint& endpoint, WsaSockAddr* name, int* cbName) {
    if (name == nullptr) {
        return true;
    }
    if (cbName == nullptr || *cbName < static_cast<int>(sizeof(WsaSockAddrIn))) {
        WSASetLastError(WSAEFAULT);
        return false;
    }
    WsaSockAddrIn address{};
    address.sin_family = AF_INET;
    address.sin_port = endpoint.port;
    address.sin_addr.s_addr = endpoint.address;
    std::memcpy(name, &address, sizeof address);
    *cbName = sizeof address;
    return true;
}

// select over one set: its sockets' records, or false with the last error set.
bool CollectSet(WsaFdSet* set, int role, std::vector<standin::net::PollEntry>& entries,
                std::vector<std::pair<SOCKET, int>>& owners) {
    if (set == nullptr) {
        return true;
    }
    if (set->fd_count > FD_SETSIZE) {
        WSASetLastError(WSAEINVAL);
        return false;
    }
    for (UINT i = 0; i < set->fd_count; ++i) {
        const std::shared_ptr<SocketRecord> record = Find(set->fd_array[i]);
        if (!record) {
            return false;
        }
        standin::net::PollEntry entry;
        entry.fd = record->fd;
        entry.wantRead = role == 0;
        entry.wantWrite = role == 1;
        entry.wantExcept = role == 2;
        entries.push_back(entry);
        owners.emplace_back(set->fd_array[i], role);
    }
    return true;
}

struct HostRecord {
    char name[256];
    ULONG address;
    char* addressList[2];
    char* aliases[1];
    WsaHostEnt entry;
};

}  // namespace

int WSAStartup(WORD versionRequested, LPWSADATA data) {
    const BYTE major = LOBYTE(versionRequested);
    const BYTE minor = static_cast<BYTE>(versionRequested >> 8);
    if (major < 1 || (major == 1 && minor < 1)) {
        return WSAVERNOTSUPPORTED;
    }
    if (data == nullptr) {
        return WSAEFAULT;
    }
    const WORD offered = (major > 2 || (major == 2 && minor >= 2)) ? MAKEWORD(2, 2) : versionRequested;
    std::memset(data, 0, sizeof *data);
    data->wVersion = offered;
    data->wHighVersion = MAKEWORD(2, 2);
    std::snprintf(data->szDescription, sizeof data->szDescription, "%s", "WinSock 2.0");
    std::snprintf(data->szSystemStatus, sizeof data->szSystemStatus, "%s", "Running");
    data->iMaxSockets = 0;
    data->iMaxUdpDg = 0;
    std::lock_guard<std::mutex> hold(State().lock);
    if (State().startupError != 0) return State().startupError;
    ++State().startups;
    return 0;
}

int WSACleanup() {
    std::map<SOCKET, std::shared_ptr<SocketRecord>> closing;
    {
        WinsockState& state = State();
        std::lock_guard<std::mutex> hold(state.lock);
        if (state.startups == 0) {
            return Fail(WSANOTINITIALISED);
        }
        if (--state.startups == 0) {
            closing.swap(state.sockets);
        }
    }
    return 0;
}

int WSAGetLastError() { return static_cast<int>(GetLastError()); }

void WSASetLastError(int error) { SetLastError(static_cast<DWORD>(error)); }

SOCKET socket(int af, int type, int protocol) {
    if (!Started()) {
        Fail(WSANOTINITIALISED);
        return INVALID_SOCKET;
    }
    if (af != AF_INET) {
        Fail(WSAEAFNOSUPPORT);
        return INVALID_SOCKET;
    }
    // The stand-in carries datagrams only.
    if (type != SOCK_DGRAM) {
        Fail(WSAESOCKTNOSUPPORT);
        return INVALID_SOCKET;
    }
    if (protocol != 0 && protocol != IPPROTO_UDP) {
        Fail(WSAEPROTONOSUPPORT);
        return INVALID_SOCKET;
    }
    int fd = -1;
    if (const int error = standin::net::OpenUdp(fd); error != 0) {
        Fail(error);
        return INVALID_SOCKET;
    }
    auto record = std::make_shared<SocketRecord>(fd);
    WinsockState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    const SOCKET s = state.nextSocket;
    state.nextSocket += 4;
    state.sockets.emplace(s, std::move(record));
    WSASetLastError(0);
    return s;
}

int closesocket(SOCKET s) {
    std::shared_ptr<SocketRecord> closing;
    WinsockState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    if (state.startups == 0) {
        return Fail(WSANOTINITIALISED);
    }
    const auto it = state.sockets.find(s);
    if (it == state.sockets.end()) {
        return Fail(WSAENOTSOCK);
    }
    closing = std::move(it->second);
    state.sockets.erase(it);
    return 0;
}

int bind(SOCKET s, const WsaSockAddr* name, int cbName) {
    const std::shared_ptr<SocketRecord> record = Find(s);
    standin::net::Endpoint local;
    if (!record || !ReadEndpoint(name, cbName, local)) {
        return SOCKET_ERROR;
    }
    if (const int error = standin::net::Bind(record->fd, local); error != 0) {
        return Fail(error);
    }
    return 0;
}

int getsockname(SOCKET s, WsaSockAddr* name, int* cbName) {
    const std::shared_ptr<SocketRecord> record = Find(s);
    if (!record) {
        return SOCKET_ERROR;
    }
    if (name == nullptr || cbName == nullptr) {
        return Fail(WSAEFAULT);
    }
    standin::net::Endpoint local;
    if (const int error = standin::net::LocalName(record->fd, local); error != 0) {
        return Fail(error);
    }
    return WriteEndpoint(local, name, cbName) ? 0 : SOCKET_ERROR;
}

int sendto(SOCKET s, const char* buf, int len, int flags, const WsaSockAddr* to, int cbTo) {
    const std::shared_ptr<SocketRecord> record = Find(s);
    standin::net::Endpoint target;
    if (!record || !ReadEndpoint(to, cbTo, target)) {
        return SOCKET_ERROR;
    }
    if (flags != 0) {
        return Fail(WSAEOPNOTSUPP);
    }
    if (len < 0 || (buf == nullptr && len > 0)) {
        return Fail(WSAEFAULT);
    }
    // The stand-in talks to this machine only: a datagram for any other network (a printer
    // address a test happens to name, a broadcast) is refused before it leaves.
    unsigned char octets[4];
    std::memcpy(octets, &target.address, sizeof octets);
    if (octets[0] != 127) {
        return Fail(octets[0] == 255 && octets[1] == 255 && octets[2] == 255 && octets[3] == 255 ? WSAEACCES
                                                                                               : WSAENETUNREACH);
    }
    size_t sent = 0;
    const bool wait = !record->nonBlocking;
    int error = standin::net::SendTo(record->fd, buf, static_cast<size_t>(len), target, wait, sent);
    if (error == WSAEACCES && record->GrantBroadcast()) {
        error = standin::net::SendTo(record->fd, buf, static_cast<size_t>(len), target, wait, sent);
    }
    if (error != 0) {
        return Fail(error);
    }
    return static_cast<int>(sent);
}

int recvfrom(SOCKET s, char* buf, int len, int flags, WsaSockAddr* from, int* cbFrom) {
    const std::shared_ptr<SocketRecord> record = Find(s);
    if (!record) {
        return SOCKET_ERROR;
    }
    if (flags != 0) {
        return Fail(WSAEOPNOTSUPP);
    }
    if (len <= 0 || buf == nullptr) {
        return Fail(WSAEFAULT);
    }
    if (from != nullptr && (cbFrom == nullptr || *cbFrom < static_cast<int>(sizeof(WsaSockAddrIn)))) {
        return Fail(WSAEFAULT);
    }
    size_t received = 0;
    standin::net::Endpoint sender;
    const int error =
        standin::net::ReceiveFrom(record->fd, buf, static_cast<size_t>(len), !record->nonBlocking, received, sender);
    if (error != 0 && error != WSAEMSGSIZE) {
        return Fail(error);
    }
    WriteEndpoint(sender, from, cbFrom);
    if (error != 0) {
        return Fail(error);
    }
    return static_cast<int>(received);
}

int select(int, WsaFdSet* readfds, WsaFdSet* writefds, WsaFdSet* exceptfds, const WsaTimeval* timeout) {
    if (!Started()) {
        return Fail(WSANOTINITIALISED);
    }
    std::vector<standin::net::PollEntry> entries;
    std::vector<std::pair<SOCKET, int>> owners;
    if (!CollectSet(readfds, 0, entries, owners) || !CollectSet(writefds, 1, entries, owners) ||
        !CollectSet(exceptfds, 2, entries, owners)) {
        return SOCKET_ERROR;
    }
    if (entries.empty()) {
        return Fail(WSAEINVAL);
    }
    int timeoutMs = -1;
    if (timeout != nullptr) {
        if (timeout->tv_sec < 0 || timeout->tv_usec < 0) {
            return Fail(WSAEINVAL);
        }
        const long long ms = static_cast<long long>(timeout->tv_sec) * 1000 + (timeout->tv_usec + 999) / 1000;
        timeoutMs = static_cast<int>(std::min<long long>(ms, 0x7FFFFFFF));
    }
    if (const int error = standin::net::Poll(entries, timeoutMs); error != 0) {
        return Fail(error);
    }
    // Each set keeps only its ready sockets, in their order.
    if (readfds != nullptr) readfds->fd_count = 0;
    if (writefds != nullptr) writefds->fd_count = 0;
    if (exceptfds != nullptr) exceptfds->fd_count = 0;
    int ready = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto [s, role] = owners[i];
        WsaFdSet* set = role == 0 ? readfds : (role == 1 ? writefds : exceptfds);
        if (entries[i].canRead || entries[i].canWrite || entries[i].hasExcept) {
            set->fd_array[set->fd_count++] = s;
            ++ready;
        }
    }
    return ready;
}

int ioctlsocket(SOCKET s, LONG cmd, ULONG* argp) {
    const std::shared_ptr<SocketRecord> record = Find(s);
    if (!record) {
        return SOCKET_ERROR;
    }
    if (argp == nullptr) {
        return Fail(WSAEFAULT);
    }
    if (cmd == FIONBIO) {
        record->nonBlocking = *argp != 0;
        return 0;
    }
    if (cmd == FIONREAD) {
        size_t pending = 0;
        if (const int error = standin::net::PendingBytes(record->fd, pending); error != 0) {
            return Fail(error);
        }
        *argp = static_cast<ULONG>(pending);
        return 0;
    }
    return Fail(WSAEINVAL);
}

int setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen) {
    const std::shared_ptr<SocketRecord> record = Find(s);
    if (!record) {
        return SOCKET_ERROR;
    }
    if (level != SOL_SOCKET) {
        return Fail(WSAENOPROTOOPT);
    }
    if (optval == nullptr) {
        return Fail(WSAEFAULT);
    }
    int error = 0;
    if (optname == SO_LINGER) {
        if (optlen < static_cast<int>(sizeof(WsaLinger))) {
            return Fail(WSAEFAULT);
        }
        WsaLinger value;
        std::memcpy(&value, optval, sizeof value);
        error = standin::net::SetLinger(record->fd, value.l_onoff != 0, value.l_linger);
    } else if (optname == SO_BROADCAST || optname == SO_REUSEADDR || optname == SO_SNDBUF || optname == SO_RCVBUF) {
        if (optlen < static_cast<int>(sizeof(int))) {
            return Fail(WSAEFAULT);
        }
        int value;
        std::memcpy(&value, optval, sizeof value);
        if (optname == SO_BROADCAST) {
            error = record->SetBroadcast(value != 0);
        } else if (optname == SO_REUSEADDR) {
            error = standin::net::SetFlag(record->fd, standin::net::HostOptionReuseAddr(), value != 0);
        } else {
            error = standin::net::SetBufferSize(record->fd, optname == SO_RCVBUF, value);
        }
    } else {
        return Fail(WSAENOPROTOOPT);
    }
    return error != 0 ? Fail(error) : 0;
}

int WSAFDIsSet(SOCKET s, WsaFdSet* set) {
    if (set == nullptr) {
        return 0;
    }
    const UINT count = std::min<UINT>(set->fd_count, FD_SETSIZE);
    return std::find(set->fd_array, set->fd_array + count, s) != set->fd_array + count ? 1 : 0;
}

ULONG inet_addr(const char* text) {
    if (text == nullptr) {
        return INADDR_NONE;
    }
    // Four decimal parts of 0..255 and nothing else; the older shorter forms are not taken.
    BYTE parts[4];
    const char* p = text;
    for (int i = 0; i < 4; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(*p))) {
            return INADDR_NONE;
        }
        unsigned value = 0;
        int digits = 0;
        while (std::isdigit(static_cast<unsigned char>(*p))) {
            value = value * 10 + static_cast<unsigned>(*p - '0');
            if (++digits > 3 || value > 255) {
                return INADDR_NONE;
            }
            ++p;
        }
        parts[i] = static_cast<BYTE>(value);
        if (i < 3 && *p++ != '.') {
            return INADDR_NONE;
        }
    }
    if (*p != '\0') {
        return INADDR_NONE;
    }
    ULONG address;
    std::memcpy(&address, parts, sizeof address);
    return address;
}

char* inet_ntoa(WsaInAddr address) {
    thread_local char text[16];
    const auto& b = address.S_un.S_un_b;
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", b.s_b1, b.s_b2, b.s_b3, b.s_b4);
    return text;
}

USHORT htons(USHORT value) { return static_cast<USHORT>((value >> 8) | (value << 8)); }
USHORT ntohs(USHORT value) { return htons(value); }
ULONG htonl(ULONG value) {
    return ((value & 0xFFu) << 24) | ((value & 0xFF00u) << 8) | ((value >> 8) & 0xFF00u) | (value >> 24);
}
ULONG ntohl(ULONG value) { return htonl(value); }

WsaHostEnt* gethostbyname(const char* name) {
    if (!Started()) {
        Fail(WSANOTINITIALISED);
        return nullptr;
    }
    if (name == nullptr || std::strlen(name) >= sizeof(HostRecord::name)) {
        Fail(WSAHOST_NOT_FOUND);
        return nullptr;
    }
    ULONG address = inet_addr(name);
    if (address == INADDR_NONE) {
        std::string key(name);
        std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
        WinsockState& state = State();
        std::lock_guard<std::mutex> hold(state.lock);
        const auto it = state.hosts.find(key);
        if (it != state.hosts.end()) {
            address = it->second;
        } else if (key == "localhost") {
            address = htonl(INADDR_LOOPBACK);
        } else {
            Fail(WSAHOST_NOT_FOUND);
            return nullptr;
        }
    }
    thread_local HostRecord record;
    std::snprintf(record.name, sizeof record.name, "%s", name);
    record.address = address;
    record.addressList[0] = reinterpret_cast<char*>(&record.address);
    record.addressList[1] = nullptr;
    record.aliases[0] = nullptr;
    record.entry.h_name = record.name;
    record.entry.h_aliases = record.aliases;
    record.entry.h_addrtype = AF_INET;
    record.entry.h_length = sizeof(ULONG);
    record.entry.h_addr_list = record.addressList;
    return &record.entry;
}

namespace standin {

void AddHost(const std::string& name, const std::string& address) {
    std::string key(name);
    std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
    WinsockState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    state.hosts[key] = inet_addr(address.c_str());
}

void ClearHosts() {
    std::lock_guard<std::mutex> hold(State().lock);
    State().hosts.clear();
}

unsigned OpenSocketCount() {
    std::lock_guard<std::mutex> hold(State().lock);
    return static_cast<unsigned>(State().sockets.size());
}

unsigned StartupCount() {
    std::lock_guard<std::mutex> hold(State().lock);
    return State().startups;
}

void FailStartups(int error) {
    std::lock_guard<std::mutex> hold(State().lock);
    State().startupError = error;
}

}  // namespace standin
