#pragma once
// The manager's threads: the refresh listener in the monitor's process, and the relays that
// set a client's own events when a variable it registered changes in any process.
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace srm {

/// The named event a change sets for event registration `id`, entry `index`.
std::string NotifyEventName(DWORD id, DWORD index);
/// Sets a named event if some process holds it; nothing otherwise.
void SignalNamedEvent(const std::string& name);
/// Starts a thread of this process that forwards the registration's named events to `events`.
bool StartEventRelay(DWORD manager, DWORD id, const std::vector<HANDLE>& events);
void StopEventRelay(DWORD id);
void StopEventRelays(DWORD manager);
/// Makes sure this process runs the thread that posts the window messages other processes
/// leave for its registrations (TakePending).
void StartPostRelay();
/// Wakes that thread of another process.
void WakePostRelay(DWORD processId);
/// The printer (and mode) of an open connection: SRMRES_SUCCESS or SRMRES_INVALID_HANDLE.
DWORD PrinterOf(DWORD manager, std::u16string* printer, DWORD* mode = nullptr);
/// A closing connection's refresh requests of this process: no answer is posted for them any
/// more and they leave the store.
void AbandonRequests(DWORD manager);

}  // namespace srm
