// The timeline's commands on the editor state: going to a frame, the selection, and the frame edits
// (insert copies, delete, move, reverse) of the current frame or the selection as undo steps. The
// keys Einfg, Rücktaste, Bild auf/ab, Pos1/Ende and R and the strip's mouse call them.
#pragma once

#include <cstdint>

#include "model/editor_state.h"

// The current frame or, when there is one, the selection.
struct FrameRun {
    int32_t first;
    int32_t count;
};
FrameRun CurrentRun();

// Makes `frame` current, moving playbackEnd by as much, as that many F6 or F7 presses would, but
// copying nothing; a drag or a bone being drawn ends, and the frame's slice of the sound plays.
void GoToFrame(int32_t frame);
// Selects the frames from the current frame to `frame`, which becomes current.
void SelectToFrame(int32_t frame);
void ClearSelection();

// The frame edits, each one undo step; false when nothing changed. Inserting without room shows
// the status line "Kein Platz für weitere Bilder".
bool InsertCopiesOfRun();
bool DeleteRun();
// Moves the run so that it starts at `destination` (clamped to the grids); the current frame and
// the selection follow it.
bool MoveRunTo(int32_t destination);
bool ReverseSelection();

// A selection that no longer holds the current frame ends: once per cycle, after the keys.
void ClearSelectionAwayFromCurrentFrame();
