#pragma once
// The threads that follow the status resource manager and the spooler for a port: one
// notification thread per bound printer, and the job watch while the printer is in error.
#include "platform/Kernel.h"  // ahead of the port context, which uses its critical section
#include "langmon/PortContext.h"
