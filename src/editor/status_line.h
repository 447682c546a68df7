// The status line: a short message in red over the scene, shown for half a second in which the
// editor does nothing else (the results of a save, a load, key I, a refused frame edit).
#pragma once

// Draws the scene and the strip without the overlay, the text in red at (1, 1), presents and
// waits 500 ms.
void ShowStatusMessage(const char* text);
// The same with a file's name after the text, the name shown as the file system spells it (in
// the drawing's code page, '?' for what it cannot hold).
void ShowStatusMessageAbout(const char* text, const char* name);
