#include "tests/langmon_load/LoadPrinter.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/StandInMonitor.h"
#include "tests/langmon_load/LoadJob.h"
#include "tools/sample/PrinterOids.h"

namespace kvtest {
namespace {

constexpr int32_t kJobCompleted = 17;
constexpr int32_t kSuccessfulCompletion = 0x10;

// The printer's job index of a job: one number, the job id.
std::string Prid(DWORD jobId) { return "1." + std::to_string(jobId); }

}  // namespace

LoadPrinter::LoadPrinter(std::u16string spoolerName) : spoolerName_(std::move(spoolerName)) { PowerOn(); }

void LoadPrinter::PowerOff() {
    std::lock_guard<std::mutex> hold(lock_);
    agent_.Clear();
    listed_.clear();
    on_ = false;
}

void LoadPrinter::PowerOn() {
    std::lock_guard<std::mutex> hold(lock_);
    agent_.LoadPrinter();
    agent_.SetInteger(kTrayLevelOid, 0);  // the tray holds paper
    on_ = true;
}

void LoadPrinter::Printed(DWORD jobId, bool tracked) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!on_ || !tracked) return;
    const std::string jcid = LoadJcid(jobId);
    agent_.AddJob(jcid, Prid(jobId), kJobCompleted, kSuccessfulCompletion, 1);
    listed_[jobId] = jcid;
}

void LoadPrinter::ForgetEjected() {
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<DWORD> done;
    for (const auto& [jobId, jcid] : listed_) {
        const std::vector<DWORD> commands = standin::monitor::JobCommands(spoolerName_, jobId);
        if (std::find(commands.begin(), commands.end(), JOB_CONTROL_LAST_PAGE_EJECTED) != commands.end()) {
            done.push_back(jobId);
        }
    }
    for (DWORD jobId : done) Unlist(jobId);
}

void LoadPrinter::Unlist(DWORD jobId) {
    // The rows SnmpAgent::AddJob made: four columns of the job table, one of the JCID map.
    const std::string row = ".1." + Prid(jobId);
    agent_.Remove(kJobJcidColumnOid + row);
    agent_.Remove(kJobStateColumnOid + row);
    agent_.Remove("1.3.6.1.4.1.253.8.59.6.1.1.10" + row);   // state reasons
    agent_.Remove("1.3.6.1.4.1.253.8.59.16.1.1.5" + row);   // pages
    agent_.Remove(std::string(kJcidMapColumnOid) + "." + JcidIndex(listed_[jobId]) + "." + Prid(jobId));
    listed_.erase(jobId);
}

}  // namespace kvtest
