#pragma once
// The portable half of reading a news feed: whether a page (as UTF-16) is one, and a title's
// text made fit for one news line.

#include <cstddef>
#include <functional>
#include <string>

// True when the root element of the XML document text (length UTF-16 units) is rss, rdf:RDF or
// feed. Passed over before it: a byte-order mark, white space, the XML declaration, processing
// instructions, comments and a document type declaration (its internal subset included).
bool IsFeedDocument(const char16_t* text, size_t length);

// Calls keep(title, html) with the raw text of each title of an item (RSS 2.0, RSS 1.0) or an
// entry (Atom) in document order, until keep returns false: character references and the five
// XML entities read, CDATA as written, the text of elements inside the title included; html is
// true for RSS titles and Atom titles of type "html" (escaped HTML may follow). Titles of the
// channel, an image or an entry's source are not items'. A document type declaration is
// refused outright: no entity of the document's own is ever expanded and nothing outside is
// fetched. A document that breaks off (cut by the page bound, or malformed) ends the walk there;
// a title not closed before that point is not passed. False when the document was refused or
// has no root element.
bool ReadFeedTitles(const char16_t* text, size_t length,
                    const std::function<bool(const std::u16string& title, bool html)>& keep);

// A title's text as the XML reader gives it, made one line: when html (RSS titles, and Atom
// titles of type "html") its tags are dropped and its character references (&amp;, &#233;,
// &#x3042;, &nbsp; ...) read once more; then control characters are dropped, runs of white
// space become one space, and none is left at either end.
std::u16string CleanFeedTitle(const std::u16string& text, bool html);
