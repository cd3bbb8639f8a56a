#pragma once
// Tokens of the DirectX .x text format: braces, list separators, words (object types, names),
// numbers, quoted strings and <GUID>s. Whitespace, '#' and '//' comments are skipped. The lexer
// reads bytes in place and never allocates.

#include <cstddef>
#include <cstdint>

namespace ka3D {
namespace xfile {

enum class TokenKind {
    End,         // no bytes left
    Broken,      // a string or a GUID that never closes: the file cannot be read
    OpenBrace,   // {
    CloseBrace,  // }
    Separator,   // ; or ,
    Word,        // a letter, '_' or a non-ASCII byte, then letters, digits, '_', '-', '.'
    Number,      // [sign] digits [. digits] [e [sign] digits], followed by a delimiter
    String,      // "..."
    Guid,        // <...>
    Other,       // anything else, such as template syntax, a bad number, stray punctuation
};

struct Token {
    TokenKind kind = TokenKind::End;
    const char* text = nullptr;  // first byte of the token in the input
    size_t length = 0;
    double value = 0;       // Number: the value, +/-inf when out of range
    bool integral = false;  // Number: written without point or exponent
};

class Lexer {
  public:
    Lexer(const char* data, size_t size) : p_(data), end_(data + size) {}

    Token Next();
    // Bytes not read yet; every further token takes at least one of them.
    size_t Remaining() const { return static_cast<size_t>(end_ - p_); }

  private:
    void SkipSpaceAndComments();
    Token ReadNumber();

    const char* p_;
    const char* end_;
};

// True when the token is the word `word` (exact, case-sensitive).
bool IsWord(const Token& token, const char* word);

}  // namespace xfile
}  // namespace ka3D
