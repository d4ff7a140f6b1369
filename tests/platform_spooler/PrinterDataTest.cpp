// Printer data: the size protocol of reads, keys of the Ex calls, and who may write.
#include <functional>
#include <thread>

#include "platform/Registry.h"
#include "tests/platform_spooler/SpoolerTestSupport.h"

namespace kvtest {
namespace {

std::vector<BYTE> Pattern(size_t cb) {
    std::vector<BYTE> bytes(cb);
    for (size_t i = 0; i < cb; ++i) bytes[i] = static_cast<BYTE>(i * 7 + 1);
    return bytes;
}

class PrinterDataTest : public SpoolerTest {
protected:
    void SetUp() override {
        SpoolerTest::SetUp();
        admin_ = Open(kSamplePrinterName, PRINTER_ALL_ACCESS);
        ASSERT_NE(admin_, nullptr);
    }
    void TearDown() override {
        if (admin_ != nullptr) {
            EXPECT_TRUE(ClosePrinter(admin_));
        }
        SpoolerTest::TearDown();
    }
    DWORD Set(HANDLE printer, std::u16string name, DWORD type, std::vector<BYTE> bytes) {
        return SetPrinterDataW(printer, name.data(), type, bytes.data(), static_cast<DWORD>(bytes.size()));
    }
    DWORD SetEx(HANDLE printer, const std::u16string& key, const std::u16string& name, DWORD type,
                std::vector<BYTE> bytes) {
        return SetPrinterDataExW(printer, key.c_str(), name.c_str(), type, bytes.data(),
                                 static_cast<DWORD>(bytes.size()));
    }
    /// The stored bytes read by the two-call pattern; empty with *error on failure.
    std::vector<BYTE> GetEx(const std::u16string& key, const std::u16string& name, DWORD* type, DWORD* error) {
        DWORD cbNeeded = 0;
        *error = GetPrinterDataExW(admin_, key.c_str(), name.c_str(), type, nullptr, 0, &cbNeeded);
        if (*error != ERROR_MORE_DATA && *error != ERROR_SUCCESS) return {};
        std::vector<BYTE> bytes(cbNeeded);
        *error = GetPrinterDataExW(admin_, key.c_str(), name.c_str(), type, bytes.data(), cbNeeded, &cbNeeded);
        return bytes;
    }

    HANDLE admin_ = nullptr;
};

TEST_F(PrinterDataTest, ReadsFollowTheSizeProtocol) {
    const std::vector<BYTE> memory = {0x00, 0x00, 0x04, 0x00}, halftone = Pattern(132), none;
    ASSERT_EQ(Set(admin_, u"DEV_Memory", REG_DWORD, memory), ERROR_SUCCESS);
    ASSERT_EQ(Set(admin_, u"DAT_CurDevHTInfo600", REG_BINARY, halftone), ERROR_SUCCESS);
    ASSERT_EQ(Set(admin_, u"TBL_OutPaperTable", REG_BINARY, none), ERROR_SUCCESS);
    struct Case {
        const char* what;
        const char16_t* name;
        DWORD cbData;      // kSentinel: no data buffer at all
        DWORD result;
        DWORD cbNeeded;    // kSentinel: left alone
        DWORD type;        // kSentinel: left alone
        const std::vector<BYTE>* written;  // what lands at the start of the buffer; nullptr: nothing
    } cases[] = {
        {"missing value", u"DEV_Feeder1", 4, ERROR_FILE_NOT_FOUND, kSentinel, kSentinel, nullptr},
        {"size query", u"DAT_CurDevHTInfo600", kSentinel, ERROR_MORE_DATA, 132, REG_BINARY, nullptr},
        {"one byte short", u"DAT_CurDevHTInfo600", 131, ERROR_MORE_DATA, 132, REG_BINARY, nullptr},
        {"exact size", u"DAT_CurDevHTInfo600", 132, ERROR_SUCCESS, 132, REG_BINARY, &halftone},
        {"larger buffer", u"DAT_CurDevHTInfo600", 200, ERROR_SUCCESS, 132, REG_BINARY, &halftone},
        {"dword", u"DEV_Memory", 4, ERROR_SUCCESS, 4, REG_DWORD, &memory},
        {"name in other case", u"dev_memory", 4, ERROR_SUCCESS, 4, REG_DWORD, &memory},
        {"empty value", u"TBL_OutPaperTable", kSentinel, ERROR_SUCCESS, 0, REG_BINARY, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<BYTE> data(200, 0xCD);
        DWORD cbNeeded = kSentinel, type = kSentinel;
        std::u16string name = c.name;
        const bool noBuffer = c.cbData == kSentinel;
        EXPECT_EQ(GetPrinterDataW(admin_, name.data(), &type, noBuffer ? nullptr : data.data(), noBuffer ? 0 : c.cbData,
                                  &cbNeeded),
                  c.result);
        EXPECT_EQ(cbNeeded, c.cbNeeded);
        EXPECT_EQ(type, c.type);
        const size_t written = c.written != nullptr ? c.written->size() : 0;
        if (c.written != nullptr) {
            EXPECT_EQ(std::vector<BYTE>(data.begin(), data.begin() + written), *c.written);
        }
        // Nothing past the value, and nothing at all on a refused read.
        EXPECT_EQ(std::vector<BYTE>(data.begin() + written, data.end()), std::vector<BYTE>(200 - written, 0xCD));
    }

    DWORD type = 0;
    EXPECT_EQ(GetPrinterDataW(admin_, const_cast<LPWSTR>(u"DEV_Memory"), &type, nullptr, 0, nullptr),
              ERROR_INVALID_PARAMETER);
    DWORD cbNeeded = 0;
    EXPECT_EQ(GetPrinterDataW(admin_, nullptr, &type, nullptr, 0, &cbNeeded), ERROR_INVALID_PARAMETER);
}

TEST_F(PrinterDataTest, RewritingReplacesTypeAndSizeAndDeleteRemoves) {
    ASSERT_EQ(Set(admin_, u"DAT_AddForms", REG_BINARY, Pattern(10)), ERROR_SUCCESS);
    ASSERT_EQ(Set(admin_, u"dat_addforms", REG_DWORD, {3, 0, 0, 0}), ERROR_SUCCESS);
    DWORD type = 0, error = 0;
    EXPECT_EQ(GetEx(u"PrinterDriverData", u"DAT_AddForms", &type, &error), (std::vector<BYTE>{3, 0, 0, 0}));
    EXPECT_EQ(error, ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);

    EXPECT_EQ(DeletePrinterDataW(admin_, const_cast<LPWSTR>(u"DAT_AddForms")), ERROR_SUCCESS);
    GetEx(u"PrinterDriverData", u"DAT_AddForms", &type, &error);
    EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(DeletePrinterDataW(admin_, const_cast<LPWSTR>(u"DAT_AddForms")), ERROR_FILE_NOT_FOUND);
}

TEST_F(PrinterDataTest, ExKeysAreSeparateAndThePlainCallsUseTheDriverKey) {
    ASSERT_EQ(SetEx(admin_, u"DsDriver", u"printMemory", REG_DWORD, {0, 0, 4, 0}), ERROR_SUCCESS);
    ASSERT_EQ(Set(admin_, u"DEV_Memory", REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);
    ASSERT_EQ(SetEx(admin_, u"DsDriver", u"DEV_Memory", REG_DWORD, {2, 0, 0, 0}), ERROR_SUCCESS);
    struct Case {
        const char16_t* key;
        const char16_t* name;
        DWORD error;
        BYTE firstByte;
    } cases[] = {
        {u"DsDriver", u"printMemory", ERROR_SUCCESS, 0},
        {u"dsdriver", u"printMemory", ERROR_SUCCESS, 0},
        {u"PrinterDriverData", u"printMemory", ERROR_FILE_NOT_FOUND, 0},
        {u"printerdriverdata", u"DEV_Memory", ERROR_SUCCESS, 1},
        {u"DsDriver", u"DEV_Memory", ERROR_SUCCESS, 2},
        {u"DsSpooler", u"DEV_Memory", ERROR_FILE_NOT_FOUND, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(U8(std::u16string(c.key) + u"\\" + c.name));
        DWORD type = 0, error = 0;
        std::vector<BYTE> bytes = GetEx(c.key, c.name, &type, &error);
        EXPECT_EQ(error, c.error);
        if (c.error == ERROR_SUCCESS) {
            ASSERT_EQ(bytes.size(), 4u);
            EXPECT_EQ(bytes[0], c.firstByte);
        }
    }
    std::u16string plain = u"printMemory";
    DWORD cbNeeded = 0, type = 0;
    EXPECT_EQ(GetPrinterDataW(admin_, plain.data(), &type, nullptr, 0, &cbNeeded), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(SetEx(admin_, u"", u"X", REG_DWORD, {1, 0, 0, 0}), ERROR_INVALID_PARAMETER);
}

TEST_F(PrinterDataTest, WritesNeedAdministerAndAWritablePrinter) {
    ASSERT_EQ(Set(admin_, u"DAT_GROUPA", REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);
    HANDLE user = Open(kSamplePrinterName, PRINTER_ACCESS_USE);
    HANDLE byDefault = nullptr;
    std::u16string name = kSamplePrinterName;
    ASSERT_TRUE(OpenPrinterW(name.data(), &byDefault, nullptr));  // no defaults: use access
    ASSERT_NE(user, nullptr);

    struct Writer {
        const char* what;
        std::function<DWORD(HANDLE)> write;
    } writers[] = {
        {"SetPrinterDataW", [&](HANDLE h) { return Set(h, u"DAT_Permission", REG_DWORD, {1, 0, 0, 0}); }},
        {"SetPrinterDataExW", [&](HANDLE h) { return SetEx(h, u"DsDriver", u"printMemory", REG_DWORD, {1, 0, 0, 0}); }},
        {"DeletePrinterDataW", [&](HANDLE h) { return DeletePrinterDataW(h, const_cast<LPWSTR>(u"DAT_GROUPA")); }},
    };
    for (const Writer& w : writers) {
        SCOPED_TRACE(w.what);
        EXPECT_EQ(w.write(user), ERROR_ACCESS_DENIED);
        EXPECT_EQ(w.write(byDefault), ERROR_ACCESS_DENIED);
        standin::SetPrinterDataReadOnly(kSamplePrinterName, true);
        EXPECT_EQ(w.write(admin_), ERROR_ACCESS_DENIED);
        standin::SetPrinterDataReadOnly(kSamplePrinterName, false);
    }
    // Nothing of the refused writes arrived; reads stay open to every handle.
    standin::SetPrinterDataReadOnly(kSamplePrinterName, true);
    std::u16string probe = u"DAT_Permission", group = u"DAT_GROUPA";
    DWORD type = 0, cbNeeded = 0, value = kSentinel;
    EXPECT_EQ(GetPrinterDataW(user, probe.data(), &type, nullptr, 0, &cbNeeded), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetPrinterDataW(user, group.data(), &type, reinterpret_cast<LPBYTE>(&value), 4, &cbNeeded),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);
    EXPECT_TRUE(ClosePrinter(user));
    EXPECT_TRUE(ClosePrinter(byDefault));
}

TEST_F(PrinterDataTest, EachPrinterKeepsItsOwnData) {
    standin::PrinterSetup other;
    other.name = u"Second";
    standin::AddPrinter(other);
    HANDLE second = Open(u"Second", PRINTER_ALL_ACCESS);
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(Set(admin_, u"DEV_HDD", REG_DWORD, {8, 0, 0, 0}), ERROR_SUCCESS);
    std::u16string name = u"DEV_HDD";
    DWORD type = 0, cbNeeded = 0;
    EXPECT_EQ(GetPrinterDataW(second, name.data(), &type, nullptr, 0, &cbNeeded), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(ClosePrinter(second));
}

// The driver's two libraries and the spooler's own threads use one printer at once.
TEST_F(PrinterDataTest, ConcurrentHandlesAndWritesAllArrive) {
    constexpr int kThreads = 4, kValuesEach = 50;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kValuesEach; ++i) {
                HANDLE h = Open(kSamplePrinterName, PRINTER_ALL_ACCESS);
                if (h == nullptr) continue;
                std::u16string name = u"V" + U16(std::to_string(t * kValuesEach + i));
                DWORD value = static_cast<DWORD>(t * kValuesEach + i);
                SetPrinterDataW(h, name.data(), REG_DWORD, reinterpret_cast<LPBYTE>(&value), 4);
                ClosePrinter(h);
            }
        });
    }
    for (std::thread& t : threads) t.join();
    for (int n = 0; n < kThreads * kValuesEach; ++n) {
        std::u16string name = u"V" + U16(std::to_string(n));
        DWORD value = kSentinel, type = 0, cbNeeded = 0;
        ASSERT_EQ(GetPrinterDataW(admin_, name.data(), &type, reinterpret_cast<LPBYTE>(&value), 4, &cbNeeded),
                  ERROR_SUCCESS)
            << n;
        EXPECT_EQ(value, static_cast<DWORD>(n));
    }
}

// The fixture that other tests build on: its data and read-only options take effect.
TEST_F(PrinterDataTest, SamplePrinterWritesItsDataThenLocks) {
    EXPECT_TRUE(ClosePrinter(admin_));
    admin_ = nullptr;
    SamplePrinterOptions options;
    options.installLanguageLibraries = false;
    options.copyDataFile = false;
    options.data = {DwordValue(u"DEV_Memory", 0x42000), BinaryValue(u"TBL_TTSubstTable", {}),
                    PrinterDataValue{u"printMemory", REG_DWORD, {1, 0, 0, 0}, u"DsDriver"}};
    options.dataReadOnly = true;
    InstallSamplePrinter(options);
    admin_ = Open(kSamplePrinterName, PRINTER_ALL_ACCESS);
    ASSERT_NE(admin_, nullptr);
    DWORD type = 0, error = 0;
    EXPECT_EQ(GetEx(u"PrinterDriverData", u"DEV_Memory", &type, &error), (std::vector<BYTE>{0x00, 0x20, 0x04, 0x00}));
    EXPECT_EQ(type, REG_DWORD);
    GetEx(u"PrinterDriverData", u"TBL_TTSubstTable", &type, &error);
    EXPECT_EQ(error, ERROR_SUCCESS);
    GetEx(u"DsDriver", u"printMemory", &type, &error);
    EXPECT_EQ(error, ERROR_SUCCESS);
    EXPECT_EQ(Set(admin_, u"DAT_Permission", REG_DWORD, {1, 0, 0, 0}), ERROR_ACCESS_DENIED);
}

}  // namespace
}  // namespace kvtest
