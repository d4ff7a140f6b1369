// The manager's reading of the spooler: the printer's record and its jobs, through the
// spooler's own calls; which jobs it has seen through comes from the commands they received.
#include "tools/standins/srm/SrmSpooler.h"

#include <algorithm>
#include <cstring>

#include "platform/Monitor.h"
#include "platform/Spooler.h"
#include "platform/StandInMonitor.h"

namespace srm {
namespace {

constexpr DWORD kSeenThrough = JOB_STATUS_PRINTED | JOB_STATUS_DELETED | JOB_STATUS_COMPLETE;

std::u16string Text(LPCWSTR text) { return text != nullptr ? std::u16string(text) : std::u16string(); }

// Copies a text into a record's field, cut to fit and terminated.
template <size_t N>
void Put(WCHAR (&field)[N], const std::u16string& text) {
    const size_t n = std::min(text.size(), N - 1);
    std::memset(field, 0, sizeof(field));
    text.copy(field, n);
}

}  // namespace

bool ReadSpooler(const std::u16string& printer, SpoolerPicture* picture) {
    *picture = SpoolerPicture{};
    std::u16string name = printer;
    HANDLE spooler = nullptr;
    if (!OpenPrinterW(reinterpret_cast<LPWSTR>(name.data()), &spooler, nullptr)) return false;
    DWORD needed = 0;
    GetPrinterW(spooler, 2, nullptr, 0, &needed);
    Bytes info(needed);
    if (needed >= sizeof(PRINTER_INFO_2W) && GetPrinterW(spooler, 2, info.data(), needed, &needed)) {
        PRINTER_INFO_2W record{};
        std::memcpy(&record, info.data(), sizeof(record));
        picture->paused = (record.Status & PRINTER_STATUS_PAUSED) != 0;
    }
    DWORD returned = 0;
    needed = 0;
    EnumJobsW(spooler, 0, 0xFFFFFFFF, 1, nullptr, 0, &needed, &returned);
    Bytes jobs(needed);
    if (needed != 0 && EnumJobsW(spooler, 0, 0xFFFFFFFF, 1, jobs.data(), needed, &needed, &returned)) {
        for (DWORD i = 0; i < returned; ++i) {
            JOB_INFO_1W job{};
            std::memcpy(&job, jobs.data() + i * sizeof(JOB_INFO_1W), sizeof(job));
            const std::vector<DWORD> commands = standin::monitor::JobCommands(printer, job.JobId);
            const bool ejected = std::find(commands.begin(), commands.end(), JOB_CONTROL_LAST_PAGE_EJECTED) != commands.end();
            if (ejected || (job.Status & kSeenThrough) != 0) continue;
            if (job.Status & JOB_STATUS_DELETING) picture->deleting = true;
            picture->jobs.push_back(SpoolerJob{Text(job.pDocument), Text(job.pUserName), job.JobId});
        }
    }
    ClosePrinter(spooler);
    return true;
}

DWORD SpoolerStatusOf(const SpoolerPicture& picture, size_t taken) {
    DWORD status = 0;
    if (picture.paused) status |= SRM_SPOOLER_PAUSED;
    if (picture.deleting) status |= SRM_SPOOLER_DELETING;
    if (picture.jobs.size() > taken) status |= SRM_SPOOLER_JOBS;
    return status;
}

Bytes QueueOf(const SpoolerPicture& picture, size_t first, DWORD count) {
    Bytes list(4 + static_cast<size_t>(count) * sizeof(SRM_JOB_INFO_W), 0);
    std::memcpy(list.data(), &count, 4);
    for (DWORD i = 0; i < count && first + i < picture.jobs.size(); ++i) {
        const SpoolerJob& job = picture.jobs[first + i];
        SRM_JOB_INFO_W record{};
        Put(record.szJobName, job.document);
        Put(record.szUserName, job.user);
        record.dwJobId = job.id;
        std::memcpy(list.data() + 4 + i * sizeof(record), &record, sizeof(record));
    }
    return list;
}

void FillPrintingJob(const std::u16string& printer, Bytes* record) {
    SRM_PRINTING_JOB_INFO_W job{};
    if (record->size() != sizeof(job)) return;
    std::memcpy(&job, record->data(), sizeof(job));
    if (job.job.dwJobId == 0 || job.job.szJobName[0] != u'\0' || job.job.szUserName[0] != u'\0') return;
    std::u16string name = printer;
    HANDLE spooler = nullptr;
    if (!OpenPrinterW(reinterpret_cast<LPWSTR>(name.data()), &spooler, nullptr)) return;
    DWORD needed = 0;
    GetJobW(spooler, job.job.dwJobId, 1, nullptr, 0, &needed);
    Bytes info(needed);
    if (needed >= sizeof(JOB_INFO_1W) && GetJobW(spooler, job.job.dwJobId, 1, info.data(), needed, &needed)) {
        JOB_INFO_1W found{};
        std::memcpy(&found, info.data(), sizeof(found));
        Put(job.job.szJobName, Text(found.pDocument));
        Put(job.job.szUserName, Text(found.pUserName));
        std::memcpy(record->data(), &job, sizeof(job));
    }
    ClosePrinter(spooler);
}

}  // namespace srm
