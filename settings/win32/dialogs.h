#pragma once
// The configuration dialog (resource 2003) and the news settings dialog (resource 105). Both are
// Unicode dialogs: their texts pass through settings/win32/control_text.h.
#include <windows.h>

// Registers the common control classes the dialogs use (the trackbar). Called before a dialog is
// created; any number of calls.
void RegisterDialogControls();

// Shows the configuration dialog modally, owned by owner. Returns what DialogBoxParamW returns:
// 0 after OK or Cancel, -1 when the dialog could not be created.
INT_PTR ShowConfigDialog(HWND owner);

// The configuration dialog: WM_INITDIALOG fills the controls from the settings, WM_HSCROLL takes
// every trackbar's position at once, OK writes every setting and ends the saver, Cancel (and
// Escape) ends it without writing, the colour buttons run the colour picker, button 1035 the news
// dialog. 0 for every message.
INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Ranges, positions and value labels of the seven trackbars from the settings.
void UpdateConfigControls(HWND dialog);

// The colour picker (owned by mainWindow, shared custom colours) for piece colour index 0 to 6; a
// cancelled picker leaves the colour.
void PickBlockColour(int index);

// The news dialog: the twelve edits from the two news sources; OK copies them back, Cancel and
// the close box leave them; each source's "試す" button tries its fields as typed
// (settings/win32/news_try.h). Writes nothing to the file. 0 for every message.
INT_PTR CALLBACK NewsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
