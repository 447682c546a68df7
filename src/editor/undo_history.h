// The undo history: every edit of the animation as one step, kept as the slots it changed (every
// byte of each, before and after) and the box and toggles it changed, never as a copy of the
// grids, and the sound track a step replaced. Commands make a step by bracketing their change;
// gestures are followed by the main loop.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/frame_range.h"
#include "model/sound_track.h"

// At most this many steps and this many bytes of them are kept; the oldest go first.
constexpr std::size_t kUndoStepLimit = 1000;
constexpr std::size_t kUndoByteLimit = std::size_t{256} << 20;

// The gestures in progress, as bits. Changes made while any of them lasts are one step, from the
// first of them beginning to the end of the cycle in which the last of them ended.
enum UndoGesture : uint32_t {
    UndoGestureDrag = 1,      // a joint dragged with the left button
    UndoGestureRemeasure = 2, // left Shift held: a hold that changed nothing records nothing
    UndoGestureMoveAll = 4,   // left Ctrl held
    UndoGestureBox = 8,       // W held, up to the cycle in which its release switches collision on
    UndoGestureFigure = 16,   // a figure moved, turned or scaled
};

// Any command makes its change one step by bracketing it: UndoBeginStep takes a copy of frames
// firstFrame to lastFrame (clipped to the grids) and of the box and toggles before the change,
// UndoEndStep records what differs (nothing when nothing does) and drops what could have been
// done again. A gesture step still open is ended first, and the gestures still in progress go on
// in a step of their own afterwards.
// Undoing or redoing the step shows the frame that was current at UndoBeginStep, moving
// playbackEnd with currentFrame as F6 and F7 do; a step that itself changed currentFrame or
// playbackEnd (X, a load) brings both back as they were before it (undo) or after it (redo).
void UndoBeginStep(int32_t firstFrame, int32_t lastFrame);
void UndoEndStep();
// Within a command's step: the step changed editor.animation.sound, which was `before` (moved in,
// so that a long sound is never copied). The step keeps the track that is not shown and trades it
// for editor.animation.sound when it is taken back or done again.
void UndoKeepSoundBefore(SoundTrack&& before);

// Before a frame edit is made: a step still open (a gesture's) ends on the frames as they are.
void UndoBeginFrameEdit();
// A frame edit that DoFrameEdit has just made, recorded as one step of its own: the edit itself,
// not the frames it shifted. The current frame and playbackEnd before it come back with an undo,
// those after it with a redo.
void UndoRecordFrameEdit(FrameEdit&& edit, int32_t frameBefore, int32_t playbackEndBefore);

// The main loop's gesture boundaries, with the UndoGesture bits in progress: before the command
// keys, where a gesture's first change is still to come (opens a step on the current frame), and
// after the solver, where a step ends once no gesture is left. Just before the solver, a gesture
// step whose frame is no longer shown ends. What the solver then changes while no step is open
// (a frame stepped to, pulled into the box) is added to the last step done, whose state made it
// necessary: taking that step back takes the settling back too. Before the first step it is part
// of the state the history starts from. While steps remain to be done again it waits beside the
// history instead: the next walk takes it back first, so that redo repeats exactly what was done,
// and a new step adds it to the step before. A gesture whose own work has changed nothing yet
// (left Ctrl held over a frame the solver is still pulling into the box) is no step open here.
void UndoNoteGestures(uint32_t gestures);
// A gesture that changes frames besides the shown one (a figure moved through a selection) widens
// the gesture step open now to them, from their state now, before its first change there.
void UndoGestureFrames(int32_t firstFrame, int32_t lastFrame);
void UndoBeforeSolver();
void UndoEndOfCycle(uint32_t gestures);

// Ctrl+Z and Ctrl+Y: a gesture in progress is ended as a step first (a drag, a bone or a box being
// drawn stop there); then the last step is taken back, or the last one taken back is done again.
// With nothing to take back or do again nothing happens.
void UndoTakeBack();
void UndoDoAgain();

// Forgets every step, and a step still open: the history of a start-up.
void UndoClear();
std::size_t UndoStepCount(); // steps that can be taken back
std::size_t UndoRedoCount(); // steps that can be done again
std::size_t UndoHistoryBytes();
