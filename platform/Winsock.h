#pragma once
// Windows Sockets: the datagram (UDP over IPv4) subset that the monitor's SNMP client and the
// test agents use. WSAStartup/WSACleanup are counted per process; every other call fails with
// WSANOTINITIALISED while the count is 0, and the last WSACleanup closes the sockets still
// open. Errors are reported through WSAGetLastError, which is the thread's last error.
//
// The host C library declares select(), fd_set, timeval, sockaddr and friends under the same
// names. Its definitions are pulled in first (through <cstdlib>, under their include guards)
// and the names below are then macros for our own records, so code written against this
// header sees the platform's shapes. The functions have C++ linkage so that their symbols
// never interpose on the C library's socket(), bind() or select(). A file that includes this
// header must not include the host's own socket headers.
#include <cstdlib>

#include "platform/WinTypes.h"

#define WSAAPI_EXPORT __attribute__((visibility("default")))

using SOCKET = UINT_PTR;
#define INVALID_SOCKET (~static_cast<SOCKET>(0))
#define SOCKET_ERROR (-1)

#define AF_UNSPEC 0
#define AF_INET 2
#define PF_INET AF_INET
#define SOCK_STREAM 1
#define SOCK_DGRAM 2
#define IPPROTO_IP 0
#define IPPROTO_UDP 17

#define INADDR_ANY 0x00000000u
#define INADDR_LOOPBACK 0x7F000001u
#define INADDR_BROADCAST 0xFFFFFFFFu
#define INADDR_NONE 0xFFFFFFFFu

#define SOL_SOCKET 0xFFFF
#define SO_REUSEADDR 0x0004
#define SO_BROADCAST 0x0020
#define SO_LINGER 0x0080
#define SO_SNDBUF 0x1001
#define SO_RCVBUF 0x1002

#define FIONBIO static_cast<LONG>(0x8004667Eu)
#define FIONREAD static_cast<LONG>(0x4004667Fu)

#define WSADESCRIPTION_LEN 256
#define WSASYS_STATUS_LEN 128

// Error codes.
#define WSAEINTR 10004
#define WSAEBADF 10009
#define WSAEACCES 10013
#define WSAEFAULT 10014
#define WSAEINVAL 10022
#define WSAEMFILE 10024
#define WSAEWOULDBLOCK 10035
#define WSAENOTSOCK 10038
#define WSAEDESTADDRREQ 10039
#define WSAEMSGSIZE 10040
#define WSAEPROTOTYPE 10041
#define WSAENOPROTOOPT 10042
#define WSAEPROTONOSUPPORT 10043
#define WSAESOCKTNOSUPPORT 10044
#define WSAEOPNOTSUPP 10045
#define WSAEAFNOSUPPORT 10047
#define WSAEADDRINUSE 10048
#define WSAEADDRNOTAVAIL 10049
#define WSAENETDOWN 10050
#define WSAENETUNREACH 10051
#define WSAECONNRESET 10054
#define WSAENOBUFS 10055
#define WSAETIMEDOUT 10060
#define WSAEHOSTUNREACH 10065
#define WSASYSNOTREADY 10091
#define WSAVERNOTSUPPORTED 10092
#define WSANOTINITIALISED 10093
#define WSAHOST_NOT_FOUND 11001
#define WSATRY_AGAIN 11002
#define WSANO_RECOVERY 11003
#define WSANO_DATA 11004

#define timeval WsaTimeval
#define fd_set WsaFdSet
#define in_addr WsaInAddr
#define sockaddr WsaSockAddr
#define sockaddr_in WsaSockAddrIn
#define hostent WsaHostEnt
#define linger WsaLinger

struct WsaTimeval {
    LONG tv_sec;
    LONG tv_usec;
};

#undef FD_SETSIZE
#define FD_SETSIZE 64
/// A counted array of sockets, not a bit set: FD_SET appends (up to FD_SETSIZE) and select
/// leaves only the ready sockets in it.
struct WsaFdSet {
    UINT fd_count;
    SOCKET fd_array[FD_SETSIZE];
};

struct WsaInAddr {
    union {
        struct { UCHAR s_b1, s_b2, s_b3, s_b4; } S_un_b;
        struct { USHORT s_w1, s_w2; } S_un_w;
        ULONG S_addr;
    } S_un;
};
#define s_addr S_un.S_addr

struct WsaSockAddr {
    USHORT sa_family;
    CHAR sa_data[14];
};

struct WsaSockAddrIn {
    SHORT sin_family;
    USHORT sin_port;  // network byte order
    WsaInAddr sin_addr;
    CHAR sin_zero[8];
};
static_assert(sizeof(WsaSockAddrIn) == 16);
static_assert(sizeof(WsaSockAddr) == 16);

struct WsaHostEnt {
    CHAR* h_name;
    CHAR** h_aliases;
    SHORT h_addrtype;
    SHORT h_length;
    CHAR** h_addr_list;
};
#define h_addr h_addr_list[0]

struct WsaLinger {
    USHORT l_onoff;
    USHORT l_linger;  // seconds
};

struct WSADATA {
    WORD wVersion;
    WORD wHighVersion;
    CHAR szDescription[WSADESCRIPTION_LEN + 1];
    CHAR szSystemStatus[WSASYS_STATUS_LEN + 1];
    USHORT iMaxSockets;
    USHORT iMaxUdpDg;
    CHAR* lpVendorInfo;
};
using LPWSADATA = WSADATA*;

// --- Start-up ---
/// Versions below 1.1 fail with WSAVERNOTSUPPORTED (returned, not set). The highest version
/// offered is 2.2; the data reports min(requested, 2.2).
WSAAPI_EXPORT int WSAStartup(WORD versionRequested, LPWSADATA data);
/// SOCKET_ERROR with WSANOTINITIALISED when there is no matching WSAStartup.
WSAAPI_EXPORT int WSACleanup();
WSAAPI_EXPORT int WSAGetLastError();
WSAAPI_EXPORT void WSASetLastError(int error);

// --- Sockets ---
/// AF_INET with SOCK_DGRAM (protocol 0 or IPPROTO_UDP) only; other kinds fail with
/// WSAESOCKTNOSUPPORT or WSAEAFNOSUPPORT. The socket starts in blocking mode.
[[nodiscard]] WSAAPI_EXPORT SOCKET socket(int af, int type, int protocol);
WSAAPI_EXPORT int closesocket(SOCKET s);
WSAAPI_EXPORT int bind(SOCKET s, const WsaSockAddr* name, int cbName);
WSAAPI_EXPORT int getsockname(SOCKET s, WsaSockAddr* name, int* cbName);
/// A datagram to 255.255.255.255 needs SO_BROADCAST (else WSAEACCES). In non-blocking mode a
/// send that would block fails with WSAEWOULDBLOCK.
WSAAPI_EXPORT int sendto(SOCKET s, const char* buf, int len, int flags, const WsaSockAddr* to, int cbTo);
/// One datagram. One that does not fit in `len` fills the buffer, is dropped and fails with
/// WSAEMSGSIZE. Non-blocking mode without a datagram waiting: WSAEWOULDBLOCK.
WSAAPI_EXPORT int recvfrom(SOCKET s, char* buf, int len, int flags, WsaSockAddr* from, int* cbFrom);
/// `nfds` is ignored. Sets may be NULL; all three empty fails with WSAEINVAL; a socket not
/// open fails with WSAENOTSOCK. A NULL timeout waits for ever. On return each set holds only
/// its ready sockets; the result counts them (0 on time-out).
WSAAPI_EXPORT int select(int nfds, WsaFdSet* readfds, WsaFdSet* writefds, WsaFdSet* exceptfds,
                         const WsaTimeval* timeout);
/// FIONBIO (*argp non-zero: non-blocking) and FIONREAD (bytes of the next datagram).
WSAAPI_EXPORT int ioctlsocket(SOCKET s, LONG cmd, ULONG* argp);
/// SOL_SOCKET with SO_BROADCAST, SO_REUSEADDR (4-byte BOOL), SO_LINGER (linger record),
/// SO_SNDBUF and SO_RCVBUF (4-byte int); other options fail with WSAENOPROTOOPT.
WSAAPI_EXPORT int setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen);
/// Used by FD_ISSET.
WSAAPI_EXPORT int WSAFDIsSet(SOCKET s, WsaFdSet* set);

// --- Addresses ---
/// Dotted IPv4 text ("a.b.c.d", each part decimal 0..255) to a network-order address;
/// INADDR_NONE for anything else.
WSAAPI_EXPORT ULONG inet_addr(const char* text);
/// Dotted text in a per-thread buffer that the next call on the thread overwrites.
WSAAPI_EXPORT char* inet_ntoa(WsaInAddr address);
WSAAPI_EXPORT USHORT htons(USHORT value);
WSAAPI_EXPORT USHORT ntohs(USHORT value);
WSAAPI_EXPORT ULONG htonl(ULONG value);
WSAAPI_EXPORT ULONG ntohl(ULONG value);
/// Dotted addresses, "localhost" and the names the stand-in was given (standin::AddHost);
/// no outside name service is asked. The record is per thread and overwritten by the next
/// call on the thread. NULL with WSAHOST_NOT_FOUND for other names.
WSAAPI_EXPORT WsaHostEnt* gethostbyname(const char* name);

#undef FD_ZERO
#undef FD_SET
#undef FD_CLR
#undef FD_ISSET
#define FD_ZERO(set) (static_cast<WsaFdSet*>(set)->fd_count = 0)
#define FD_ISSET(fd, set) WSAFDIsSet(static_cast<SOCKET>(fd), static_cast<WsaFdSet*>(set))
#define FD_SET(fd, set)                                                             \
    do {                                                                            \
        WsaFdSet* kvSet_ = (set);                                                   \
        UINT kvIndex_ = 0;                                                          \
        while (kvIndex_ < kvSet_->fd_count && kvSet_->fd_array[kvIndex_] != (fd)) { \
            ++kvIndex_;                                                             \
        }                                                                           \
        if (kvIndex_ == kvSet_->fd_count && kvSet_->fd_count < FD_SETSIZE) {         \
            kvSet_->fd_array[kvSet_->fd_count++] = (fd);                            \
        }                                                                           \
    } while (0)
#define FD_CLR(fd, set)                                                             \
    do {                                                                            \
        WsaFdSet* kvSet_ = (set);                                                   \
        for (UINT kvIndex_ = 0; kvIndex_ < kvSet_->fd_count; ++kvIndex_) {          \
            if (kvSet_->fd_array[kvIndex_] == (fd)) {                               \
                kvSet_->fd_array[kvIndex_] = kvSet_->fd_array[--kvSet_->fd_count];   \
                break;                                                              \
            }                                                                       \
        }                                                                           \
    } while (0)
