// Which charset a page is read in: byte-order mark, then the HTTP header, then the XML
// declaration, then an HTML meta element, else EUC-JP; and ISO-2022-JP pages to Shift-JIS.
#include <gtest/gtest.h>

#include <string>

#include "news/charset.h"
#include "news/iso2022jp.h"

namespace {

PageEncoding Detect(const std::string& page, const char* contentType) {
    return DetectCharset(page.data(), page.size(), contentType);
}

TEST(DetectCharset, HeaderWinsOverTheXmlDeclaration) {
    const PageEncoding e = Detect("<?xml version=\"1.0\" encoding=\"EUC-JP\"?><rss>",
                                  "text/xml; Charset=\"Shift_JIS\"");
    EXPECT_EQ(e.charset, kCharsetShiftJis);
    EXPECT_EQ(e.bomLength, 0u);
}

TEST(DetectCharset, MetaHttpEquivContentCharset) {
    const char* page =
        "<html><head><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Shift_JIS\">";
    EXPECT_EQ(Detect(page, "text/html").charset, kCharsetShiftJis);
}

std::string FromIso2022(const std::string& jis) {
    std::string out(jis.size() + 1, '#');
    out.resize(Iso2022JpToSjis(jis.data(), jis.size(), &out[0]));
    return out;
}

TEST(Iso2022Jp, StrayByteBecomesAQuestionMarkAndConversionGoesOn) {
    EXPECT_EQ(FromIso2022("a\x80\x1B$B\x30\x21\x1B(B"), "a?\x88\x9F");
}

}  // namespace
