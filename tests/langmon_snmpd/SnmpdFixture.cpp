#include "tests/langmon_snmpd/SnmpdFixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/Winsock.h"

namespace kvtest {
namespace {

bool AgentRequired() {
    const char* required = std::getenv("KV_REQUIRE_SNMPD");
    return required != nullptr && required[0] == '1';
}

// Said once per run, so that a log shows whether the checks against snmpd ran.
void ReportRun(const SnmpdProcess& snmpd) {
    static bool reported = false;
    if (reported) return;
    reported = true;
    const std::string version = snmpd.Version();
    std::printf("[  SNMPD   ] snmpd ran: %s (%s) on udp:127.0.0.1:%u, answering after %d ms\n", kSnmpdPath,
                version.empty() ? "version not logged" : version.c_str(), static_cast<unsigned>(snmpd.Port()),
                snmpd.StartupMs());
    std::fflush(stdout);
}

}  // namespace

void SnmpdTest::SetUp() {
    StandInTest::SetUp();
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
    socketsStarted_ = true;
    folder_ = root_.Path() + "/snmpd";
    std::filesystem::create_directories(folder_);
    printer_.LoadPrinter();
    ASSERT_TRUE(printer_.Write(ObjectsFile()));
    if (!snmpd_.Start(folder_, ObjectsFile(), KV_SNMP_PASS)) {
        if (AgentRequired()) {
            FAIL() << "snmpd did not run and KV_REQUIRE_SNMPD=1: " << snmpd_.Why();
        }
        GTEST_SKIP() << "snmpd did not run, so the checks against a real agent were skipped: " << snmpd_.Why();
    }
    ReportRun(snmpd_);
}

void SnmpdTest::TearDown() {
    snmpd_.Stop();
    if (socketsStarted_) WSACleanup();
    StandInTest::TearDown();
}

void SnmpdTest::Publish() { ASSERT_TRUE(printer_.Write(ObjectsFile())); }

snmp::SnmpSettings SnmpdTest::Settings(uint32_t waitMs) const {
    snmp::SnmpSettings settings;
    settings.port = snmpd_.Port();
    settings.waitMs = waitMs;
    return settings;
}

bool SnmpdTest::RestartAgent() {
    const uint16_t port = snmpd_.Port();
    return snmpd_.Start(folder_, ObjectsFile(), KV_SNMP_PASS, port);
}

}  // namespace kvtest
