#include "news/feed.h"

#include <vector>

namespace {

bool IsWhite(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0x00A0;
}

bool IsControl(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

bool IsAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool StartsWith(const char16_t* text, size_t length, size_t at, const char16_t* word) {
    for (size_t k = 0; word[k]; ++k) {
        if (at + k >= length || text[at + k] != word[k]) return false;
    }
    return true;
}

// The index just past the first occurrence of word at or after from; length when none.
size_t PastWord(const char16_t* text, size_t length, size_t from, const char16_t* word) {
    size_t n = 0;
    while (word[n]) ++n;
    for (size_t i = from; i + n <= length; ++i) {
        if (StartsWith(text, length, i, word)) return i + n;
    }
    return length;
}

// The index just past the ">" that closes a declaration such as <!DOCTYPE ...> starting at
// from, passing over quoted text and an internal subset in brackets.
size_t PastDeclaration(const char16_t* text, size_t length, size_t from) {
    int depth = 0;
    char16_t quote = 0;
    for (size_t i = from; i < length; ++i) {
        const char16_t c = text[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'[') {
            ++depth;
        } else if (c == u']') {
            --depth;
        } else if (c == u'>' && depth <= 0) {
            return i + 1;
        }
    }
    return length;
}

std::u16string DropTags(const std::u16string& s) {
    std::u16string out;
    for (size_t i = 0; i < s.size(); ++i) {
        const char16_t next = i + 1 < s.size() ? s[i + 1] : 0;
        if (s[i] == u'<' && (IsAsciiLetter(next) || next == u'/' || next == u'!' || next == u'?')) {
            const size_t close = s.find(u'>', i);
            if (close != std::u16string::npos) {
                i = close;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

void AppendCodePoint(std::u16string& out, unsigned long c) {
    if (c == 0 || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = 0xFFFD;
    if (c > 0xFFFF) {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
        out += static_cast<char16_t>(c);
    }
}

// The reference starting with "&" at s[i]: its character appended to out and the index of its
// ";" returned; i itself when it is none (the "&" then stands for itself).
size_t ReadReference(const std::u16string& s, size_t i, std::u16string& out) {
    const size_t semicolon = s.find(u';', i);
    if (semicolon == std::u16string::npos || semicolon - i > 12) return i;
    const std::u16string name = s.substr(i + 1, semicolon - i - 1);
    static const struct {
        const char16_t* name;
        char16_t c;
    } named[] = {{u"amp", u'&'},  {u"lt", u'<'},    {u"gt", u'>'},
                 {u"quot", u'"'}, {u"apos", u'\''}, {u"nbsp", 0x00A0}};
    for (const auto& n : named) {
        if (name == n.name) {
            out += n.c;
            return semicolon;
        }
    }
    if (name.size() < 2 || name[0] != u'#') return i;
    const bool hex = name[1] == u'x' || name[1] == u'X';
    const size_t first = hex ? 2 : 1;
    if (first >= name.size()) return i;
    unsigned long value = 0;
    for (size_t k = first; k < name.size(); ++k) {
        const char16_t c = name[k];
        int digit;
        if (c >= u'0' && c <= u'9') {
            digit = c - u'0';
        } else if (hex && c >= u'a' && c <= u'f') {
            digit = c - u'a' + 10;
        } else if (hex && c >= u'A' && c <= u'F') {
            digit = c - u'A' + 10;
        } else {
            return i;
        }
        value = value * (hex ? 16 : 10) + static_cast<unsigned long>(digit);
        if (value > 0x10FFFF) value = 0x110000;  // no character; held so it cannot wrap round
    }
    AppendCodePoint(out, value);
    return semicolon;
}

std::u16string DecodeReferences(const std::u16string& s) {
    std::u16string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == u'&') {
            const size_t end = ReadReference(s, i, out);
            if (end != i) {
                i = end;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

// The index of the first occurrence of word at or after from; npos when none.
size_t Find(const char16_t* text, size_t length, size_t from, const char16_t* word) {
    for (size_t i = from; i < length; ++i) {
        if (StartsWith(text, length, i, word)) return i;
    }
    return std::u16string::npos;
}

// One start tag, from its "<" up to its ">": its local name (the part after a prefix), whether
// it closes itself, and the value of its type attribute. End: the index just past ">"; npos
// when the tag is not closed before the text ends.
struct StartTag {
    std::u16string name;
    bool empty = false;
    std::u16string type;
    size_t end = std::u16string::npos;
};

StartTag ReadStartTag(const char16_t* text, size_t length, size_t at) {
    StartTag tag;
    size_t i = at + 1;
    const size_t nameStart = i;
    while (i < length && !IsWhite(text[i]) && text[i] != u'>' && text[i] != u'/') ++i;
    const std::u16string name(text + nameStart, i - nameStart);
    const size_t colon = name.rfind(u':');
    tag.name = colon == std::u16string::npos ? name : name.substr(colon + 1);
    while (i < length) {
        const char16_t c = text[i];
        if (c == u'>') {
            tag.end = i + 1;
            return tag;
        }
        if (c == u'/' && i + 1 < length && text[i + 1] == u'>') {
            tag.empty = true;
            tag.end = i + 2;
            return tag;
        }
        if (IsWhite(c) || c == u'/') {
            ++i;
            continue;
        }
        // An attribute: name, "=", a quoted value.
        const size_t attrStart = i;
        while (i < length && !IsWhite(text[i]) && text[i] != u'=' && text[i] != u'>') ++i;
        const std::u16string attr(text + attrStart, i - attrStart);
        while (i < length && IsWhite(text[i])) ++i;
        if (i >= length || text[i] != u'=') continue;
        ++i;
        while (i < length && IsWhite(text[i])) ++i;
        if (i >= length || (text[i] != u'"' && text[i] != u'\'')) return tag;  // malformed
        const char16_t quote = text[i++];
        const size_t valueStart = i;
        while (i < length && text[i] != quote) ++i;
        if (i >= length) return tag;
        if (attr == u"type") tag.type.assign(text + valueStart, i - valueStart);
        ++i;
    }
    return tag;
}

}  // namespace

bool IsFeedDocument(const char16_t* text, size_t length) {
    size_t i = length > 0 && text[0] == 0xFEFF ? 1 : 0;
    for (;;) {
        while (i < length && IsWhite(text[i])) ++i;
        if (i >= length || text[i] != u'<') return false;
        if (StartsWith(text, length, i, u"<?")) {
            i = PastWord(text, length, i + 2, u"?>");
        } else if (StartsWith(text, length, i, u"<!--")) {
            i = PastWord(text, length, i + 4, u"-->");
        } else if (StartsWith(text, length, i, u"<!")) {
            i = PastDeclaration(text, length, i + 2);
        } else {
            break;
        }
    }
    size_t end = i + 1;
    while (end < length && !IsWhite(text[end]) && text[end] != u'>' && text[end] != u'/') ++end;
    const std::u16string name(text + i + 1, end - i - 1);
    return name == u"rss" || name == u"rdf:RDF" || name == u"feed";
}

std::u16string CleanFeedTitle(const std::u16string& text, bool html) {
    const std::u16string s = html ? DecodeReferences(DropTags(text)) : text;
    std::u16string out;
    bool space = false;
    for (const char16_t c : s) {
        if (IsWhite(c)) {
            space = !out.empty();
        } else if (!IsControl(c)) {
            if (space) out += u' ';
            space = false;
            out += c;
        }
    }
    return out;
}

bool ReadFeedTitles(const char16_t* text, size_t length,
                    const std::function<bool(const std::u16string& title, bool html)>& keep) {
    constexpr size_t npos = std::u16string::npos;
    std::vector<std::u16string> open;  // local names of the elements now open
    bool sawRoot = false, inTitle = false, html = false;
    size_t titleDepth = 0;
    std::u16string title;
    size_t i = length > 0 && text[0] == 0xFEFF ? 1 : 0;
    while (i < length) {
        if (text[i] != u'<') {
            const size_t end = Find(text, length, i, u"<");
            if (end == npos) break;
            if (inTitle) title += DecodeReferences(std::u16string(text + i, end - i));
            i = end;
        } else if (StartsWith(text, length, i, u"<!--")) {
            const size_t end = Find(text, length, i + 4, u"-->");
            if (end == npos) break;
            i = end + 3;
        } else if (StartsWith(text, length, i, u"<![CDATA[")) {
            const size_t end = Find(text, length, i + 9, u"]]>");
            if (end == npos) break;
            if (inTitle) title.append(text + i + 9, end - i - 9);
            i = end + 3;
        } else if (StartsWith(text, length, i, u"<!")) {
            // A document type declaration, or markup that has no place in a document.
            if (!sawRoot) return false;
            break;
        } else if (StartsWith(text, length, i, u"<?")) {
            const size_t end = Find(text, length, i + 2, u"?>");
            if (end == npos) break;
            i = end + 2;
        } else if (StartsWith(text, length, i, u"</")) {
            const size_t end = Find(text, length, i + 2, u">");
            if (end == npos) break;
            if (!open.empty()) open.pop_back();
            if (inTitle && open.size() == titleDepth) {
                inTitle = false;
                if (!keep(title, html)) return true;
            }
            i = end + 1;
        } else {
            const StartTag tag = ReadStartTag(text, length, i);
            if (tag.end == npos) break;
            sawRoot = true;
            const bool itemTitle = !inTitle && !tag.empty && tag.name == u"title" &&
                                   !open.empty() &&
                                   (open.back() == u"item" || open.back() == u"entry");
            if (itemTitle) {
                // RSS titles may hold escaped HTML; Atom says so with type="html".
                html = open.back() == u"item" || tag.type == u"html";
                inTitle = true;
                titleDepth = open.size();
                title.clear();
            }
            if (!tag.empty) open.push_back(tag.name);
            i = tag.end;
        }
    }
    return sawRoot;
}
