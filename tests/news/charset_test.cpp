// Which charset a page is read in: byte-order mark, then the HTTP header, then the XML
// declaration, then an HTML meta element, else EUC-JP; and ISO-2022-JP pages to Shift-JIS.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "news/charset.h"
#include "news/iso2022jp.h"

namespace {

PageEncoding Detect(const std::string& page, const char* contentType) {
    return DetectCharset(page.data(), page.size(), contentType);
}

TEST(DetectCharset, ByteOrderMarkWinsOverTheHeaderAndIsSkipped) {
    const std::string page("\xFF\xFE<\0r\0", 6);
    const PageEncoding e = Detect(page, "text/xml; charset=utf-8");
    EXPECT_EQ(e.charset, kCharsetUtf16Le);
    EXPECT_EQ(e.bomLength, 2u);
}

TEST(DetectCharset, HeaderWinsOverTheXmlDeclaration) {
    const PageEncoding e = Detect("<?xml version=\"1.0\" encoding=\"EUC-JP\"?><rss>",
                                  "text/xml; Charset=\"Shift_JIS\"");
    EXPECT_EQ(e.charset, kCharsetShiftJis);
    EXPECT_EQ(e.bomLength, 0u);
}

TEST(DetectCharset, UnknownHeaderCharsetFallsToTheNextRule) {
    EXPECT_EQ(Detect("<meta charset=utf-8>", "text/html; charset=koi8-r").charset, kCharsetUtf8);
}

TEST(DetectCharset, Utf16WithoutMarkIsSeenFromTheDeclaration) {
    EXPECT_EQ(Detect(std::string("<\0?\0x\0", 6), "").charset, kCharsetUtf16Le);
    EXPECT_EQ(Detect(std::string("\0<\0?\0x", 6), "").charset, kCharsetUtf16Be);
}

TEST(DetectCharset, MetaHttpEquivContentCharset) {
    const char* page =
        "<html><head><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Shift_JIS\">";
    EXPECT_EQ(Detect(page, "text/html").charset, kCharsetShiftJis);
}

TEST(DetectCharset, NothingNamedReadsAsEucJp) {
    EXPECT_EQ(Detect("<html><a href=x>y</a>", "text/html").charset, kCharsetEucJp);
}

// What glibc's iconv makes of utf8 as ISO-2022-JP or as CP932.
std::string Iconv(const char* to, const std::string& utf8) {
    iconv_t cd = iconv_open(to, "UTF-8");
    std::string in = utf8, out(utf8.size() * 4 + 16, '\0');
    char* ip = &in[0];
    char* op = &out[0];
    size_t il = in.size(), ol = out.size();
    iconv(cd, &ip, &il, &op, &ol);
    iconv(cd, nullptr, nullptr, &op, &ol);
    iconv_close(cd);
    out.resize(out.size() - ol);
    return out;
}

std::string FromIso2022(const std::string& jis) {
    std::string out(jis.size() + 1, '#');
    out.resize(Iso2022JpToSjis(jis.data(), jis.size(), &out[0]));
    return out;
}

TEST(Iso2022Jp, AgreesWithIconvOnMixedText) {
    const std::string text = u8"速報: 運転再開、アマゾン評価 (ABC) ニュース";
    EXPECT_EQ(FromIso2022(Iconv("ISO-2022-JP", text)), Iconv("CP932", text));
}

TEST(Iso2022Jp, StrayByteBecomesAQuestionMarkAndConversionGoesOn) {
    EXPECT_EQ(FromIso2022("a\x80\x1B$B\x30\x21\x1B(B"), "a?\x88\x9F");
}

}  // namespace
