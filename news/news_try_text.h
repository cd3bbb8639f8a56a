#pragma once
// The text of the news dialog's try box, in Shift-JIS: the first headlines of a good fetch, or
// what failed.
#include <string>

#include "news/news_store.h"

constexpr int kTryHeadlinesShown = 10;

// A fetch's result and its kept headlines (count of them) as the box's text.
std::string NewsTryText(int result, const char (*headlines)[kHeadlineSize], int count);
