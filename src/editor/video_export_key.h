// Key E: the animation shared from the window, as STEM.mp4 and STEM.gif beside its file (STEM as
// for the backup), the same pictures as the command line's --export-mp4 and --export-gif, at the
// playback rate. A progress bar shows while they are written; Escape cancels and leaves no new
// file. The export changes nothing in the animation and is no undo step.
#pragma once

#include <cstdint>

// The latch of key E, beside those of the command keys and the undo chords.
enum VideoExportLatchIndex : int32_t {
    LatchE = 20,
};

// Frames a second of playback, which the exports from the window take.
int32_t PlaybackFramesPerSecond();
// Once per cycle after the command keys: E exports once per press.
void HandleVideoExportKey();
