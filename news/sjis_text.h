#pragma once
// Searching Shift-JIS text one whole character at a time, so that a search text is never found
// straddling two characters or starting on a character's second byte ("]" is the second byte
// of 転, "\" of ソ).

// The first place in text (NUL-terminated, starting on a character) where needle occurs
// starting on a character; nullptr when there is none. An empty needle is found at text.
const char* FindWholeSjis(const char* text, const char* needle);
