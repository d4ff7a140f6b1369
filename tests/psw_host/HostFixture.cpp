#include "tests/psw_host/HostFixture.h"

#include "platform/Sync.h"
#include "platform/User.h"
#include "tests/support/MonitorSetup.h"

namespace kvtest {

void PswHostTest::SetUp() {
    PswHostedTest::SetUp();
    if (HasFatalFailure()) return;
    standin::PrinterSetup printer;
    printer.name = kHostPrinterW;
    printer.port = kHostPort;
    printer.driverName = kTestDriver;
    AddSpoolerPrinter(printer);
    WCHAR name[64] = {};
    DWORD cch = 64;
    ASSERT_TRUE(GetUserNameW(name, &cch));
    user_ = name;

    get_ = ModuleExport<PFN_GetPrinterStatusW>(manager_, "GetPrinterStatusW");
    raw_ = ModuleExport<PFN_SrmTestSetRawValue>(manager_, "SrmTestSetRawValue");
    spoolerChanged_ = ModuleExport<PFN_SrmStandInSpoolerChanged>(manager_, "SrmStandInSpoolerChanged");
    ASSERT_TRUE(get_ && raw_ && spoolerChanged_);
    if (writesAsMonitor_) {
        monitor_ = OpenMonitor(kHostPrinterW);
        ASSERT_NE(monitor_, 0u);
        // A network printer the monitor follows, online and idle.
        PublishDword("PrinterExtStatus", 7);
        PublishStatus(0, 0, kLowOnline);
    }
    ASSERT_TRUE(host_.Load()) << GetLastError();
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

HWND PswHostTest::Create() { return CreateSet(kHostPrinter).main; }

HWND PswHostTest::BaseDialog(HWND main) { return main != nullptr ? GetWindow(main, GW_CHILD) : nullptr; }

std::u16string PswHostTest::ControlText(HWND main, int id) {
    WCHAR text[512] = {};
    GetDlgItemTextW(BaseDialog(main), id, text, 512);
    return text;
}

bool PswHostTest::WaitForStatusText(HWND main, const std::u16string& text, DWORD timeoutMs) {
    return host_.PumpUntil([&] { return ControlText(main, kBaseStatusLabel) == text; }, timeoutMs);
}

}  // namespace kvtest
