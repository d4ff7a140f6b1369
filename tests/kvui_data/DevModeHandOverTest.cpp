// The spooler's DEVMODE conversions (modes, sizes, last errors) and the copy of a result block
// into a caller's DEVMODE.
#include <cstring>
#include <string>
#include <vector>

#include "platform/DriverUi.h"
#include "tests/kvui_data/DataFixture.h"
#include "ui/entry/Capabilities.h"

namespace kvuidata {
namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;
constexpr DWORD kAnyError = 0;  // building the defaults reads files and printer data

struct ConvertCase {
    const char* what;
    DWORD mode;
    bool withOutput;
    WORD outSize;      // the output's own layout (CDM_CONVERT)
    LONG cbIn;
    WORD inSize;       // the input's dmSize
    BOOL result;
    DWORD error;       // kSentinel: left alone
    LONG cbOut;
};

const ConvertCase kCases[] = {
    {"convert to the driver's layout", CDM_CONVERT, true, 220, 2208, 220, TRUE, kSentinel, 2208},
    {"convert to the 212-byte layout", CDM_CONVERT, true, 212, 2200, 220, TRUE, kSentinel, 2200},
    {"convert from the 188-byte layout", CDM_CONVERT, true, 220, 2208, 188, TRUE, kSentinel, 2208},
    {"convert, one byte short", CDM_CONVERT, true, 220, 2207, 220, FALSE, ERROR_INVALID_PARAMETER, 2207},
    {"convert, no room for a header", CDM_CONVERT, true, 220, 10, 220, FALSE, ERROR_INVALID_PARAMETER, 10},
    {"convert without output", CDM_CONVERT, false, 0, 2208, 220, FALSE, ERROR_INVALID_PARAMETER, 2208},
    {"convert an input of unknown layout", CDM_CONVERT, true, 220, 2208, 100, FALSE, ERROR_INVALID_PARAMETER, 2208},
    {"3.51 layout", CDM_CONVERT351, true, 0, 2176, 220, TRUE, kSentinel, 2176},
    {"3.51 layout, one byte short", CDM_CONVERT351, true, 0, 2175, 220, FALSE, ERROR_INSUFFICIENT_BUFFER, 2176},
    {"3.51 layout without output", CDM_CONVERT351, false, 0, 4000, 220, FALSE, ERROR_INSUFFICIENT_BUFFER, 2176},
    {"3.51 layout of an unknown input", CDM_CONVERT351, true, 0, 2176, 100, FALSE, ERROR_INVALID_PARAMETER, 2176},
    {"defaults, one byte short", CDM_DRIVER_DEFAULT, true, 0, 2207, 220, FALSE, ERROR_INSUFFICIENT_BUFFER, 2208},
    {"defaults without output", CDM_DRIVER_DEFAULT, false, 0, 2208, 220, FALSE, ERROR_INSUFFICIENT_BUFFER, 2208},
    {"defaults", CDM_DRIVER_DEFAULT, true, 0, 2208, 220, TRUE, kAnyError, 2208},
    {"an unknown mode", 8, true, 220, 2208, 220, FALSE, kSentinel, 2208},
};

class DevModeHandOverTest : public LinkedDataTest {};

TEST_F(DevModeHandOverTest, ConversionModesAnswerWithTheirSizesAndErrors) {
    DriverDevMode input = Defaults();
    input.NupDown = 3;
    for (const ConvertCase& c : kCases) {
        DriverDevMode in = input;
        in.Public.dmSize = c.inSize;
        std::vector<BYTE> out(4096, 0xCD);
        auto* outDm = reinterpret_cast<DEVMODEW*>(out.data());
        std::memset(out.data(), 0, sizeof(DEVMODEW));
        outDm->dmSize = c.outSize;
        outDm->dmSpecVersion = 0x401;
        outDm->dmDriverExtra = kDriverExtraSize;
        LONG cb = c.cbIn;
        SetLastError(kSentinel);
        const BOOL result = ConvertDevMode(kvtest::kSamplePrinterName, &in.Public, c.withOutput ? outDm : nullptr,
                                           &cb, c.mode);
        EXPECT_EQ(result, c.result) << c.what;
        if (c.error != kAnyError) {
            EXPECT_EQ(GetLastError(), c.error) << c.what;
        }
        EXPECT_EQ(cb, c.cbOut) << c.what;
        if (!result || c.inSize != 220) continue;
        // The private part follows the public part of the output's own size.
        const size_t privateAt = outDm->dmSize;
        DWORD privateId = 0;
        std::memcpy(&privateId, out.data() + privateAt + (offsetof(DriverDevMode, PrivateID) - 220), 4);
        EXPECT_EQ(privateId, input.PrivateID) << c.what;
        EXPECT_EQ(out[static_cast<size_t>(cb)], 0xCD) << c.what << ": written past the size";
    }
    LONG* none = nullptr;
    SetLastError(kSentinel);
    EXPECT_FALSE(ConvertDevMode(kvtest::kSamplePrinterName, &input.Public, &input.Public, none, CDM_CONVERT));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(DevModeHandOverTest, TheThreeFiftyOneLayoutHasItsOwnHeader) {
    DriverDevMode in = Defaults();
    std::vector<BYTE> out(2176, 0);
    LONG cb = 2176;
    ASSERT_TRUE(ConvertDevMode(kvtest::kSamplePrinterName, &in.Public, reinterpret_cast<DEVMODEW*>(out.data()), &cb,
                               CDM_CONVERT351));
    const auto* dm = reinterpret_cast<const DEVMODEW*>(out.data());
    EXPECT_EQ(dm->dmSpecVersion, 0x320);
    EXPECT_EQ(dm->dmSize, 188);
    EXPECT_EQ(dm->dmDriverVersion, 0x18);
    EXPECT_EQ(dm->dmDriverExtra, 1988);
    EXPECT_EQ(std::memcmp(out.data() + 188, reinterpret_cast<const BYTE*>(&in) + 220, 1988), 0);
}

TEST_F(DevModeHandOverTest, DriverDefaultsAreThePrintersDefaultsAndItsHandleIsClosed) {
    std::vector<BYTE> out(2208, 0xCD);
    LONG cb = 2208;
    const unsigned handlesBefore = standin::OpenPrinterHandleCount();
    ASSERT_TRUE(ConvertDevMode(kvtest::kSamplePrinterName, nullptr, reinterpret_cast<DEVMODEW*>(out.data()), &cb,
                               CDM_DRIVER_DEFAULT));
    EXPECT_EQ(standin::OpenPrinterHandleCount(), handlesBefore) << "the printer opened for the defaults stays open";
    const DriverDevMode defaults = Defaults();
    EXPECT_EQ(std::memcmp(out.data(), &defaults, sizeof defaults), 0);

    // A printer that does not exist, or none named: no defaults, nothing left open.
    for (const char16_t* name : {u"No such printer", static_cast<const char16_t*>(nullptr)}) {
        cb = 2208;
        EXPECT_FALSE(ConvertDevMode(name, nullptr, reinterpret_cast<DEVMODEW*>(out.data()), &cb, CDM_DRIVER_DEFAULT));
        EXPECT_EQ(standin::OpenPrinterHandleCount(), handlesBefore);
    }
}

TEST_F(DevModeHandOverTest, CopyOutTakesTheCallersLayoutWhereItIsSmaller) {
    DriverDevMode block = Defaults();
    block.NupAcross = 4;
    // No input: the whole block.
    std::vector<BYTE> out(2300, 0xCD);
    ASSERT_TRUE(CopyOutDevMode(&block, nullptr, reinterpret_cast<DEVMODEW*>(out.data())));
    EXPECT_EQ(std::memcmp(out.data(), &block, sizeof block), 0);
    EXPECT_EQ(out[2208], 0xCD);

    struct Case {
        const char* what;
        WORD inSize;
        WORD inExtra;
        WORD outSize;
        WORD outExtra;
    };
    const Case cases[] = {
        {"the driver's own layout", 220, 1988, 220, 1988},
        {"a 188-byte public part", 188, 1988, 188, 1988},
        {"no private part", 220, 0, 220, 0},
        {"a caller that claims more", 0xFFFF, 0xFFFF, 220, 1988},
    };
    for (const Case& c : cases) {
        DriverDevMode in = Defaults();
        in.Public.dmSize = c.inSize;
        in.Public.dmDriverExtra = c.inExtra;
        std::fill(out.begin(), out.end(), 0xCD);
        ASSERT_TRUE(CopyOutDevMode(&block, &in.Public, reinterpret_cast<DEVMODEW*>(out.data()))) << c.what;
        const auto* dm = reinterpret_cast<const DEVMODEW*>(out.data());
        EXPECT_EQ(dm->dmSize, c.outSize) << c.what;
        EXPECT_EQ(dm->dmDriverExtra, c.outExtra) << c.what;
        EXPECT_EQ(out[size_t{c.outSize} + c.outExtra], 0xCD) << c.what << ": written past the layout";
        if (c.outExtra != 0) {
            EXPECT_EQ(out[size_t{c.outSize} + (offsetof(DriverDevMode, NupAcross) - 220)], 4) << c.what;
        }
    }
    DriverDevMode unknown = Defaults();
    unknown.Public.dmSize = 100;
    EXPECT_FALSE(CopyOutDevMode(&block, &unknown.Public, reinterpret_cast<DEVMODEW*>(out.data())));
}

}  // namespace
}  // namespace kvuidata
