// Key E: the animation shared from the window, as STEM.mp4 and STEM.gif beside its file (STEM as
// for the backup), the same pictures as the command line's --export-mp4 and --export-gif, at the
// playback rate, the MP4 with the animation's sound. A progress bar shows while they are written;
// Escape cancels and leaves no new file. The export changes nothing in the animation and is no undo
// step.
#pragma once

#include <cstdint>

// Frames a second of playback, which the exports from the window take.
int32_t PlaybackFramesPerSecond();
// Key E's command: both files written beside the animation, or a message saying why not. Between
// two pictures cancelAsked, which samples the keyboard, says whether to cancel (Escape).
void ExportWindowVideos(bool (*cancelAsked)());
