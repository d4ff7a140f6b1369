#pragma once
// A vector-mode device built by hand for the line, brush and path-hook tests: the sample
// printer and its model description, default settings with the extras switched off, A4, and
// the output buffer readable. Ready() leaves it as a drawing hook leaves it after its first
// call of the job (header written, page-control mode left, scale sent, download table reset),
// so that a test sees only the commands of the call under test.
#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "render/Pdev.h"
#include "settings/MemoryPool.h"
#include "tests/support/ByteCompare.h"
#include "tests/support/SamplePdev.h"
#include "tests/support/TestRoot.h"

namespace vectortest {

using Golden = kvtest::GoldenStream;

struct DeviceOptions {
    SHORT dpi = 600;
    WORD pagesPerSheet = 1;
};

class VectorTest : public kvtest::SamplePdevTest {
public:
    void TearDown() override;

    /// A fresh device (any device made before is dropped): nothing sent yet, the job header
    /// pending, page-control mode open.
    void MakeDevice(const DeviceOptions& options = {});
    /// MakeDevice, then the state after a first drawing call, with an empty buffer.
    void MakeReadyDevice(const DeviceOptions& options = {});
    void DropDevice();

    PDEV& Pdev() { return *pdev_; }
    /// The device surface the engine gives the hooks (no bits: the engine cannot draw on it);
    /// brushes made for it are realized by the driver's DrvRealizeBrush.
    SURFOBJ* Surface() { return surface_; }
    /// The bytes in the output buffer since the last Take (the buffer is emptied).
    std::vector<BYTE> Take();

private:
    kvtest::SamplePdevOwner device_;
    PDEV* pdev_ = nullptr;
    HDEV hdev_ = nullptr;
    HSURF surfaceHandle_ = nullptr;
    SURFOBJ* surface_ = nullptr;
};

/// SameBytes for vectors and braced lists of bytes.
inline ::testing::AssertionResult Same(const std::vector<BYTE>& actual, const std::vector<BYTE>& expected) {
    return kvtest::SameBytes(actual, expected);
}
/// Bytes of a text (for ASCII commands).
std::vector<BYTE> Text(std::string_view text);
using kvtest::CountOf;

}  // namespace vectortest
