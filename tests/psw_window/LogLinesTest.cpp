// What the debug log says when the entry points and the fetch leave on a failure, and when the
// manager library lacks an entry point.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "FakeManager.h"
#include "psw/PswLog.h"
#include "psw/StatusFetch.h"
#include "psw/StatusWindow.h"
#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/Profile.h"
#include "tests/support/TestRoot.h"

namespace {

using psw_test::FakeManager;

class LogLinesTest : public kvtest::StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        WCHAR path[MAX_PATH];
        const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::u16string name(path, n);
        name = name.substr(name.find_last_of(u'\\') + 1);
        stem_ = name.substr(0, name.find_last_of(u'.'));
        WritePrivateProfileStringW(u"LOG_SETTING", u"LogLevel", u"3", (stem_ + u".ini").c_str());
        LogOpen(nullptr);
    }
    void TearDown() override {
        while (LogLevel() != 0) LogClose();
        StandInTest::TearDown();
    }
    // The message parts of the log's lines (after "File.cpp(  42): ").
    std::vector<std::string> Messages() {
        const auto bytes = ReadFile(u"C:\\Users\\user\\Desktop\\" + stem_ + u".log");
        std::istringstream in(std::string(bytes.begin(), bytes.end()));
        std::vector<std::string> out;
        for (std::string line; std::getline(in, line);) {
            const size_t at = line.find("): ");
            out.push_back(at == std::string::npos ? line : line.substr(at + 3));
        }
        return out;
    }
    bool Logged(const std::string& message) {
        const auto lines = Messages();
        return std::find(lines.begin(), lines.end(), message) != lines.end();
    }
    std::u16string stem_;
};

TEST_F(LogLinesTest, EveryFailureExitWritesItsReturnLine) {
    HWND main = nullptr;
    HACCEL accel = nullptr;
    HWND dialogs[2] = {};
    EXPECT_EQ(psw::InitializeStatusWindowEx("p", nullptr, nullptr, &main, dialogs, &accel, nullptr), ERR_PSW);
    EXPECT_EQ(psw::DisplayStatusWindow(nullptr, 1), ERR_PSW);
    EXPECT_EQ(psw::CloseStatusWindow(nullptr, TRUE), ERR_PSW);
    EXPECT_EQ(psw::DestroyStatusWindow(nullptr), ERR_PSW);
    EXPECT_EQ(psw::GetPSWStatusTable(nullptr, nullptr, nullptr, nullptr), ERR_PSW);
    FakeManager fake;
    PSWDATA* d = fake.MakeRecord();
    EXPECT_EQ(CallGetPrinterStatus(d, kVarPrinterBinConfig), ERR_PSW);  // the manager has no such value
    psw_test::FreeRecord(d);
    for (const char* line : {"InitializeStatusWindowEx return ERR_PSW", "DisplayStatusWindow return ERR_PSW",
                             "CloseStatusWindow return ERR_PSW", "DestroyStatusWindow return ERR_PSW",
                             "GetPSWStatusTable return ERR_PSW", "CallGetPrinterStatus return dwRet[1]"}) {
        EXPECT_TRUE(Logged(line)) << line;
    }
}

TEST_F(LogLinesTest, AMissingManagerEntryPointIsNamedWithoutItsWideSuffix) {
    // Another library in the manager's place: it has none of the manager's entry points.
    WCHAR system[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    InstallModule("QW774409", std::u16string(system, n) + u"\\KWTQSRMZ.DLL");
    FakeManager fake;
    PSWDATA* d = fake.MakeRecord();
    EXPECT_EQ(InitializeSRM(d), static_cast<DWORD>(SRMERR_OPENFUNC));
    ASSERT_NE(d->managerModule, nullptr);
    FreeLibrary(d->managerModule);
    psw_test::FreeRecord(d);
    EXPECT_TRUE(Logged("GetProcAddress() {OpenManagerEx} is failed."));
    EXPECT_FALSE(Logged("GetProcAddress() {OpenManagerExW} is failed."));
}

}  // namespace
