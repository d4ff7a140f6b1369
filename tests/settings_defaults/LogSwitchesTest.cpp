// The log switches of a new block, from VRTL_LOG.INI in the Windows directory.
#include <cstdio>
#include <string>

#include "settings/DefaultSettings.h"
#include "tests/settings_defaults/DefaultsFixture.h"

namespace kvtest {
namespace {

struct LogCase {
    const char* ini;  // nullptr: no file
    DWORD logControl;
    DWORD logSizeLimit;
};

TEST_F(DefaultsTest, LogSwitchesFollowTheIniFile) {
    InstallPrinter();
    const LogCase cases[] = {
        {"[KV-TD520]\r\nMODE=1\r\n", 0x80000001u, 10},
        {"[KV-TD520]\r\nMODE=1\r\nSIZE=0\r\n", 0x80000001u, 10},
        {"[KV-TD520]\r\nMODE=1\r\nSIZE=101\r\n", 0x80000001u, 10},
        {"[KV-TD520]\r\nMODE=1\r\nSIZE=100\r\n", 0x80000001u, 100},
        {"[KV-TD520]\r\nMODE=1\r\nSIZE=1\r\n", 0x80000001u, 1},
        {"[KV-TD520]\r\nMODE=1\r\nSIZE=-1\r\n", 0x80000001u, 10},
        {"[KV-TD520]\r\nMODE=1\r\nLEVEL=68\r\nSIZE=5\r\n", 0x80000044u, 5},
        {"[KV-TD520]\r\nMODE=2\r\nLEVEL=68\r\n", 0, 0},
        {"[KV-TD520]\r\nLEVEL=68\r\n", 0, 0},
        {"[Other]\r\nMODE=1\r\n", 0, 0},
        {nullptr, 0, 0},
    };
    for (const LogCase& c : cases) {
        const std::u16string ini = u"C:\\Windows\\VRTL_LOG.INI";
        if (c.ini != nullptr) {
            WriteFile(ini, std::string(c.ini));
        } else {
            std::remove(standin::MapPath(ini).c_str());
        }
        DriverDevMode block;
        BuildDefaultDevMode(&block, printer(), nullptr, model_.get());
        const std::string label = c.ini != nullptr ? c.ini : "(no file)";
        EXPECT_EQ(block.LogControl, c.logControl) << label;
        EXPECT_EQ(block.LogSizeLimit, c.logSizeLimit) << label;
    }
}

TEST_F(DefaultsTest, WindowsDirectoryTooLongForThePathLeavesTheLogOff) {
    InstallPrinter();
    // 128 characters still leave room for "\VRTL_LOG.INI" in 142; 129 do not.
    for (size_t length : {size_t{128}, size_t{129}}) {
        const std::u16string folder = u"C:\\" + std::u16string(length - 3, u'w');
        standin::SetWindowsDirectory(folder);
        WriteFile(folder + u"\\VRTL_LOG.INI", std::string("[KV-TD520]\r\nMODE=1\r\n"));
        DriverDevMode block;
        BuildDefaultDevMode(&block, printer(), nullptr, model_.get());
        EXPECT_EQ(block.LogControl, length == 128 ? 0x80000001u : 0u) << length;
    }
}

TEST_F(DefaultsTest, NoWorkBuffersLeaveTheLogOff) {
    InstallPrinter();
    WriteFile(u"C:\\Windows\\VRTL_LOG.INI", std::string("[KV-TD520]\r\nMODE=1\r\n"));
    DriverDevMode block;
    block.LogControl = 0x12345678;
    block.LogSizeLimit = 0x12345678;
    standin::InjectFault(standin::Fault::GlobalAlloc, ERROR_NOT_ENOUGH_MEMORY, 0, 100);
    ReadLogSwitches(&block);
    standin::ClearFaults();
    EXPECT_EQ(block.LogControl, 0u);
    EXPECT_EQ(block.LogSizeLimit, 0u);
}

}  // namespace
}  // namespace kvtest
