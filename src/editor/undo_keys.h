// The gestures in progress that the undo history follows at the main loop's gesture boundaries.
// The undo chords Ctrl+Z and Ctrl+Y are rows of the command table.
#pragma once

#include <cstdint>

// The UndoGesture bits of the gestures in progress now.
uint32_t GesturesInProgress();
