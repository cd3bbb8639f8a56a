#pragma once
// Which character set a received page is written in, from its own bytes and the HTTP header.

#include <cstddef>

enum PageCharset {
    kCharsetEucJp,
    kCharsetUtf8,
    kCharsetUtf16Le,
    kCharsetUtf16Be,
    kCharsetShiftJis,
    kCharsetIso2022Jp,
    kCharsetLatin1,  // ISO-8859-1 read as its superset windows-1252
};

struct PageEncoding {
    PageCharset charset;
    size_t bomLength;  // bytes of a byte-order mark at the start, to be skipped
};

// The charset a name stands for, case ignored ("UTF-8", "shift_jis", "x-euc-jp", ...). "UTF-16"
// without an order takes it from page (length bytes): little-endian when the first byte is not
// NUL and the second is, else big-endian. False for a name this program does not read.
bool CharsetFromName(const char* name, size_t nameLength, const char* page, size_t length,
                     PageCharset* charset);

// The first of these that names a charset this program reads: a byte-order mark; the charset
// parameter of contentType (the Content-Type header's value, "" when unknown); the encoding of
// an XML declaration at the start (UTF-16 without a mark is recognised by its "<?"); the
// charset of the first HTML meta element that gives one, as <meta charset="..."> or
// <meta http-equiv="Content-Type" content="...; charset=...">. EUC-JP when none does.
PageEncoding DetectCharset(const char* page, size_t length, const char* contentType);
