#pragma once
// The host side of the stand-in's Windows Sockets: datagram sockets over POSIX. Kept apart
// from Winsock.cpp because the host's socket headers and the platform's Winsock.h name the
// same records differently. Every call answers a WSA error code (0 on success).
#include <cstddef>
#include <cstdint>
#include <vector>

namespace standin::net {

/// IPv4 address and port, both in network byte order.
struct Endpoint {
    uint32_t address = 0;
    uint16_t port = 0;
};

int OpenUdp(int& fd);
void Close(int fd);
int Bind(int fd, const Endpoint& local);
int LocalName(int fd, Endpoint& local);
int SetFlag(int fd, int option, bool on);  // option: SO_BROADCAST or SO_REUSEADDR of the host
int SetLinger(int fd, bool on, int seconds);
int SetBufferSize(int fd, bool receive, int bytes);
int HostOptionBroadcast();
int HostOptionReuseAddr();
// Host sockets stay blocking; a socket the caller made non-blocking passes `wait` false, so
// that switching the mode costs the host nothing.
int SendTo(int fd, const void* data, size_t cb, const Endpoint& to, bool wait, size_t& cbSent);
/// WSAEMSGSIZE when the datagram was longer than `cb` (the buffer holds its first bytes).
int ReceiveFrom(int fd, void* data, size_t cb, bool wait, size_t& cbReceived, Endpoint& from);
int PendingBytes(int fd, size_t& cb);

struct PollEntry {
    int fd = -1;
    bool wantRead = false;
    bool wantWrite = false;
    bool wantExcept = false;
    bool canRead = false;
    bool canWrite = false;
    bool hasExcept = false;
};
/// timeoutMs < 0 waits for ever.
int Poll(std::vector<PollEntry>& entries, int timeoutMs);

}  // namespace standin::net
