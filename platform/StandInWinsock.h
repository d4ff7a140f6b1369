#pragma once
// Controls of the stand-in's Windows Sockets for hosts and tests (not platform calls; product
// code never includes this header).
#include <string>

namespace standin {

/// gethostbyname answers `name` (compared without regard to letter case) with the dotted
/// IPv4 `address`. The stand-in asks no outside name service.
void AddHost(const std::string& name, const std::string& address);
void ClearHosts();
/// Sockets open now in this process (to prove that a caller closed what it opened).
unsigned OpenSocketCount();
/// WSAStartup calls not yet matched by a WSACleanup in this process.
unsigned StartupCount();
/// Makes every WSAStartup answer `error` without starting (0: start normally again).
void FailStartups(int error);

}  // namespace standin
