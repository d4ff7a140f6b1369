// Malformed data files: the compiler never reads or writes outside its buffers (the
// sanitizer build checks that) and gives either no image or one that passes the whole-image
// check.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/settings_model/ModelTestSupport.h"

namespace {

const char kSmallFile[] =
    "*FriendlyName \"KV\"\r\n*PPM 35\r\n*Resolution 600 \"600dpi\" 600 \"Fine\" 1\r\n"
    "*DefaultInputSlot \"AUTO\" 7\r\n*InputSlot \"AUTO\" 7\r\n"
    "*DefaultForm \"A4\" 210000 297000 4230 4230 205770 292770\r\n*FormPort \"A3\" 1 2 3 4 5 6\r\n";

// Every list filled one line past its capacity, every string at or over its limit.
std::string EveryListOverfull() {
    const std::string name79(79, 'n');
    std::string s = "*FriendlyName \"" + std::string(127, 'F') + "\"\r\n*PrinterName \"" + std::string(130, 'P') + "\"\r\n";
    s += "*DefaultMemorySize 1 2 3 4 5 6 7\r\n*DefaultInputSlot \"" + name79 + "\" 7\r\n";
    s += "*DefaultForm \"" + name79 + "\" 1 2 3 4 5 6\r\n";
    const struct {
        const char* keyword;
        const char* values;
        int capacity;
    } lists[] = {
        {"*SupportFeature", "0x1", 16},  {"*InputSlot", "7", 16},          {"*InputDevice", "0x1", 32},
        {"*OptionDevice", "0x1", 32},    {"*FormDevice", "0x1", 32},       {"*FormPort", "1 2 3 4 5 6", 45},
        {"*FormLand", "1 2 3 4 5 6", 45}, {"*FormPortCompatible", "1 2 3 4 5 6", 45},
        {"*FormLandCompatible", "1 2 3 4 5 6", 45}, {"*Application", "0x1", 64},
    };
    for (const auto& list : lists) {
        for (int i = 0; i <= list.capacity; ++i) {
            s += std::string(list.keyword) + " \"" + name79 + "\" " + list.values + "\r\n";
        }
    }
    for (int i = 0; i <= 16; ++i) {
        s += "*MemorySize 1 2 3 4 5 6 7\r\n*Resolution 600 \"" + name79 + "\" 600 \"" + name79 + "\" 1\r\n";
    }
    return s;
}

void ExpectNoImageOrConsistent(const std::vector<BYTE>& bytes) {
    auto model = modeltest::CompileBytes(bytes);
    if (model) {
        EXPECT_TRUE(modeltest::Consistent(model.get()));
    }
}

TEST(ModelFuzz, TruncatedAtEveryByte) {
    const std::vector<BYTE> whole = kvtest::Utf16LeBytes(kvtest::U16(kSmallFile), true);
    for (size_t size = 0; size <= whole.size(); ++size) {
        SCOPED_TRACE(size);
        ExpectNoImageOrConsistent(std::vector<BYTE>(whole.begin(), whole.begin() + static_cast<long>(size)));
    }
}

TEST(ModelFuzz, MalformedSources) {
    static const char kEmbeddedNul[] = "*FriendlyName \"A\0B\"\r\n*PPM \0 3";
    std::string continuations = "*FriendlyName \"A";
    for (int i = 0; i < 40; ++i) continuations += "%\r\nB";
    continuations += "\"\r\n*PPM 1\r\n";
    const std::string cases[] = {
        std::string(2000, 'x'),
        "*FriendlyName \"" + std::string(2000, 'y'),
        "*PrinterName \"" + std::string(1000, 'z') + "\"",
        "*" + std::string(300, 'K') + " 5",
        continuations,
        "*InputSlot \"open\r\n*FormPort \"also open\r\n*Application \"and this",
        "*PPM 9999999999999999999999999999999999999999\r\n*PrivateID 0xFFFFFFFFFFFFFFFFFFFFFFFF",
        "*DefaultForm\r\n*DefaultInputSlot\r\n*DefaultMemorySize",
        "*Resolution \"\" \"\" \"\" \"\" \"\"",
        std::string(kEmbeddedNul, sizeof(kEmbeddedNul) - 1),
        "\"\"\"\"%%%%::::;;;;",
        EveryListOverfull(),
    };
    for (const std::string& source : cases) {
        SCOPED_TRACE(source.substr(0, 40));
        ExpectNoImageOrConsistent(kvtest::Utf16LeBytes(kvtest::U16(source), true));
    }
}

TEST(ModelFuzz, EveryListOverfullStaysWithinTheCapacities) {
    auto model = modeltest::CompileText(EveryListOverfull());
    ASSERT_TRUE(model);
    ASSERT_TRUE(modeltest::Consistent(model.get()));
    EXPECT_EQ(model->InputSlotCount, 16u);
    EXPECT_EQ(model->FormPortCount, 45u);
    EXPECT_EQ(model->ApplicationCount, 64u);
    EXPECT_EQ(modeltest::Str(model.get(), model->PrinterName).size(), 127u);
}

TEST(ModelFuzz, OddByteCountsAndRandomBytes) {
    std::vector<BYTE> odd = kvtest::Utf16LeBytes(kvtest::U16(kSmallFile), false);
    odd.push_back('*');
    ExpectNoImageOrConsistent(odd);

    std::mt19937 random(20240401u);  // fixed seed: the same inputs on every run
    for (int round = 0; round < 300; ++round) {
        std::vector<BYTE> bytes(static_cast<size_t>(random() % 600));
        for (BYTE& b : bytes) b = static_cast<BYTE>(random());
        ExpectNoImageOrConsistent(bytes);
    }
    // Random text from the file's own alphabet reaches the readers' deeper paths.
    const std::u16string alphabet = u"*\"% :;\t\r\n0x9-.AFaf\u6A2A";
    const char* const keywords[] = {"*FriendlyName ", "*InputSlot ", "*FormPort ", "*PPM ", "*PrivateID ",
                                    "*Resolution ", "*DefaultForm "};
    for (int round = 0; round < 300; ++round) {
        std::u16string text;
        const size_t length = random() % 400;
        while (text.size() < length) {
            if (random() % 8 == 0) text += kvtest::U16(keywords[random() % 7]);
            text += alphabet[random() % alphabet.size()];
        }
        ExpectNoImageOrConsistent(kvtest::Utf16LeBytes(text, round % 2 == 0));
    }
}

}  // namespace
