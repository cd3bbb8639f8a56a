#include "display/error_report.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(ErrorReport, JoinsMethodAndMessageAndReturnsZero) {
    int before = kaDraw::errorCount;
    EXPECT_EQ(kaDraw::ReportError("kaDraw::Screen", "裏画面が生成できません"), 0);
    EXPECT_EQ(kaDraw::errorCount, before + 1);
    EXPECT_EQ(std::string(kaDraw::lastErrorText),
              std::string("kaDraw::Screen : ") + "裏画面が生成できません");
}

TEST(ErrorReport, OverlongTextIsCutAtAWholeCharacter) {
    std::string method(250, 'm');
    kaDraw::ReportError(method.c_str(), "Ｘファイル");  // " : " then two-byte characters
    size_t len = std::strlen(kaDraw::lastErrorText);
    EXPECT_LE(len, 255u);
    // 250 + 3 bytes, then one two-byte character fits (255), the next does not.
    EXPECT_EQ(len, 255u);
    EXPECT_EQ(std::string(kaDraw::lastErrorText).substr(253), std::string("Ｘ"));
}
