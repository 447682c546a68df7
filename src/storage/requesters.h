// Modal file chooser and message box. The main loop does not run while one is open.
#pragma once

#include <cstdint>

// The chosen full path as a temporary text at `start`, the empty text when cancelled or when no
// chooser can be shown (PlatformLastFailure tells the two apart). The default file and the chosen
// path are file-system names (UTF-8 bytes on Linux), never converted. The chooser opens in the
// default file's folder with its name filled in (a name that is no valid file name is left out).
// The pattern text lists descriptions and patterns alternately, separated by "|" (a text without
// "|" is a single pattern); patternPosition selects the active entry, counted from 0. Flag bit 0
// asks for multiple selection; save != 0 asks for a save requester.
char* AskFileName(int32_t flags, const char* title, const char* defaultFile,
                  const char* patternText, int32_t patternPosition, int32_t save, int32_t start);
char* AskOpenFileName(const char* title, const char* defaultFile, const char* patternText,
                      int32_t patternPosition, int32_t start);
// AskFileName with a second folder (a file-system name, never converted) that the chooser offers
// a way to beside the one it opens in, such as the side panel's places.
char* AskFileNameWithPlace(const char* title, const char* defaultFile, const char* patternText,
                           int32_t patternPosition, int32_t save, const char* place, int32_t start);
// A box with the title, the text and one OK button; returns the button code (1 for OK).
int32_t ShowMessageBox(const char* title, const char* text, int32_t flags);
// The same box with a file's path after the text. The path is shown as the file system names the
// file, not as a program text, so that every name comes out legibly.
int32_t ShowFileMessageBox(const char* title, const char* text, const char* path);
