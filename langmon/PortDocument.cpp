#include "langmon/PortDocument.h"

namespace langmon {

void SendUstatusOff(PortContext&) {}

}  // namespace langmon
