// Trace log: settings from ZEVLMLOG.INI, line format, flag selection, file names, rotation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "langmon/log/TraceLog.h"
#include "platform/Kernel.h"
#include "tests/support/TestRoot.h"

namespace {

class TraceLogTest : public kvtest::StandInTest {
protected:
    void WriteIni(const std::string& keys) { WriteFile(u"C:\\Windows\\ZEVLMLOG.INI", "[ZEVKV-TD520]\r\n" + keys); }
    std::string Text(const std::u16string& path) {
        const std::vector<BYTE> bytes = ReadFile(path);
        return std::string(bytes.begin(), bytes.end());
    }
};

TEST_F(TraceLogTest, FlagsFromMagicLevelAndExtLevel) {
    struct Case {
        DWORD magic, level, extLevel, expected;
    };
    for (const Case& c : std::vector<Case>{{0, 1, 0, 0x70001},
                                           {0, 2, 0, 0x70003},
                                           {0, 3, 0, 0x70007},
                                           {0, 0xB, 0, 0x70007},  // only the low three bits choose
                                           {0, 4, 0, 0x70001},
                                           {0x12345, 3, 0, 0x72345},  // MAGIC wins, its low 16 bits
                                           {0, 1, 0x1, 0x60001},
                                           {0, 1, 0x2, 0x50001},
                                           {0, 1, 0x4, 0x30001},
                                           {0, 1, 0x7, 0x00001}}) {
        EXPECT_EQ(TraceFlagsFrom(c.magic, c.level, c.extLevel), c.expected)
            << "magic " << c.magic << " level " << c.level << " ext " << c.extLevel;
    }
}

TEST_F(TraceLogTest, SettingsFileSwitchesAndTunesTheTrace) {
    struct Case {
        const char* what;
        const char* keys;  // nullptr: no file
        BOOL on;
        DWORD flags, limit, history;
        const char16_t* folder;
    };
    const std::vector<Case> cases = {
        {"no file", nullptr, FALSE, 0, 0, 1, u""},
        {"mode 0", "MODE=0\r\n", FALSE, 0, 0, 1, u""},
        {"mode 3", "MODE=3\r\n", FALSE, 0, 0, 1, u""},
        {"mode 1 level 3", "MODE=1\r\nLEVEL=3\r\n", TRUE, 0x70007, 10 * kTraceMegabyte, 1, u"C:\\ZEVKV-TD520LOG"},
        {"size 0", "MODE=2\r\nSIZE=0\r\n", TRUE, 0x70001, 10 * kTraceMegabyte, 1, u"C:\\ZEVKV-TD520LOG"},
        {"size 200", "MODE=2\r\nSIZE=200\r\n", TRUE, 0x70001, 10 * kTraceMegabyte, 1, u"C:\\ZEVKV-TD520LOG"},
        {"size 5", "MODE=2\r\nSIZE=5\r\n", TRUE, 0x70001, 5 * kTraceMegabyte, 1, u"C:\\ZEVKV-TD520LOG"},
        {"no limit", "MODE=1\r\nFLAG=1\r\n", TRUE, 0x70001, 0, 1, u"C:\\ZEVKV-TD520LOG"},
        {"history 3", "MODE=1\r\nHISTORY=3\r\n", TRUE, 0x70001, 10 * kTraceMegabyte, 3, u"C:\\ZEVKV-TD520LOG"},
        {"history 12", "MODE=1\r\nHISTORY=12\r\n", TRUE, 0x70001, 10 * kTraceMegabyte, 1, u"C:\\ZEVKV-TD520LOG"},
        {"path on a drive", "MODE=1\r\nPATH=D:\\logs\\a\\b\r\n", TRUE, 0x70001, 10 * kTraceMegabyte, 1,
         u"D:\\logs\\ZEVKV-TD520LOG"},
        {"path on a missing drive", "MODE=1\r\nPATH=Q:\\logs\r\n", TRUE, 0x70001, 10 * kTraceMegabyte, 1,
         u"C:\\ZEVKV-TD520LOG"},
        {"path far too long", "MODE=1\r\nPATH=D:\\aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\r\n",
         FALSE, 0, 0, 1, u""},
    };
    WriteFile(u"D:\\keep.txt", "");  // the stand-in holds drive D
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.keys != nullptr) {
            WriteIni(c.keys);
        } else {
            DeleteFileW(u"C:\\Windows\\ZEVLMLOG.INI");
        }
        TraceSettings log;
        log.flags = 0xDEADBEEF;
        LoadTraceSettings(log);
        EXPECT_EQ(log.on, c.on);
        EXPECT_EQ(log.flags, c.flags);
        if (c.on) {
            EXPECT_EQ(log.sizeLimitBytes, c.limit);
        }
        EXPECT_EQ(log.historyCount, c.history);
        EXPECT_EQ(std::u16string(log.folder), std::u16string(c.folder));
        if (c.on) {
            EXPECT_TRUE(FileExists(c.folder));
        }
    }
}

TEST_F(TraceLogTest, NoSettingsFileWritesNothing) {
    TraceSettings log;
    LoadTraceSettings(log);
    TraceF(log, u"P1", kTraceAlways, "KJLMON:%s", "PJLMonClosePort -START-");
    EXPECT_FALSE(FileExists(u"C:\\ZEVKV-TD520LOG\\ZEVLM-P1.TRG"));
    EXPECT_FALSE(FileExists(u"C:\\ZEVKV-TD520LOG"));
}

TEST_F(TraceLogTest, LinesCarryTheTimeAndOnlySelectedFlagsAreWritten) {
    WriteIni("MODE=1\r\nLEVEL=2\r\nEXTLEVEL=2\r\n");  // flags 0x50003
    TraceSettings log;
    LoadTraceSettings(log);
    SetLastError(0xDEADBEEF);
    TraceF(log, u"a/b:c", kTraceAlways, "KJLMON:PJLMonClosePort -START-");
    TraceF(log, u"a/b:c", kTracePortMonitorErrors, "error %lu", 5ul);
    TraceF(log, u"a/b:c", kTraceWritePort, "not selected");
    TraceF(log, u"a/b:c", kTraceJobs, "cleared by EXTLEVEL");
    TraceF(log, u"a/b:c", kTraceDevice, "device %d", 1);
    TraceText(log, u"a/b:c", "raw\r\n");
    EXPECT_EQ(GetLastError(), 0xDEADBEEFu) << "tracing keeps the caller's last error";
    EXPECT_EQ(Text(u"C:\\ZEVKV-TD520LOG\\ZEVLM-a-b-c.TRG"),
              "03/05 09:07:03:000\tKJLMON:PJLMonClosePort -START-\r\n"
              "03/05 09:07:03:000\terror 5\r\n"
              "03/05 09:07:03:000\tdevice 1\r\n"
              "raw\r\n");
}

TEST_F(TraceLogTest, EveryPathCharacterOfThePrinterNameBecomesAHyphen) {
    WCHAR name[] = u"a\\b/c:d*e?f<g>h|i\"j";
    SanitizeFileName(name);
    EXPECT_EQ(std::u16string(name), u"a-b-c-d-e-f-g-h-i-j");

    WriteIni("MODE=1\r\n");
    TraceSettings log;
    LoadTraceSettings(log);
    TraceLine(log, u"", "dropped");
    TraceLine(log, u"\\\\srv\\P1", "kept");
    EXPECT_TRUE(FileExists(u"C:\\ZEVKV-TD520LOG\\ZEVLM---srv-P1.TRG"));
}

TEST_F(TraceLogTest, FullFileRotatesThroughTheHistory) {
    struct Case {
        const char* what;
        const char* keys;
        std::vector<std::u16string> names;  // oldest last, current first
    };
    const std::u16string base = u"C:\\ZEVKV-TD520LOG\\ZEVLM-P1";
    for (const Case& c : std::vector<Case>{{"one old file", "MODE=1\r\n", {u".TRG", u".TR1"}},
                                           {"three old files", "MODE=1\r\nHISTORY=3\r\n",
                                            {u".TRG", u".001", u".002", u".003"}}}) {
        SCOPED_TRACE(c.what);
        WriteIni(c.keys);
        TraceSettings log;
        LoadTraceSettings(log);
        log.sizeLimitBytes = 40;  // one line of this test fills the file
        for (int i = 0; i < 6; ++i) {
            char text[32];
            std::snprintf(text, sizeof text, "line %d padded to fill", i);
            TraceLine(log, u"P1", text);
        }
        // Every line went to a fresh file; the newest old file holds the line before it.
        for (size_t k = 0; k < c.names.size(); ++k) {
            const std::string expected = "line " + std::to_string(5 - k) + " padded to fill\r\n";
            EXPECT_EQ(Text(base + c.names[k]).substr(19), expected) << kvtest::U8(c.names[k]);
        }
        EXPECT_FALSE(FileExists(base + (c.names.size() == 2 ? u".TR2" : u".004")));
    }
}

TEST_F(TraceLogTest, NoLimitNeverRotates) {
    WriteIni("MODE=1\r\nFLAG=1\r\n");
    TraceSettings log;
    LoadTraceSettings(log);
    for (int i = 0; i < 3; ++i) TraceLine(log, u"P1", "a line that is long enough");
    EXPECT_EQ(Text(u"C:\\ZEVKV-TD520LOG\\ZEVLM-P1.TRG").size(), 3u * (19 + 26 + 2));
    EXPECT_FALSE(FileExists(u"C:\\ZEVKV-TD520LOG\\ZEVLM-P1.TR1"));
}

}  // namespace
