// Edits of the animation as a sequence of frames: inserting copies of a run of frames, deleting a
// run, moving a run to another place and reversing a run. Each works on an animation's frames
// directly and keeps what it overwrites, so that taking it back restores every byte and doing it
// again repeats it exactly; the keys, the strip's mouse and the undo history all call these.
#pragma once

#include <cstdint>
#include <vector>

#include "model/animation.h"

enum class FrameEditKind : int8_t { InsertCopies, Delete, Move, Reverse };

struct FrameEdit {
    FrameEditKind kind = FrameEditKind::Move;
    int32_t first = 0; // the run the edit is made on: frames first to first + count - 1
    int32_t count = 0;
    int32_t destination = 0; // Move: where the run's first frame ends up
    // The frames the edit overwrites with nothing to take them back from: the run that Delete
    // removes, or the frames at the end that InsertCopies pushes out.
    std::vector<Joint> savedJoints;
    std::vector<Bone> savedBones;
};

// Whether frame `frame` holds anything: a joint or a bone in use.
bool FrameInUse(const Animation& animation, int32_t frame);
// The last frame that holds anything, or 0 when none does: where End goes and what the strip
// counts.
int32_t LastFrameInUse(const Animation& animation);
// The last frame that holds a joint, or 0 when none does: where key E's videos end.
int32_t LastFrameWithJoints(const Animation& animation);
// Whether F7 copies into the frame it steps to: no joint in slots 1 to 500. Slot 0 is left out, so
// a frame holding only the head's joint still counts as empty there.
bool EmptyForStepping(const Animation& animation, int32_t frame);
// Whether copies of frames first to first + count - 1 fit right after them: the copies end inside
// the grids and the last `count` frames, which they push out, hold nothing.
bool RoomForCopies(const Animation& animation, int32_t first, int32_t count);

// The edits, each checked against the grids first; false (and nothing changed) when the run or the
// destination lies outside them or, for InsertCopies, when there is no room.
//   InsertCopies: copies of the run right after it; later frames move `count` on.
//   Delete: later frames move `count` up; empty frames fill the end.
//   Move: the run so that it starts at `destination`, the frames in between shifting over.
//   Reverse: the run in the opposite order.
bool DoFrameEdit(Animation& animation, FrameEdit* edit);
// Takes back an edit that DoFrameEdit made (and that nothing since has changed), byte for byte;
// RedoFrameEdit makes it again after that.
void UndoFrameEdit(Animation& animation, const FrameEdit& edit);
void RedoFrameEdit(Animation& animation, const FrameEdit& edit);
// Bytes an edit keeps beyond its own record.
std::size_t FrameEditBytes(const FrameEdit& edit);
