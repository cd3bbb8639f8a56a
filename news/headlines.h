#pragma once
// The portable half of the news fetch: the page as it is received, the headlines cut out of it,
// and the host field of a source.

#include <cstddef>

#include "news/news_store.h"

constexpr size_t kPageSize = 102400;  // the page buffer, terminator included
constexpr int kChunkSize = 4096;      // bytes asked for per receive
constexpr int kIdlePolls = 50;        // polls of 100 ms without data that end a receive
constexpr unsigned short kHttpPort = 80;

// Result codes of a fetch.
enum NewsResult {
    kNewsOk = 0,
    kNewsNoWinsock = 1,
    kNewsNoSocket = 2,
    kNewsNoHost = 3,
    kNewsNoConnection = 4,
    kNewsNotSent = 5,
    kNewsNoStartMarker = 6,
    kNewsPollFailed = 7,
};

// A page being received into a buffer of kPageSize bytes, always NUL-terminated.
struct PageReceive {
    char* page;
    size_t length;  // bytes in page, terminator excluded
    int idle;       // polls in a row that found nothing waiting
};

// Empties the page and the idle count.
void BeginPage(PageReceive& r, char* page);

// One received chunk of n bytes (n <= kChunkSize), appended as bytes: a NUL inside it is kept
// (a UTF-16 page holds many), and the page stays NUL-terminated after its length. A page that
// would grow past kPageSize - 1 bytes keeps its first kPageSize - 1 and the rest is dropped, so
// a long page is still read to its end and its closing tag ends the receive. Resets the idle
// count. True when the chunk holds "</html>" (as written, in this one chunk): the page is whole.
bool AddChunk(PageReceive& r, const char* chunk, size_t n);

// One poll that found nothing waiting. True when kIdlePolls such polls came in a row.
bool AddIdlePoll(PageReceive& r);

// Cuts the headlines out of a Shift-JIS page, in place (each candidate's closing "<" becomes a
// NUL). From the first occurrence of ignore on, every occurrence of tag starts a candidate: the
// text between the next ">" and the "<" after it, unless that text starts with "<" (the search
// then goes on from there). A candidate is stored in headlines[*count], cut to 199 bytes at a
// whole Shift-JIS character; it is kept (*count grows) unless reject (when not empty) occurs in
// the whole candidate. ignore, tag and reject are found only where they start on a whole
// character (news/sjis_text.h). Stops at kNewsSlots kept headlines. *count starts at 0. Returns
// kNewsOk, or kNewsNoStartMarker when ignore does not occur (then *count stays 0).
int ExtractHeadlines(char* page, const char* ignore, const char* tag, const char* reject,
                     char (*headlines)[kHeadlineSize], int* count);

// A source's host field: a name or dotted address, optionally followed by ":port" (1..65535;
// 80 without one). host receives the part before the colon (hostSize bytes). False when the
// name is empty or does not fit, or the port is not a number in range.
bool SplitHostPort(const char* field, char* host, size_t hostSize, unsigned short* port);
