// The version text of the driver file, read from the module's version resource. Every node of
// the block is checked against the bytes its parent leaves before it is read.
#include "ui/data/DriverVersion.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/Kernel.h"
#include "platform/Modules.h"
#include "ui/entry/UiOwners.h"

namespace {

constexpr size_t kNodeHeader = 6;  // length, value length, type
constexpr WORD kTextValue = 1;

size_t AlignUp4(size_t offset) { return (offset + 3) & ~size_t{3}; }

WORD ReadWord(const BYTE* at) {
    return static_cast<WORD>(at[0] | (at[1] << 8));
}

char16_t Folded(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

// One node of the block: where its key, value and children lie, all inside [begin, end).
struct VersionNode {
    size_t begin = 0;
    size_t end = 0;
    size_t key = 0;
    size_t keyChars = 0;
    size_t value = 0;
    size_t cbValue = 0;
    size_t children = 0;
};

// The node at `at` when it lies whole before `limit`.
bool ReadNode(const BYTE* block, size_t at, size_t limit, VersionNode* node) {
    if (at > limit || limit - at < kNodeHeader) return false;
    const size_t length = ReadWord(block + at);
    if (length < kNodeHeader || length > limit - at) return false;
    node->begin = at;
    node->end = at + length;
    node->key = at + kNodeHeader;
    size_t cursor = node->key;
    while (true) {
        if (node->end - cursor < sizeof(char16_t)) return false;  // the key has no terminator
        if (ReadWord(block + cursor) == 0) break;
        cursor += sizeof(char16_t);
    }
    node->keyChars = (cursor - node->key) / sizeof(char16_t);
    node->value = AlignUp4(cursor + sizeof(char16_t));
    const size_t valueLength = ReadWord(block + at + 2);
    node->cbValue = ReadWord(block + at + 4) == kTextValue ? valueLength * sizeof(char16_t) : valueLength;
    if (node->value > node->end || node->cbValue > node->end - node->value) {
        // A key that fills the node exactly has neither value nor children.
        if (valueLength != 0 || node->value < node->end) return false;
        node->value = node->end;
        node->cbValue = 0;
    }
    node->children = AlignUp4(node->value + node->cbValue);
    return true;
}

bool KeyIs(const BYTE* block, const VersionNode& node, const char16_t* name, size_t chars) {
    if (node.keyChars != chars) return false;
    for (size_t i = 0; i < chars; ++i) {
        if (Folded(static_cast<char16_t>(ReadWord(block + node.key + i * 2))) != Folded(name[i])) return false;
    }
    return true;
}

}  // namespace

bool FindVersionValue(const BYTE* block, size_t cbBlock, LPCWSTR path, const BYTE** value, size_t* cbValue) {
    if (block == nullptr || path == nullptr || value == nullptr || cbValue == nullptr) return false;
    VersionNode node;
    if (!ReadNode(block, 0, cbBlock, &node)) return false;
    const char16_t* part = path;
    while (true) {
        while (*part == u'\\') ++part;
        if (*part == u'\0') break;
        size_t chars = 0;
        while (part[chars] != u'\0' && part[chars] != u'\\') ++chars;
        bool found = false;
        for (size_t at = node.children; at < node.end;) {
            VersionNode child;
            if (!ReadNode(block, at, node.end, &child)) return false;
            if (KeyIs(block, child, part, chars)) {
                node = child;
                found = true;
                break;
            }
            at = AlignUp4(child.end);
        }
        if (!found) return false;
        part += chars;
    }
    *value = block + node.value;
    *cbValue = node.cbValue;
    return true;
}

bool ReadFileVersionText(LPCWSTR path, LPWSTR out, size_t cchOut) {
    if (path == nullptr || out == nullptr || cchOut == 0) return false;
    // A module that is loaded already is read where it is; otherwise it is loaded for the read.
    ModuleHandle loaded;
    HMODULE module = GetModuleHandleW(path);
    if (module == nullptr) {
        loaded.Reset(LoadLibraryW(path));
        module = loaded.Get();
    }
    if (module == nullptr) return false;
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), RT_VERSION);
    if (resource == nullptr) return false;
    const auto* block = static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
    const size_t cbBlock = SizeofResource(module, resource);
    if (block == nullptr || cbBlock == 0) return false;

    const BYTE* translation = nullptr;
    size_t cbTranslation = 0;
    if (!FindVersionValue(block, cbBlock, u"\\VarFileInfo\\Translation", &translation, &cbTranslation) ||
        cbTranslation < 4) {
        return false;
    }
    char name[64];
    std::snprintf(name, sizeof name, "\\StringFileInfo\\%04X%04X\\FileVersion", ReadWord(translation),
                  ReadWord(translation + 2));
    const std::u16string query(name, name + std::strlen(name));
    const BYTE* text = nullptr;
    size_t cbText = 0;
    if (!FindVersionValue(block, cbBlock, query.c_str(), &text, &cbText)) return false;
    size_t chars = 0;
    while (chars + 1 < cchOut && (chars + 1) * 2 <= cbText && ReadWord(text + chars * 2) != 0) {
        out[chars] = static_cast<char16_t>(ReadWord(text + chars * 2));
        ++chars;
    }
    out[chars] = u'\0';
    return true;
}
