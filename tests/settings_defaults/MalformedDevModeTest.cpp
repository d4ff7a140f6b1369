// Malformed DEVMODEs handed to the merge with their true size. Each source sits in a heap
// block of exactly its size, so a read past it shows under the sanitizer build.
#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "settings/DefaultSettings.h"
#include "settings/MergeSettings.h"
#include "tests/settings_defaults/DefaultsFixture.h"

namespace kvtest {
namespace {

class MalformedDevModeTest : public DefaultsTest {
protected:
    void SetUp() override {
        DefaultsTest::SetUp();
        InstallPrinter();
        BuildDefaultDevMode(&defaults_, printer(), nullptr, model_.get());
        // A source of this driver with every string field filled to its end.
        DriverDevMode own = defaults_;
        std::vector<BYTE> bytes = BlockBytesOf(own);
        for (const StringField& field : kStringFields) {
            std::memset(bytes.data() + field.offset, 0x41, field.unitBytes * field.units);
        }
        ownSource_ = bytes;
    }

    // Merges `bytes` cut to `cb` (a heap block of exactly cb bytes) and checks the block.
    void MergeAndCheck(const std::vector<BYTE>& bytes, size_t cb, const std::string& label) {
        std::unique_ptr<BYTE[]> exact(new BYTE[cb == 0 ? 1 : cb]);
        if (cb != 0) std::memcpy(exact.get(), bytes.data(), std::min(cb, bytes.size()));
        DriverDevMode block = defaults_;
        MergeDevMode(&block, reinterpret_cast<const DEVMODEW*>(exact.get()), printer(), model_.get(), cb);
        SCOPED_TRACE(label);
        EXPECT_EQ(block.Public.dmSize, 220);
        EXPECT_EQ(block.Public.dmDriverExtra, 1988);
        EXPECT_EQ(block.Public.dmSpecVersion, 0x0401);
        EXPECT_EQ(UnterminatedFields(block), std::vector<std::string>());
        EXPECT_GE(block.Public.dmCopies, 1);
        EXPECT_LE(block.Public.dmCopies, 999);
    }

    static void PutWord(std::vector<BYTE>& bytes, size_t offset, WORD value) {
        if (offset + 2 <= bytes.size()) std::memcpy(bytes.data() + offset, &value, 2);
    }

    DriverDevMode defaults_;
    std::vector<BYTE> ownSource_;
};

TEST_F(MalformedDevModeTest, HeaderClaimsOfEverySize) {
    const WORD sizes[] = {0, 1, 187, 188, 212, 220, 221, 0xFFFF};
    const WORD extras[] = {0, 1, 1987, 1988, 0xFFFF};
    const WORD specs[] = {0, 0x0401};
    for (WORD size : sizes) {
        for (WORD extra : extras) {
            for (WORD spec : specs) {
                std::vector<BYTE> bytes = ownSource_;
                bytes.resize(size_t{size} + extra + 64, 0x41);
                PutWord(bytes, offsetof(DEVMODEW, dmSize), size);
                PutWord(bytes, offsetof(DEVMODEW, dmDriverExtra), extra);
                PutWord(bytes, offsetof(DEVMODEW, dmSpecVersion), spec);
                const std::string label = "size " + std::to_string(size) + " extra " + std::to_string(extra) +
                                          " dmSpecVersion " + std::to_string(spec);
                // Exactly what it claims, one byte short of it, and cut inside its header.
                const size_t claimed = size_t{size} + extra;
                MergeAndCheck(bytes, claimed, label + " exact");
                if (claimed > 0) MergeAndCheck(bytes, claimed - 1, label + " one short");
                MergeAndCheck(bytes, 60, label + " cut at 60");
            }
        }
    }
}

TEST_F(MalformedDevModeTest, TruncatedBuffersOfOurOwnBlock) {
    for (size_t cb : {size_t{0}, size_t{1}, size_t{71}, size_t{72}, size_t{187}, size_t{219}, size_t{220},
                      size_t{563}, size_t{2207}}) {
        MergeAndCheck(ownSource_, cb, "cut to " + std::to_string(cb));
    }
    MergeAndCheck(ownSource_, ownSource_.size(), "whole");
}

TEST_F(MalformedDevModeTest, RandomBytesFromAFixedSeed) {
    std::mt19937 random(520);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<size_t> length(0, 2400);
    for (int round = 0; round < 300; ++round) {
        std::vector<BYTE> bytes(2400);
        for (BYTE& b : bytes) b = static_cast<BYTE>(byte(random));
        // Every third round claims a plausible layout, and every sixth carries this model's
        // id, so that the later steps of the merge run too.
        if (round % 3 == 0) {
            const WORD size = (round % 2 == 0) ? 220 : 188;
            PutWord(bytes, offsetof(DEVMODEW, dmSize), size);
            PutWord(bytes, offsetof(DEVMODEW, dmDriverExtra), 1988);
            if (round % 6 == 0) std::memcpy(bytes.data() + size + 172, &kTestPrivateId, 4);
        }
        const size_t cb = (round % 3 == 0) ? 2208 : length(random);
        MergeAndCheck(bytes, cb, "round " + std::to_string(round));
    }
}

TEST_F(MalformedDevModeTest, WrongSignatureStillNeedsTheId) {
    // The id decides, not the signature text: a part with our id and another signature is
    // taken (strings terminated), one with the signature and another id is not.
    std::vector<BYTE> signatureOnly = ownSource_;
    const DWORD otherId = kTestPrivateId ^ 0xFFFF;
    std::memcpy(signatureOnly.data() + offsetof(DriverDevMode, PrivateID), &otherId, 4);
    std::memcpy(signatureOnly.data() + offsetof(DriverDevMode, Signature), "VRTL Level2 Form", 17);
    signatureOnly[offsetof(DriverDevMode, FeatureFlags)] ^= 0x01;
    DriverDevMode block = defaults_;
    MergeDevMode(&block, reinterpret_cast<const DEVMODEW*>(signatureOnly.data()), printer(), model_.get(),
                 signatureOnly.size());
    EXPECT_EQ(block.FeatureFlags, defaults_.FeatureFlags);

    MergeAndCheck(ownSource_, ownSource_.size(), "another signature");
}

}  // namespace
}  // namespace kvtest
