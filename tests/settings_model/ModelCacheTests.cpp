// The cache file beside the data file: its name, when it is used, and when it is rebuilt.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/Files.h"
#include "settings/ModelCache.h"
#include "tests/settings_model/ModelTestSupport.h"

namespace {

constexpr char16_t kDataFile[] = u"C:\\drv\\KVMODEL.DAT";
constexpr char16_t kCacheFile[] = u"C:\\drv\\KVMODEL.VMC";
// Every list the corruptions of ImageCorruptions() break is present.
const std::string kSource =
    "*FriendlyName \"KV-TD520\"\r\n*PPM 35\r\n*Resolution 600 \"600dpi\" 600 \"Fine\" 1\r\n"
    "*InputSlot \"AUTO\" 7\r\n*InputDevice \"FEEDER1\" 0x80001\r\n"
    "*DefaultForm \"A4\" 210000 297000 4230 4230 205770 292770\r\n*FormPort \"A3\" 1 2 3 4 5 6\r\n"
    "*Application \"APP\" 0x1\r\n";

TEST(ModelCachePath, LastDotOfTheWholePath) {
    const struct {
        std::u16string data;
        std::u16string cache;
    } cases[] = {
        {u"C:\\drv\\model.dat", u"C:\\drv\\model.VMC"},
        {u"C:\\drv.d\\model", u"C:\\drv.VMC"},
        {u"C:\\drv\\model", u"C:\\drv\\model.VMC"},
        {u"C:\\drv\\model.", u"C:\\drv\\model.VMC"},
        {u"C:\\drv\\a.b.longext", u"C:\\drv\\a.b.VMC"},
    };
    for (const auto& c : cases) {
        WCHAR out[264];
        ASSERT_TRUE(MakeModelCachePath(c.data.c_str(), out, 264)) << kvtest::U8(c.data);
        EXPECT_EQ(std::u16string(out), c.cache);
    }
}

TEST(ModelCachePath, TooLongForTheBufferFails) {
    const std::u16string dotted = u"C:\\" + std::u16string(255, u'a') + u".dat";  // 262 characters
    const std::u16string plain = u"C:\\" + std::u16string(256, u'a');            // 259 characters
    WCHAR out[264];
    EXPECT_TRUE(MakeModelCachePath(dotted.c_str(), out, 263));  // 259 up to the dot + "VMC" + NUL
    EXPECT_FALSE(MakeModelCachePath(dotted.c_str(), out, 262));
    EXPECT_TRUE(MakeModelCachePath(plain.c_str(), out, 264));  // 259 + ".VMC" + NUL
    EXPECT_FALSE(MakeModelCachePath(plain.c_str(), out, 263));
    const std::u16string tooLong = u"C:\\" + std::u16string(300, u'a');
    EXPECT_FALSE(MakeModelCachePath(tooLong.c_str(), out, 264));
    DWORD cbImage = 7;
    EXPECT_EQ(GetModelDescriptionImage(tooLong.c_str(), nullptr, 0, &cbImage), 0);
    EXPECT_EQ(cbImage, 0u);
}

class ModelCache : public kvtest::StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        WriteFile(kDataFile, kvtest::Utf16LeBytes(kvtest::U16(kSource), true));
        expected_ = modeltest::ImageBytes(modeltest::CompileText(kSource).get());
    }

    // The image as GetModelDescriptionImage gives it with the two calls of its callers.
    std::vector<BYTE> FetchImage() {
        DWORD cbImage = 0;
        EXPECT_EQ(GetModelDescriptionImage(kDataFile, nullptr, 0, &cbImage), 0);
        if (cbImage == 0) return {};
        std::vector<BYTE> image(cbImage);
        EXPECT_EQ(GetModelDescriptionImage(kDataFile, image.data(), cbImage, &cbImage), 1);
        return image;
    }

    static FILETIME TimeOf(const std::u16string& path) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        FILETIME time{};
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        EXPECT_TRUE(GetFileTime(file, nullptr, nullptr, &time));
        CloseHandle(file);
        return time;
    }
    // Sets a file's last-write time to time plus deltaSeconds.
    static void SetTime(const std::u16string& path, FILETIME time, long long deltaSeconds) {
        unsigned long long ticks = (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
        ticks += static_cast<unsigned long long>(deltaSeconds * 10000000LL);
        const FILETIME changed{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &changed));
        CloseHandle(file);
    }
    // Writes cache bytes, dated after the data file so only their content can reject them.
    void WriteFreshCache(const std::vector<BYTE>& bytes) {
        WriteFile(kCacheFile, bytes);
        SetTime(kCacheFile, TimeOf(kDataFile), 5);
    }

    std::vector<BYTE> expected_;
};

TEST_F(ModelCache, FirstFetchCompilesAndWritesTheCache) {
    EXPECT_FALSE(FileExists(kCacheFile));
    DWORD cbImage = 0;
    EXPECT_EQ(GetModelDescriptionImage(kDataFile, nullptr, 0, &cbImage), 0);
    EXPECT_EQ(cbImage, expected_.size());
    EXPECT_EQ(ReadFile(kCacheFile), expected_);

    // Only a buffer of exactly the image's size is filled.
    std::vector<BYTE> buffer(cbImage + 4, 0xEE);
    cbImage = 0;
    EXPECT_EQ(GetModelDescriptionImage(kDataFile, buffer.data(), static_cast<DWORD>(expected_.size() + 4), &cbImage), 0);
    EXPECT_EQ(cbImage, expected_.size());
    EXPECT_EQ(buffer[0], 0xEE);
    EXPECT_EQ(GetModelDescriptionImage(kDataFile, buffer.data(), static_cast<DWORD>(expected_.size()), &cbImage), 1);
    EXPECT_EQ(std::vector<BYTE>(buffer.begin(), buffer.begin() + cbImage), expected_);
}

TEST_F(ModelCache, FreshCacheIsServedAsItIs) {
    std::vector<BYTE> cached = expected_;
    cached[16] = 99;  // PPM, a value the check cannot tell from a compiled one
    WriteFreshCache(cached);
    int status = 0;
    modeltest::ImagePtr loaded(LoadModelCache(kDataFile, &status));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(loaded->PPM, 99u);
    EXPECT_EQ(FetchImage(), cached);

    // The same time as the data file still counts as fresh.
    SetTime(kCacheFile, TimeOf(kDataFile), 0);
    EXPECT_EQ(FetchImage(), cached);
}

TEST_F(ModelCache, StaleCacheIsRecompiledAndRewritten) {
    std::vector<BYTE> cached = expected_;
    cached[16] = 99;
    WriteFreshCache(cached);
    SetTime(kDataFile, TimeOf(kCacheFile), 10);  // the data file was touched after the cache
    int status = 7;
    EXPECT_FALSE(modeltest::ImagePtr(LoadModelCache(kDataFile, &status)));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(FetchImage(), expected_);
    EXPECT_EQ(ReadFile(kCacheFile), expected_);
}

TEST_F(ModelCache, InconsistentCachesAreRecompiled) {
    for (const auto& [name, corrupt] : ImageCorruptions()) {
        SCOPED_TRACE(name);
        std::vector<BYTE> cached = expected_;
        corrupt(cached);
        WriteFreshCache(cached);
        int status = 7;
        EXPECT_FALSE(modeltest::ImagePtr(LoadModelCache(kDataFile, &status)));
        EXPECT_EQ(status, 0);
        EXPECT_EQ(FetchImage(), expected_);
        EXPECT_EQ(ReadFile(kCacheFile), expected_);
    }
}

TEST_F(ModelCache, HeaderOnlyCacheIsNeverAccepted) {
    std::vector<BYTE> cached(expected_.begin(), expected_.begin() + 196);
    const DWORD size = 196;
    std::memcpy(cached.data(), &size, 4);
    WriteFreshCache(cached);
    EXPECT_FALSE(modeltest::ImagePtr(LoadModelCache(kDataFile, nullptr)));
    EXPECT_EQ(FetchImage(), expected_);
}

TEST_F(ModelCache, EmptyCacheFileIsIgnored) {
    WriteFreshCache({});
    EXPECT_EQ(FetchImage(), expected_);
}

TEST_F(ModelCache, MissingDataFileGivesNoImageAndNoCache) {
    DWORD cbImage = 7;
    EXPECT_EQ(GetModelDescriptionImage(u"C:\\drv\\NONE.DAT", nullptr, 0, &cbImage), 0);
    EXPECT_EQ(cbImage, 0u);
    EXPECT_FALSE(FileExists(u"C:\\drv\\NONE.VMC"));
    // A cache without its data file is not used either.
    WriteFile(u"C:\\drv\\NONE.VMC", expected_);
    EXPECT_EQ(GetModelDescriptionImage(u"C:\\drv\\NONE.DAT", nullptr, 0, &cbImage), 0);
    EXPECT_EQ(cbImage, 0u);
}

TEST_F(ModelCache, UnwritableCacheStillGivesTheImage) {
    standin::InjectFault(standin::Fault::FileWrite, ERROR_DISK_FULL, 0, 100);
    EXPECT_EQ(FetchImage(), expected_);
    standin::ClearFaults();
    standin::InjectFault(standin::Fault::FileShortWrite, 0, 0, 1);
    EXPECT_EQ(FetchImage(), expected_);  // the half-written cache is rejected on the fill
    EXPECT_EQ(ReadFile(kCacheFile), expected_);
}

TEST_F(ModelCache, MapWholeFile) {
    const BYTE* view = nullptr;
    const BYTE* cursor = nullptr;
    DWORD cb = 0;
    ASSERT_TRUE(MapWholeFile(kDataFile, &view, &cursor, &cb));
    EXPECT_EQ(view, cursor);
    EXPECT_EQ(std::vector<BYTE>(view, view + cb), ReadFile(kDataFile));
    EXPECT_TRUE(UnmapViewOfFile(view));
    // The size is optional; a missing or empty file fails.
    ASSERT_TRUE(MapWholeFile(kDataFile, &view, &cursor, nullptr));
    UnmapViewOfFile(view);
    EXPECT_FALSE(MapWholeFile(u"C:\\drv\\NONE.DAT", &view, &cursor, &cb));
    WriteFile(u"C:\\drv\\EMPTY.DAT", std::vector<BYTE>{});
    EXPECT_FALSE(MapWholeFile(u"C:\\drv\\EMPTY.DAT", &view, &cursor, &cb));
}

}  // namespace
