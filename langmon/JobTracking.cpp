#include "langmon/JobTracking.h"

namespace langmon {

void TrackQueuedJobs(PortContext&) {}
void CheckJCID_SNMP(PortContext&) {}
void CheckJCID_SNMP_FD(PortContext&) {}
bool DEP_CheckPrintingStatus_SNMP(PortContext&) { return false; }
bool DEP_CancelJob_SNMP(PortContext&) { return false; }
bool GetAndCheckJCID(PortContext&, JobQueueEntry&) { return false; }
bool IsValidJCID(const char*, const char*) { return false; }
JobQueueEntry* FindQueuedJobByUid(PortContext&, const char*) { return nullptr; }

}  // namespace langmon
