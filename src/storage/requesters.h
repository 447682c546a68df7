// Modal file chooser and message box. The main loop does not run while one is open.
#pragma once

#include <cstdint>

void DialogSupportInit();
// The chosen full path as a temporary text at `start`, the empty text when cancelled. Flag bit 0
// asks for multiple selection; save != 0 asks for a save requester.
char* AskFileName(int32_t flags, const char* title, const char* defaultFile,
                  const char* patternText, int32_t patternPosition, int32_t save, int32_t start);
char* AskOpenFileName(const char* title, const char* defaultFile, const char* patternText,
                      int32_t patternPosition, int32_t start);
// A box with the title, the text and one OK button; returns the button code.
int32_t ShowMessageBox(const char* title, const char* text, int32_t flags);
