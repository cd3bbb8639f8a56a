#pragma once
// The news dialog's try: the saver's own fetch of one source, its outcome as the box's text.
#include <string>

#include "settings/settings.h"

// Fetches source (on the caller's thread) and puts the try box's text into message; true when
// headlines came back. Registered with RegisterNewsTry (settings/win32/news_try.h).
bool TryNewsSource(const NewsSource& source, std::string* message);
