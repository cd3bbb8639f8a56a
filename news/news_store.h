#pragma once
// The stored news headlines of the two sources, filled by the news fetch.
//
// Source index 0 is the first source (NI1_ settings), index 1 the second. Each source has 100
// slots of 200 bytes, each a NUL-terminated Shift-JIS headline of at most 199 bytes; the kept
// headlines are slots 0 to NewsCount - 1. Slots beyond them keep what earlier fetches left.

constexpr int kNewsSources = 2;
constexpr int kNewsSlots = 100;
constexpr int kHeadlineSize = 200;

extern char NewsHeadlines[kNewsSources][kNewsSlots][kHeadlineSize];
extern int NewsCount[kNewsSources];  // 0 to kNewsSlots

// Every slot emptied and both counts 0, as at start-up; tests call it between cases.
void ResetNewsStore();

// Copies a stored headline into dst (kHeadlineSize bytes): at most 199 bytes and the
// terminator, cut at a whole Shift-JIS character, reading no further than the slot even when
// the slot holds no terminator. An index outside the store gives an empty text.
void CopyHeadline(char* dst, int source, int slot);
