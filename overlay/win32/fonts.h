#pragma once
// Fonts and GDI text: the shared font description and the text layer.

// Allocates the shared font description; called once by the display set-up.
void InitFonts();
