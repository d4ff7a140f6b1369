#pragma once
// The monitor as the tests set it up: its registry root's waits in milliseconds (read at
// initialisation) and the module loaded by name with them; a printer the spooler lists with
// its driver. The process state for contexts made from the library: tools/sample/PortSetup.h.
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/StandIn.h"
#include "platform/StandInMonitor.h"

namespace kvtest {

/// One wait of the monitor's registry root, in milliseconds.
struct RootWait {
    std::u16string name;
    DWORD milliseconds;
};

/// The waits every loaded monitor of the tests has (the port mutex, closing a port and its
/// polling, the retry pause), `pendingOutputMs` for held-back output, then `more`.
std::vector<RootWait> ShortRootWaits(DWORD pendingOutputMs, std::initializer_list<RootWait> more = {});
/// The waits as DWORD values of the root key.
void SetRootWaits(HKEY root, const std::vector<RootWait>& waits);
/// Loads the module by name, gives its root the waits and loads it again so that they are read.
void LoadMonitorWithWaits(standin::monitor::LanguageMonitorHost& host, const std::u16string& module,
                          const std::vector<RootWait>& waits);
/// The stand-in's port monitors reset, a printer of that name (on its default port) in the
/// spooler, and the module loaded with the waits.
void LoadMonitorForPrinter(standin::monitor::LanguageMonitorHost& host, const std::u16string& module,
                           const std::u16string& printer, const std::vector<RootWait>& waits);

/// The printer in the spooler, and its driver's name in the spooler's registry (under the
/// printer's name with commas for backslashes) where the monitor's bindings read it.
void AddSpoolerPrinter(const standin::PrinterSetup& printer);

}  // namespace kvtest
