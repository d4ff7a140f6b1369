#pragma once
// What the manager takes from the spooler for a printer: its pause, a deletion under way and
// the jobs it still holds, and the values made of them (SpoolerStatus, the queues' records).
#include <string>
#include <vector>

#include "platform/StatusManager.h"
#include "tools/standins/srm/SrmStore.h"

namespace srm {

struct SpoolerJob {
    std::u16string document;
    std::u16string user;
    DWORD id = 0;
};

struct SpoolerPicture {
    bool paused = false;
    bool deleting = false;          // a job of the printer is being deleted
    std::vector<SpoolerJob> jobs;   // oldest first; jobs seen through are left out
};

/// Reads the spooler (outside the store's lock: the spooler has locks of its own). False for
/// a printer the spooler does not know.
bool ReadSpooler(const std::u16string& printer, SpoolerPicture* picture);

/// The SpoolerStatus word of the picture (SRM_SPOOLER_*) when the monitor has taken its
/// first `taken` jobs.
DWORD SpoolerStatusOf(const SpoolerPicture& picture, size_t taken);
/// A counted list of `count` records of the picture's jobs from `first` on (zero records past
/// its end).
Bytes QueueOf(const SpoolerPicture& picture, size_t first, DWORD count);

/// A wide printing-job record (SRM_PRINTING_JOB_INFO_W) that carries only a job's id, as the
/// monitor writes it, gets the document and user name of the spooler's job of that id, for the
/// readers that show them. A record with a name or a user, with no id, of another size or of a
/// job the spooler does not hold is left as it is.
void FillPrintingJob(const std::u16string& printer, Bytes* record);

}  // namespace srm
