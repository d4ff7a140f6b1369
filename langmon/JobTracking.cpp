#include "langmon/JobTracking.h"

namespace langmon {

void TrackQueuedJobs(PortContext&) {}

}  // namespace langmon
