// The platform's Windows Sockets as the SNMP client uses them, on loopback only.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <string>
#include <thread>

#include "platform/StandInWinsock.h"
#include "platform/Winsock.h"

namespace {

class WinsockTest : public ::testing::Test {
protected:
    void SetUp() override {
        WSADATA data;
        ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
        EXPECT_EQ(data.wVersion, MAKEWORD(1, 1));
    }
    void TearDown() override { EXPECT_EQ(WSACleanup(), 0); }

    /// A datagram socket bound to 127.0.0.1 at an ephemeral port.
    SOCKET Bound(sockaddr_in& local) {
        const SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
        EXPECT_NE(s, INVALID_SOCKET);
        local = {};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = inet_addr("127.0.0.1");
        int cb = sizeof local;
        EXPECT_EQ(bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local), 0);
        EXPECT_EQ(getsockname(s, reinterpret_cast<sockaddr*>(&local), &cb), 0);
        EXPECT_NE(local.sin_port, 0);
        return s;
    }
};

TEST(WinsockStartup, CountedAndRequired) {
    WSASetLastError(0);
    EXPECT_EQ(socket(AF_INET, SOCK_DGRAM, 0), INVALID_SOCKET);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
    EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);

    WSADATA data;
    EXPECT_EQ(WSAStartup(MAKEWORD(1, 0), &data), WSAVERNOTSUPPORTED);
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
    const unsigned before = standin::OpenSocketCount();
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    ASSERT_NE(s, INVALID_SOCKET);
    EXPECT_EQ(standin::OpenSocketCount(), before + 1);
    // The first cleanup keeps sockets open; the last closes them.
    EXPECT_EQ(WSACleanup(), 0);
    EXPECT_EQ(standin::OpenSocketCount(), before + 1);
    EXPECT_EQ(WSACleanup(), 0);
    EXPECT_EQ(standin::OpenSocketCount(), 0u);
    EXPECT_EQ(closesocket(s), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
}

TEST_F(WinsockTest, SocketKindsAndHandles) {
    EXPECT_EQ(socket(AF_INET, SOCK_STREAM, 0), INVALID_SOCKET);
    EXPECT_EQ(WSAGetLastError(), WSAESOCKTNOSUPPORT);
    EXPECT_EQ(socket(23, SOCK_DGRAM, 0), INVALID_SOCKET);
    EXPECT_EQ(WSAGetLastError(), WSAEAFNOSUPPORT);
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_NE(s, INVALID_SOCKET);
    EXPECT_EQ(closesocket(s), 0);
    EXPECT_EQ(closesocket(s), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    ULONG on = 1;
    EXPECT_EQ(ioctlsocket(s, FIONBIO, &on), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
}

TEST_F(WinsockTest, DatagramsSelectAndNonBlockingReads) {
    sockaddr_in serverAddress;
    sockaddr_in clientAddress;
    const SOCKET server = Bound(serverAddress);
    const SOCKET client = Bound(clientAddress);

    // Non-blocking with nothing waiting.
    ULONG on = 1;
    ASSERT_EQ(ioctlsocket(server, FIONBIO, &on), 0);
    char buffer[64];
    sockaddr_in from{};
    int cbFrom = sizeof from;
    EXPECT_EQ(recvfrom(server, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &cbFrom), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(server, &readable);
    FD_SET(server, &readable);  // once only
    EXPECT_EQ(readable.fd_count, 1u);
    timeval shortWait{0, 10000};
    EXPECT_EQ(select(0, &readable, nullptr, nullptr, &shortWait), 0);
    EXPECT_EQ(readable.fd_count, 0u);

    // A datagram arrives: select keeps only the ready socket; the sender is reported.
    const char text[] = "twelve bytes";
    ASSERT_EQ(sendto(client, text, 12, 0, reinterpret_cast<const sockaddr*>(&serverAddress), sizeof serverAddress), 12);
    FD_ZERO(&readable);
    FD_SET(client, &readable);
    FD_SET(server, &readable);
    timeval wait{2, 0};
    ASSERT_EQ(select(0, &readable, nullptr, nullptr, &wait), 1);
    EXPECT_EQ(readable.fd_count, 1u);
    EXPECT_TRUE(FD_ISSET(server, &readable));
    EXPECT_FALSE(FD_ISSET(client, &readable));
    ULONG pending = 0;
    EXPECT_EQ(ioctlsocket(server, FIONREAD, &pending), 0);
    EXPECT_EQ(pending, 12u);
    ASSERT_EQ(recvfrom(server, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &cbFrom), 12);
    EXPECT_EQ(std::memcmp(buffer, text, 12), 0);
    EXPECT_EQ(from.sin_port, clientAddress.sin_port);
    EXPECT_STREQ(inet_ntoa(from.sin_addr), "127.0.0.1");

    // A datagram larger than the buffer fills it, is dropped and fails.
    ASSERT_EQ(sendto(client, text, 12, 0, reinterpret_cast<const sockaddr*>(&serverAddress), sizeof serverAddress), 12);
    FD_ZERO(&readable);
    FD_SET(server, &readable);
    ASSERT_EQ(select(0, &readable, nullptr, nullptr, &wait), 1);
    EXPECT_EQ(recvfrom(server, buffer, 4, 0, nullptr, nullptr), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEMSGSIZE);
    EXPECT_EQ(std::memcmp(buffer, "twel", 4), 0);
    EXPECT_EQ(recvfrom(server, buffer, sizeof buffer, 0, nullptr, nullptr), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);

    // Writable at once; empty sets and closed sockets are refused.
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(client, &writable);
    EXPECT_EQ(select(0, nullptr, &writable, nullptr, &wait), 1);
    fd_set none;
    FD_ZERO(&none);
    EXPECT_EQ(select(0, &none, nullptr, nullptr, &wait), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
    EXPECT_EQ(closesocket(client), 0);
    FD_SET(client, &none);
    EXPECT_EQ(select(0, &none, nullptr, nullptr, &wait), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    FD_CLR(client, &none);
    EXPECT_EQ(none.fd_count, 0u);

    // Options the client sets; an unknown one is refused.
    const int flag = 1;
    EXPECT_EQ(setsockopt(server, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&flag), sizeof flag), 0);
    const WsaLinger hard{1, 0};
    EXPECT_EQ(setsockopt(server, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard), 0);
    EXPECT_EQ(setsockopt(server, SOL_SOCKET, 0x7777, reinterpret_cast<const char*>(&flag), sizeof flag), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOPROTOOPT);
    EXPECT_EQ(closesocket(server), 0);
}

TEST_F(WinsockTest, BlockingModeFollowsEachRequest) {
    sockaddr_in serverAddress;
    sockaddr_in clientAddress;
    const SOCKET server = Bound(serverAddress);
    const SOCKET client = Bound(clientAddress);
    // Each read starts with nothing waiting; a datagram follows after `sendAfter`. A read that
    // should not wait and waits anyway ends with that datagram instead of WSAEWOULDBLOCK.
    struct Step {
        int mode;  // FIONBIO's argument, or -1 to leave the mode as it is
        bool waits;
    };
    const Step steps[] = {{-1, true}, {1, false}, {1, false}, {0, true}, {1, false}, {0, true}};
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << "mode " << step.mode);
        if (step.mode >= 0) {
            ULONG mode = static_cast<ULONG>(step.mode);
            ASSERT_EQ(ioctlsocket(server, FIONBIO, &mode), 0);
        }
        std::promise<void> done;
        std::atomic<bool> sent{false};
        const auto sendAfter = step.waits ? std::chrono::milliseconds(50) : std::chrono::milliseconds(5000);
        std::thread sender([&, future = done.get_future()] {
            if (future.wait_for(sendAfter) == std::future_status::timeout) {
                sent = true;
                sendto(client, "late", 4, 0, reinterpret_cast<const sockaddr*>(&serverAddress), sizeof serverAddress);
            }
        });
        char buffer[16];
        const int got = recvfrom(server, buffer, sizeof buffer, 0, nullptr, nullptr);
        const int error = WSAGetLastError();
        const bool sentBefore = sent;
        done.set_value();
        sender.join();
        if (step.waits) {
            EXPECT_EQ(got, 4);
            EXPECT_TRUE(sentBefore);
        } else {
            EXPECT_EQ(got, SOCKET_ERROR);
            EXPECT_EQ(error, WSAEWOULDBLOCK);
            ULONG mode = 1;
            ASSERT_EQ(ioctlsocket(server, FIONBIO, &mode), 0);
            recvfrom(server, buffer, sizeof buffer, 0, nullptr, nullptr);  // a late datagram, if any
        }
    }
    EXPECT_EQ(closesocket(client), 0);
    EXPECT_EQ(closesocket(server), 0);
}

TEST_F(WinsockTest, BroadcastPermissionFollowsTheOption) {
    // This machine's own broadcast address: the host refuses it without the permission and
    // the datagram never leaves loopback with it.
    sockaddr_in local;
    const SOCKET s = Bound(local);
    sockaddr_in everyone = local;
    everyone.sin_addr.s_addr = inet_addr("127.255.255.255");
    struct Step {
        int option;  // SO_BROADCAST's value, or -1 to leave it as it is
        int sent;
    };
    const Step steps[] = {{-1, SOCKET_ERROR}, {0, SOCKET_ERROR}, {1, 1}, {1, 1}, {0, SOCKET_ERROR}, {1, 1}};
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << "option " << step.option);
        if (step.option >= 0) {
            ASSERT_EQ(setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&step.option),
                                 sizeof step.option),
                      0);
        }
        EXPECT_EQ(sendto(s, "x", 1, 0, reinterpret_cast<const sockaddr*>(&everyone), sizeof everyone), step.sent);
        if (step.sent == SOCKET_ERROR) {
            EXPECT_EQ(WSAGetLastError(), WSAEACCES);
        }
    }
    EXPECT_EQ(closesocket(s), 0);
}

TEST_F(WinsockTest, BroadcastNeedsTheOption) {
    // The host refuses before anything is sent, so this reaches no network.
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in everyone{};
    everyone.sin_family = AF_INET;
    everyone.sin_port = htons(161);
    everyone.sin_addr.s_addr = INADDR_BROADCAST;
    EXPECT_EQ(sendto(s, "x", 1, 0, reinterpret_cast<const sockaddr*>(&everyone), sizeof everyone), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEACCES);
    closesocket(s);
}

TEST_F(WinsockTest, DatagramsLeaveOnlyForThisMachine) {
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    const BOOL on = TRUE;
    ASSERT_EQ(setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof on), 0);
    struct Case {
        BYTE a, b, c, d;
        int error;
    };
    for (const Case& c : {Case{10, 0, 0, 5, WSAENETUNREACH}, Case{192, 168, 1, 20, WSAENETUNREACH},
                          Case{255, 255, 255, 255, WSAEACCES}}) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(161);
        const BYTE bytes[4] = {c.a, c.b, c.c, c.d};
        std::memcpy(&to.sin_addr.s_addr, bytes, sizeof bytes);
        EXPECT_EQ(sendto(s, "x", 1, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to), SOCKET_ERROR);
        EXPECT_EQ(WSAGetLastError(), c.error) << int(c.a) << "." << int(c.b) << "." << int(c.c) << "." << int(c.d);
    }
    closesocket(s);
}

TEST_F(WinsockTest, Addresses) {
    struct Case {
        const char* text;
        ULONG address;  // network order, as bytes a.b.c.d
    };
    const auto net = [](BYTE a, BYTE b, BYTE c, BYTE d) {
        const BYTE bytes[4] = {a, b, c, d};
        ULONG value;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    };
    const Case cases[] = {
        {"127.0.0.1", net(127, 0, 0, 1)},
        {"192.168.10.255", net(192, 168, 10, 255)},
        {"0.0.0.0", 0},
        {"256.0.0.1", INADDR_NONE},
        {"1.2.3", INADDR_NONE},
        {"1.2.3.4.5", INADDR_NONE},
        {"1.2.3.4 ", INADDR_NONE},
        {"1.2.3.0004", INADDR_NONE},
        {"printer", INADDR_NONE},
        {"", INADDR_NONE},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(inet_addr(c.text), c.address) << c.text;
    }
    EXPECT_EQ(inet_addr(nullptr), INADDR_NONE);
    EXPECT_EQ(htons(0x1234), 0x3412);
    EXPECT_EQ(ntohs(htons(161)), 161);
    EXPECT_EQ(htonl(0x01020304u), 0x04030201u);
    EXPECT_EQ(ntohl(htonl(0xA1B2C3D4u)), 0xA1B2C3D4u);

    const hostent* host = gethostbyname("LocalHost");
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(host->h_addrtype, AF_INET);
    EXPECT_EQ(host->h_length, 4);
    ULONG address;
    std::memcpy(&address, host->h_addr_list[0], sizeof address);
    EXPECT_EQ(address, net(127, 0, 0, 1));
    EXPECT_EQ(host->h_addr_list[1], nullptr);
    standin::AddHost("kv-td520", "10.0.0.7");
    host = gethostbyname("KV-TD520");
    ASSERT_NE(host, nullptr);
    std::memcpy(&address, host->h_addr, sizeof address);
    EXPECT_EQ(address, net(10, 0, 0, 7));
    standin::ClearHosts();
    EXPECT_EQ(gethostbyname("kv-td520"), nullptr);
    EXPECT_EQ(WSAGetLastError(), WSAHOST_NOT_FOUND);
}

}  // namespace
