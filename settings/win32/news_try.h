#pragma once
// The news dialog's "試す" buttons: one fetch of a source with its fields as typed, on a thread
// of its own, its outcome shown in a message box owned by the dialog.
#include <windows.h>

#include <string>

#include "settings/settings.h"

// The fetch behind the buttons, registered by the program at start-up (the fetch is a higher
// layer): fetches source and returns the message box's text in Shift-JIS (the first headlines,
// or the failure in plain words) and whether it succeeded. Without one the buttons are disabled.
using NewsTryHook = bool (*)(const NewsSource& source, std::string* message);
void RegisterNewsTry(NewsTryHook hook);

// Posted to the dialog when a try has ended: wParam the source (0 or 1), lParam the try's own mark.
constexpr UINT kNewsTryDone = WM_APP + 0x4E;

// The news dialog's part: set up on WM_INITDIALOG (the buttons enabled when a hook is there), a
// button pressed (its source's fields read from the edits, the button disabled and reading
// "試しています…" until the try ends), the end of a try (the message box, the button back), and
// the dialog's end (tries under way are abandoned: they finish alone and show nothing).
void InitNewsTry(HWND dialog);
void StartNewsTry(HWND dialog, int source);
void FinishNewsTry(HWND dialog, int source, LPARAM posted);
void AbandonNewsTries();
