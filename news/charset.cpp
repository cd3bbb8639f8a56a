#include "news/charset.h"

#include <cstring>

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether the n bytes at text equal word (lower case), case ignored.
bool SameWord(const char* text, size_t n, const char* word) {
    if (std::strlen(word) != n) return false;
    for (size_t i = 0; i < n; ++i) {
        if (Lower(text[i]) != word[i]) return false;
    }
    return true;
}

// The first place in [begin, end) where word (lower case) starts, case ignored; end if none.
const char* FindWord(const char* begin, const char* end, const char* word) {
    const size_t n = std::strlen(word);
    for (const char* p = begin; static_cast<size_t>(end - p) >= n; ++p) {
        if (SameWord(p, n, word)) return p;
    }
    return end;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// After the name at p (e.g. "charset"): optional spaces, "=", optional spaces and a value,
// quoted or ending at a space, ";", ">", "/" or end. The value goes to *value and *valueLength;
// false when there is no "=" or the value is empty.
bool ReadValue(const char* p, const char* end, const char** value, size_t* valueLength) {
    while (p < end && IsSpace(*p)) ++p;
    if (p == end || *p != '=') return false;
    ++p;
    while (p < end && IsSpace(*p)) ++p;
    char quote = '\0';
    if (p < end && (*p == '"' || *p == '\'')) quote = *p++;
    const char* start = p;
    while (p < end && *p != quote && (quote || std::strchr(" \t\r\n;>/,\"'", *p) == nullptr)) ++p;
    if (p == start) return false;
    *value = start;
    *valueLength = static_cast<size_t>(p - start);
    return true;
}

// The charset named by the first "<attribute>=value" in [begin, end) that names one read here.
bool NamedCharset(const char* begin, const char* end, const char* attribute, const char* page,
                  size_t length, PageCharset* charset) {
    for (const char* p = FindWord(begin, end, attribute); p != end;
         p = FindWord(p + 1, end, attribute)) {
        const char* value;
        size_t valueLength;
        if (ReadValue(p + std::strlen(attribute), end, &value, &valueLength) &&
            CharsetFromName(value, valueLength, page, length, charset))
            return true;
    }
    return false;
}

bool FromXmlDeclaration(const char* page, size_t length, PageCharset* charset) {
    const char* end = page + length;
    if (length >= 4 && std::memcmp(page, "<\0?\0", 4) == 0) {
        *charset = kCharsetUtf16Le;
        return true;
    }
    if (length >= 4 && std::memcmp(page, "\0<\0?", 4) == 0) {
        *charset = kCharsetUtf16Be;
        return true;
    }
    if (length < 5 || std::memcmp(page, "<?xml", 5) != 0) return false;
    const char* close = page + 5;
    while (close + 1 < end && !(close[0] == '?' && close[1] == '>')) ++close;
    return NamedCharset(page + 5, close, "encoding", page, length, charset);
}

bool FromMeta(const char* page, size_t length, PageCharset* charset) {
    const char* end = page + length;
    for (const char* meta = FindWord(page, end, "<meta"); meta != end;
         meta = FindWord(meta + 1, end, "<meta")) {
        const char* close = meta + 5;
        while (close < end && *close != '>') ++close;
        if (NamedCharset(meta + 5, close, "charset", page, length, charset)) return true;
    }
    return false;
}

}  // namespace

bool CharsetFromName(const char* name, size_t n, const char* page, size_t length,
                     PageCharset* charset) {
    static const struct {
        const char* name;
        PageCharset charset;
    } names[] = {
        {"utf-8", kCharsetUtf8},
        {"utf8", kCharsetUtf8},
        {"us-ascii", kCharsetUtf8},
        {"utf-16le", kCharsetUtf16Le},
        {"utf-16be", kCharsetUtf16Be},
        {"shift_jis", kCharsetShiftJis},
        {"shift-jis", kCharsetShiftJis},
        {"sjis", kCharsetShiftJis},
        {"x-sjis", kCharsetShiftJis},
        {"windows-31j", kCharsetShiftJis},
        {"cp932", kCharsetShiftJis},
        {"ms_kanji", kCharsetShiftJis},
        {"euc-jp", kCharsetEucJp},
        {"x-euc-jp", kCharsetEucJp},
        {"eucjp", kCharsetEucJp},
        {"iso-2022-jp", kCharsetIso2022Jp},
        {"csiso2022jp", kCharsetIso2022Jp},
        {"iso-8859-1", kCharsetLatin1},
        {"latin1", kCharsetLatin1},
        {"windows-1252", kCharsetLatin1},
    };
    for (const auto& entry : names) {
        if (SameWord(name, n, entry.name)) {
            *charset = entry.charset;
            return true;
        }
    }
    if (!SameWord(name, n, "utf-16")) return false;
    const bool little = length >= 2 && page[0] != '\0' && page[1] == '\0';
    *charset = little ? kCharsetUtf16Le : kCharsetUtf16Be;
    return true;
}

PageEncoding DetectCharset(const char* page, size_t length, const char* contentType) {
    if (length >= 3 && std::memcmp(page, "\xEF\xBB\xBF", 3) == 0) return {kCharsetUtf8, 3};
    if (length >= 2 && std::memcmp(page, "\xFF\xFE", 2) == 0) return {kCharsetUtf16Le, 2};
    if (length >= 2 && std::memcmp(page, "\xFE\xFF", 2) == 0) return {kCharsetUtf16Be, 2};
    PageCharset charset;
    const char* typeEnd = contentType + std::strlen(contentType);
    if (NamedCharset(contentType, typeEnd, "charset", page, length, &charset)) return {charset, 0};
    if (FromXmlDeclaration(page, length, &charset)) return {charset, 0};
    if (FromMeta(page, length, &charset)) return {charset, 0};
    return {kCharsetEucJp, 0};
}
