#pragma once
// The threads that follow the status resource manager and the spooler for a port: one
// notification thread per bound printer, and the job watch while the printer is in error.
#include "platform/Kernel.h"  // ahead of the port context, which uses its critical section
#include "langmon/PortContext.h"
#include "langmon/status/StatusManagerLink.h"

namespace langmon {

/// What a notification thread asks the manager to tell it about.
inline constexpr char kNotifyVariables[] = "Port;PrinterName;TerminateManager;PrinterExtStatus";
/// Named events of a bound printer: deleted (with the printer name), the manager started
/// (shared by every printer), a spooler job arrived (with the printer name).
inline constexpr WCHAR kDeletePrinterEventPrefix[] = u"QLVDRXPWD:DEL_PRN:";
inline constexpr WCHAR kManagerStartedEvent[] = u"Global\\QLVDRXPSDB:START_STATUS";
inline constexpr WCHAR kJobEventPrefix[] = u"Global\\PWDJOBEVENT:";

/// Starts the notification thread of a connected binding; the binding keeps the thread's
/// handle until JoinBindingThreads or the reaping of a removed binding joins it. False (and
/// no thread) on share ports, once the port stops, or when the thread cannot be made. Caller
/// holds PortLock.
bool StartNotifyThread(PortContext& port, SrmBinding& binding);

/// Starts the job watch unless one runs or the port stops; the caller holds the port mutex.
bool StartJobWatch(PortContext& port);
/// Asks the job watch to end and joins it. The caller holds neither the port mutex nor
/// PortLock.
void StopJobWatch(PortContext& port);

}  // namespace langmon
