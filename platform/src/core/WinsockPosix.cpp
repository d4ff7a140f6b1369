// Datagram sockets over POSIX for the stand-in's Windows Sockets.
#include "platform/src/core/WinsockPosix.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace standin::net {
namespace {

// The WSA codes of Winsock.h, spelled out here because that header cannot be included
// beside the host's socket headers.
constexpr int kWsaEintr = 10004;
constexpr int kWsaEbadf = 10009;
constexpr int kWsaEacces = 10013;
constexpr int kWsaEfault = 10014;
constexpr int kWsaEinval = 10022;
constexpr int kWsaEmfile = 10024;
constexpr int kWsaEwouldblock = 10035;
constexpr int kWsaEnotsock = 10038;
constexpr int kWsaEmsgsize = 10040;
constexpr int kWsaEafnosupport = 10047;
constexpr int kWsaEaddrinuse = 10048;
constexpr int kWsaEaddrnotavail = 10049;
constexpr int kWsaEnetdown = 10050;
constexpr int kWsaEnetunreach = 10051;
constexpr int kWsaEconnreset = 10054;
constexpr int kWsaEnobufs = 10055;
constexpr int kWsaEhostunreach = 10065;

int FromErrno(int error) {
    switch (error) {
    case EINTR: return kWsaEintr;
    case EBADF: return kWsaEbadf;
    case EACCES:
    case EPERM: return kWsaEacces;
    case EFAULT: return kWsaEfault;
    case EMFILE:
    case ENFILE: return kWsaEmfile;
    case EAGAIN: return kWsaEwouldblock;
    case ENOTSOCK: return kWsaEnotsock;
    case EMSGSIZE: return kWsaEmsgsize;
    case EAFNOSUPPORT: return kWsaEafnosupport;
    case EADDRINUSE: return kWsaEaddrinuse;
    case EADDRNOTAVAIL: return kWsaEaddrnotavail;
    case ENETDOWN: return kWsaEnetdown;
    case ENETUNREACH: return kWsaEnetunreach;
    case ECONNREFUSED:
    case ECONNRESET: return kWsaEconnreset;
    case ENOBUFS:
    case ENOMEM: return kWsaEnobufs;
    case EHOSTUNREACH: return kWsaEhostunreach;
    default: return kWsaEinval;
    }
}

sockaddr_in ToHost(const Endpoint& endpoint) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = endpoint.port;
    address.sin_addr.s_addr = endpoint.address;
    return address;
}

}  // namespace

int OpenUdp(int& fd) {
    fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    return fd < 0 ? FromErrno(errno) : 0;
}

void Close(int fd) { ::close(fd); }

int Bind(int fd, const Endpoint& local) {
    const sockaddr_in address = ToHost(local);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return FromErrno(errno);
    }
    return 0;
}

int LocalName(int fd, Endpoint& local) {
    sockaddr_in address{};
    socklen_t cb = sizeof address;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &cb) != 0) {
        return FromErrno(errno);
    }
    local.address = address.sin_addr.s_addr;
    local.port = address.sin_port;
    return 0;
}

int HostOptionBroadcast() { return SO_BROADCAST; }
int HostOptionReuseAddr() { return SO_REUSEADDR; }

int SetFlag(int fd, int option, bool on) {
    const int value = on ? 1 : 0;
    return ::setsockopt(fd, SOL_SOCKET, option, &value, sizeof value) != 0 ? FromErrno(errno) : 0;
}

int SetLinger(int fd, bool on, int seconds) {
    const ::linger value{on ? 1 : 0, seconds};
    return ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &value, sizeof value) != 0 ? FromErrno(errno) : 0;
}

int SetBufferSize(int fd, bool receive, int bytes) {
    return ::setsockopt(fd, SOL_SOCKET, receive ? SO_RCVBUF : SO_SNDBUF, &bytes, sizeof bytes) != 0
               ? FromErrno(errno)
               : 0;
}

int SendTo(int fd, const void* data, size_t cb, const Endpoint& to, bool wait, size_t& cbSent) {
    const sockaddr_in address = ToHost(to);
    const ssize_t sent = ::sendto(fd, data, cb, MSG_NOSIGNAL | (wait ? 0 : MSG_DONTWAIT),
                                  reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (sent < 0) {
        return FromErrno(errno);
    }
    cbSent = static_cast<size_t>(sent);
    return 0;
}

int ReceiveFrom(int fd, void* data, size_t cb, bool wait, size_t& cbReceived, Endpoint& from) {
    sockaddr_in address{};
    socklen_t cbAddress = sizeof address;
    // MSG_TRUNC makes the host report the datagram's real length, so that a datagram larger
    // than the buffer can fail as the platform's does.
    const ssize_t got = ::recvfrom(fd, data, cb, MSG_TRUNC | (wait ? 0 : MSG_DONTWAIT),
                                   reinterpret_cast<sockaddr*>(&address), &cbAddress);
    if (got < 0) {
        return FromErrno(errno);
    }
    from.address = address.sin_addr.s_addr;
    from.port = address.sin_port;
    if (static_cast<size_t>(got) > cb) {
        cbReceived = cb;
        return kWsaEmsgsize;
    }
    cbReceived = static_cast<size_t>(got);
    return 0;
}

int PendingBytes(int fd, size_t& cb) {
    // The size of the next datagram without taking it.
    const ssize_t got = ::recv(fd, nullptr, 0, MSG_PEEK | MSG_TRUNC | MSG_DONTWAIT);
    if (got < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            cb = 0;
            return 0;
        }
        return FromErrno(errno);
    }
    cb = static_cast<size_t>(got);
    return 0;
}

int Poll(std::vector<PollEntry>& entries, int timeoutMs) {
    std::vector<pollfd> fds(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        fds[i].fd = entries[i].fd;
        fds[i].events = static_cast<short>((entries[i].wantRead ? POLLIN : 0) | (entries[i].wantWrite ? POLLOUT : 0) |
                                           (entries[i].wantExcept ? POLLPRI : 0));
    }
    int result;
    do {
        result = ::poll(fds.data(), fds.size(), timeoutMs);
    } while (result < 0 && errno == EINTR);
    if (result < 0) {
        return FromErrno(errno);
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        const short got = fds[i].revents;
        entries[i].canRead = entries[i].wantRead && (got & (POLLIN | POLLERR | POLLHUP)) != 0;
        entries[i].canWrite = entries[i].wantWrite && (got & (POLLOUT | POLLERR)) != 0;
        entries[i].hasExcept = entries[i].wantExcept && (got & POLLPRI) != 0;
    }
    return 0;
}

}  // namespace standin::net
