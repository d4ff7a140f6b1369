#include "Script.h"

#include <fstream>
#include <sstream>

#include "Parser.h"

namespace rescomp {
namespace {

constexpr uint32_t kRcDataType = 10;  // RT_RCDATA
constexpr int kMaxIncludeDepth = 8;
constexpr size_t kMaxIncludeBytes = 1u << 20;

// Options that may stand between a resource's keyword and its body; the memory flags are
// meaningless here and skipped.
constexpr const char* kMemoryFlags[] = {"DISCARDABLE", "MOVEABLE", "FIXED",   "PURE",
                                        "IMPURE",      "PRELOAD",  "LOADONCALL", "SHARED", "NONSHARED"};

bool SameLine(const Token& a, const Token& b) { return a.where.line == b.where.line && a.where.file == b.where.file; }

}  // namespace

Parser::Parser(std::string file, std::vector<Token> tokens, ResourceSet& out)
    : file_(std::move(file)), tokens_(std::move(tokens)), out_(out) {}

void Parser::Run() {
    tokens_ = Preprocess(std::move(tokens_), 0);
    pos_ = 0;
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

const Token& Parser::Next() {
    const Token& t = tokens_[pos_];
    if (t.kind != TokenKind::End) ++pos_;
    return t;
}

std::string Parser::Describe(const Token& t) {
    switch (t.kind) {
    case TokenKind::End: return "end of file";
    case TokenKind::String: return "a string";
    default: return "'" + t.text + "'";
    }
}

void Parser::SkipComma() {
    if (IsPunct(",")) Next();
}

void Parser::Expect(const char* punct) {
    if (!IsPunct(punct)) Fail(std::string("expected '") + punct + "', found " + Describe(Current()));
    Next();
}

void Parser::ExpectBegin() {
    if (!AtBegin()) Fail("expected '{' or BEGIN, found " + Describe(Current()));
    Next();
}

void Parser::ExpectNotEof(const Location& opened) const {
    if (Current().kind == TokenKind::End) throw CompileError(opened, "block is not closed");
}

bool Parser::AtNumber() const {
    const Token& t = Current();
    if (t.kind == TokenKind::Number || IsPunct("-") || IsPunct("(")) return true;
    uint32_t ignored = 0;
    return t.kind == TokenKind::Identifier && (t.text == "NOT" || FindNamedValue(t.text, &ignored));
}

// Directives come out of the token stream; a defined name becomes its number wherever it
// is used afterwards, so every statement takes names where it takes numbers. The end
// marker, when the tokens carry one, passes through.
std::vector<Token> Parser::Preprocess(std::vector<Token> tokens, int depth) {
    std::vector<Token> out;
    for (size_t i = 0; i < tokens.size();) {
        const Token& t = tokens[i];
        if (!(t.kind == TokenKind::Punct && t.text == "#")) {
            auto it = t.kind == TokenKind::Identifier ? defines_.find(t.text) : defines_.end();
            if (it == defines_.end()) {
                out.push_back(t);
            } else {
                Token number = t;
                number.kind = TokenKind::Number;
                number.number = static_cast<uint32_t>(it->second.number);
                number.isLong = it->second.isLong;
                // Negative values stay negative through a unary minus.
                if (it->second.number < 0) {
                    Token minus = t;
                    minus.kind = TokenKind::Punct;
                    minus.text = "-";
                    out.push_back(minus);
                    number.number = static_cast<uint32_t>(-it->second.number);
                }
                out.push_back(number);
            }
            ++i;
            continue;
        }
        std::vector<Token> line;
        size_t j = i + 1;
        while (j < tokens.size() && tokens[j].kind != TokenKind::End && SameLine(tokens[j], t))
            line.push_back(tokens[j++]);
        const std::string directive = line.empty() ? "" : line[0].text;
        if (directive == "define") {
            Define(line);
        } else if (directive == "undef" && line.size() == 2 && line[1].kind == TokenKind::Identifier) {
            defines_.erase(line[1].text);
        } else if (directive == "include" && line.size() == 2 && line[1].kind == TokenKind::String) {
            if (depth >= kMaxIncludeDepth) throw CompileError(t.where, "#include nested too deeply");
            std::string name;
            for (char32_t c : line[1].chars) name.push_back(static_cast<char>(c));
            const std::string path = FilePath(name);
            std::ifstream in(path, std::ios::binary);
            std::ostringstream text;
            if (in) text << in.rdbuf();
            if (!in || in.bad()) throw CompileError(t.where, "cannot read '" + name + "'");
            if (text.str().size() > kMaxIncludeBytes) throw CompileError(t.where, "'" + name + "' is too large");
            std::vector<Token> included = Tokenize(path, text.str());
            included.pop_back();  // its end marker: the including script goes on
            std::vector<Token> expanded = Preprocess(std::move(included), depth + 1);
            out.insert(out.end(), expanded.begin(), expanded.end());
        } else if (directive == "include" || directive == "undef") {
            throw CompileError(t.where, "malformed #" + directive);
        } else {
            throw CompileError(t.where, "preprocessor directives are not supported except #define, #undef and "
                                        "#include (found '#" + directive + "')");
        }
        i = j;
    }
    return out;
}

void Parser::Define(const std::vector<Token>& line) {
    const Location where = line[0].where;
    if (line.size() < 2 || line[1].kind != TokenKind::Identifier) throw CompileError(where, "#define needs a name");
    if (line.size() < 3) throw CompileError(where, "#define " + line[1].text + " needs a numeric value");
    // The value is an expression of its own, with the names defined so far.
    std::vector<Token> value(line.begin() + 2, line.end());
    Token end;
    end.where = where;
    value.push_back(end);
    Parser sub(file_, {}, out_);
    sub.defines_ = defines_;
    sub.tokens_ = sub.Preprocess(std::move(value), kMaxIncludeDepth);
    const Value v = sub.ParseExpression();
    if (sub.Current().kind != TokenKind::End) sub.Fail("unexpected " + Describe(sub.Current()) + " in #define");
    defines_[line[1].text] = v;
}

Value Parser::ParseTerm() {
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
        uint32_t value = 0;
        if (FindNamedValue(t.text, &value)) {
            Next();
            return Value{value, false};
        }
        Fail("unknown name '" + t.text + "'");
    }
    Fail("expected a number, found " + Describe(t));
}

Value Parser::ParseExpression() {
    Value v = ParseTerm();
    while (IsPunct("|") || IsPunct("+") || IsPunct("-")) {
        const std::string op = Next().text;
        const Value rhs = ParseTerm();
        if (op == "|") {
            v.number = static_cast<int64_t>(static_cast<uint32_t>(v.number) | static_cast<uint32_t>(rhs.number));
        } else if (op == "+") {
            v.number += rhs.number;
        } else {
            v.number -= rhs.number;
        }
        v.isLong = v.isLong || rhs.isLong;
        if (v.number > 0xFFFFFFFFLL || v.number < -0x80000000LL) Fail("value out of range");
    }
    return v;
}

uint32_t Parser::ParseNumberIn(uint32_t low, uint32_t high, const char* what) {
    const Location where = Current().where;
    const Value v = ParseExpression();
    if (v.number < low || v.number > high) {
        throw CompileError(where, std::string(what) + " must be " + std::to_string(low) + " to " +
                                      std::to_string(high) + ", found " + std::to_string(v.number));
    }
    return static_cast<uint32_t>(v.number);
}

uint32_t Parser::ParseStyle(uint32_t base) {
    uint32_t style = base;
    while (true) {
        if (IsWord("NOT")) {
            Next();
            style &= ~static_cast<uint32_t>(ParseTerm().number);
        } else {
            style |= static_cast<uint32_t>(ParseTerm().number);
        }
        if (!IsPunct("|")) return style;
        Next();
    }
}

std::u16string Parser::ParseText(const char* what) {
    if (Current().kind != TokenKind::String) Fail(std::string("expected ") + what + ", found " + Describe(Current()));
    return ToUtf16(Next().chars);
}

uint16_t Parser::ParseLanguage() {
    const uint32_t primary = ParseNumberIn(0, 0x3FF, "a primary language");
    Expect(",");
    const uint32_t sub = ParseNumberIn(0, 0x3F, "a sublanguage");
    return static_cast<uint16_t>((sub << 10) | primary);
}

uint16_t Parser::ParseOptions() {
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

Resource Parser::Begin(uint32_t type, uint32_t id, const Location& where) {
    Resource r;
    r.type = type;
    r.id = id;
    r.where = where;
    r.language = language_;
    return r;
}

void Parser::ParseStringTable() {
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

void Parser::ParseResource() {
    const Location where = Current().where;
    const uint32_t id = ParseNumberIn(1, 0xFFFF, "a resource id");
    if (Current().kind == TokenKind::Number) {
        const uint32_t type = ParseNumberIn(1, 0xFFFF, "a resource type");
        ParseFileResource(type, id, where);
        return;
    }
    if (Current().kind != TokenKind::Identifier) Fail("expected a resource type after id " + std::to_string(id));
    static constexpr Kind kKinds[] = {
        {"RCDATA", &Parser::ParseRcData},
        {"DIALOG", &Parser::ParseDialog},
        {"DIALOGEX", &Parser::ParseDialogEx},
        {"MENU", &Parser::ParseMenu},
        {"MENUEX", &Parser::ParseMenuEx},
        {"ACCELERATORS", &Parser::ParseAccelerators},
        {"ICON", &Parser::ParseIcon},
        {"BITMAP", &Parser::ParseBitmap},
        {"RT_MANIFEST", &Parser::ParseManifest},
        {"VERSIONINFO", &Parser::ParseVersionInfo},
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
void Parser::ParseRcData(uint32_t id, const Location& where) {
    Resource r = Begin(kRcDataType, id, where);
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
                for (char16_t c : ToUtf16(t.chars)) PutWord(r.data, c);
            }
            Next();
        } else {
            ParseDataNumber(r.data);
        }
        SkipComma();
    }
    Next();
    out_.Add(std::move(r));
}

void Parser::ParseDataNumber(std::vector<uint8_t>& out) {
    const Location at = Current().where;
    const Value v = ParseExpression();
    const int64_t low = v.isLong ? -0x80000000LL : -0x8000;
    const int64_t high = v.isLong ? 0xFFFFFFFFLL : 0xFFFF;
    if (v.number < low || v.number > high)
        throw CompileError(at, "value " + std::to_string(v.number) + " does not fit a " +
                                   (v.isLong ? "32-bit" : "16-bit word; add L for 32 bits"));
    const auto bits = static_cast<uint32_t>(v.number);
    if (v.isLong) {
        PutDword(out, bits);
    } else {
        PutWord(out, static_cast<uint16_t>(bits));
    }
}

void ParseScript(const std::string& file, const std::string& text, ResourceSet& out) {
    Parser(file, Tokenize(file, text), out).Run();
}

}  // namespace rescomp
