#pragma once
// Debian's snmpd as a test printer's agent: one process on 127.0.0.1 at a free high port,
// SNMP version 1 with the community "vantel" (read-write, from 127.0.0.1 only), the printer's
// subtrees handed to our pass program, nothing else. It reads no system configuration, loads
// no MIB files, sends no traps and keeps its state in the test's folder. This file uses the
// host's process and socket calls, so it stays free of the platform's headers.
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

#include "tools/sample/Waits.h"

namespace kvtest {

/// Where Debian's package installs the agent.
inline constexpr char kSnmpdPath[] = "/usr/sbin/snmpd";

/// The subtrees the pass program serves: system (for sysDescr), host resources, the printer
/// MIB and the printer maker's objects.
std::vector<std::string> PrinterSubtrees();

class SnmpdProcess {
public:
    SnmpdProcess() = default;
    ~SnmpdProcess() { Stop(); }
    SnmpdProcess(const SnmpdProcess&) = delete;
    SnmpdProcess& operator=(const SnmpdProcess&) = delete;

    /// Writes snmpd.conf into `folder` (which must exist) and starts the agent serving
    /// `objectsFile` through `passProgram`; returns once it answers a request, at most
    /// `limitMs` later. `port` 0 picks a free one. False with Why() when snmpd is missing,
    /// will not start or does not answer (the process is then stopped).
    bool Start(const std::string& folder, const std::string& objectsFile, const std::string& passProgram,
               uint16_t port = 0, int limitMs = static_cast<int>(kAnswerWaitMs));
    /// SIGTERM, then SIGKILL after a second; waits for the process. Nothing when not running.
    void Stop();

    bool Running() const { return pid_ > 0; }
    uint16_t Port() const { return port_; }
    /// Why the last Start failed, with the end of the agent's log.
    const std::string& Why() const { return why_; }
    /// Milliseconds from the start of the process to its first answer.
    int StartupMs() const { return startupMs_; }
    /// The version line of the agent's log ("NET-SNMP version ..."), empty when not found.
    std::string Version() const;

private:
    bool StartOnce(uint16_t port, int limitMs, bool& portTaken);
    std::string LogTail() const;

    std::string folder_;
    std::string objects_;
    std::string pass_;
    pid_t pid_ = 0;
    uint16_t port_ = 0;
    int startupMs_ = 0;
    std::string why_;
};

}  // namespace kvtest
