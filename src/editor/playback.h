// Playback behind F12: the frames played in a loop at the strip's rate, each with the grey play
// mark instead of the overlay, until F12 is pressed again.
#pragma once

// Plays frames 0 to playbackEnd - 1 (or the selection) in a loop; returns when F12 is released and
// pressed again, at the frame it started on. Holding the starting press does not stop it.
void PlayAnimation();
