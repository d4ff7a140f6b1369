// The printer's model data file and its cache image beside it, read as the drivers read them:
// AcquireModelDescription on the sample printer (the cache when it is fresh and whole, else
// the compiler, which then writes the cache), and the image then used to build and validate
// a settings block.
//
// Input: a mode byte, then the file's bytes.
//   mode bit 0 clear: the bytes are the data file (no cache yet). The image, when there is
//     one, must pass the whole-image check, and the cache written from it must read back as
//     the same bytes.
//   mode bit 0 set: the bytes are a fresh cache file beside the real data file. Whatever is
//     served must pass the whole-image check.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/Files.h"
#include "settings/DefaultSettings.h"
#include "settings/ModelCache.h"
#include "settings/ValidateSettings.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tools/sample/SamplePrinter.h"

namespace {

using kvfuzz::Check;

constexpr char16_t kCacheFile[] = u"C:\\drv\\" KV_RENDER_NAME ".VMC";

kvtest::ScopedPrinter* g_printer = nullptr;
std::vector<uint8_t> g_dataFile;

std::vector<uint8_t> ImageBytes(const ModelDescription* model) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(model);
    return std::vector<uint8_t>(bytes, bytes + model->TotalSize);
}

// What a driver does with the image: the default block, then a validation against it.
void UseImage(const ModelDescription* model) {
    Check(IsModelImageConsistent(reinterpret_cast<const BYTE*>(model), model->TotalSize),
          "an image that fails the whole-image check was served");
    auto block = std::make_unique<DriverDevMode>();
    BuildDefaultDevMode(block.get(), g_printer->handle(), nullptr, model);
    ValidateDevMode(block.get(), nullptr, g_printer->handle(), nullptr, model);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kvfuzz::UseSamplePrinterRoot();
    g_printer = new kvtest::ScopedPrinter();
    Check(g_printer->handle() != nullptr, "the sample printer does not open");
    g_dataFile = kvfuzz::ReadSourceFile("resources/model/KV-TD520.dat");
    Check(!g_dataFile.empty(), "the model file cannot be read");
    kvfuzz::KeepRoot();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kvfuzz::InputReader input(data, size);
    const bool cacheMode = (input.Byte() & 1) != 0;
    const std::vector<uint8_t> bytes = input.Rest();

    DeleteFileW(kCacheFile);
    if (cacheMode) {
        // The cache is written after the data file, so it is not older and its content decides.
        Check(kvfuzz::WriteRootFile(kvtest::kSampleDataFile, g_dataFile.data(), g_dataFile.size()) &&
                  kvfuzz::WriteRootFile(kCacheFile, bytes.data(), bytes.size()),
              "cannot write the files");
    } else {
        Check(kvfuzz::WriteRootFile(kvtest::kSampleDataFile, bytes.data(), bytes.size()), "cannot write the data file");
    }

    InitSettingsLock();
    const ModelDescription* model = AcquireModelDescription(g_printer->handle());
    if (model != nullptr) {
        UseImage(model);
        const std::vector<uint8_t> first = ImageBytes(model);
        ReleaseModelDescription(model);
        // A new process finds the cache this one wrote.
        FreeSettingsLock();
        InitSettingsLock();
        const ModelDescription* again = AcquireModelDescription(g_printer->handle());
        Check(again != nullptr, "the image is gone on the second acquire");
        if (!cacheMode) Check(ImageBytes(again) == first, "the cache does not read back as the compiled image");
        UseImage(again);
        ReleaseModelDescription(again);
    }
    FreeSettingsLock();

    kvfuzz::RestoreRoot();
    return 0;
}
