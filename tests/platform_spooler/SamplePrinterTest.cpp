// The shared sample-printer fixture puts its files where the driver will look for them.
#include <filesystem>

#include "tests/platform_spooler/SpoolerTestSupport.h"

namespace kvtest {
namespace {

namespace fs = std::filesystem;

using SamplePrinterTest = StandInTest;

TEST_F(SamplePrinterTest, FilesLandBesideTheDriverPath) {
    const std::string prefix = KV_LANG_PREFIX;
    const bool librariesBuilt = fs::exists(fs::path(KV_OUT_DIR) / (prefix + "SE.so")) &&
                                fs::exists(fs::path(KV_OUT_DIR) / (prefix + "SJ.so"));
    const bool modelPresent = fs::exists(SampleModelFileSource());
    if (!librariesBuilt || !modelPresent) GTEST_SKIP() << "language libraries or model file not built yet";

    SamplePrinterOptions options;
    options.driverPath = u"D:\\drivers\\x\\" KV_RENDER_NAME ".DLL";
    options.dataFile = u"D:\\data\\model.dat";
    const SamplePrinterResult result = InstallSamplePrinter(options);
    EXPECT_TRUE(result.dataFileCopied);
    EXPECT_TRUE(result.languageLibrariesInstalled);
    EXPECT_TRUE(FileExists(u"D:\\data\\model.dat"));
    EXPECT_TRUE(FileExists(u"D:\\drivers\\x\\" + U16(prefix) + u"SE.DLL"));
    EXPECT_TRUE(FileExists(u"D:\\drivers\\x\\" + U16(prefix) + u"SJ.DLL"));
}

TEST_F(SamplePrinterTest, OmittedFilesAreNotInstalled) {
    SamplePrinterOptions options;
    options.copyDataFile = false;
    options.installLanguageLibraries = false;
    const SamplePrinterResult result = InstallSamplePrinter(options);
    EXPECT_FALSE(result.dataFileCopied);
    EXPECT_FALSE(result.languageLibrariesInstalled);
    EXPECT_FALSE(FileExists(kSampleDataFile));
    EXPECT_FALSE(FileExists(u"C:\\drv\\" + U16(KV_LANG_PREFIX) + u"SE.DLL"));
    ScopedPrinter printer;
    EXPECT_NE(printer.handle(), nullptr);
}

}  // namespace
}  // namespace kvtest
