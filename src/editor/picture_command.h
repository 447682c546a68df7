// The picture command: the program started as the editor starts but on an off-screen surface, so
// that no window or display is needed; the animation loaded and written as the output that the
// command line names.
#pragma once

#include "editor/command_line.h"

// Checks that the output replaces nothing but an earlier output of its kind, then writes the
// pictures with a progress bar on a terminal's stderr and a message there on failure. Returns the
// exit code: 0 when every file was written, 1 when something failed.
int RunPictureExport(const CommandLine& command);
