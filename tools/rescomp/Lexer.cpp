#include "Lexer.h"

#include <cctype>

namespace rescomp {
namespace {

class Lexer {
public:
    Lexer(const std::string& file, const std::string& text) : text_(text) { where_.file = file; where_.line = 1; }

    std::vector<Token> Run() {
        // A byte-order mark is allowed and ignored.
        if (text_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = 3;
        std::vector<Token> tokens;
        bool lineStart = true;
        while (true) {
            SkipBlanksAndComments(&lineStart);
            if (pos_ >= text_.size()) break;
            const char c = text_[pos_];
            if (c == '#') {
                // The directive's words follow as tokens on the same line; the parser reads them.
                if (!lineStart) Fail("'#' must start a line");
                Token t = Start(TokenKind::Punct);
                t.text = "#";
                ++pos_;
                tokens.push_back(t);
                lineStart = false;
                continue;
            }
            lineStart = false;
            if (std::isdigit(static_cast<unsigned char>(c))) {
                tokens.push_back(LexNumber());
            } else if (c == 'L' && Peek(1) == '"') {
                ++pos_;
                tokens.push_back(LexString(true));
            } else if (c == '"') {
                tokens.push_back(LexString(false));
            } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
                tokens.push_back(LexIdentifier());
            } else if (std::string("{},()|+-").find(c) != std::string::npos) {
                Token t = Start(TokenKind::Punct);
                t.text = std::string(1, c);
                ++pos_;
                tokens.push_back(t);
            } else {
                Fail(std::string("unexpected character '") + Printable(c) + "'");
            }
        }
        Token end = Start(TokenKind::End);
        tokens.push_back(end);
        return tokens;
    }

private:
    [[noreturn]] void Fail(const std::string& message) const { throw CompileError(where_, message); }

    static std::string Printable(char c) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F) return std::string(1, c);
        static const char* digits = "0123456789ABCDEF";
        return std::string("\\x") + digits[u >> 4] + digits[u & 15];
    }

    char Peek(size_t ahead) const { return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0'; }

    Token Start(TokenKind kind) const {
        Token t;
        t.kind = kind;
        t.where = where_;
        return t;
    }

    void SkipBlanksAndComments(bool* lineStart) {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '\n') {
                ++where_.line;
                ++pos_;
                *lineStart = true;
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                ++pos_;
            } else if (c == '/' && Peek(1) == '/') {
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
            } else if (c == '/' && Peek(1) == '*') {
                const Location opened = where_;
                pos_ += 2;
                while (true) {
                    if (pos_ >= text_.size()) throw CompileError(opened, "unterminated comment");
                    if (text_[pos_] == '*' && Peek(1) == '/') break;
                    if (text_[pos_] == '\n') ++where_.line;
                    ++pos_;
                }
                pos_ += 2;
            } else {
                return;
            }
        }
    }

    Token LexNumber() {
        Token t = Start(TokenKind::Number);
        const size_t begin = pos_;
        unsigned base = 10;
        if (text_[pos_] == '0' && (Peek(1) == 'x' || Peek(1) == 'X')) {
            base = 16;
            pos_ += 2;
        }
        uint64_t value = 0;
        size_t digits = 0;
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            int d;
            if (c >= '0' && c <= '9') d = c - '0';
            else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
            else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
            else break;
            value = value * base + static_cast<unsigned>(d);
            if (value > 0xFFFFFFFFu) Fail("number too large: " + text_.substr(begin, pos_ + 1 - begin));
            ++digits;
            ++pos_;
        }
        if (digits == 0) Fail("hexadecimal number without digits");
        if (pos_ < text_.size() && (text_[pos_] == 'L' || text_[pos_] == 'l')) {
            t.isLong = true;
            ++pos_;
        }
        if (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_'))
            Fail("malformed number: " + text_.substr(begin, pos_ + 1 - begin));
        t.number = static_cast<uint32_t>(value);
        t.text = text_.substr(begin, pos_ - begin);
        return t;
    }

    Token LexIdentifier() {
        Token t = Start(TokenKind::Identifier);
        const size_t begin = pos_;
        while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_'))
            ++pos_;
        t.text = text_.substr(begin, pos_ - begin);
        return t;
    }

    // One code point of UTF-8 at pos_; rejects overlong forms, surrogates and values above
    // the last plane.
    char32_t DecodeUtf8() {
        const auto lead = static_cast<unsigned char>(text_[pos_]);
        int extra;
        char32_t cp;
        if (lead < 0x80) { cp = lead; extra = 0; }
        else if ((lead & 0xE0) == 0xC0) { cp = lead & 0x1F; extra = 1; }
        else if ((lead & 0xF0) == 0xE0) { cp = lead & 0x0F; extra = 2; }
        else if ((lead & 0xF8) == 0xF0) { cp = lead & 0x07; extra = 3; }
        else Fail("invalid UTF-8");
        ++pos_;
        for (int k = 0; k < extra; ++k, ++pos_) {
            if (pos_ >= text_.size() || (static_cast<unsigned char>(text_[pos_]) & 0xC0) != 0x80) Fail("invalid UTF-8");
            cp = (cp << 6) | (static_cast<unsigned char>(text_[pos_]) & 0x3F);
        }
        static const char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) Fail("invalid UTF-8");
        return cp;
    }

    Token LexString(bool wide) {
        Token t = Start(TokenKind::String);
        t.wide = wide;
        ++pos_;  // opening quote
        while (true) {
            if (pos_ >= text_.size() || text_[pos_] == '\n') Fail("unterminated string");
            const char c = text_[pos_];
            if (c == '"') {
                if (Peek(1) != '"') break;
                t.chars.push_back(U'"');  // "" inside a string is one quote
                pos_ += 2;
            } else if (c == '\\') {
                t.chars.push_back(LexEscape());
            } else {
                t.chars.push_back(DecodeUtf8());
            }
        }
        ++pos_;  // closing quote
        return t;
    }

    char32_t LexEscape() {
        const char e = Peek(1);
        pos_ += 2;
        switch (e) {
        case 'n': return U'\n';
        case 't': return U'\t';
        case 'r': return U'\r';
        case '\\': return U'\\';
        case '"': return U'"';
        case '0':
            if (std::isdigit(static_cast<unsigned char>(Peek(0)))) break;
            return U'\0';
        default: break;
        }
        Fail(std::string("unknown escape sequence '\\") + Printable(e) + "'");
    }

    const std::string& text_;
    size_t pos_ = 0;
    Location where_;
};

}  // namespace

std::vector<Token> Tokenize(const std::string& file, const std::string& text) {
    return Lexer(file, text).Run();
}

std::u16string ToUtf16(const std::u32string& chars) {
    std::u16string out;
    for (char32_t cp : chars) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

}  // namespace rescomp
