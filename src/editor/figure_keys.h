// The keys and buttons that act on one figure as a whole: the middle button (or left Alt with the
// left button) on a joint moves its figure with the pointer, D held turns and S held scales the
// figure that was under the pointer when the key went down, M mirrors, C copies, L deletes and V
// and H bring the figure under the pointer to the front or the back. With a selection on the strip
// each acts in every selected frame, on the same joint slots there; each is one undo step.
#pragma once

#include <cstdint>

// The middle button, each cycle beside the other buttons: pressed on a joint, its figure starts
// to follow the pointer; let go, it stays where it is.
void HandleFigureButton();
// Left Alt with the left button: a press starts the same move (true), a release ends it.
bool BeginFigureMoveByLeftButton();
void EndFigureMoveByLeftButton();
// Each cycle after the keys: the figure of a gesture in progress placed from where it stood when
// the gesture began, by the pointer's way since then.
void FollowFigureGestures();
// Whether a figure is being moved, turned or scaled; EndFigureGestures leaves it where it is.
bool FigureGestureInProgress();
void EndFigureGestures();

void HoldTurnFigure(bool down, int32_t key);  // D
void HoldScaleFigure(bool down, int32_t key); // S
void MirrorFigureStep();                      // M
void CopyFigureStep();    // C: "Kein Platz für die Figur" when a frame has too few slots
void DeleteFigureStep();  // L
void FigureToFrontStep(); // V
void FigureToBackStep();  // H
