// Ctrl+Z and Ctrl+Y, with either Ctrl key and the letters where the keyboard layout puts them, and
// the gestures in progress that the undo history follows at the main loop's gesture boundaries.
#pragma once

#include <cstdint>

// Latches of the two chords, beside those of the command keys.
enum UndoLatchIndex : int32_t {
    LatchUndo = 17,
    LatchRedo = 18,
};

// Once per cycle after the command keys: each chord fires once per press.
void HandleUndoKeys();
// The UndoGesture bits of the gestures in progress now.
uint32_t GesturesInProgress();
