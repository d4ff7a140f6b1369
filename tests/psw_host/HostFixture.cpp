#include "tests/psw_host/HostFixture.h"

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Registry.h"
#include "platform/StandInMonitor.h"
#include "platform/StandInUi.h"
#include "platform/Sync.h"
#include "platform/User.h"
#include "tests/support/MachineKeys.h"
#include "tests/support/MonitorSetup.h"

namespace kvtest {
namespace {

template <typename F>
F Export(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

void WriteValue(HKEY root, const std::u16string& key, LPCWSTR name, DWORD type, const void* data, DWORD cb) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), 0);
    RegSetValueExW(k, name, 0, type, static_cast<const BYTE*>(data), cb);
    RegCloseKey(k);
}

}  // namespace

void PswHostTest::SetUp() {
    StandInTest::SetUp();
    standin::monitor::Reset();
    standin::PrinterSetup printer;
    printer.name = kHostPrinterW;
    printer.port = kHostPort;
    printer.driverName = kTestDriver;
    AddSpoolerPrinter(printer);
    const std::u16string folder = u"C:\\lang\\";
    WriteValue(HKEY_LOCAL_MACHINE, kHostDriverKey, u"DIRPATH", REG_SZ, folder.c_str(),
               static_cast<DWORD>((folder.size() + 1) * sizeof(WCHAR)));
    InstallModule("QW774409", u"C:\\lang\\QW774409.DLL");
    InstallModule("QW774411", u"C:\\lang\\QW774411.DLL");
    SetLanguage(1033);
    WCHAR name[64] = {};
    DWORD cch = 64;
    ASSERT_TRUE(GetUserNameW(name, &cch));
    user_ = name;

    manager_ = LoadLibraryW(u"KWTQSRMZ.DLL");
    ASSERT_NE(manager_, nullptr);
    auto open = open_ = Export<PFN_OpenManagerExW>(manager_, "OpenManagerExW");
    get_ = Export<PFN_GetPrinterStatusW>(manager_, "GetPrinterStatusW");
    close_ = Export<PFN_CloseManager>(manager_, "CloseManager");
    update_ = Export<PFN_UpdatePrinterStatusA>(manager_, "UpdatePrinterStatusA");
    raw_ = Export<PFN_SrmTestSetRawValue>(manager_, "SrmTestSetRawValue");
    spoolerChanged_ = Export<PFN_SrmStandInSpoolerChanged>(manager_, "SrmStandInSpoolerChanged");
    ASSERT_TRUE(open && close_ && update_ && raw_ && spoolerChanged_);
    if (writesAsMonitor_) {
        ASSERT_EQ(open(kHostPrinterW, u"\\\\.\\kjlmon", kSrmModeMonitor, &monitor_), SRMRES_SUCCESS);
        // A network printer the monitor follows, online and idle.
        PublishDword("PrinterExtStatus", 7);
        PublishStatus(0, 0, kLowOnline);
    }
    ASSERT_TRUE(host_.Load()) << GetLastError();
}

void PswHostTest::TearDown() {
    host_.Unload();
    if (close_ != nullptr && monitor_ != 0) close_(monitor_);
    if (manager_ != nullptr) FreeLibrary(manager_);
    standin::ui::ResetUi();
    standin::monitor::Reset();
    StandInTest::TearDown();
}

void PswHostTest::SetLanguage(DWORD langId) {
    WriteValue(HKEY_LOCAL_MACHINE, u"Software\\ZEV\\Stanvel", u"LangID", REG_DWORD, &langId, sizeof langId);
}

void PswHostTest::SetUserDword(const char16_t* name, DWORD value) {
    WriteValue(HKEY_CURRENT_USER, kHostUserKey, name, REG_DWORD, &value, sizeof value);
}

void PswHostTest::SignalSettings() {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, u"QLVDRXPSL:STATUS_SETTING_UPDATE");
    ASSERT_NE(event, nullptr);
    SetEvent(event);
    CloseHandle(event);
}

void PswHostTest::Publish(const char* name, const void* value, DWORD cb) {
    ASSERT_EQ(update_(monitor_, name, value, cb), SRMRES_SUCCESS) << name;
}

void PswHostTest::PublishStatus(DWORD high, DWORD middle, DWORD low) {
    const DWORD words[3] = {high, middle, low};
    Publish("PrinterStatus", words, sizeof words);
}

void PswHostTest::SetRaw(const char16_t* name, const void* value, DWORD cb) {
    ASSERT_EQ(raw_(kHostPrinterW, name, value, cb), SRMRES_SUCCESS);
}

void PswHostTest::AddJob(DWORD id, const std::u16string& document, const std::u16string& user, bool taken) {
    standin::monitor::AddJob(kHostPrinterW, id, 0, document, user);
    ASSERT_EQ(spoolerChanged_(kHostPrinterW), SRMRES_SUCCESS);
    if (taken) PublishDword("PrinterQueue", ++queued_);
}

std::vector<BYTE> PswHostTest::ReadValue(const char16_t* name) {
    DWORD manager = 0;
    if (open_(kHostPrinterW, nullptr, kSrmModeStatusWindow, &manager) != SRMRES_SUCCESS) return {};
    std::vector<BYTE> value;
    DWORD needed = 0;
    if (get_(manager, name, nullptr, 0, &needed) == SRMRES_SIZE_ONLY) {
        value.resize(needed);
        if (get_(manager, name, value.data(), needed, &needed) != SRMRES_SUCCESS) value.clear();
    }
    close_(manager);
    return value;
}

void PswHostTest::SpoolerChanged() { ASSERT_EQ(spoolerChanged_(kHostPrinterW), SRMRES_SUCCESS); }

HWND PswHostTest::Create() {
    pswhost::WindowSet set;
    EXPECT_EQ(host_.Create(kHostPrinter, &set), 0u);
    EXPECT_NE(set.main, nullptr);
    return set.main;
}

HWND PswHostTest::BaseDialog(HWND main) { return main != nullptr ? GetWindow(main, GW_CHILD) : nullptr; }

std::u16string PswHostTest::ControlText(HWND main, int id) {
    WCHAR text[512] = {};
    GetDlgItemTextW(BaseDialog(main), id, text, 512);
    return text;
}

bool PswHostTest::WaitForStatusText(HWND main, const std::u16string& text, DWORD timeoutMs) {
    return host_.PumpUntil([&] { return ControlText(main, kStatusText) == text; }, timeoutMs);
}

std::u16string PswHostTest::LibraryString(DWORD langId, UINT id) {
    const std::u16string path = langId == 1033 ? u"C:\\lang\\QW774409.DLL" : u"C:\\lang\\QW774411.DLL";
    HMODULE module = LoadLibraryW(path.c_str());
    WCHAR text[512] = {};
    if (module != nullptr) {
        LoadStringW(module, id, text, 512);
        FreeLibrary(module);
    }
    return text;
}

}  // namespace kvtest
