#include "tests/psw_ews/EwsFixture.h"

#include <filesystem>

#include "platform/StandInDraw.h"
#include "platform/StandInUi.h"
#include "platform/User.h"

namespace kvtest {

void EwsTest::SetUp() {
    PswHostedTest::SetUp();
    if (HasFatalFailure()) return;
    AddPrinter(kEwsPrinterW, u"USB001");
    ASSERT_TRUE(host_.Load()) << GetLastError();
}

void EwsTest::AddPrinter(const std::u16string& name, const std::u16string& port, DWORD extStatus) {
    standin::PrinterSetup printer;
    printer.name = name;
    printer.port = port;
    standin::AddPrinter(printer);
    const DWORD monitor = OpenMonitor(name.c_str());
    ASSERT_NE(monitor, 0u);
    ASSERT_EQ(update_(monitor, "PrinterExtStatus", &extStatus, sizeof extStatus), SRMRES_SUCCESS);
    const DWORD words[3] = {0, 0, 1};  // online, idle
    ASSERT_EQ(update_(monitor, "PrinterStatus", words, sizeof words), SRMRES_SUCCESS);
}

HWND EwsTest::Create(const std::string& printer, HWND* ews) {
    const pswhost::WindowSet set = CreateSet(printer);
    if (ews != nullptr) *ews = set.dialogs[1];
    return set.main;
}
std::u16string EwsTest::Text(HWND dialog, int id) {
    WCHAR text[512] = {};
    GetDlgItemTextW(dialog, id, text, 512);
    return text;
}

HWND EwsTest::Strip(HWND ews, int control) {
    for (HWND child = GetWindow(ews, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgItem(child, control) != nullptr) return child;
    }
    return nullptr;
}

HWND EwsTest::Sheet(HWND ews) {
    for (HWND child = GetWindow(ews, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgItem(child, kEwsHeadTitle) == nullptr && GetDlgItem(child, kEwsGeneralButton) == nullptr &&
            GetDlgItem(child, kRefreshButton) == nullptr)
            return child;
    }
    return nullptr;
}

bool EwsTest::WaitForSheetWith(HWND ews, int control) {
    return host_.PumpUntil([&] { return GetDlgItem(Sheet(ews), control) != nullptr; }, 5000);
}

bool EwsTest::SavePicture(HWND window, const std::string& name) {
    const std::filesystem::path folder = std::filesystem::path(KV_OUT_DIR) / "psw_ews";
    std::filesystem::create_directories(folder);
    return standin::ui::SavePicture(window, (folder / (name + ".png")).string());
}

}  // namespace kvtest
