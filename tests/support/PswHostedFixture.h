#pragma once
// The base of the tests that load the status window library in the status-monitor host: the
// manager stand-in loaded by name (the monitor's side written on the test's own connections
// to it), the language libraries installed in the folder the driver's key names, English
// chosen, and everything released again after the test. The fixtures derived from it add
// their printers and load the host.
#include <string>
#include <utility>
#include <vector>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Registry.h"
#include "platform/StandInMonitor.h"
#include "platform/StandInUi.h"
#include "platform/StatusManager.h"
#include "platform/User.h"
#include "tests/support/MachineKeys.h"
#include "tests/support/ModuleExport.h"
#include "tests/support/TestRoot.h"
#include "tools/hosts/pswhost/PswHost.h"

namespace kvtest {

class PswHostedTest : public StandInTest {
protected:
    /// `driverKey`: the machine key whose DIRPATH names the language libraries' folder.
    explicit PswHostedTest(std::u16string driverKey) : driverKey_(std::move(driverKey)) {}

    void SetUp() override {
        StandInTest::SetUp();
        standin::monitor::Reset();
        const std::u16string folder = u"C:\\lang\\";
        SetMachineValue(driverKey_, u"DIRPATH", REG_SZ, folder.c_str(),
                        static_cast<DWORD>((folder.size() + 1) * sizeof(WCHAR)));
        InstallModule("QW774409", u"C:\\lang\\QW774409.DLL");
        InstallModule("QW774411", u"C:\\lang\\QW774411.DLL");
        SetLanguage(1033);
        manager_ = LoadLibraryW(u"KWTQSRMZ.DLL");
        ASSERT_NE(manager_, nullptr);
        open_ = ModuleExport<PFN_OpenManagerExW>(manager_, "OpenManagerExW");
        close_ = ModuleExport<PFN_CloseManager>(manager_, "CloseManager");
        update_ = ModuleExport<PFN_UpdatePrinterStatusA>(manager_, "UpdatePrinterStatusA");
        ASSERT_TRUE(open_ && close_ && update_);
        // Held for the whole test: a named event goes with its last handle, and a signal sent
        // before a window's watcher has opened it would be lost with it.
        settingsEvent_ = CreateEventW(nullptr, TRUE, FALSE, u"QLVDRXPSL:STATUS_SETTING_UPDATE");
        ASSERT_NE(settingsEvent_, nullptr);
    }

    void TearDown() override {
        host_.Unload();
        if (settingsEvent_ != nullptr) CloseHandle(settingsEvent_);
        if (close_ != nullptr) {
            for (DWORD monitor : monitors_) close_(monitor);
        }
        if (manager_ != nullptr) FreeLibrary(manager_);
        standin::ui::ResetUi();
        standin::monitor::Reset();
        StandInTest::TearDown();
    }

    /// Tells every window's settings watcher that the settings changed.
    void SignalSettings() const { SetEvent(settingsEvent_); }

    /// The language the driver's machine key names (1033 or 1041), before the windows are made.
    static void SetLanguage(DWORD langId) { SetMachineDword(u"Software\\ZEV\\Stanvel", u"LangID", langId); }

    /// A DWORD value of a key of the user's (made as needed).
    static void SetUserDword(const std::u16string& key, const char16_t* name, DWORD value) {
        HKEY k = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
                  0);
        RegSetValueExW(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(k);
    }

    /// The printer's connection as its monitor, closed after the test; 0 (and a failure) when
    /// the manager refuses it.
    DWORD OpenMonitor(const char16_t* printer) {
        DWORD monitor = 0;
        EXPECT_EQ(open_(printer, u"\\\\.\\kjlmon", kSrmModeMonitor, &monitor), SRMRES_SUCCESS);
        if (monitor != 0) monitors_.push_back(monitor);
        return monitor;
    }

    /// Creates the printer's window set (expects success).
    pswhost::WindowSet CreateSet(const std::string& printer) {
        pswhost::WindowSet set;
        EXPECT_EQ(host_.Create(printer, &set), 0u);
        EXPECT_NE(set.main, nullptr);
        return set;
    }

    /// A string of the language library of that language.
    static std::u16string LibraryString(DWORD langId, UINT id) {
        const std::u16string path = langId == 1033 ? u"C:\\lang\\QW774409.DLL" : u"C:\\lang\\QW774411.DLL";
        HMODULE module = LoadLibraryW(path.c_str());
        WCHAR text[512] = {};
        if (module != nullptr) {
            LoadStringW(module, id, text, 512);
            FreeLibrary(module);
        }
        return text;
    }

    pswhost::PswHost host_;
    HMODULE manager_ = nullptr;
    PFN_OpenManagerExW open_ = nullptr;
    PFN_CloseManager close_ = nullptr;
    PFN_UpdatePrinterStatusA update_ = nullptr;
    HANDLE settingsEvent_ = nullptr;

private:
    std::u16string driverKey_;
    std::vector<DWORD> monitors_;
};

}  // namespace kvtest
