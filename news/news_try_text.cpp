#include "news/news_try_text.h"

#include "news/headlines.h"
#include "news/news_failure_text.h"

std::string NewsTryText(int result, const char (*headlines)[kHeadlineSize], int count) {
    if (result != kNewsOk) {
        return std::string(NewsFailureText(result)) + "\n（結果 " + std::to_string(result) + "）";
    }
    if (count == 0) {
        return "ページは読めましたが、見出しは一つも残りませんでした。目印と不採用の文字列を"
               "確かめてください。";
    }
    std::string text = "見出しを " + std::to_string(count) + " 件取り出せました。\n";
    for (int i = 0; i < count && i < kTryHeadlinesShown; ++i) {
        text += "\n・";
        text += headlines[i];
    }
    if (count > kTryHeadlinesShown) {
        text += "\n…ほか " + std::to_string(count - kTryHeadlinesShown) + " 件";
    }
    return text;
}
