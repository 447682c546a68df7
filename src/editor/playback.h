// Playback behind F12: the frames played in a loop at the strip's rate, each with the grey play
// mark instead of the overlay, until F12 is pressed again.
#pragma once

// Plays frames 0 to playbackEnd - 1 (or the selection) in a loop until stopAsked, which samples the
// keyboard after each frame, says to stop (F12 pressed again); returns at the frame it started on.
void PlayAnimation(bool (*stopAsked)());
