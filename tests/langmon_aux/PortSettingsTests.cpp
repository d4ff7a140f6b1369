// Port settings read from the registry: defaults, clamping and malformed values.
#include <gtest/gtest.h>

#include <vector>

#include "langmon/PortSettings.h"
#include "platform/Registry.h"
#include "tests/support/TestRoot.h"

namespace {

constexpr WCHAR kPollingKey[] = u"SOFTWARE\\ZEV\\Stanvel\\Printers\\ZEV KV-TD520 (VX)";

struct RegValue {
    const WCHAR* name;
    DWORD type;
    std::vector<BYTE> bytes;
};

// REG_SZ data as the wide registry functions store it.
std::vector<BYTE> Wide(const std::u16string& text, bool terminated = true) {
    return kvtest::Utf16LeBytes(terminated ? text + u'\0' : text, false);
}

std::vector<BYTE> Dword(DWORD value) {
    return {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)};
}

class PortSettingsTest : public kvtest::StandInTest {
protected:
    void SetValues(const WCHAR* keyPath, const std::vector<RegValue>& values) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        for (const RegValue& value : values) {
            ASSERT_EQ(RegSetValueExW(key, value.name, 0, value.type, value.bytes.data(),
                                     static_cast<DWORD>(value.bytes.size())),
                      ERROR_SUCCESS);
        }
        RegCloseKey(key);
    }
};

struct PollingCase {
    const char* what;
    bool makeKey;
    std::vector<RegValue> values;
    BOOL variablePolling;
    RegReadStep step;
    DWORD intervalMs, checkDid, oidMs, maxPowerOff;
};

TEST_F(PortSettingsTest, PollingValuesAreClampedAndMalformedOnesIgnored) {
    const std::vector<PollingCase> cases = {
        {"no key", false, {}, FALSE, RegReadStep::NoKey, 3000, 1, 10, 2},
        {"empty key", true, {}, FALSE, RegReadStep::KeyOpened, 3000, 1, 10, 2},
        {"interval below range", true, {{u"LMMode", REG_DWORD, Dword(1)}, {u"PollingIntervals", REG_DWORD, Dword(500)}},
         TRUE, RegReadStep::IntervalRead, 1000, 1, 10, 2},
        {"interval above range", true, {{u"LMMode", REG_DWORD, Dword(1)}, {u"PollingIntervals", REG_DWORD, Dword(20000)}},
         TRUE, RegReadStep::IntervalRead, 10000, 1, 10, 2},
        {"interval without variable polling", true,
         {{u"LMMode", REG_DWORD, Dword(0)}, {u"PollingIntervals", REG_DWORD, Dword(5000)}, {u"CheckDID", REG_DWORD, Dword(5)}},
         FALSE, RegReadStep::ModeRead, 3000, 1, 10, 2},
        {"LMMode 1 alone", true, {{u"LMMode", REG_DWORD, Dword(1)}}, TRUE, RegReadStep::VariablePolling, 3000, 1, 10, 2},
        {"check period 0", true, {{u"LMMode", REG_DWORD, Dword(1)}, {u"CheckDID", REG_DWORD, Dword(0)}},
         TRUE, RegReadStep::VariablePolling, 3000, 1, 10, 2},
        {"check period above range", true, {{u"LMMode", REG_DWORD, Dword(1)}, {u"CheckDID", REG_DWORD, Dword(11)}},
         TRUE, RegReadStep::VariablePolling, 3000, 10, 10, 2},
        {"power-off tries 0", true, {{u"MaxPWOFF", REG_DWORD, Dword(0)}}, FALSE, RegReadStep::KeyOpened, 3000, 1, 10, 1},
        {"power-off tries 50", true, {{u"MaxPWOFF", REG_DWORD, Dword(50)}}, FALSE, RegReadStep::KeyOpened, 3000, 1, 10, 20},
        {"SNMP pause out of range", true, {{u"OIDIntervals", REG_DWORD, Dword(5000)}}, FALSE, RegReadStep::KeyOpened, 3000, 1, 100, 2},
        {"value too long", true, {{u"MaxPWOFF", REG_BINARY, {5, 0, 0, 0, 0, 0, 0, 0}}}, FALSE, RegReadStep::KeyOpened, 3000, 1, 10, 2},
        {"value too short", true, {{u"MaxPWOFF", REG_BINARY, {5, 0}}}, FALSE, RegReadStep::KeyOpened, 3000, 1, 10, 2},
        {"string instead of number", true, {{u"LMMode", REG_SZ, Wide(u"1")}}, FALSE, RegReadStep::KeyOpened, 3000, 1, 10, 2},
    };
    for (const PollingCase& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kPollingKey);
        if (c.makeKey) SetValues(kPollingKey, c.values);
        PortSettings settings;
        settings.pollingIntervalMs = 1;  // proves that every read starts from the defaults
        ReadPollingSettings(settings);
        EXPECT_EQ(settings.variablePolling, c.variablePolling);
        EXPECT_EQ(settings.readStep, c.step);
        EXPECT_EQ(settings.pollingIntervalMs, c.intervalMs);
        EXPECT_EQ(settings.checkDid, c.checkDid);
        EXPECT_EQ(settings.oidIntervalMs, c.oidMs);
        EXPECT_EQ(settings.maxPowerOffTries, c.maxPowerOff);
    }
}

TEST_F(PortSettingsTest, PortModeKeepsTheLastNonZeroValue) {
    EXPECT_EQ(ReadMyPortMode(0), 1u) << "absent: 1";
    EXPECT_EQ(ReadMyPortMode(3), 3u) << "absent: the stored value stays";
    SetValues(u"SOFTWARE\\ZEV\\Stanvel\\Printers", {{u"MyPortMode", REG_DWORD, Dword(0)}});
    EXPECT_EQ(ReadMyPortMode(6), 6u) << "zero is not a mode";
    SetValues(u"SOFTWARE\\ZEV\\Stanvel\\Printers", {{u"MyPortMode", REG_DWORD, Dword(2)}});
    EXPECT_EQ(ReadMyPortMode(6), 2u);
}

TEST_F(PortSettingsTest, ClosePortTimeoutComesFromThePrintersDriverAndIsClamped) {
    const WCHAR* printerKey = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\P1";
    const std::vector<BYTE> driver = Wide(u"ZDrv");
    SetValues(printerKey, {{u"Printer Driver", REG_SZ, driver}});

    struct Case {
        const char* what;
        DWORD stored;
        DWORD expected;
    };
    for (const Case& c : std::vector<Case>{{"below range", 60000, 120000},
                                           {"inside range", 300000, 300000},
                                           {"above range", 100000000, 86400000}}) {
        SCOPED_TRACE(c.what);
        SetValues(u"SOFTWARE\\ZEV\\ClosePortTimeout", {{u"ZDrv", REG_DWORD, Dword(c.stored)}});
        EXPECT_EQ(GetClosePortTimeout(u"P1"), c.expected);
    }
    EXPECT_EQ(GetClosePortTimeout(u""), 120000u);
    EXPECT_EQ(GetClosePortTimeout(nullptr), 120000u);
    EXPECT_EQ(GetClosePortTimeout(u"P2"), 120000u) << "printer without a key";

    // A driver name stored without its terminator is still read within its bytes.
    SetValues(u"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\P3", {{u"Printer Driver", REG_SZ, Wide(u"ZDrv", false)}});
    EXPECT_EQ(GetClosePortTimeout(u"P3"), 86400000u);
    // A driver name longer than the 260 bytes read is refused, not cut to another name.
    SetValues(u"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\P4",
              {{u"Printer Driver", REG_SZ, Wide(std::u16string(400, u'Z'))}});
    EXPECT_EQ(GetClosePortTimeout(u"P4"), 120000u);
    // A connection name cannot step into another key: its backslashes stand as commas.
    SetValues(u"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\,,srv,P1", {{u"Printer Driver", REG_SZ, driver}});
    EXPECT_EQ(GetClosePortTimeout(u"\\\\srv\\P1"), 86400000u);
}

}  // namespace
