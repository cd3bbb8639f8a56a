#include "news/win32/page_text.h"

#include <windows.h>

#include <cstring>

#include "news/euc_to_sjis.h"
#include "news/iso2022jp.h"

namespace {

constexpr UINT kShiftJisCodePage = 932;
constexpr UINT kLatin1CodePage = 1252;
constexpr char16_t kGeta = 0x3013;  // 〓

std::u16string Widen(UINT codePage, const char* bytes, size_t n) {
    if (n == 0) return {};
    const int size = static_cast<int>(n);
    const int wide = MultiByteToWideChar(codePage, 0, bytes, size, nullptr, 0);
    if (wide <= 0) return {};
    std::u16string out(static_cast<size_t>(wide), u'\0');
    MultiByteToWideChar(codePage, 0, bytes, size, reinterpret_cast<wchar_t*>(&out[0]), wide);
    return out;
}

std::u16string FromUtf16Bytes(const char* page, size_t length, bool bigEndian) {
    std::u16string out(length / 2, u'\0');
    const unsigned char* b = reinterpret_cast<const unsigned char*>(page);
    for (size_t i = 0; i < out.size(); ++i) {
        const unsigned first = b[2 * i], second = b[2 * i + 1];
        out[i] = static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
    }
    return out;
}

}  // namespace

std::u16string PageToUtf16(const char* page, size_t length, PageCharset charset) {
    switch (charset) {
        case kCharsetUtf8: return Widen(CP_UTF8, page, length);
        case kCharsetUtf16Le: return FromUtf16Bytes(page, length, false);
        case kCharsetUtf16Be: return FromUtf16Bytes(page, length, true);
        case kCharsetShiftJis: return Widen(kShiftJisCodePage, page, length);
        case kCharsetLatin1: return Widen(kLatin1CodePage, page, length);
        case kCharsetIso2022Jp: {
            std::string sjis(length + 1, '\0');
            const size_t n = Iso2022JpToSjis(page, length, &sjis[0]);
            return Widen(kShiftJisCodePage, sjis.data(), n);
        }
        case kCharsetEucJp: break;
    }
    std::string sjis(page, strnlen(page, length));
    // Converted in place: the Shift-JIS text is never longer than the EUC-JP one.
    const int written = EucToSjis(sjis.c_str(), &sjis[0], sjis.size() + 1);
    return written > 0 ? Widen(kShiftJisCodePage, sjis.data(), static_cast<size_t>(written) - 1)
                       : std::u16string();
}

std::string Utf16ToSjis(const std::u16string& text) {
    // Surrogates first: the system would give each half of a pair a replacement of its own.
    std::u16string bmp;
    bmp.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
            ++i;
        bmp += c >= 0xD800 && c <= 0xDFFF ? kGeta : c;
    }
    if (bmp.empty()) return {};
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(bmp.data());
    const int size = static_cast<int>(bmp.size());
    static const char geta[] = "〓";
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(kShiftJisCodePage, WC_NO_BEST_FIT_CHARS, wide, size, nullptr,
                                      0, geta, &usedDefault);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(kShiftJisCodePage, WC_NO_BEST_FIT_CHARS, wide, size, &out[0], n, geta,
                        &usedDefault);
    return out;
}
