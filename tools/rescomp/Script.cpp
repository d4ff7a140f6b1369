#include "Script.h"

#include <cstdint>
#include <vector>

#include "Lexer.h"

namespace rescomp {
namespace {

constexpr uint32_t kRcDataType = 10;  // RT_RCDATA

struct Value {
    int64_t number = 0;
    bool isLong = false;
};

// Names a script may use wherever a number goes.
struct NamedConstant {
    const char* name;
    uint32_t value;
};
constexpr NamedConstant kConstants[] = {
    {"LANG_NEUTRAL", 0x00}, {"LANG_ENGLISH", 0x09}, {"LANG_JAPANESE", 0x11},
    {"SUBLANG_NEUTRAL", 0x00}, {"SUBLANG_DEFAULT", 0x01},
};

// Options that may stand between a resource's keyword and its body; the memory flags are
// meaningless here and skipped.
constexpr const char* kMemoryFlags[] = {"DISCARDABLE", "MOVEABLE", "FIXED",   "PURE",
                                        "IMPURE",      "PRELOAD",  "LOADONCALL", "SHARED", "NONSHARED"};

class Parser {
public:
    Parser(std::vector<Token> tokens, ResourceSet& out) : tokens_(std::move(tokens)), out_(out) {}

    void Run() {
        while (Current().kind != TokenKind::End) {
            if (IsWord("LANGUAGE")) {
                Next();
                language_ = ParseLanguage();
            } else if (IsWord("STRINGTABLE")) {
                Next();
                ParseStringTable();
            } else if (Current().kind == TokenKind::Identifier) {
                Fail("resource names must be numbers, found '" + Current().text + "'");
            } else {
                ParseResource();
            }
        }
    }

private:
    using KindParser = void (Parser::*)(uint32_t id, const Location& where);
    struct Kind {
        const char* keyword;
        KindParser parse;
    };

    const Token& Current() const { return tokens_[pos_]; }
    const Token& Next() {
        const Token& t = tokens_[pos_];
        if (t.kind != TokenKind::End) ++pos_;
        return t;
    }
    bool IsWord(const char* word) const { return Current().kind == TokenKind::Identifier && Current().text == word; }
    bool IsPunct(const char* p) const { return Current().kind == TokenKind::Punct && Current().text == p; }
    [[noreturn]] void Fail(const std::string& message) const { throw CompileError(Current().where, message); }

    std::string Describe(const Token& t) const {
        switch (t.kind) {
        case TokenKind::End: return "end of file";
        case TokenKind::String: return "a string";
        default: return "'" + t.text + "'";
        }
    }

    void SkipComma() {
        if (IsPunct(",")) Next();
    }
    void Expect(const char* punct) {
        if (!IsPunct(punct)) Fail(std::string("expected '") + punct + "', found " + Describe(Current()));
        Next();
    }
    bool AtBegin() const { return IsPunct("{") || IsWord("BEGIN"); }
    bool AtEnd() const { return IsPunct("}") || IsWord("END"); }
    void ExpectBegin() {
        if (!AtBegin()) Fail("expected '{' or BEGIN, found " + Describe(Current()));
        Next();
    }
    void ExpectNotEof(const Location& opened) const {
        if (Current().kind == TokenKind::End) throw CompileError(opened, "block is not closed");
    }

    // Numbers with the operators the platform's scripts combine them with: unary minus,
    // parentheses, '|', '+' and '-'.
    Value ParseTerm() {
        if (IsPunct("-")) {
            Next();
            Value v = ParseTerm();
            v.number = -v.number;
            return v;
        }
        if (IsPunct("(")) {
            Next();
            Value v = ParseExpression();
            Expect(")");
            return v;
        }
        const Token& t = Current();
        if (t.kind == TokenKind::Number) {
            Next();
            return Value{t.number, t.isLong};
        }
        if (t.kind == TokenKind::Identifier) {
            for (const NamedConstant& c : kConstants) {
                if (t.text == c.name) {
                    Next();
                    return Value{c.value, false};
                }
            }
            Fail("unknown name '" + t.text + "'");
        }
        Fail("expected a number, found " + Describe(t));
    }

    Value ParseExpression() {
        Value v = ParseTerm();
        while (IsPunct("|") || IsPunct("+") || (IsPunct("-"))) {
            const std::string op = Next().text;
            const Value rhs = ParseTerm();
            if (op == "|") v.number = static_cast<int64_t>(static_cast<uint32_t>(v.number) | static_cast<uint32_t>(rhs.number));
            else if (op == "+") v.number += rhs.number;
            else v.number -= rhs.number;
            v.isLong = v.isLong || rhs.isLong;
            if (v.number > 0xFFFFFFFFLL || v.number < -0x80000000LL) Fail("value out of range");
        }
        return v;
    }

    uint32_t ParseNumberIn(uint32_t low, uint32_t high, const char* what) {
        const Location where = Current().where;
        const Value v = ParseExpression();
        if (v.number < low || v.number > high) {
            throw CompileError(where, std::string(what) + " must be " + std::to_string(low) + " to " +
                                          std::to_string(high) + ", found " + std::to_string(v.number));
        }
        return static_cast<uint32_t>(v.number);
    }

    uint16_t ParseLanguage() {
        const uint32_t primary = ParseNumberIn(0, 0x3FF, "a primary language");
        Expect(",");
        const uint32_t sub = ParseNumberIn(0, 0x3F, "a sublanguage");
        return static_cast<uint16_t>((sub << 10) | primary);
    }

    // Memory flags and a LANGUAGE of this resource alone, before its body.
    uint16_t ParseOptions() {
        uint16_t language = language_;
        while (Current().kind == TokenKind::Identifier) {
            bool skipped = false;
            for (const char* flag : kMemoryFlags) skipped = skipped || Current().text == flag;
            if (skipped) {
                Next();
            } else if (IsWord("LANGUAGE")) {
                Next();
                language = ParseLanguage();
            } else if (IsWord("CHARACTERISTICS") || IsWord("VERSION")) {
                Next();
                ParseNumberIn(0, 0xFFFFFFFFu, "a value");
            } else {
                break;
            }
        }
        return language;
    }

    void ParseStringTable() {
        const Location opened = Current().where;
        const uint16_t language = ParseOptions();
        ExpectBegin();
        while (!AtEnd()) {
            ExpectNotEof(opened);
            const uint32_t id = ParseNumberIn(0, 0xFFFF, "a string id");
            SkipComma();
            const Token& text = Current();
            if (text.kind != TokenKind::String) Fail("expected the text of string " + std::to_string(id));
            const Location where = text.where;
            Next();
            out_.AddString(language, id, ToUtf16(text.chars), where);
        }
        Next();
    }

    void ParseResource() {
        const Location where = Current().where;
        const uint32_t id = ParseNumberIn(1, 0xFFFF, "a resource id");
        if (Current().kind != TokenKind::Identifier) Fail("expected a resource type after id " + std::to_string(id));
        static constexpr Kind kKinds[] = {
            {"RCDATA", &Parser::ParseRcData},
        };
        for (const Kind& kind : kKinds) {
            if (Current().text == kind.keyword) {
                Next();
                (this->*kind.parse)(id, where);
                return;
            }
        }
        Fail("unsupported resource type '" + Current().text + "'");
    }

    // Plain numbers are 16-bit words, numbers with an L suffix 32-bit, "strings" their
    // characters as bytes (ASCII only: the script's text is not in an ANSI code page) and
    // L"strings" UTF-16; nothing is terminated unless the script writes "\0".
    void ParseRcData(uint32_t id, const Location& where) {
        Resource r;
        r.type = kRcDataType;
        r.id = id;
        r.where = where;
        r.language = ParseOptions();
        const Location opened = Current().where;
        ExpectBegin();
        while (!AtEnd()) {
            ExpectNotEof(opened);
            const Token& t = Current();
            if (t.kind == TokenKind::String) {
                for (char32_t c : t.chars) {
                    if (t.wide) continue;
                    if (c > 0x7F) Fail("a byte string may hold ASCII only; write L\"...\" for other text");
                    r.data.push_back(static_cast<uint8_t>(c));
                }
                if (t.wide) {
                    for (char16_t c : ToUtf16(t.chars)) {
                        r.data.push_back(static_cast<uint8_t>(c));
                        r.data.push_back(static_cast<uint8_t>(c >> 8));
                    }
                }
                Next();
            } else {
                const Location at = t.where;
                const Value v = ParseExpression();
                const int64_t low = v.isLong ? -0x80000000LL : -0x8000;
                const int64_t high = v.isLong ? 0xFFFFFFFFLL : 0xFFFF;
                if (v.number < low || v.number > high)
                    throw CompileError(at, "value " + std::to_string(v.number) + " does not fit a " +
                                               (v.isLong ? "32-bit" : "16-bit word; add L for 32 bits"));
                const auto bits = static_cast<uint32_t>(v.number);
                const int bytes = v.isLong ? 4 : 2;
                for (int k = 0; k < bytes; ++k) r.data.push_back(static_cast<uint8_t>(bits >> (8 * k)));
            }
            SkipComma();
        }
        Next();
        out_.Add(std::move(r));
    }

    std::vector<Token> tokens_;
    size_t pos_ = 0;
    ResourceSet& out_;
    uint16_t language_ = 0x0409;
};

}  // namespace

void ParseScript(const std::string& file, const std::string& text, ResourceSet& out) {
    Parser(Tokenize(file, text), out).Run();
}

}  // namespace rescomp
