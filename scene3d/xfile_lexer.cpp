// Tokenizer of the .x text format.
#include "scene3d/xfile_lexer.h"

#include <cmath>
#include <cstring>

#include "common/sjis.h"

namespace ka3D {
namespace xfile {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsHigh(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// Bytes that may end a number or a word.
bool IsDelimiter(const char* p, const char* end) {
    if (p == end) return true;
    char c = *p;
    if (IsSpace(c)) return true;
    switch (c) {
        case '{':
        case '}':
        case ';':
        case ',':
        case '#':
        case '"':
        case '<':
        case '[':
        case ']': return true;
        case '/': return p + 1 < end && p[1] == '/';
        default: return false;
    }
}

}  // namespace

bool IsWord(const Token& token, const char* word) {
    size_t n = std::strlen(word);
    return token.kind == TokenKind::Word && token.length == n &&
           std::memcmp(token.text, word, n) == 0;
}

void Lexer::SkipSpaceAndComments() {
    while (p_ < end_) {
        if (IsSpace(*p_)) {
            ++p_;
        } else if (*p_ == '#' || (*p_ == '/' && p_ + 1 < end_ && p_[1] == '/')) {
            while (p_ < end_ && *p_ != '\n') ++p_;
        } else {
            return;
        }
    }
}

Token Lexer::Next() {
    SkipSpaceAndComments();
    Token t;
    t.text = p_;
    if (p_ == end_) return t;
    const char* start = p_;
    char c = *p_;
    switch (c) {
        case '{': t.kind = TokenKind::OpenBrace; break;
        case '}': t.kind = TokenKind::CloseBrace; break;
        case ';':
        case ',': t.kind = TokenKind::Separator; break;
        case '"':
        case '<': {
            const char close = c == '"' ? '"' : '>';
            const void* found = std::memchr(p_ + 1, close, static_cast<size_t>(end_ - p_ - 1));
            if (!found) {
                t.kind = TokenKind::Broken;
                return t;
            }
            p_ = static_cast<const char*>(found);
            t.kind = c == '"' ? TokenKind::String : TokenKind::Guid;
            break;
        }
        default:
            if (IsDigit(c) || c == '-' || c == '+' || c == '.') return ReadNumber();
            if (IsLetter(c) || IsHigh(c)) {
                while (p_ < end_ && !IsDelimiter(p_, end_)) {
                    if (IsSjisLeadByte(static_cast<uint8_t>(*p_)) && p_ + 1 < end_) ++p_;
                    ++p_;
                }
                t.kind = TokenKind::Word;
                t.length = static_cast<size_t>(p_ - start);
                return t;
            }
            t.kind = TokenKind::Other;
            break;
    }
    ++p_;
    t.length = static_cast<size_t>(p_ - start);
    return t;
}

Token Lexer::ReadNumber() {
    Token t;
    t.text = p_;
    const char* start = p_;
    bool negative = false;
    if (*p_ == '-' || *p_ == '+') negative = *p_++ == '-';
    // Up to 19 significant digits in an integer; further digits only move the decimal point.
    uint64_t mantissa = 0;
    int digits = 0;
    int exponent = 0;
    int seen = 0;
    while (p_ < end_ && IsDigit(*p_)) {
        if (digits < 19) {
            mantissa = mantissa * 10 + static_cast<uint64_t>(*p_ - '0');
            if (mantissa) ++digits;
        } else {
            ++exponent;
        }
        ++p_;
        ++seen;
    }
    bool integral = true;
    if (p_ < end_ && *p_ == '.') {
        integral = false;
        ++p_;
        while (p_ < end_ && IsDigit(*p_)) {
            if (digits < 19) {
                mantissa = mantissa * 10 + static_cast<uint64_t>(*p_ - '0');
                if (mantissa) ++digits;
                --exponent;
            }
            ++p_;
            ++seen;
        }
    }
    bool ok = seen > 0;
    if (ok && p_ < end_ && (*p_ == 'e' || *p_ == 'E')) {
        integral = false;
        ++p_;
        bool negativeExp = false;
        if (p_ < end_ && (*p_ == '-' || *p_ == '+')) negativeExp = *p_++ == '-';
        int e = 0;
        int expDigits = 0;
        while (p_ < end_ && IsDigit(*p_)) {
            if (e < 10000) e = e * 10 + (*p_ - '0');
            ++p_;
            ++expDigits;
        }
        ok = expDigits > 0;
        exponent += negativeExp ? -e : e;
    }
    if (!ok || !IsDelimiter(p_, end_)) {
        // Not a number after all (such as "1.#QNAN" or "..."): swallow up to the next delimiter.
        while (p_ < end_ && !IsDelimiter(p_, end_)) ++p_;
        if (p_ == start) ++p_;
        t.kind = TokenKind::Other;
        t.length = static_cast<size_t>(p_ - start);
        return t;
    }
    // A power of ten up to 1e22 is exact, so dividing by it rounds the value correctly.
    double v = static_cast<double>(mantissa);
    if (mantissa == 0) {
        v = 0;
    } else if (exponent < 0 && exponent >= -22) {
        v /= std::pow(10.0, -exponent);
    } else if (exponent != 0) {
        v *= std::pow(10.0, exponent < -400 ? -400 : exponent > 400 ? 400 : exponent);
    }
    t.kind = TokenKind::Number;
    t.value = negative ? -v : v;
    t.integral = integral;
    t.length = static_cast<size_t>(p_ - start);
    return t;
}

}  // namespace xfile
}  // namespace ka3D
