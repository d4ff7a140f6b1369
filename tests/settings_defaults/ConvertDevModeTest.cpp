// DEVMODE layout conversion between the public sizes 188, 212 and 220 and any private part.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "settings/MergeSettings.h"
#include "tests/support/TestRoot.h"

namespace kvtest {
namespace {

struct Header {
    WORD spec;
    WORD driverVersion;
    WORD size;
    WORD extra;
};

// A DEVMODE of exactly size + extra bytes, its bytes numbered from `fill` on.
std::vector<BYTE> MakeDevMode(const Header& header, BYTE fill) {
    std::vector<BYTE> bytes(static_cast<size_t>(header.size) + header.extra);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<BYTE>(fill + i * 7);
    auto put = [&bytes](size_t offset, WORD value) {
        if (offset + 2 <= bytes.size()) std::memcpy(bytes.data() + offset, &value, 2);
    };
    put(offsetof(DEVMODEW, dmSpecVersion), header.spec);
    put(offsetof(DEVMODEW, dmDriverVersion), header.driverVersion);
    put(offsetof(DEVMODEW, dmSize), header.size);
    put(offsetof(DEVMODEW, dmDriverExtra), header.extra);
    return bytes;
}

Header ReadHeader(const std::vector<BYTE>& bytes) {
    Header h;
    std::memcpy(&h.spec, bytes.data() + offsetof(DEVMODEW, dmSpecVersion), 2);
    std::memcpy(&h.driverVersion, bytes.data() + offsetof(DEVMODEW, dmDriverVersion), 2);
    std::memcpy(&h.size, bytes.data() + offsetof(DEVMODEW, dmSize), 2);
    std::memcpy(&h.extra, bytes.data() + offsetof(DEVMODEW, dmDriverExtra), 2);
    return h;
}

int Convert(std::vector<BYTE>& source, std::vector<BYTE>& destination, size_t cbSource = kUnknownDevModeSize) {
    return ConvertDevModeLayout(reinterpret_cast<const DEVMODEW*>(source.data()),
                                reinterpret_cast<DEVMODEW*>(destination.data()), cbSource);
}

struct LayoutCase {
    Header source;
    Header destination;
    int result;
    WORD resultSpec;  // the destination's dmSpecVersion afterwards (when converted)
};

TEST(ConvertDevModeLayout, CopiesUpToTheSmallerParts) {
    const LayoutCase cases[] = {
        // A 188-byte public-only source fills 188 bytes of a 220-byte block.
        {{0x0320, 0x0018, 188, 0}, {0x0401, 0x0100, 220, 1988}, 188, 0x0401},
        {{0x0401, 0x0100, 220, 1988}, {0x0401, 0x0100, 220, 1988}, 2208, 0x0401},
        {{0x0401, 0x0100, 220, 1988}, {0x0000, 0x0018, 188, 1988}, 188 + 1988, 0x0320},
        {{0x0400, 0x0005, 212, 40}, {0x0401, 0x0100, 220, 1988}, 212 + 40, 0x0401},
        {{0x0401, 0x0100, 220, 1988}, {0x0000, 0x0100, 212, 16}, 212 + 16, 0x0400},
        // Any other size is refused in either role, whatever its version says: the private
        // part would be looked for (or written) where that size points.
        {{0x0500, 0x0001, 240, 4}, {0x0401, 0x0100, 220, 1988}, -1, 0},
        {{0x0401, 0x0100, 220, 8}, {0x0500, 0x0100, 230, 8}, -1, 0},
        {{0x0000, 0x0001, 240, 4}, {0x0401, 0x0100, 220, 1988}, -1, 0},
        {{0x0401, 0x0100, 220, 8}, {0x0000, 0x0100, 230, 8}, -1, 0},
        {{0x0401, 0x0100, 187, 0}, {0x0401, 0x0100, 220, 1988}, -1, 0},
        {{0x0401, 0x0100, 100, 0}, {0x0401, 0x0100, 220, 1988}, -1, 0},
        {{0x0401, 0x0100, 220, 0}, {0x0401, 0x0100, 70, 2}, -1, 0},
    };
    for (const LayoutCase& c : cases) {
        std::vector<BYTE> source = MakeDevMode(c.source, 0x10);
        std::vector<BYTE> destination = MakeDevMode(c.destination, 0x80);
        const std::vector<BYTE> before = destination;
        const int result = Convert(source, destination, source.size());
        SCOPED_TRACE(testing::Message() << "source " << c.source.size << "+" << c.source.extra << " into "
                                        << c.destination.size << "+" << c.destination.extra);
        ASSERT_EQ(result, c.result);
        if (result < 0) {
            EXPECT_EQ(destination, before);
            continue;
        }
        const Header after = ReadHeader(destination);
        EXPECT_EQ(after.spec, c.resultSpec);
        EXPECT_EQ(after.driverVersion, c.destination.driverVersion);
        EXPECT_EQ(after.size, c.destination.size);
        EXPECT_EQ(after.extra, c.destination.extra);
        const size_t cbPublic = std::min(c.source.size, c.destination.size);
        const size_t cbPrivate = std::min(c.source.extra, c.destination.extra);
        // Public bytes after the header, and the private part at each block's own size.
        EXPECT_TRUE(std::equal(source.begin() + 72, source.begin() + cbPublic, destination.begin() + 72));
        EXPECT_TRUE(std::equal(before.begin() + cbPublic, before.begin() + c.destination.size,
                               destination.begin() + cbPublic));
        EXPECT_TRUE(std::equal(source.begin() + c.source.size, source.begin() + c.source.size + cbPrivate,
                               destination.begin() + c.destination.size));
        EXPECT_TRUE(std::equal(before.begin() + c.destination.size + cbPrivate, before.end(),
                               destination.begin() + c.destination.size + cbPrivate));
    }
}

TEST(ConvertDevModeLayout, SourceMustFitTheBytesTheCallerHas) {
    const Header header = {0x0401, 0x0100, 220, 100};
    std::vector<BYTE> source = MakeDevMode(header, 0x10);
    std::vector<BYTE> destination = MakeDevMode({0x0401, 0x0100, 220, 1988}, 0x80);
    EXPECT_EQ(Convert(source, destination, 319), -1);
    EXPECT_EQ(Convert(source, destination, 71), -1);   // not even its size words
    EXPECT_EQ(Convert(source, destination, 0), -1);
    EXPECT_EQ(Convert(source, destination, 320), 320);
    EXPECT_EQ(Convert(source, destination, 5000), 320);
}

TEST(ConvertDevModeLayout, HugeClaimedSizeIsRefusedWithoutReadingIt) {
    // A 220-byte block that claims 0xFFFF bytes of public part (the buffer's real size is not
    // known to the caller): nothing past its 220 bytes may be touched.
    const auto source = std::make_unique<BYTE[]>(220);
    std::vector<BYTE> bytes = MakeDevMode({0x0401, 0x0100, 0xFFFF, 8}, 0x10);
    std::memcpy(source.get(), bytes.data(), 220);
    std::vector<BYTE> destination = MakeDevMode({0x0401, 0x0100, 220, 1988}, 0x80);
    const std::vector<BYTE> before = destination;
    EXPECT_EQ(ConvertDevModeLayout(reinterpret_cast<const DEVMODEW*>(source.get()),
                                   reinterpret_cast<DEVMODEW*>(destination.data())),
              -1);
    EXPECT_EQ(destination, before);
}

TEST(ConvertDevModeLayout, AbsentBlocksAreRefused) {
    std::vector<BYTE> block = MakeDevMode({0x0401, 0x0100, 220, 0}, 0);
    EXPECT_EQ(ConvertDevModeLayout(nullptr, reinterpret_cast<DEVMODEW*>(block.data())), -1);
    EXPECT_EQ(ConvertDevModeLayout(reinterpret_cast<const DEVMODEW*>(block.data()), nullptr), -1);
}

TEST(ConvertDevModeLayout, BlockConvertsIntoItself) {
    std::vector<BYTE> block = MakeDevMode({0x0401, 0x0100, 220, 1988}, 0x33);
    const std::vector<BYTE> before = block;
    EXPECT_EQ(Convert(block, block), 2208);
    EXPECT_EQ(block, before);
}

}  // namespace
}  // namespace kvtest
