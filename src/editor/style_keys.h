// The style keys: the pen's colour (F, Shift+F), thickness (+, -), shape (K) and easing (N,
// Shift+N), the pen given to the bone under the pointer (A) or taken from it (Shift+A), and the
// ground colour (B, Shift+B).
// Giving a style and changing the ground are undo steps; changing the pen is not.
#pragma once

#include <cstdint>

void NextPenColour();
void PreviousPenColour();
void ThickerPen();
void ThinnerPen();
void NextPenShape();
void NextPenEasing();
void PreviousPenEasing();
// The bone under the pointer takes the pen in the current frame and in every later frame in which
// its slot joins the same two joints; with a selection on the strip, in the selected frames.
void ApplyPenToBone();
void TakeStyleFromBone();
void NextGroundColour();
void PreviousGroundColour();
