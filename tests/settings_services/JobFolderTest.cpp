// The job folder from the Relaydock registry value, the path helpers and the date string.
#include <algorithm>
#include <string>
#include <vector>

#include "settings/SpoolerQueries.h"
#include "tests/settings_services/ServicesTest.h"

namespace kvtest {
namespace {

constexpr char16_t kRelaydockDir[] = u"SOFTWARE\\ZEV\\Relaydock\\Env\\Dir";

struct TempDirCase {
    const char* Label;
    bool Present;
    std::u16string Value;
    bool Terminated;
    int ReadResult;
    std::u16string TempDir;    // ReadTempDir's output
    std::u16string JobFolder;  // GetJobFolder's output
};

std::u16string Folder(size_t chars) { return u"D:\\" + std::u16string(chars - 3, u'f'); }

class JobFolderTest : public ServicesTest {};

TEST_F(JobFolderTest, TempDirAndJobFolder) {
    const std::u16string root = u"C:\\KV-TD520_JOB";
    const TempDirCase cases[] = {
        {"absent", false, u"", true, 0, u"", root},
        {"usual", true, u"D:\\Relay\\TEMP", true, 1, u"D:\\Relay\\", u"D:\\Relay\\KV-TD520_JOB"},
        {"three characters", true, u"abc", true, 0, u"", root},
        {"four characters", true, u"abcd", true, 1, u"", u"KV-TD520_JOB"},
        {"empty", true, u"", true, 0, u"", root},
        // 243 + 12 = 255 characters fit; one more does not.
        {"longest that fits", true, Folder(243) + u"TEMP", true, 1, Folder(243), Folder(243) + u"KV-TD520_JOB"},
        {"one too long", true, Folder(244) + u"TEMP", true, 1, Folder(244), root},
        {"512 bytes, unterminated", true, Folder(252) + u"TEMP", false, 1, Folder(252), root},
        {"more than 512 bytes", true, Folder(253) + u"TEMP", true, 0, u"", root},
    };
    for (const TempDirCase& c : cases) {
        SCOPED_TRACE(c.Label);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kRelaydockDir);
        if (c.Present) SetRegistryText(HKEY_LOCAL_MACHINE, kRelaydockDir, u"TmpDir", c.Value, c.Terminated);

        std::vector<WCHAR> out(kJobFolderChars + 1, u'#');
        EXPECT_EQ(ReadTempDir(out.data()), c.ReadResult);
        EXPECT_EQ(std::u16string(out.data()), c.TempDir);
        EXPECT_EQ(out[kJobFolderChars], u'#') << "written past the buffer";

        std::fill(out.begin(), out.end(), u'#');
        GetJobFolder(out.data());
        EXPECT_EQ(std::u16string(out.data()), c.JobFolder);
        EXPECT_EQ(out[kJobFolderChars], u'#') << "written past the buffer";
    }
}

TEST_F(JobFolderTest, UnreadableKeyFallsBackToTheSystemDrive) {
    SetRegistryText(HKEY_LOCAL_MACHINE, kRelaydockDir, u"TmpDir", u"D:\\Relay\\TEMP");
    standin::SetWindowsDirectory(u"E:\\Win");
    standin::InjectFault(standin::Fault::RegistryOpen, ERROR_ACCESS_DENIED);
    WCHAR out[kJobFolderChars];
    GetJobFolder(out);
    EXPECT_EQ(std::u16string(out), u"E:\\KV-TD520_JOB");
}

struct StripCase {
    const char16_t* Input;
    const char16_t* Output;
    int Result;
};

TEST(PathHelpers, StripTrailingBackslash) {
    const StripCase cases[] = {
        {u"C:\\jobs\\", u"C:\\jobs", 1},
        {u"C:\\jobs\\\\", u"C:\\jobs\\", 1},  // one only
        {u"C:\\jobs", u"C:\\jobs", 0},
        {u"\\", u"", 1},
        {u"", u"", 0},
    };
    for (const StripCase& c : cases) {
        SCOPED_TRACE(U8(c.Input));
        std::u16string path = c.Input;
        EXPECT_EQ(StripTrailingBackslash(path.data()), c.Result);
        EXPECT_EQ(std::u16string(path.c_str()), c.Output);
    }
    EXPECT_EQ(StripTrailingBackslash(nullptr), 0);
}

TEST(PathHelpers, StripPrnExtension) {
    const StripCase cases[] = {
        {u"job.prn", u"job", 1},
        {u"a.prn", u"a", 1},
        {u"JOB.PRN", u"JOB.PRN", 0},
        {u"job.Prn", u"job.Prn", 0},
        {u".prn", u".prn", 0},
        {u"job.prn.txt", u"job.prn.txt", 0},
        {u"jobprn", u"jobprn", 0},
        {u"", u"", 0},
    };
    for (const StripCase& c : cases) {
        SCOPED_TRACE(U8(c.Input));
        std::u16string path = c.Input;
        EXPECT_EQ(StripPrnExtension(path.data()), c.Result);
        EXPECT_EQ(std::u16string(path.c_str()), c.Output);
    }
    EXPECT_EQ(StripPrnExtension(nullptr), 0);
}

struct DateCase {
    SYSTEMTIME Today;
    DWORD DefaultDay;
    const char16_t* Expected;
};

SYSTEMTIME Day(WORD year, WORD month, WORD day) { return SYSTEMTIME{year, month, 0, day, 10, 0, 0, 0}; }

TEST_F(JobFolderTest, DateStringIsTodayUnlessTheDefaultDayIsLater) {
    const DateCase cases[] = {
        {Day(2024, 6, 14), 20240615, u"240615"},
        {Day(2024, 6, 15), 20240615, u"240615"},
        {Day(2024, 6, 16), 20240615, u"240616"},
        {Day(2025, 1, 1), 20240615, u"250101"},
        {Day(2023, 12, 31), 20240615, u"240615"},
        {Day(2024, 3, 5), 99991231, u"991231"},
        {Day(2024, 3, 5), 20000101, u"240305"},
        // A default day that is no date gives way to today rather than a longer string.
        {Day(2024, 3, 5), 0, u"240305"},
        {Day(2024, 3, 5), 0xFFFFFFFFu, u"240305"},
        {Day(2024, 3, 5), 100000101, u"240305"},
        {Day(2024, 3, 5), 20241301, u"240305"},
        {Day(2024, 3, 5), 20240532, u"240305"},
        {Day(2024, 3, 5), 20240500, u"240305"},
    };
    for (const DateCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.DefaultDay) + " on " + std::to_string(c.Today.wYear) + "-" +
                     std::to_string(c.Today.wMonth) + "-" + std::to_string(c.Today.wDay));
        standin::SetLocalTime(c.Today);
        WCHAR out[8];
        std::fill(std::begin(out), std::end(out), u'#');
        FormatDateString(out, c.DefaultDay);
        EXPECT_EQ(std::u16string(out), c.Expected);
        EXPECT_EQ(out[7], u'#') << "written past the seven characters";
    }
}

}  // namespace
}  // namespace kvtest
