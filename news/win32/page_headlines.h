#pragma once
#include <cstddef>
#include "news/headlines.h"
#include "settings/settings.h"
// Turns a received page (its bytes as received, possibly holding NULs, and their length) into
// Shift-JIS headlines. contentType is the HTTP Content-Type header value, or "" when unknown.
// Returns kNewsOk, or kNewsNoStartMarker (6) when the page has no usable headline source.
int PageHeadlines(const char* page, size_t length, const char* contentType,
                  const NewsSource& source, char (*headlines)[kHeadlineSize], int* count);
