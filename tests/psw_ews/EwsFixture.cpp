#include "tests/psw_ews/EwsFixture.h"

#include <filesystem>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Registry.h"
#include "platform/StandInDraw.h"
#include "platform/StandInMonitor.h"
#include "platform/StandInUi.h"
#include "platform/User.h"

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

void EwsTest::SetUp() {
    StandInTest::SetUp();
    standin::monitor::Reset();
    const std::u16string folder = u"C:\\lang\\";
    WriteValue(HKEY_LOCAL_MACHINE, u"Software\\ZEV\\Stanvel\\Printers\\KV-TD520", u"DIRPATH", REG_SZ, folder.c_str(),
               static_cast<DWORD>((folder.size() + 1) * sizeof(WCHAR)));
    InstallModule("QW774409", u"C:\\lang\\QW774409.DLL");
    InstallModule("QW774411", u"C:\\lang\\QW774411.DLL");
    SetLanguage(1033);
    manager_ = LoadLibraryW(u"KWTQSRMZ.DLL");
    ASSERT_NE(manager_, nullptr);
    open_ = Export<PFN_OpenManagerExW>(manager_, "OpenManagerExW");
    close_ = Export<PFN_CloseManager>(manager_, "CloseManager");
    update_ = Export<PFN_UpdatePrinterStatusA>(manager_, "UpdatePrinterStatusA");
    ASSERT_TRUE(open_ && close_ && update_);
    AddPrinter(kEwsPrinterW, u"USB001");
    ASSERT_TRUE(host_.Load()) << GetLastError();
}

void EwsTest::TearDown() {
    host_.Unload();
    for (const auto& [name, monitor] : monitors_) close_(monitor);
    if (manager_ != nullptr) FreeLibrary(manager_);
    standin::ui::ResetUi();
    standin::monitor::Reset();
    StandInTest::TearDown();
}

void EwsTest::SetLanguage(DWORD langId) {
    WriteValue(HKEY_LOCAL_MACHINE, u"Software\\ZEV\\Stanvel", u"LangID", REG_DWORD, &langId, sizeof langId);
}

void EwsTest::SetUserDword(const char16_t* name, DWORD value) {
    WriteValue(HKEY_CURRENT_USER, kEwsUserKey, name, REG_DWORD, &value, sizeof value);
}

void EwsTest::AddPrinter(const std::u16string& name, const std::u16string& port, DWORD extStatus) {
    standin::PrinterSetup printer;
    printer.name = name;
    printer.port = port;
    standin::AddPrinter(printer);
    DWORD monitor = 0;
    ASSERT_EQ(open_(name.c_str(), u"\\\\.\\kjlmon", kSrmModeMonitor, &monitor), SRMRES_SUCCESS);
    monitors_[name] = monitor;
    ASSERT_EQ(update_(monitor, "PrinterExtStatus", &extStatus, sizeof extStatus), SRMRES_SUCCESS);
    const DWORD words[3] = {0, 0, 1};  // online, idle
    ASSERT_EQ(update_(monitor, "PrinterStatus", words, sizeof words), SRMRES_SUCCESS);
}

HWND EwsTest::Create(const std::string& printer, HWND* ews) {
    pswhost::WindowSet set;
    EXPECT_EQ(host_.Create(printer, &set), 0u);
    EXPECT_NE(set.main, nullptr);
    if (ews != nullptr) *ews = set.dialogs[1];
    return set.main;
}

std::u16string EwsTest::LibraryString(DWORD langId, UINT id) {
    const std::u16string path = langId == 1033 ? u"C:\\lang\\QW774409.DLL" : u"C:\\lang\\QW774411.DLL";
    HMODULE module = LoadLibraryW(path.c_str());
    WCHAR text[512] = {};
    if (module != nullptr) {
        LoadStringW(module, id, text, 512);
        FreeLibrary(module);
    }
    return text;
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
        if (GetDlgItem(child, kHeadTitle) == nullptr && GetDlgItem(child, 251) == nullptr &&
            GetDlgItem(child, 281) == nullptr)
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
