// Packing: the size at +0 against the bytes written, list capacities, absent names and
// single records, and the whole-image check that guards cache files.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "tests/settings_model/ModelTestSupport.h"

using modeltest::CompileText;
using modeltest::Str;

namespace {

// Keyword groups that can each be present or absent.
const char* const kGroups[] = {
    "*FriendlyName \"KV-TD520\"\r\n*PrinterName \"KV-TD520 Printer\"\r\n",
    "*DefaultMemorySize 131072 4096 128 8192 2048 16384 512\r\n",
    "*MemorySize 65536 1 2 3 4 5 6\r\n*SupportFeature \"STAPLE\" 0x1\r\n*SupportFeature \"PUNCH\" 0x2\r\n",
    "*Resolution 600 \"600dpi\" 600 \"Fine\" 1\r\n*Resolution 300 \"300\" 300 \"N\" 0\r\n",
    "*DefaultInputSlot \"AUTOMATIC\" 7\r\n",
    "*InputSlot \"AUTO\" 7\r\n*InputDevice \"FEEDER1\" 0x80001\r\n*OptionDevice \"DUPLEX\" 0x1\r\n"
    "*FormDevice \"A3\" 0x1\r\n",
    "*DefaultForm \"A4\" 210000 297000 4230 4230 205770 292770\r\n",
    "*FormPort \"A3\" 1 2 3 4 5 6\r\n*FormLand \"A3 横\" 1 2 3 4 5 6\r\n*FormPortCompatible \"B\" 1 2 3 4 5 6\r\n"
    "*FormLandCompatible \"C\" 1 2 3 4 5 6\r\n*Application \"APP\" 0x4\r\n",
};
constexpr unsigned kGroupCount = sizeof(kGroups) / sizeof(kGroups[0]);

struct Parsed {
    ModelDescription header{};
    std::unique_ptr<ModelWorkArea> work = std::make_unique<ModelWorkArea>();
};

Parsed Parse(const std::vector<BYTE>& bytes) {
    Parsed parsed;
    auto context = std::make_unique<ModelParseContext>();
    context->View = bytes.data();
    context->Cursor = bytes.data();
    context->BytesLeft = static_cast<DWORD>(bytes.size());
    parsed.header.TotalSize = kModelHeaderSize;
    ParseModelKeywords(&parsed.header, parsed.work.get(), context.get());
    return parsed;
}

// Packs into a buffer pre-filled with fill, with a guard area after the computed size.
std::vector<BYTE> PackFilled(const Parsed& parsed, DWORD size, BYTE fill) {
    std::vector<BYTE> buffer(size + 64, fill);
    std::memcpy(buffer.data(), &parsed.header, sizeof(ModelDescription));
    PackModelDescription(buffer.data(), parsed.work.get());
    return buffer;
}

TEST(ModelPack, SizeEqualsBytesWrittenForEveryCombinationOfKeywords) {
    for (unsigned mask = 0; mask < (1u << kGroupCount); ++mask) {
        std::string source;
        for (unsigned g = 0; g < kGroupCount; ++g) {
            if (mask & (1u << g)) source += kGroups[g];
        }
        SCOPED_TRACE("groups mask " + std::to_string(mask));
        const Parsed parsed = Parse(kvtest::Utf16LeBytes(kvtest::U16(source), false));
        const DWORD size = ComputeModelImageSize(&parsed.header, parsed.work.get());

        // Two packs over different fills: a byte written by the packer is the same in both,
        // a byte it skipped keeps its fill.
        const std::vector<BYTE> a = PackFilled(parsed, size, 0xA5);
        const std::vector<BYTE> b = PackFilled(parsed, size, 0x5A);
        DWORD totalSize = 0;
        std::memcpy(&totalSize, a.data(), sizeof(totalSize));
        ASSERT_EQ(totalSize, size);
        size_t firstUnwritten = size;
        for (size_t i = 0; i < size && firstUnwritten == size; ++i) {
            if (a[i] != b[i]) firstUnwritten = i;
        }
        EXPECT_EQ(firstUnwritten, size) << "byte not written at offset " << firstUnwritten;
        for (size_t i = size; i < a.size(); ++i) {
            ASSERT_TRUE(a[i] == 0xA5 && b[i] == 0x5A) << "written past the size at offset " << i;
        }

        const auto* model = reinterpret_cast<const ModelDescription*>(a.data());
        EXPECT_TRUE(IsModelImageConsistent(a.data(), size));
        EXPECT_EQ(ModelDefaultMemory(model) != nullptr, (mask & 2u) != 0);
        EXPECT_EQ(ModelDefaultInputSlot(model) != nullptr, (mask & 16u) != 0);
        EXPECT_EQ(ModelDefaultForm(model) != nullptr, (mask & 64u) != 0);
    }
}

TEST(ModelPack, LayoutFollowsTheKeywordOrder) {
    auto model = CompileText(std::string(kGroups[0]) + kGroups[1] + kGroups[4] + kGroups[6]);
    ASSERT_TRUE(model);
    // Header, two names, then the single records each followed by its name.
    EXPECT_EQ(model->FriendlyName, 196u);
    EXPECT_EQ(model->PrinterName, 196u + 20u);  // "KV-TD520" is 18 bytes in a 20-byte slot
    EXPECT_EQ(model->DefaultMemorySize, 196u + 20u + 36u);
    EXPECT_EQ(model->MemorySizeOffset, model->DefaultMemorySize + 28u);
    EXPECT_EQ(model->DefaultInputSlot, model->MemorySizeOffset);
    EXPECT_EQ(model->InputSlotOffset, model->DefaultInputSlot + 8u + 20u);  // "AUTOMATIC" + NUL
    EXPECT_EQ(model->DefaultForm, model->InputSlotOffset);
    EXPECT_EQ(model->FormPortOffset, model->DefaultForm + 32u + 8u);
    EXPECT_EQ(model->TotalSize, model->FormPortOffset);
    EXPECT_EQ(Str(model.get(), ModelDefaultForm(model.get())->NameOffset), "A4");
    EXPECT_EQ(ModelDefaultMemory(model.get())->Values[6], 512u);
}

TEST(ModelPack, MissingNamesStillAddressATerminator) {
    auto model = CompileText("*PPM 35\r\n");
    ASSERT_TRUE(model);
    EXPECT_EQ(model->FriendlyName, 196u);
    EXPECT_EQ(model->PrinterName, 200u);
    EXPECT_EQ(model->TotalSize, 204u);
    EXPECT_EQ(Str(model.get(), model->FriendlyName), "");
    EXPECT_EQ(Str(model.get(), model->PrinterName), "");
    EXPECT_TRUE(modeltest::Consistent(model.get()));
}

TEST(ModelPack, AbsentSingleRecordsAreNotReadFromTheNextList) {
    // Each list has records where the missing single record would have been.
    auto model = CompileText("*MemorySize 1 2 3 4 5 6 7\r\n*InputSlot \"MANUAL\" 4\r\n"
                             "*FormPort \"A3\" 297000 420000 1 2 3 4\r\n");
    ASSERT_TRUE(model);
    EXPECT_EQ(model->DefaultMemorySize, model->MemorySizeOffset);
    EXPECT_EQ(ModelDefaultMemory(model.get()), nullptr);
    EXPECT_EQ(ModelDefaultInputSlot(model.get()), nullptr);
    EXPECT_EQ(ModelDefaultForm(model.get()), nullptr);
}

struct ListCase {
    const char* keyword;
    const char* values;  // after the name
    DWORD ModelDescription::*count;
    DWORD capacity;
};

TEST(ModelPack, LinesBeyondAListsCapacityAreIgnored) {
    const ListCase cases[] = {
        {"*SupportFeature", "0x1", &ModelDescription::SupportFeatureCount, 16},
        {"*InputSlot", "7", &ModelDescription::InputSlotCount, 16},
        {"*InputDevice", "0x1", &ModelDescription::InputDeviceCount, 32},
        {"*OptionDevice", "0x1", &ModelDescription::OptionDeviceCount, 32},
        {"*FormDevice", "0x1", &ModelDescription::FormDeviceCount, 32},
        {"*FormPort", "1 2 3 4 5 6", &ModelDescription::FormPortCount, 45},
        {"*FormLand", "1 2 3 4 5 6", &ModelDescription::FormLandCount, 45},
        {"*FormPortCompatible", "1 2 3 4 5 6", &ModelDescription::FormPortCompatibleCount, 45},
        {"*FormLandCompatible", "1 2 3 4 5 6", &ModelDescription::FormLandCompatibleCount, 45},
        {"*Application", "0x1", &ModelDescription::ApplicationCount, 64},
        {"*Resolution", nullptr, &ModelDescription::ResolutionCount, 16},
        {"*MemorySize", nullptr, &ModelDescription::MemorySizeCount, 16},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.keyword);
        std::string source;
        for (DWORD i = 1; i <= c.capacity + 1; ++i) {
            const std::string n = std::to_string(i);
            if (c.values != nullptr) {
                source += std::string(c.keyword) + " \"N" + n + "\" " + c.values + "\r\n";
            } else if (c.count == &ModelDescription::ResolutionCount) {
                // The surplus line's second string runs on to the next line.
                source += "*Resolution " + n + " \"R" + n + "\" 1 \"Q\r\n" + n + "\" 0\r\n";
            } else {
                source += "*MemorySize " + n + " 0 0 0 0 0 0\r\n";
            }
        }
        source += "*PPM 77\r\n";
        auto model = CompileText(source);
        ASSERT_TRUE(model);
        EXPECT_EQ(model.get()->*c.count, c.capacity);
        EXPECT_EQ(model->PPM, 77u);  // the surplus line's values did not swallow the next line
        EXPECT_TRUE(modeltest::Consistent(model.get()));
        const std::string image(reinterpret_cast<const char*>(model.get()), model->TotalSize);
        const std::u16string last = u"N" + kvtest::U16(std::to_string(c.capacity + 1));
        const std::string lastBytes(reinterpret_cast<const char*>(last.c_str()), (last.size() + 1) * 2);
        EXPECT_EQ(image.find(lastBytes), std::string::npos);
    }
}

TEST(ModelPack, ResolutionAndMemoryListsKeepTheirFirstRecords) {
    std::string source;
    for (int i = 1; i <= 17; ++i) {
        source += "*Resolution " + std::to_string(i) + " \"R\" 1 \"Q\" 0\r\n*MemorySize " + std::to_string(i) +
                  " 1 1 1 1 1 1\r\n";
    }
    auto model = CompileText(source);
    ASSERT_TRUE(model);
    const ModelResolution* r = ModelList<ModelResolution>(model.get(), model->ResolutionOffset, 16);
    const ModelMemory* m = ModelList<ModelMemory>(model.get(), model->MemorySizeOffset, 16);
    ASSERT_TRUE(r && m);
    EXPECT_EQ(r[15].Value1, 16u);
    EXPECT_EQ(m[15].Values[0], 16u);
}

// A good image to corrupt: every list present, so each offset and name can be broken.
std::vector<BYTE> GoodImage() {
    std::string source;
    for (const char* group : kGroups) source += group;
    auto model = CompileText(source);
    return modeltest::ImageBytes(model.get());
}

void PutDword(std::vector<BYTE>& image, size_t at, DWORD value) { std::memcpy(image.data() + at, &value, 4); }
DWORD GetDword(const std::vector<BYTE>& image, size_t at) {
    DWORD value = 0;
    std::memcpy(&value, image.data() + at, 4);
    return value;
}

}  // namespace

/// Named ways to break an image; the cache tests feed the same ones through a cache file.
std::vector<std::pair<std::string, std::function<void(std::vector<BYTE>&)>>> ImageCorruptions() {
    return {
        {"truncated", [](std::vector<BYTE>& i) { i.resize(i.size() - 4); }},
        {"size field disagrees", [](std::vector<BYTE>& i) { PutDword(i, 0, GetDword(i, 0) + 4); }},
        {"header only", [](std::vector<BYTE>& i) { i.resize(196); PutDword(i, 0, 196); }},
        {"count over capacity", [](std::vector<BYTE>& i) { PutDword(i, 76, 17); }},
        {"count past the end", [](std::vector<BYTE>& i) { PutDword(i, 164, 40); }},
        {"list offset past the end", [](std::vector<BYTE>& i) { PutDword(i, 132, GetDword(i, 0) + 32); }},
        {"list offset inside the header", [](std::vector<BYTE>& i) { PutDword(i, 68, 100); }},
        {"list offset misaligned", [](std::vector<BYTE>& i) { PutDword(i, 92, GetDword(i, 92) + 2); }},
        {"name offset past the end", [](std::vector<BYTE>& i) { PutDword(i, 8, GetDword(i, 0) + 2); }},
        {"name offset odd", [](std::vector<BYTE>& i) { PutDword(i, 12, GetDword(i, 12) + 1); }},
        {"name offset zero", [](std::vector<BYTE>& i) { PutDword(i, GetDword(i, 80), 0); }},
        {"single record after its list", [](std::vector<BYTE>& i) { PutDword(i, 160, GetDword(i, 132) + 4); }},
        {"default form name past the end",
         [](std::vector<BYTE>& i) { PutDword(i, GetDword(i, 160) + 4, GetDword(i, 0)); }},
        {"last string unterminated",
         [](std::vector<BYTE>& i) {
             const DWORD lastName = GetDword(i, GetDword(i, 168));  // the only *Application name
             for (size_t at = lastName; at < i.size(); ++at) i[at] = 'x';
         }},
    };
}

namespace {

TEST(ModelImage, ConsistencyCheckRejectsEveryCorruption) {
    const std::vector<BYTE> good = GoodImage();
    ASSERT_TRUE(IsModelImageConsistent(good.data(), good.size()));
    for (const auto& [name, corrupt] : ImageCorruptions()) {
        SCOPED_TRACE(name);
        std::vector<BYTE> image = good;
        corrupt(image);
        std::vector<DWORD> aligned((image.size() + 3) / 4);
        std::memcpy(aligned.data(), image.data(), image.size());
        EXPECT_FALSE(IsModelImageConsistent(reinterpret_cast<const BYTE*>(aligned.data()), image.size()));
    }
    EXPECT_FALSE(IsModelImageConsistent(nullptr, 300));
}

TEST(ModelImage, ModelStringRefusesOffsetsOutsideTheImage) {
    auto model = CompileText("*FriendlyName \"KV\"");
    ASSERT_TRUE(model);
    EXPECT_EQ(Str(model.get(), 0), "");
    EXPECT_EQ(Str(model.get(), model->TotalSize), "");
    EXPECT_EQ(Str(model.get(), 0xFFFFFFFEu), "");
    EXPECT_EQ(Str(model.get(), model->FriendlyName), "KV");
}

}  // namespace
