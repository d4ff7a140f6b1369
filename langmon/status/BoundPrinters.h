#pragma once
// The printers bound to a port's status variables, kept in step with the spooler's printers
// and the status resource manager: binding and removing one printer, reconnecting bindings
// whose manager could not be opened, the printer scan, and the end of every binding.
//
// Lifetime of a binding: linked from PortContext::FirstBinding while bound. A removed binding
// whose notification thread may still run moves to PortContext::RetiredBindings and is freed
// once that thread has been joined: by a holder of the port mutex when the thread has ended
// (ReapEndedBindings), or by JoinBindingThreads when the port closes. So a binding pointer read
// under the port's lock stays valid for as long as the reader holds the port mutex.
#include "platform/Kernel.h"  // ahead of the port context, which uses its critical section
#include "langmon/PortContext.h"
#include "langmon/status/StatusManagerLink.h"
#include "langmon/status/StatusVariables.h"

namespace langmon {

/// The language monitor a printer's driver names when the port's own printer cannot be found.
inline constexpr WCHAR kDefaultMonitorName[] = u"Stanvel Language Monitor for ZEV KV-TD520 (VX)";

/// The binding of that printer (case-insensitive name), or NULL. Caller holds PortLock.
[[nodiscard]] SrmBinding* FindBinding(PortContext& port, LPCWSTR printer);
/// Binds the printer to the manager: NULL when the port kind or state refuses it, when the
/// printer's driver is not this model's, or when the manager names another port. A binding
/// whose manager cannot be opened is linked without one (nothing is pushed through it). A
/// connected binding gets its notification thread and the spooler's port status; with
/// `replay`, every replayed row goes to it at once. Caller holds PortLock.
[[nodiscard]] SrmBinding* LoadStatusManager(PortContext& port, LPCWSTR printer, bool replay);
/// Unlinks the binding and clears the spooler's port status for it; the binding ends (its
/// notification thread sees it) and is retired, to be freed once nothing can use it. Never
/// waits for a thread, so any thread may call it, the binding's own included. Caller holds
/// PortLock; a binding not linked is left alone.
void RemoveBinding(PortContext& port, SrmBinding* binding);
/// Frees the retired bindings whose notification thread has ended. Caller holds the port
/// mutex and PortLock.
void ReapEndedBindings(PortContext& port);
/// Joins the notification thread of every binding, bound or retired, and frees the retired
/// ones. Only after the port's stop event is set (the threads end on it); the caller holds
/// neither the port mutex nor PortLock.
void JoinBindingThreads(PortContext& port);

/// True when the manager's `Port` value leaves the printer on this port: no port known
/// (first word 0), or exactly this port's name (any case) and no redirection.
[[nodiscard]] bool ManagerPortIsThisPort(const PortContext& port, const PortVariableValue& value);

/// Binds every local printer of this port that uses this monitor, removes bindings of the
/// printers that left it. While the port closes it only removes. Any thread may call it.
void SyncBoundPrinters(PortContext& port);
/// Connects again the bindings that have no manager handle (each polling pass and refresh).
void RebindStatusManager(PortContext& port);
/// `PrinterExtStatus` bit 0x10 on or off after a printer scan; published.
void SetPollingFlag(PortContext& port, bool on);

}  // namespace langmon
