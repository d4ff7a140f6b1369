#pragma once
// Tokens of a resource script: UTF-8 text with C and C++ comments, numbers (decimal or 0x
// hex, an L suffix marks a 32-bit value), identifiers, strings ("..." bytes, L"..." UTF-16)
// and the punctuation the statements use.
#include <cstdint>
#include <string>
#include <vector>

#include "Diagnostics.h"

namespace rescomp {

enum class TokenKind { Identifier, Number, String, Punct, End };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;      // identifier or punctuation as written
    uint32_t number = 0;   // Number
    bool isLong = false;   // Number with an L suffix
    bool wide = false;     // String written L"..."
    std::u32string chars;  // String contents with escapes resolved
    Location where;
};

/// Splits a whole script into tokens; throws CompileError for malformed text (bad UTF-8,
/// unterminated string or comment, unknown escape, stray characters). A '#' that starts a
/// line is a "#" token: the parser takes the directive from the tokens of that line.
std::vector<Token> Tokenize(const std::string& file, const std::string& text);

std::u16string ToUtf16(const std::u32string& chars);

}  // namespace rescomp
