#include "tests/render_entry/EntryFixture.h"

#include <cstring>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "platform/StandIn.h"
#include "render/DriverEntry.h"
#include "settings/DefaultSettings.h"
#include "settings/ModelCache.h"

namespace entrytest {

void EntryTest::SetUp() {
    kvtest::StandInTest::SetUp();
}

void EntryTest::TearDown() {
    if (jobStarted_ && printer() != nullptr) EndDocPrinter(printer());
    printer_.reset();
    if (module_ != nullptr) {
        reinterpret_cast<PFN_DrvDisableDriver>(
            reinterpret_cast<void (*)()>(GetProcAddress(module_, "DrvDisableDriver")))();
        FreeLibrary(module_);
        DisableDriver();
    }
    if (hdev_ != nullptr) standin::engine::ForgetDevice(hdev_);
    kvtest::StandInTest::TearDown();
}

void EntryTest::Install(const kvtest::SamplePrinterOptions& options) {
    kvtest::InstallSamplePrinter(options);
    InstallModule(KV_RENDER_NAME, options.driverPath);
    module_ = LoadLibraryW(options.driverPath.c_str());
    ASSERT_NE(module_, nullptr) << "LoadLibraryW failed with " << GetLastError();
    auto enable = reinterpret_cast<PFN_DrvEnableDriver>(
        reinterpret_cast<void (*)()>(GetProcAddress(module_, "DrvEnableDriver")));
    ASSERT_NE(enable, nullptr);
    ASSERT_TRUE(enable(DDI_DRIVER_VERSION_NT5, sizeof table_, &table_));
    // The linked copy shares the loaded library's resources.
    AttachProcess(module_);
    DRVENABLEDATA linked{};
    ASSERT_TRUE(EnableDriver(DDI_DRIVER_VERSION_NT5, sizeof linked, &linked));
    printer_ = std::make_unique<kvtest::ScopedPrinter>(options.name);
    ASSERT_NE(printer(), nullptr);
    hdev_ = standin::engine::MakeDevice();
}

void EntryTest::ReloadLibrary() {
    reinterpret_cast<PFN_DrvDisableDriver>(reinterpret_cast<void (*)()>(GetProcAddress(module_, "DrvDisableDriver")))();
    FreeLibrary(module_);
    module_ = LoadLibraryW(kvtest::kSampleDriverPath);
    ASSERT_NE(module_, nullptr);
    auto enable = reinterpret_cast<PFN_DrvEnableDriver>(
        reinterpret_cast<void (*)()>(GetProcAddress(module_, "DrvEnableDriver")));
    table_ = DRVENABLEDATA{};
    ASSERT_TRUE(enable(DDI_DRIVER_VERSION_NT5, sizeof table_, &table_));
    AttachProcess(module_);
}

std::vector<BYTE> EntryTest::SettingsBlock(bool graphicsOnly) {
    std::vector<BYTE> bytes(sizeof(DriverDevMode));
    auto* block = reinterpret_cast<DriverDevMode*>(bytes.data());
    const ModelDescription* model = AcquireModelDescription(printer());
    EXPECT_NE(model, nullptr);
    BuildDefaultDevMode(block, printer(), nullptr, model);
    ReleaseModelDescription(model);
    if (graphicsOnly) {
        block->FeatureFlags |= kFeatureGraphicsOnly;
    } else {
        block->FeatureFlags &= ~kFeatureGraphicsOnly;
    }
    return bytes;
}

namespace {
template <typename EnableFn>
PDEV* CallEnable(EnableFn enable, const std::vector<BYTE>& devmode, EnableRecords* records, HDEV hdev,
                 HANDLE printer) {
    EnableRecords local;
    EnableRecords* out = records != nullptr ? records : &local;
    std::vector<BYTE> copy = devmode;
    HSURF patterns[4] = {reinterpret_cast<HSURF>(1), reinterpret_cast<HSURF>(2), reinterpret_cast<HSURF>(3),
                         reinterpret_cast<HSURF>(4)};
    WCHAR deviceName[] = u"KV-TD520";
    DHPDEV dhpdev = enable(copy.empty() ? nullptr : reinterpret_cast<DEVMODEW*>(copy.data()), nullptr, 3, patterns,
                           sizeof out->gdi, reinterpret_cast<ULONG*>(&out->gdi), sizeof out->dev, &out->dev, hdev,
                           deviceName, printer);
    if (dhpdev != nullptr) {
        // The pattern handles are the engine's to fill: the driver clears exactly the count given.
        EXPECT_EQ(patterns[0], nullptr);
        EXPECT_EQ(patterns[2], nullptr);
        EXPECT_EQ(patterns[3], reinterpret_cast<HSURF>(4));
    }
    return reinterpret_cast<PDEV*>(dhpdev);
}
}  // namespace

PDEV* EntryTest::EnableLinked(const std::vector<BYTE>& devmode, EnableRecords* records) {
    PDEV* pdev = CallEnable(DrvEnablePDEV, devmode, records, hdev_, printer());
    if (pdev != nullptr) {
        DrvCompletePDEV(reinterpret_cast<DHPDEV>(pdev), hdev_);
        standin::engine::BindDevice(hdev_, reinterpret_cast<DHPDEV>(pdev));
    }
    return pdev;
}

PDEV* EntryTest::EnableLoaded(const std::vector<BYTE>& devmode, EnableRecords* records) {
    auto enable = Hook<PFN_DrvEnablePDEV>(INDEX_DrvEnablePDEV);
    PDEV* pdev = CallEnable(enable, devmode, records, hdev_, printer());
    if (pdev != nullptr) {
        Hook<PFN_DrvCompletePDEV>(INDEX_DrvCompletePDEV)(reinterpret_cast<DHPDEV>(pdev), hdev_);
        standin::engine::BindDevice(hdev_, reinterpret_cast<DHPDEV>(pdev));
    }
    return pdev;
}

void EntryTest::StartJob() {
    WCHAR name[] = u"entry test";
    DOC_INFO_1W info{name, nullptr, nullptr};
    ASSERT_NE(StartDocPrinterW(printer(), 1, reinterpret_cast<LPBYTE>(&info)), 0u);
    jobStarted_ = true;
}

std::vector<BYTE> EntryTest::JobBytes() {
    if (jobStarted_) EndDocPrinter(printer());
    jobStarted_ = false;
    return standin::JobBytes(kvtest::kSamplePrinterName, standin::LastJobId(kvtest::kSamplePrinterName));
}

std::unique_ptr<PDEV> FakePdev(DWORD first, DWORD last) {
    auto pdev = std::make_unique<PDEV>();
    std::memset(pdev.get(), 0, sizeof(PDEV));
    pdev->Signature = first;
    pdev->SignatureEnd = last;
    return pdev;
}

}  // namespace entrytest
