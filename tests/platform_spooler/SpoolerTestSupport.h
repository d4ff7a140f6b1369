#pragma once
// Shared bits of the spooler stand-in tests: the sample printer with a DEVMODE that carries a
// driver part, and small wrappers for the calls that take non-const names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Kernel.h"
#include "platform/Spooler.h"
#include "tests/support/TestRoot.h"
#include "tools/sample/SamplePrinter.h"

namespace kvtest {

inline constexpr DWORD kSentinel = 0xDEADBEEFu;
inline constexpr WORD kDriverExtra = 24;

/// The public DEVMODE for "A4" followed by a recognisable driver part of kDriverExtra bytes.
inline std::vector<BYTE> DevModeWithDriverPart() {
    std::vector<BYTE> bytes = PublicDevMode(u"A4", 9);
    DEVMODEW* dm = reinterpret_cast<DEVMODEW*>(bytes.data());
    dm->dmDriverExtra = kDriverExtra;
    for (WORD i = 0; i < kDriverExtra; ++i) bytes.push_back(static_cast<BYTE>(0xA0 + i));
    return bytes;
}

/// The sample printer without files (these tests need none), with a DEVMODE.
class SpoolerTest : public StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        SamplePrinterOptions options;
        options.copyDataFile = false;
        options.installLanguageLibraries = false;
        options.devMode = DevModeWithDriverPart();
        InstallSamplePrinter(options);
    }
    void TearDown() override {
        EXPECT_EQ(standin::OpenPrinterHandleCount(), 0u) << "a test left a printer handle open";
        StandInTest::TearDown();
    }

    /// NULL when the open fails (the last error tells why).
    static HANDLE Open(std::u16string name, DWORD access = PRINTER_ACCESS_USE) {
        PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
        HANDLE printer = nullptr;
        return OpenPrinterW(name.data(), &printer, &defaults) ? printer : nullptr;
    }
    static HANDLE OpenServer() {
        HANDLE server = nullptr;
        return OpenPrinterW(nullptr, &server, nullptr) ? server : nullptr;
    }
};

/// True when [p, p + cb) lies inside the buffer.
inline bool Inside(const std::vector<BYTE>& buffer, const void* p, size_t cb) {
    const BYTE* begin = buffer.data();
    const BYTE* at = static_cast<const BYTE*>(p);
    return at >= begin && at <= begin + buffer.size() && cb <= static_cast<size_t>(begin + buffer.size() - at);
}

/// Checks that a packed string starts inside the buffer, is aligned and ends before the
/// buffer does (with `terminators` NULs: 2 for a multi-string); its text, or "" on failure.
inline std::u16string PackedString(const std::vector<BYTE>& buffer, LPCWSTR s, int terminators = 1) {
    EXPECT_NE(s, nullptr);
    if (s == nullptr) return {};
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(s) % alignof(WCHAR), 0u);
    if (!Inside(buffer, s, sizeof(WCHAR))) {
        ADD_FAILURE() << "string outside the buffer";
        return {};
    }
    const size_t cchRoom = static_cast<size_t>(buffer.data() + buffer.size() - reinterpret_cast<const BYTE*>(s)) / 2;
    size_t n = 0;
    while (n < cchRoom && s[n] != u'\0') ++n;
    const size_t cchTotal = n + static_cast<size_t>(terminators);
    if (cchTotal > cchRoom) {
        ADD_FAILURE() << "string runs past the buffer";
        return {};
    }
    for (size_t i = n; i < cchTotal; ++i) EXPECT_EQ(s[i], u'\0');
    return std::u16string(s, n);
}

}  // namespace kvtest
