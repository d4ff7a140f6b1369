// A device's life on the sample printer: enable in graphics-only mode, surfaces, disable,
// and what the device state holds after enable.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/StandIn.h"
#include "render/DriverEntry.h"
#include "render/OutputStream.h"
#include "tests/render_entry/EntryFixture.h"

namespace entrytest {
namespace {

using standin::engine::LivePaletteCount;
using standin::engine::LiveSurfaceCount;

class DeviceLifeTest : public EntryTest {
protected:
    void SetUp() override {
        EntryTest::SetUp();
        Install();
    }
};

TEST_F(DeviceLifeTest, GraphicsOnlyEnableThroughTheLoadedLibrary) {
    const GUID fixed{0x01020304, 0x0506, 0x0708, {9, 10, 11, 12, 13, 14, 15, 16}};
    // The GUID is made at process attach: load the library again with a fixed one.
    standin::SetNextGuid(fixed);
    ReloadLibrary();

    const unsigned palettes = LivePaletteCount();
    EnableRecords records;
    PDEV* pdev = EnableLoaded(SettingsBlock(true), &records);
    ASSERT_NE(pdev, nullptr);

    EXPECT_EQ(pdev->Signature, 0x5451384Bu);
    EXPECT_EQ(pdev->SignatureEnd, 0x5451384Bu);
    EXPECT_EQ(std::memcmp(&pdev->ProcessGuid, &fixed, sizeof fixed), 0) << "the attach's GUID is every device's";
    EXPECT_EQ(pdev->DeviceFontCount, 0);
    EXPECT_EQ(pdev->FontResourceTable, nullptr);
    EXPECT_EQ(pdev->StateFlags & (kStatePageControl | kStateOutputFailed), kStatePageControl);
    EXPECT_EQ(pdev->FlowFlags, 0x1u);
    EXPECT_EQ(pdev->SheetBlank, 0u);
    EXPECT_EQ(pdev->DownloadFontId, 0xF000);
    EXPECT_EQ(pdev->Output.Capacity, 4096u);
    EXPECT_EQ(pdev->Output.WritePos, pdev->Output.Data);
    EXPECT_EQ(pdev->EngineDevice, hdev_);
    EXPECT_NE(pdev->Module, nullptr);

    // The geometry code fills both records; graphics-only mode shows in both.
    EXPECT_EQ(records.gdi.ulVersion, 0x400u);
    EXPECT_EQ(records.gdi.ulTechnology, 2u);
    EXPECT_EQ(records.gdi.flTextCaps, 0u);
    EXPECT_EQ(records.gdi.ulLogPixelsX, static_cast<ULONG>(pdev->Settings.Public.dmPrintQuality));
    EXPECT_EQ(records.dev.flGraphicsCaps & 0x430u, 0x430u);
    EXPECT_EQ(records.dev.cFonts, 0u);
    EXPECT_EQ(records.dev.iDitherFormat, BMF_1BPP);
    EXPECT_NE(records.dev.hpalDefault, nullptr);

    const unsigned surfaces = LiveSurfaceCount();
    HSURF surface = Hook<PFN_DrvEnableSurface>(INDEX_DrvEnableSurface)(reinterpret_cast<DHPDEV>(pdev));
    ASSERT_NE(surface, nullptr);
    EXPECT_TRUE(standin::engine::IsBandingSurface(surface));
    EXPECT_NE(pdev->Settings.FeatureFlags & kFeatureGraphicsOnly, 0u);
    Hook<PFN_DrvDisableSurface>(INDEX_DrvDisableSurface)(reinterpret_cast<DHPDEV>(pdev));
    EXPECT_EQ(LiveSurfaceCount(), surfaces);

    Hook<PFN_DrvDisablePDEV>(INDEX_DrvDisablePDEV)(reinterpret_cast<DHPDEV>(pdev));
    EXPECT_EQ(LivePaletteCount(), palettes) << "the device's palette goes with it";
}

// The model's flag chooses the banding surface: device-managed with all the hooks and a
// locked shadow bitmap that the engine draws into, or a plain 1-bit bitmap hooked for the
// bitmap calls only. Disabling the surface removes everything.
TEST_F(DeviceLifeTest, BandingSurfaceFollowsTheModelFlag) {
    PDEV* pdev = EnableLinked(SettingsBlock(true));
    ASSERT_NE(pdev, nullptr);
    const ModelDescription* shared = pdev->Model;
    std::vector<BYTE> image(shared->TotalSize);
    std::memcpy(image.data(), shared, image.size());
    auto* model = reinterpret_cast<ModelDescription*>(image.data());
    pdev->Model = model;

    struct Case {
        bool shadow;
        FLONG hooks;
        unsigned surfaces;
    };
    for (const Case& c : {Case{true, 0x4FB, 2}, Case{false, 0x403, 1}}) {
        model->AdvFuncSwitch = c.shadow ? (shared->AdvFuncSwitch | 0x2) : (shared->AdvFuncSwitch & ~0x2u);
        const unsigned surfaces = LiveSurfaceCount();
        HSURF surface = DrvEnableSurface(reinterpret_cast<DHPDEV>(pdev));
        ASSERT_NE(surface, nullptr) << c.shadow;
        EXPECT_TRUE(standin::engine::IsBandingSurface(surface)) << c.shadow;
        EXPECT_EQ(standin::engine::SurfaceHooks(surface), c.hooks) << c.shadow;
        EXPECT_EQ(pdev->ShadowSurface != nullptr, c.shadow);
        if (c.shadow) {
            EXPECT_EQ(pdev->ShadowSurface->iBitmapFormat, BMF_1BPP);
            EXPECT_EQ(pdev->ShadowSurface->sizlBitmap.cx, pdev->PageRect.right - 1);
        }
        EXPECT_EQ(LiveSurfaceCount(), surfaces + c.surfaces) << c.shadow;
        DrvDisableSurface(reinterpret_cast<DHPDEV>(pdev));
        EXPECT_EQ(pdev->ShadowSurface, nullptr);
        EXPECT_EQ(pdev->Surface, nullptr);
        EXPECT_EQ(LiveSurfaceCount(), surfaces) << c.shadow;
    }
    pdev->Model = shared;
    DrvDisablePDEV(reinterpret_cast<DHPDEV>(pdev));
}

// A vector-mode device carries the printer's 30 fonts, which DEVINFO counts, in a table with
// one empty slot after them; its surface is the 24-bit device surface of the vector hooks.
TEST_F(DeviceLifeTest, VectorModeDeviceCarriesTheFonts) {
    EnableRecords records;
    PDEV* pdev = EnableLinked(SettingsBlock(false), &records);
    ASSERT_NE(pdev, nullptr);
    EXPECT_EQ(pdev->DeviceFontCount, 30);
    EXPECT_EQ(records.dev.cFonts, 30u);
    ASSERT_NE(pdev->FontResourceTable, nullptr);
    for (int i = 0; i < 30; ++i) EXPECT_NE(pdev->FontResourceTable[i], nullptr) << i;
    EXPECT_EQ(pdev->FontResourceTable[30], nullptr);
    HSURF surface = DrvEnableSurface(reinterpret_cast<DHPDEV>(pdev));
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(standin::engine::SurfaceHooks(surface), 0x4FBu);
    EXPECT_FALSE(standin::engine::IsBandingSurface(surface));
    DrvDisableSurface(reinterpret_cast<DHPDEV>(pdev));
    DrvDisablePDEV(reinterpret_cast<DHPDEV>(pdev));
}

// A failed enable leaves nothing behind: no model reference, no palette, no memory (the
// sanitizer tree reports a leaked chain).
TEST_F(DeviceLifeTest, EnableFailsCleanlyWithoutMemory) {
    const unsigned palettes = LivePaletteCount();
    const std::vector<BYTE> block = SettingsBlock(true);
    for (unsigned skip : {0u, 1u, 2u}) {
        standin::InjectFault(standin::Fault::GlobalAlloc, ERROR_NOT_ENOUGH_MEMORY, skip, 1000);
        PDEV* pdev = EnableLinked(block);
        standin::ClearFaults();
        if (pdev != nullptr) DrvDisablePDEV(reinterpret_cast<DHPDEV>(pdev));
        EXPECT_EQ(LivePaletteCount(), palettes) << skip;
    }
    PDEV* pdev = EnableLinked(block);
    ASSERT_NE(pdev, nullptr) << "the device is made once memory is back";
    DrvDisablePDEV(reinterpret_cast<DHPDEV>(pdev));
}

TEST_F(DeviceLifeTest, DisablePDEVDropsBufferedBytes) {
    StartJob();
    PDEV* pdev = EnableLinked(SettingsBlock(true));
    ASSERT_NE(pdev, nullptr);
    const BYTE bytes[] = {0x1C, 0x59, 0x0D, 0x0C};
    ASSERT_TRUE(WriteOutput(pdev, bytes, sizeof bytes));
    ASSERT_EQ(pdev->Output.Count, sizeof bytes);
    DrvDisablePDEV(reinterpret_cast<DHPDEV>(pdev));
    EXPECT_TRUE(JobBytes().empty());
}

TEST_F(DeviceLifeTest, DisablePDEVClosesAndDeletesACaptureFileStillOpen) {
    PDEV* pdev = EnableLinked(SettingsBlock(true));
    ASSERT_NE(pdev, nullptr);
    const std::u16string path = u"C:\\Temp\\capture.tmp";
    WriteFile(path, std::string("captured"));
    pdev->CaptureFile = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(pdev->CaptureFile, INVALID_HANDLE_VALUE);
    std::memcpy(pdev->CapturePath, path.c_str(), (path.size() + 1) * sizeof(WCHAR));
    DrvDisablePDEV(reinterpret_cast<DHPDEV>(pdev));
    EXPECT_FALSE(FileExists(path));
}

}  // namespace
}  // namespace entrytest
