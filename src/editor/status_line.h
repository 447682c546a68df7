// The status line: short messages in red over the scene (the results of a save, a load, key I, a
// refused frame edit). A message is state: showing one only queues it, and the cycle (or a loop
// that presents on its own, as playback does) shows each queued one for half a second, in which
// the editor does nothing else.
#pragma once

#include <string>

#include "runtime/drawing.h"

// Queues the message, in the user's language.
void ShowStatusMessage(const char* text);
// The same with a file's name after the text, the name shown as the file system spells it (in
// the drawing's code page, '?' for what it cannot hold).
void ShowStatusMessageAbout(const char* text, const char* name);
// Whether messages wait to be shown.
bool StatusLinesPending();
// Takes the first message that waits; false when none does.
bool TakeStatusLine(std::string* line);
// Draws the line in red at (1, 1), in the drawing's default font, over what the target shows.
void DrawStatusLine(const char* line, const DrawingTarget* target);
