#include "tests/support/MonitorSetup.h"

#include <gtest/gtest.h>

#include "platform/Registry.h"
#include "tests/support/MachineKeys.h"

namespace kvtest {

std::vector<RootWait> ShortRootWaits(DWORD pendingOutputMs, std::initializer_list<RootWait> more) {
    std::vector<RootWait> waits{{u"PortMutexTimeout", 300},
                                {u"ClosePortTimeout", 100},
                                {u"ClosePortPollInterval", 5},
                                {u"PendingOutputTimeout", pendingOutputMs},
                                {u"RetryPause", 1}};
    for (const RootWait& wait : more) waits.push_back(wait);
    return waits;
}

void SetRootWaits(HKEY root, const std::vector<RootWait>& waits) {
    for (const RootWait& wait : waits) {
        const DWORD value = wait.milliseconds;
        RegSetValueExW(root, wait.name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }
}

void LoadMonitorWithWaits(standin::monitor::LanguageMonitorHost& host, const std::u16string& module,
                          const std::vector<RootWait>& waits) {
    ASSERT_TRUE(host.Load(module, u"KV Language Monitor"));
    for (const RootWait& wait : waits) host.SetRootValue(wait.name, wait.milliseconds);
    host.Unload();
    ASSERT_TRUE(host.Load(module, u"KV Language Monitor"));
}

void LoadMonitorForPrinter(standin::monitor::LanguageMonitorHost& host, const std::u16string& module,
                           const std::u16string& printer, const std::vector<RootWait>& waits) {
    standin::monitor::Reset();
    standin::PrinterSetup setup;
    setup.name = printer;
    standin::AddPrinter(setup);
    LoadMonitorWithWaits(host, module, waits);
}

void AddSpoolerPrinter(const standin::PrinterSetup& printer) {
    standin::AddPrinter(printer);
    std::u16string key = printer.name;
    for (char16_t& c : key) {
        if (c == u'\\') c = u',';
    }
    std::u16string path = u"System\\CurrentControlSet\\control\\Print\\Printers\\";
    path.append(key);
    SetMachineString(path, u"Printer Driver", printer.driverName);
}

}  // namespace kvtest
