#pragma once
// Controls of the service control manager's stand-in for hosts and tests: which services are
// installed and their states. Product code never includes this header.
#include <string>

#include "platform/Services.h"

namespace standin::services {

/// Installs (or re-states) a service by name.
void Install(const std::u16string& name, DWORD state = SERVICE_RUNNING);
void Remove(const std::u16string& name);
/// Removes every service; open handles stay valid and read removed services as stopped.
void Reset();
/// Handles of the manager and of services not yet closed (for tests that count leaks).
unsigned OpenHandles();

}  // namespace standin::services
