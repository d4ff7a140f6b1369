#include "langmon/BoundPrinters.h"

namespace langmon {

void SyncBoundPrinters(PortContext&) {}
void RebindStatusManager(PortContext&) {}
void SetPollingFlag(PortContext&, bool) {}

}  // namespace langmon
