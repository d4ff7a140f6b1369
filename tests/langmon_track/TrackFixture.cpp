#include "tests/langmon_track/TrackFixture.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <cstring>
#include <mutex>
#include <ostream>

#include "langmon/job/JobQueue.h"
#include "langmon/PortSettings.h"
#include "langmon/log/PrintHistory.h"
#include "langmon/printer/StatusThread.h"
#include "langmon/status/StatusVariables.h"
#include "langmon/PortHolds.h"
#include "platform/Registry.h"
#include "platform/StandIn.h"
#include "platform/StandInMonitor.h"
#include "tests/support/MachineKeys.h"
#include "tools/sample/PortSetup.h"

namespace kvtest {
namespace {

struct Push {
    std::string name;
    std::vector<BYTE> bytes;
};

// The manager's record of pushes: the binding's entry point is a plain function.
std::mutex g_lock;
std::vector<Push> g_pushes;

}  // namespace

void PrintTo(const PrintingPush& push, std::ostream* out) {
    *out << "{job " << push.jobId << ", page " << push.page << "}";
}

std::string TestJcid(int n) {
    char text[64];
    std::snprintf(text, sizeof text, "JCID%041d", n);
    return text;
}

DWORD TrackTest::RecordUpdate(DWORD, LPCSTR name, LPCVOID value, DWORD cb) {
    std::lock_guard<std::mutex> hold(g_lock);
    const auto* bytes = static_cast<const BYTE*>(value);
    g_pushes.push_back({name, std::vector<BYTE>(bytes, bytes + cb)});
    return 0;
}

void TrackTest::SetUp() {
    StandInTest::SetUp();
    standin::monitor::Reset();
    ClearPushes();
    standin::PrinterSetup printer;
    printer.name = kTrackPrinter;
    printer.port = u"IP_127.0.0.1";
    printer.driverName = u"ZEV KV-TD520 (VX)";
    standin::AddPrinter(printer);
    // The print history on, below C:\Relay.
    const DWORD on = 1;
    SetMachineValue(u"SOFTWARE\\ZEV\\Relaydock\\Env\\PrnChk", u"PrnOrdChk", REG_DWORD, &on, sizeof on);
    const std::u16string base = u"C:\\Relay";
    SetMachineValue(u"SOFTWARE\\ZEV\\Relaydock\\Env\\Dir", u"BaseDir", REG_SZ, base.c_str(),
                    static_cast<DWORD>((base.size() + 1) * sizeof(char16_t)));

    ASSERT_TRUE(StartMonitor(monitor_));
    monitor_.Waits.PortMutexMs = 200;
    monitor_.Waits.RetryPauseMs = 1;  // the pause before a JCID lookup
    monitor_.Waits.EndedJobRecordMs = 5;
    port_ = CreatePort(u"IP_127.0.0.1", kTrackPrinter, monitor_);
    ASSERT_NE(port_, nullptr);
    port_->PortKind = langmon::port_kind::StandardTcpPort;
    port_->State |= langmon::port_state::DeviceSupported;
    // Two waits of 100 ms per request: a silent agent costs 200 ms.
    AimAtAgent(*port_, agent_, {.waitMs = kvtest::kAnswerWaitMs, .onePowerOffTry = false});
    ASSERT_TRUE(langmon::GetPrintCheckInfo(*port_));

    binding_ = BindRecorder(*port_, kTrackPrinter, RecordUpdate);
    ASSERT_NE(binding_, nullptr);
    port_->ModelMask = kKvTd520ModelMask;
    agent_.LoadPrinter();
}

void TrackTest::TearDown() {
    if (port_ != nullptr) StopAndDeletePort(port_);
    langmon::EndMonitorProcess();
    StandInTest::TearDown();
}

langmon::JobQueueEntry* TrackTest::Queue(DWORD jobId, const std::string& jcid, bool endDocSeen) {
    standin::monitor::AddJob(kTrackPrinter, jobId, 0, u"Relaydock-" + U16(std::to_string(jobId)), u"user");
    langmon::JobQueueEntry* entry = langmon::InJobQueue(*port_, jobId);
    EXPECT_NE(entry, nullptr);
    if (entry == nullptr) return nullptr;
    std::snprintf(entry->Jcid, sizeof entry->Jcid, "%s", jcid.c_str());
    std::snprintf(entry->JcidIndex, sizeof entry->JcidIndex, "%s", JcidIndex(jcid).c_str());
    entry->Binding = binding_;
    if (endDocSeen) {
        std::snprintf(entry->JcidAtEnd, sizeof entry->JcidAtEnd, "%s", jcid.c_str());
        entry->Flags |= langmon::job_flag::EndDocSeen;
    }
    return entry;
}

std::vector<DWORD> TrackTest::QueuedJobs() {
    langmon::PortLockHold lock(*port_);
    std::vector<DWORD> jobs;
    for (const langmon::JobQueueEntry* e = port_->QueueHead; e != nullptr; e = e->Next) jobs.push_back(e->JobId);
    return jobs;
}

std::vector<PrintingPush> TrackTest::PrintingPushes() const {
    std::lock_guard<std::mutex> hold(g_lock);
    std::vector<PrintingPush> pushes;
    for (const Push& push : g_pushes) {
        if (push.name != "PrintingJobInfo") continue;
        EXPECT_EQ(push.bytes.size(), sizeof(PrintingJobInfoValue));
        if (push.bytes.size() != sizeof(PrintingJobInfoValue)) continue;
        PrintingJobInfoValue value{};
        std::memcpy(&value, push.bytes.data(), sizeof value);
        pushes.push_back({value.JobID, value.Page});
    }
    return pushes;
}

size_t TrackTest::Pushes(const std::string& name) const {
    std::lock_guard<std::mutex> hold(g_lock);
    size_t n = 0;
    for (const Push& push : g_pushes) n += push.name == name ? 1 : 0;
    return n;
}

DWORD TrackTest::LastDword(const std::string& name) const {
    std::lock_guard<std::mutex> hold(g_lock);
    DWORD value = 0xDEADBEEF;
    for (const Push& push : g_pushes) {
        if (push.name == name && push.bytes.size() == sizeof value) std::memcpy(&value, push.bytes.data(), sizeof value);
    }
    return value;
}

void TrackTest::ClearPushes() {
    std::lock_guard<std::mutex> hold(g_lock);
    g_pushes.clear();
}

bool TrackTest::Ejected(DWORD jobId) {
    for (const DWORD command : standin::monitor::JobCommands(kTrackPrinter, jobId)) {
        if (command == JOB_CONTROL_LAST_PAGE_EJECTED) return true;
    }
    return false;
}

std::string TrackTest::History() {
    // The day's first file; the name carries the printer's name as the history cleans it.
    std::error_code error;
    for (const auto& file : std::filesystem::directory_iterator(standin::MapPath(u"C:\\Relay\\RAS\\Trc"), error)) {
        const std::string name = file.path().filename().string();
        if (name.starts_with("LMOUT_") && name.ends_with("_20240305_001.txt")) {
            std::ifstream in(file.path(), std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), {});
        }
    }
    return {};
}

void TrackTest::Reset() {
    langmon::FreeJobQueue(*port_);
    agent_.Clear();
    agent_.LoadPrinter();
    agent_.Script({});
    agent_.SetEndlessColumn("", "");
    ClearPushes();
}

}  // namespace kvtest
