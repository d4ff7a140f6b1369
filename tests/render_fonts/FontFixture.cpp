#include "tests/render_fonts/FontFixture.h"

#include <cmath>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "settings/DefaultSettings.h"
#include "settings/ModelCache.h"

namespace fonttest {

namespace {

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

void FontHookTest::SetUp() {
    kvtest::StandInTest::SetUp();
    kvtest::InstallSamplePrinter();
    InstallModule(KV_RENDER_NAME, kvtest::kSampleDriverPath);
    module_ = LoadLibraryW(kvtest::kSampleDriverPath);
    ASSERT_NE(module_, nullptr) << "LoadLibraryW failed with " << GetLastError();
    auto enable = Export<PFN_DrvEnableDriver>(module_, "DrvEnableDriver");
    ASSERT_NE(enable, nullptr);
    ASSERT_TRUE(enable(DDI_DRIVER_VERSION_NT5, sizeof table_, &table_));
    printer_ = std::make_unique<kvtest::ScopedPrinter>();
    ASSERT_NE(printer_->handle(), nullptr);
    hdev_ = standin::engine::MakeDevice();
}

void FontHookTest::TearDown() {
    if (module_ != nullptr) {
        auto disablePdev = Hook<PFN_DrvDisablePDEV>(INDEX_DrvDisablePDEV);
        for (DHPDEV dhpdev : devices_) disablePdev(dhpdev);
        Export<PFN_DrvDisableDriver>(module_, "DrvDisableDriver")();
    }
    printer_.reset();
    if (module_ != nullptr) FreeLibrary(module_);
    if (hdev_ != nullptr) standin::engine::ForgetDevice(hdev_);
    kvtest::StandInTest::TearDown();
}

DHPDEV FontHookTest::Enable(bool graphicsOnly, DEVINFO* devInfo) {
    std::vector<BYTE> bytes(sizeof(DriverDevMode));
    auto* block = reinterpret_cast<DriverDevMode*>(bytes.data());
    InitSettingsLock();
    const ModelDescription* model = AcquireModelDescription(printer_->handle());
    if (model == nullptr) return nullptr;
    BuildDefaultDevMode(block, printer_->handle(), nullptr, model);
    ReleaseModelDescription(model);
    FreeSettingsLock();
    if (graphicsOnly) {
        block->FeatureFlags |= kFeatureGraphicsOnly;
    } else {
        block->FeatureFlags &= ~kFeatureGraphicsOnly;
    }
    GDIINFO gdi{};
    DEVINFO dev{};
    WCHAR deviceName[] = u"KV-TD520";
    DHPDEV dhpdev = Hook<PFN_DrvEnablePDEV>(INDEX_DrvEnablePDEV)(
        reinterpret_cast<DEVMODEW*>(bytes.data()), nullptr, 0, nullptr, sizeof gdi, reinterpret_cast<ULONG*>(&gdi),
        sizeof dev, &dev, hdev_, deviceName, printer_->handle());
    if (dhpdev == nullptr) return nullptr;
    Hook<PFN_DrvCompletePDEV>(INDEX_DrvCompletePDEV)(dhpdev, hdev_);
    standin::engine::BindDevice(hdev_, dhpdev);
    devices_.push_back(dhpdev);
    if (devInfo != nullptr) *devInfo = dev;
    return dhpdev;
}

void FontHookTest::ReenableDriver() {
    Export<PFN_DrvDisableDriver>(module_, "DrvDisableDriver")();
    table_ = DRVENABLEDATA{};
    ASSERT_TRUE(Export<PFN_DrvEnableDriver>(module_, "DrvEnableDriver")(DDI_DRIVER_VERSION_NT5, sizeof table_, &table_));
}

PVOID FontHookTest::QueryFont(DHPDEV dhpdev, ULONG face) {
    ULONG_PTR id = 0x55;
    PVOID result = Hook<PFN_DrvQueryFont>(INDEX_DrvQueryFont)(dhpdev, 0, face, &id);
    EXPECT_EQ(id, 0u) << "the id is always cleared";
    return result;
}

PVOID FontHookTest::QueryFontTree(DHPDEV dhpdev, ULONG face, ULONG mode) {
    ULONG_PTR id = 0x55;
    PVOID result = Hook<PFN_DrvQueryFontTree>(INDEX_DrvQueryFontTree)(dhpdev, 0, face, mode, &id);
    EXPECT_EQ(id, 0u) << "the id is always cleared";
    return result;
}

LONG FontHookTest::QueryFontData(DHPDEV dhpdev, FONTOBJ* font, ULONG mode, HGLYPH hg, PVOID pgd, PVOID pv,
                                 ULONG cjSize) {
    return Hook<PFN_DrvQueryFontData>(INDEX_DrvQueryFontData)(dhpdev, font, mode, hg, pgd, pv, cjSize);
}

BOOL FontHookTest::QueryAdvanceWidths(DHPDEV dhpdev, FONTOBJ* font, ULONG mode, std::vector<HGLYPH> glyphs,
                                      std::vector<USHORT>* widths) {
    widths->assign(glyphs.size(), 0xEEEE);
    return Hook<PFN_DrvQueryAdvanceWidths>(INDEX_DrvQueryAdvanceWidths)(
        dhpdev, font, mode, glyphs.data(), widths->data(), static_cast<ULONG>(glyphs.size()));
}

standin::engine::Font FontHookTest::DeviceFontObject(ULONG face, const XFORML& matrix) {
    standin::engine::FontSpec spec;
    spec.type = FO_TYPE_DEVICE;
    spec.iFace = face;
    spec.matrix = matrix;
    return standin::engine::MakeFont(spec);
}

XFORML EmMatrix(double pixelsPerEm, double degrees) {
    const double scale = pixelsPerEm / 1000.0;
    const double a = degrees * M_PI / 180.0;
    const double c = std::cos(a) * scale;
    const double s = std::sin(a) * scale;
    // Row vectors: (x, y) maps to (x m11 + y m21, x m12 + y m22). The design y axis points up,
    // the page's down.
    return XFORML{static_cast<FLOATL>(c), static_cast<FLOATL>(-s), static_cast<FLOATL>(-s),
                  static_cast<FLOATL>(-c), 0, 0};
}

}  // namespace fonttest
