// VERSIONINFO: a module's version resource. The fixed fields come first, each at most once:
//
//   FILEVERSION a,b,c,d  PRODUCTVERSION a,b,c,d  (one to four parts of 16 bits; missing parts 0)
//   FILEFLAGSMASK n  FILEFLAGS n  FILEOS n  FILETYPE n  FILESUBTYPE n
//
// then a body of BLOCK "key" { ... } and VALUE "key", value statements. A value is one string
// (stored as UTF-16 text with its terminator) or a list of numbers (words, or 32 bits with an
// L suffix), as in VALUE "Translation", 0x409, 1200.
//
// Every node is laid out as {u16 length, u16 value length, u16 type, key in UTF-16 with its
// terminator, padding to 4, value, padding to 4, children}, offsets counted from the start of
// the resource. The length covers the node up to the end of its last child; a text value's
// length counts characters (type 1), a binary value's bytes (type 0). The root is keyed
// "VS_VERSION_INFO" and holds the fixed fields as its value.
#include <array>

#include "Parser.h"

namespace rescomp {
namespace {

constexpr uint32_t kVersionType = 16;  // RT_VERSION
constexpr uint32_t kFixedSignature = 0xFEEF04BD;
constexpr uint32_t kFixedStructVersion = 0x00010000;
constexpr size_t kMaxNodeBytes = 0xFFFF;  // a node's length is a 16-bit field
constexpr size_t kMaxKeyChars = 255;
constexpr int kMaxDepth = 8;              // blocks inside the root's body
constexpr uint16_t kBinaryNode = 0;
constexpr uint16_t kTextNode = 1;

// The fixed fields in the order the record holds them, after signature and structure version.
enum Field { kFileVersion, kProductVersion, kFlagsMask, kFlags, kOs, kType, kSubtype, kFieldCount };
constexpr const char* kFieldNames[kFieldCount] = {"FILEVERSION", "PRODUCTVERSION", "FILEFLAGSMASK", "FILEFLAGS",
                                                  "FILEOS",      "FILETYPE",       "FILESUBTYPE"};

// A key for a message: characters outside ASCII as '?'.
std::string Narrow(const std::u16string& key) {
    std::string out;
    for (char16_t c : key) out.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
    return out;
}

}  // namespace

struct Parser::VersionNode {
    std::u16string key;
    uint16_t type = kTextNode;
    std::vector<uint8_t> value;
    size_t valueLength = 0;  // characters of a text value, bytes of a binary one
    std::vector<VersionNode> children;
    Location where;
};

void Parser::ParseVersionInfo(uint32_t id, const Location& where) {
    Resource r = Begin(kVersionType, id, where);
    r.language = ParseOptions();

    std::array<uint64_t, kFieldCount> fields{};
    std::array<bool, kFieldCount> seen{};
    while (!AtBegin()) {
        int field = -1;
        for (int f = 0; f < kFieldCount; ++f) {
            if (IsWord(kFieldNames[f])) field = f;
        }
        if (field < 0) Fail("expected a fixed field or '{', found " + Describe(Current()));
        if (seen[field]) Fail(std::string(kFieldNames[field]) + " is given twice");
        seen[field] = true;
        Next();
        if (field == kFileVersion || field == kProductVersion) {
            // Parts a,b,c,d: a and b in the high word pair, c and d in the low.
            uint64_t version = 0;
            int parts = 0;
            while (true) {
                if (parts == 4) Fail("a version has at most four parts");
                version |= uint64_t{ParseNumberIn(0, 0xFFFF, "a version part")} << (48 - 16 * parts);
                ++parts;
                if (!IsPunct(",")) break;
                Next();
            }
            fields[field] = version;
        } else {
            fields[field] = ParseNumberIn(0, 0xFFFFFFFFu, "a fixed field");
        }
    }

    VersionNode root;
    root.key = u"VS_VERSION_INFO";
    root.type = kBinaryNode;
    root.where = where;
    PutDword(root.value, kFixedSignature);
    PutDword(root.value, kFixedStructVersion);
    for (int f = kFileVersion; f <= kProductVersion; ++f) {
        PutDword(root.value, static_cast<uint32_t>(fields[f] >> 32));
        PutDword(root.value, static_cast<uint32_t>(fields[f]));
    }
    for (int f = kFlagsMask; f < kFieldCount; ++f) PutDword(root.value, static_cast<uint32_t>(fields[f]));
    PutDword(root.value, 0);  // file date, high
    PutDword(root.value, 0);  // file date, low
    root.valueLength = root.value.size();

    const Location opened = Current().where;
    Next();
    ParseVersionBody(root, opened, 0);
    WriteVersionNode(root, r.data);
    out_.Add(std::move(r));
}

std::u16string Parser::ParseVersionKey() {
    const Location at = Current().where;
    const std::u16string key = ParseText("a key string");
    if (key.empty()) throw CompileError(at, "a key must not be empty");
    if (key.size() > kMaxKeyChars)
        throw CompileError(at, "a key may be at most " + std::to_string(kMaxKeyChars) + " characters long");
    if (key.find(u'\0') != std::u16string::npos) throw CompileError(at, "a key must not hold \\0");
    return key;
}

// The statements up to the block's end (consumed).
void Parser::ParseVersionBody(VersionNode& parent, const Location& opened, int depth) {
    while (!AtEnd()) {
        ExpectNotEof(opened);
        VersionNode node;
        node.where = Current().where;
        if (IsWord("BLOCK")) {
            if (depth == kMaxDepth) Fail("blocks nested too deeply");
            Next();
            node.key = ParseVersionKey();
            const Location inner = Current().where;
            ExpectBegin();
            ParseVersionBody(node, inner, depth + 1);
        } else if (IsWord("VALUE")) {
            Next();
            node.key = ParseVersionKey();
            Expect(",");
            if (Current().kind == TokenKind::String) {
                const std::u16string text = ToUtf16(Next().chars);
                PutText(node.value, text);
                node.valueLength = text.size() + 1;
                if (IsPunct(",")) Fail("a text value is a single string");
            } else {
                node.type = kBinaryNode;
                while (true) {
                    ParseDataNumber(node.value);
                    if (!IsPunct(",")) break;
                    Next();
                }
                node.valueLength = node.value.size();
            }
        } else {
            Fail("expected BLOCK or VALUE, found " + Describe(Current()));
        }
        parent.children.push_back(std::move(node));
    }
    Next();
}

void Parser::WriteVersionNode(const VersionNode& node, std::vector<uint8_t>& out) {
    PadTo4(out);
    const size_t start = out.size();
    PutWord(out, 0);  // length, set below
    PutWord(out, static_cast<uint16_t>(node.valueLength));
    PutWord(out, node.type);
    PutText(out, node.key);
    PadTo4(out);
    out.insert(out.end(), node.value.begin(), node.value.end());
    for (const VersionNode& child : node.children) WriteVersionNode(child, out);
    const size_t length = out.size() - start;
    if (length > kMaxNodeBytes)
        throw CompileError(node.where, "'" + Narrow(node.key) + "' takes " +
                                           std::to_string(length) + " bytes; a version node holds at most " +
                                           std::to_string(kMaxNodeBytes));
    out[start] = static_cast<uint8_t>(length);
    out[start + 1] = static_cast<uint8_t>(length >> 8);
}

}  // namespace rescomp
