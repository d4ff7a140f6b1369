// Values of a version block as the driver file's version resource holds it: found by their
// path of keys whatever the case, and nothing read past a node whose lengths overrun.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ui/data/DriverVersion.h"

namespace kvuipage3 {
namespace {

// One node: key, value (text or bytes) and children, written with its lengths and padding.
struct Node {
    std::u16string key;
    std::vector<BYTE> value;
    bool text = false;
    std::vector<Node> children;
};

void Pad(std::vector<BYTE>& out) {
    while (out.size() % 4 != 0) out.push_back(0);
}
void PutWord(std::vector<BYTE>& out, size_t at, size_t value) {
    out[at] = static_cast<BYTE>(value & 0xFF);
    out[at + 1] = static_cast<BYTE>((value >> 8) & 0xFF);
}

void Write(const Node& node, std::vector<BYTE>& out) {
    Pad(out);
    const size_t start = out.size();
    out.resize(start + 6);
    for (char16_t c : node.key) {
        out.push_back(static_cast<BYTE>(c & 0xFF));
        out.push_back(static_cast<BYTE>(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
    Pad(out);
    out.insert(out.end(), node.value.begin(), node.value.end());
    for (const Node& child : node.children) Write(child, out);
    PutWord(out, start, out.size() - start);
    PutWord(out, start + 2, node.text ? node.value.size() / 2 : node.value.size());
    PutWord(out, start + 4, node.text ? 1 : 0);
}

std::vector<BYTE> TextBytes(const std::u16string& text) {
    std::vector<BYTE> bytes;
    for (char16_t c : text + u'\0') {
        bytes.push_back(static_cast<BYTE>(c & 0xFF));
        bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    return bytes;
}

std::vector<BYTE> SampleBlock() {
    const Node strings{u"041104B0", {}, true, {{u"CompanyName", TextBytes(u"Maker"), true, {}},
                                               {u"FileVersion", TextBytes(u"4.16.0.3"), true, {}}}};
    const Node root{u"VS_VERSION_INFO", std::vector<BYTE>(52, 0xEE), false,
                    {{u"StringFileInfo", {}, true, {strings}},
                     {u"VarFileInfo", {}, true, {{u"Translation", {0x11, 0x04, 0xB0, 0x04}, false, {}}}}}};
    std::vector<BYTE> block;
    Write(root, block);
    return block;
}

std::u16string TextAt(const BYTE* value, size_t cb) {
    std::u16string text;
    for (size_t i = 0; i + 1 < cb; i += 2) {
        const auto c = static_cast<char16_t>(value[i] | (value[i + 1] << 8));
        if (c == 0) break;
        text += c;
    }
    return text;
}

TEST(VersionBlock, ValuesAreFoundByTheirPathWhateverTheCase) {
    const std::vector<BYTE> block = SampleBlock();
    struct Case {
        const char16_t* path;
        bool found;
        std::u16string text;  // for text values
    };
    const Case cases[] = {
        {u"\\StringFileInfo\\041104B0\\FileVersion", true, u"4.16.0.3"},
        {u"\\stringfileinfo\\041104b0\\fileversion", true, u"4.16.0.3"},
        {u"\\StringFileInfo\\041104B0\\CompanyName", true, u"Maker"},
        {u"\\StringFileInfo\\040904B0\\FileVersion", false, u""},
        {u"\\StringFileInfo\\041104B0\\FileVersio", false, u""},
        {u"\\VarFileInfo\\Missing", false, u""},
    };
    for (const Case& c : cases) {
        const BYTE* value = nullptr;
        size_t cb = 0;
        const bool found = FindVersionValue(block.data(), block.size(), c.path, &value, &cb);
        EXPECT_EQ(found, c.found) << std::string(c.path, c.path + std::char_traits<char16_t>::length(c.path));
        if (found) {
            EXPECT_EQ(TextAt(value, cb), c.text);
        }
    }
    const BYTE* translation = nullptr;
    size_t cb = 0;
    ASSERT_TRUE(FindVersionValue(block.data(), block.size(), u"\\VarFileInfo\\Translation", &translation, &cb));
    ASSERT_EQ(cb, 4u);
    EXPECT_EQ(std::memcmp(translation, "\x11\x04\xB0\x04", 4), 0);
}

TEST(VersionBlock, ABlockCutShortOrWithOverlongNodesFindsNothing) {
    const std::vector<BYTE> block = SampleBlock();
    const char16_t* path = u"\\StringFileInfo\\041104B0\\FileVersion";
    const BYTE* value = nullptr;
    size_t cb = 0;
    // Every cut before the value's end: the root's length passes the block.
    for (size_t size : {size_t{0}, size_t{5}, size_t{40}, block.size() - 1}) {
        const std::vector<BYTE> cut(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_FALSE(FindVersionValue(cut.data(), cut.size(), path, &value, &cb)) << size;
    }
    // A child whose length reaches past its parent, and a value longer than its node.
    std::vector<BYTE> overlong = block;
    const size_t child = 92;  // the "StringFileInfo" node: after the 6 + 32 key + 52 value bytes, aligned
    ASSERT_EQ(overlong[child + 6], 'S');
    PutWord(overlong, child, 0xFFF0);
    EXPECT_FALSE(FindVersionValue(overlong.data(), overlong.size(), path, &value, &cb));
    std::vector<BYTE> longValue = block;
    PutWord(longValue, 2, 0x4000);
    EXPECT_FALSE(FindVersionValue(longValue.data(), longValue.size(), path, &value, &cb));
}

TEST(VersionBlock, AFileThatIsNoModuleHasNoVersion) {
    WCHAR text[32] = u"unchanged";
    EXPECT_FALSE(ReadFileVersionText(u"C:\\nowhere\\none.dll", text, 32));
    EXPECT_EQ(std::u16string(text), u"unchanged");
}

}  // namespace
}  // namespace kvuipage3
