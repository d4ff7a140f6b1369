// Lexical readers of the model data file: lines, blanks, keywords, strings and numbers.
// Every reader stays inside the line buffer and the mapped bytes; numbers wrap in unsigned
// arithmetic instead of overflowing.
#include "settings/ModelCompiler.h"

const ModelKeyword kModelKeywordTable[34] = {
    {u"*Version", 1},
    {u"*FriendlyName", 2},
    {u"*PrinterName", 3},
    {u"*PPM", 4},
    {u"*PrivateID", 5},
    {u"*DefaultLocalDay", 6},
    {u"*DefaultLocalTime", 7},
    {u"*Flags", 8},
    {u"*PresetFlags", 9},
    {u"*SupportFeature", 10},
    {u"*DefaultMemorySize", 11},
    {u"*MemorySize", 12},
    {u"*DefaultResolution", 13},
    {u"*Resolution", 14},
    {u"*DefaultInputSlot", 15},
    {u"*InputSlot", 16},
    {u"*InputDevice", 17},
    {u"*OptionDevice", 18},
    {u"*FormDevice", 19},
    {u"*MaxForm", 20},
    {u"*MinForm", 21},
    {u"*DefaultForm", 22},
    {u"*FormPort", 23},
    {u"*FormLand", 24},
    {u"*FormPortCompatible", 25},
    {u"*FormLandCompatible", 26},
    {u"*Application", 27},
    // Ids 28 and 29 are retired.
    {u"*AdvFuncSwitch", 30},
    {u"*DefaultPatternScale", 31},
    {u"*LinePatternScale_1200", 32},
    {u"*LinePatternScale_600", 33},
    {u"*LinePatternScale_400", 34},
    {u"*LinePatternScale_240", 35},
    {nullptr, 0},
};

namespace {

constexpr WCHAR kQuote = u'"';

bool IsBlank(WCHAR c) { return c == u' ' || c == u'\t'; }
bool IsDigit(WCHAR c) { return c >= u'0' && c <= u'9'; }

// The character under the line cursor; 0 once the line is used up.
WCHAR Peek(const ModelParseContext* context) {
    return context->LinePos < context->LineLength ? context->Line[context->LinePos] : u'\0';
}

bool LineUsedUp(const ModelParseContext* context) { return context->LinePos >= context->LineLength; }

// The next UTF-16 unit of the file; false at the end (a final odd byte never forms one).
bool NextFileChar(ModelParseContext* context, WCHAR* out) {
    if (context->BytesLeft < 2) {
        context->BytesLeft = 0;
        return false;
    }
    *out = static_cast<WCHAR>(context->Cursor[0] | (context->Cursor[1] << 8));
    context->Cursor += 2;
    context->BytesLeft -= 2;
    return true;
}

// Steps over an optional opening quote and the blanks after it, as numbers may be quoted.
void SkipNumberQuote(ModelParseContext* context) {
    if (Peek(context) != kQuote) return;
    ++context->LinePos;
    while (IsBlank(Peek(context))) ++context->LinePos;
}

int HexDigitValue(WCHAR c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

}  // namespace

int ReadModelLine(ModelParseContext* context) {
    for (;;) {
        context->LineLength = 0;
        context->LinePos = 0;
        context->Line[0] = u'\0';
        if (context->EndOfData) return 1;

        bool blankOnly = true;
        WCHAR c = 0;
        for (;;) {
            if (!NextFileChar(context, &c)) {
                context->EndOfData = TRUE;
                break;
            }
            if (c == u'\r' || c == u'\n') break;
            // A full buffer ends the line; the character that did not fit is lost and the
            // next one starts a new line.
            if (context->LineLength >= kModelLineChars - 1) break;
            context->Line[context->LineLength++] = c;
            if (!IsBlank(c)) blankOnly = false;
        }
        context->Line[context->LineLength] = u'\0';
        if (!blankOnly) return 0;
    }
}

void SkipModelBlanks(ModelParseContext* context) {
    for (;;) {
        while (IsBlank(Peek(context))) ++context->LinePos;
        if (!LineUsedUp(context)) return;
        if (ReadModelLine(context) == 1) return;
    }
}

int ReadModelKeyword(ModelParseContext* context) {
    SkipModelBlanks(context);
    if (LineUsedUp(context)) return -1;

    WCHAR word[kModelKeywordChars];
    int length = 0;
    while (!LineUsedUp(context)) {
        const WCHAR c = Peek(context);
        if (c == u'\0' || c == u'\t' || c == u'\n' || c == u'\r' || c == u' ') break;
        ++context->LinePos;
        if (c == u':') continue;  // "*Version:" is "*Version"
        // Longer words are cut; they match no keyword either way.
        if (length < kModelKeywordChars - 1) word[length++] = c;
        if (c == u';') break;
    }
    word[length] = u'\0';

    for (const ModelKeyword* entry = kModelKeywordTable; entry->Keyword != nullptr; ++entry) {
        const WCHAR* a = entry->Keyword;
        const WCHAR* b = word;
        while (*a != u'\0' && *a == *b) {
            ++a;
            ++b;
        }
        if (*a == u'\0' && *b == u'\0') return static_cast<int>(entry->Id);
    }
    return 0;
}

int ReadModelString(ModelParseContext* context, LPWSTR out, int cchOut) {
    if (out == nullptr || cchOut <= 0) return 0;
    int stored = 0;
    auto put = [&](WCHAR c) {
        if (stored < cchOut - 1) out[stored++] = c;  // the rest of a long value is dropped
    };

    SkipModelBlanks(context);
    int quote = context->LinePos;
    while (quote < context->LineLength && context->Line[quote] != kQuote) ++quote;
    if (quote >= context->LineLength) {
        // No opening quote: the value is empty and the line is left to the next reader.
        out[0] = u'\0';
        return 1;
    }
    context->LinePos = quote + 1;

    int continuations = 0;
    for (;;) {
        while (!LineUsedUp(context)) {
            const WCHAR c = Peek(context);
            ++context->LinePos;
            if (c == kQuote) {
                out[stored] = u'\0';
                return stored + 1;
            }
            if (c == u'%') break;  // the rest of the line is a comment; the value goes on
            put(c);
        }
        if (ReadModelLine(context) == 1) break;
        while (IsBlank(Peek(context))) ++context->LinePos;
        // The first continuation joins directly; later lines are separated by a line feed.
        if (continuations > 0) put(u'\n');
        ++continuations;
    }
    out[stored] = u'\0';
    return stored + 1;
}

LONG ReadModelDecimal(ModelParseContext* context) {
    SkipModelBlanks(context);
    const int start = context->LinePos;
    SkipNumberQuote(context);
    bool negative = false;
    if (Peek(context) == u'-') {
        negative = true;
        ++context->LinePos;
    }
    if (!IsDigit(Peek(context))) {
        context->LinePos = start;
        return 0;
    }
    DWORD value = 0;
    while (IsDigit(Peek(context))) {
        value = value * 10u + static_cast<DWORD>(Peek(context) - u'0');
        ++context->LinePos;
    }
    if (Peek(context) == u'.') {
        // A fraction is read past and ignored: 12.9 is 12.
        ++context->LinePos;
        while (!LineUsedUp(context)) {
            const WCHAR c = Peek(context);
            if (c == u' ' || c == u'\t' || c == kQuote) break;
            ++context->LinePos;
        }
    }
    if (negative) value = 0u - value;
    return static_cast<LONG>(value);
}

DWORD ReadModelHex(ModelParseContext* context) {
    SkipModelBlanks(context);
    const int start = context->LinePos;
    SkipNumberQuote(context);
    if (Peek(context) != u'0') {
        context->LinePos = start;
        return 0;
    }
    ++context->LinePos;
    if (Peek(context) == u'x' || Peek(context) == u'X') ++context->LinePos;
    DWORD value = 0;
    for (int digit = HexDigitValue(Peek(context)); digit >= 0; digit = HexDigitValue(Peek(context))) {
        value = (value << 4) | static_cast<DWORD>(digit);
        ++context->LinePos;
    }
    return value;
}
