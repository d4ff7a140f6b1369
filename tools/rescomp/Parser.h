#pragma once
// The parser of resource scripts, shared by the files that handle each family of
// statements: Script.cpp (the statement loop, numbers, preprocessing, strings and data),
// ScriptDialogs.cpp (DIALOG, DIALOGEX), ScriptMenus.cpp (MENU, MENUEX, ACCELERATORS) and
// ScriptFiles.cpp (ICON, BITMAP and resources read whole from a file) and ScriptVersion.cpp
// (VERSIONINFO).
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "Lexer.h"
#include "Table.h"

namespace rescomp {

struct Value {
    int64_t number = 0;
    bool isLong = false;
};

class Parser {
public:
    /// file names the script (for messages and to find files it names relative to itself).
    Parser(std::string file, std::vector<Token> tokens, ResourceSet& out);

    void Run();

private:
    using KindParser = void (Parser::*)(uint32_t id, const Location& where);
    struct Kind {
        const char* keyword;
        KindParser parse;
    };

    // --- Tokens (Script.cpp) ---
    const Token& Current() const { return tokens_[pos_]; }
    const Token& Next();
    bool IsWord(const char* word) const { return Current().kind == TokenKind::Identifier && Current().text == word; }
    bool IsPunct(const char* p) const { return Current().kind == TokenKind::Punct && Current().text == p; }
    [[noreturn]] void Fail(const std::string& message) const { throw CompileError(Current().where, message); }
    static std::string Describe(const Token& t);
    void SkipComma();
    void Expect(const char* punct);
    bool AtBegin() const { return IsPunct("{") || IsWord("BEGIN"); }
    bool AtEnd() const { return IsPunct("}") || IsWord("END"); }
    void ExpectBegin();
    void ExpectNotEof(const Location& opened) const;
    /// True when a numeric argument follows (not a statement keyword or the block's end).
    bool AtNumber() const;

    // --- Preprocessing: #define, #undef and #include, done before parsing ---
    std::vector<Token> Preprocess(std::vector<Token> tokens, int depth);
    void Define(const std::vector<Token>& line);

    // --- Numbers (Script.cpp): '|', '+', '-', unary minus, parentheses, named values ---
    Value ParseTerm();
    Value ParseExpression();
    uint32_t ParseNumberIn(uint32_t low, uint32_t high, const char* what);
    /// base | terms, where "NOT x" clears x's bits (from base too).
    uint32_t ParseStyle(uint32_t base);
    std::u16string ParseText(const char* what);
    uint16_t ParseLanguage();
    uint16_t ParseOptions();
    Resource Begin(uint32_t type, uint32_t id, const Location& where);

    void ParseStringTable();
    void ParseResource();
    void ParseRcData(uint32_t id, const Location& where);
    /// One number of a data list: a word, or 32 bits when written with L.
    void ParseDataNumber(std::vector<uint8_t>& out);

    // --- ScriptDialogs.cpp ---
    void ParseDialog(uint32_t id, const Location& where);
    void ParseDialogEx(uint32_t id, const Location& where);
    void ParseDialogCommon(uint32_t id, const Location& where, bool extended);

    // --- ScriptMenus.cpp ---
    void ParseMenu(uint32_t id, const Location& where);
    void ParseMenuEx(uint32_t id, const Location& where);
    void ParseMenuItems(std::vector<uint8_t>& out, const Location& opened);
    void ParseMenuExItems(std::vector<uint8_t>& out, const Location& opened);
    void ParseAccelerators(uint32_t id, const Location& where);

    // --- ScriptFiles.cpp ---
    void ParseIcon(uint32_t id, const Location& where);
    void ParseBitmap(uint32_t id, const Location& where);
    void ParseManifest(uint32_t id, const Location& where);
    void ParseFileResource(uint32_t type, uint32_t id, const Location& where);
    /// The path of a file the script names, relative to the script's folder.
    std::string FilePath(const std::string& name) const;
    /// The quoted file name of a resource statement, then the file's bytes.
    std::string ReadNamedFile(std::string* path);

    // --- ScriptVersion.cpp ---
    struct VersionNode;
    void ParseVersionInfo(uint32_t id, const Location& where);
    std::u16string ParseVersionKey();
    void ParseVersionBody(VersionNode& parent, const Location& opened, int depth);
    static void WriteVersionNode(const VersionNode& node, std::vector<uint8_t>& out);

    std::string file_;
    std::vector<Token> tokens_;
    size_t pos_ = 0;
    ResourceSet& out_;
    uint16_t language_ = 0x0409;
    std::map<std::string, Value> defines_;
};

/// The platform's symbolic style and key names a script may use as numbers.
bool FindNamedValue(const std::string& name, uint32_t* value);

/// Little-endian writers for resource data.
void PutWord(std::vector<uint8_t>& out, uint16_t value);
void PutDword(std::vector<uint8_t>& out, uint32_t value);
void PutText(std::vector<uint8_t>& out, const std::u16string& text);  // with its terminator
void PadTo4(std::vector<uint8_t>& out);

}  // namespace rescomp
