// The commands of the command keys. Each acts on the current frame or on the editor's toggles; the
// ones that change the animation bracket their change as one undo step.
#include "editor/command_keys.h"

#include <algorithm>
#include <array>

#include "editor/mouse_editing.h"
#include "editor/status_line.h"
#include "editor/undo_history.h"
#include "figure/inbetweens.h"
#include "model/editor_state.h"
#include "runtime/input.h"
#include "storage/animation_file.h"
#include "storage/periodic_backup.h"

namespace {

void LeaveFrameGestures() {
    editor.draggedJoint = -1;
    editor.boneStartJoint = -1;
}

// The commands that are undo steps of their own: the current frame.
void CurrentFrameStep(void (*command)()) {
    UndoBeginStep(editor.currentFrame, editor.currentFrame);
    command();
    UndoEndStep();
}

// After a save or a load the animation is what its file holds, which the periodic backup needs to
// know; either way the status line tells the user.
void ReportFileResult(int32_t done, const char* success, const char* failure) {
    if (done != 0) {
        NoteAnimationStored();
    }
    ShowStatusMessage(done != 0 ? success : failure);
}

// The smallest and largest place of one joint over a run of frames.
struct JointSpan {
    int32_t leftmost;
    int32_t rightmost;
    int32_t topmost;
    int32_t bottommost;
};

void WidenSpans(std::array<JointSpan, kSlotCount>& spans, int32_t frame) {
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Joint& joint = JointAt(frame, slot);
        JointSpan& span = spans[slot];
        span.leftmost = std::min(span.leftmost, joint.x);
        span.rightmost = std::max(span.rightmost, joint.x);
        span.topmost = std::min(span.topmost, joint.y);
        span.bottommost = std::max(span.bottommost, joint.y);
    }
}

// Whether the places of every used joint of the frame, gathered in the spans, lie within `reach`
// pixels of where it is in the frame.
bool SpansWithin(const std::array<JointSpan, kSlotCount>& spans, int32_t frame, int32_t reach) {
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Joint& joint = JointAt(frame, slot);
        const JointSpan& span = spans[slot];
        if (joint.state != JointEmpty &&
            (span.leftmost < joint.x - reach || span.rightmost > joint.x + reach ||
             span.topmost < joint.y - reach || span.bottommost > joint.y + reach)) {
            return false;
        }
    }
    return true;
}

bool WithinAPixel(int32_t frame, int32_t other) {
    std::array<JointSpan, kSlotCount> spans;
    spans.fill(JointSpan{INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN});
    WidenSpans(spans, other);
    return SpansWithin(spans, frame, 1);
}

// The key frame before `current`: the earliest frame K whose copies frames K + 1 to current - 1
// all are, each of the same figure with every joint within a pixel of frame K (as F7 makes them;
// the solver may settle a shown copy by one). Frames that each lie within a pixel of the one
// before but drift further from K are edits, so a K that itself lies within a pixel of the frame
// before it is no key. -1 when there is none.
// The key frame before `current`: the earliest frame K whose copies frames K + 1 to current - 1
// all are, each of the same figure with every joint within a pixel of frame K (as F7 makes them;
// the solver may settle a shown copy by one). Frames that each lie within a pixel of the one
// before but drift further from K are edits, so a K that itself lies within a pixel of the frame
// before it is no key. -1 when there is none.
int32_t FindKeyFrame(int32_t current) {
    if (current < 2 || !IsFrame(current)) {
        return -1;
    }
    std::array<JointSpan, kSlotCount> spans; // the places in frames candidate + 1 to current - 1
    spans.fill(JointSpan{INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN});
    WidenSpans(spans, current - 1);
    int32_t key = -1;
    // No earlier frame can be the key once the copies spread over more than two pixels.
    for (int32_t candidate = current - 2;
         candidate >= 0 && FramesShareFigure(candidate, candidate + 1) &&
         SpansWithin(spans, candidate, 2);
         --candidate) {
        if (SpansWithin(spans, candidate, 1)) {
            key = candidate;
        }
        WidenSpans(spans, candidate);
    }
    bool drifted = key > 0 && FramesShareFigure(key - 1, key) && WithinAPixel(key, key - 1);
    return drifted ? -1 : key;
}

} // namespace

void CopyIntoCurrentFrame() {
    CurrentFrameStep(CopyPreviousFrame);
}
void AddJointStep() {
    CurrentFrameStep(AddJointAtCursor);
}
void ToggleStaticStep() {
    CurrentFrameStep(ToggleStaticJointAtCursor);
}
void DeleteJointStep() {
    CurrentFrameStep(DeleteJointAtCursor);
}

// X and a load take away the joint being dragged or starting a bone: those gestures end there.
void ResetAllStep() {
    UndoBeginStep(0, editor.maxFrame);
    ResetAll();
    LeaveFrameGestures();
    UndoEndStep();
}

void StepFrameBack() {
    if (editor.currentFrame <= 0) {
        return;
    }
    editor.currentFrame -= 1;
    editor.playbackEnd -= 1;
    LeaveFrameGestures();
}

void StepFrameForward() {
    if (editor.currentFrame >= editor.maxFrame) {
        return;
    }
    editor.currentFrame += 1;
    editor.playbackEnd += 1;
    LeaveFrameGestures();
    // Slot 0 is left out: a frame holding only the head joint still counts as empty.
    if (!FrameHasJoints(editor.currentFrame, 1)) {
        CopyIntoCurrentFrame();
    }
}

bool NotOnFirstFrame() {
    return editor.currentFrame > 0;
}

void HoldLeftShift(bool down) {
    if (!down) {
        editor.solverSuspended = 0;
        return;
    }
    editor.solverSuspended = 1;
    RemeasureBones();
}

// The pointer is noted whether the key is down or not, so that a move starts where it is.
void HoldLeftCtrl(bool down) {
    if (down) {
        MoveAllJoints();
    }
    editor.lastMouseX = WindowCursorX(0);
    editor.lastMouseY = WindowCursorY(0);
}

void HoldBoxKey(bool down) {
    if (down) {
        DefineBox();
        return;
    }
    if (editor.drawingBox == 1) {
        editor.collisionOn = 1;
    }
    editor.drawingBox = 0;
}

void SaveWithMessage() {
    ReportFileResult(SaveAnimation(), "Gespeichert", "Speichern fehlgeschlagen");
}

// A load replaces everything, and is taken back like any other edit.
void LoadWithMessage() {
    UndoBeginStep(0, editor.maxFrame);
    int32_t loaded = LoadAnimation();
    LeaveFrameGestures();
    UndoEndStep();
    ReportFileResult(loaded, "Geladen", "Laden fehlgeschlagen");
}

void ToggleHelp() {
    editor.helpVisible = FlipOneToZero(editor.helpVisible);
}
void ToggleCollision() {
    editor.collisionOn = FlipOneToZero(editor.collisionOn);
}
void ToggleHead() {
    editor.headOn = FlipOneToZero(editor.headOn);
}
void ToggleShadow() {
    editor.shadowOn = FlipZeroToOne(editor.shadowOn);
}

void CycleBoneMode() {
    if (editor.boneMode == 0) {
        editor.boneMode = 1;
    } else if (editor.boneMode == 1) {
        editor.boneMode = 2;
    } else if (editor.boneMode == 2) {
        editor.boneMode = 0;
    }
}

// Fills the untouched copies between the key frame and the current frame with in-betweens,
// as one undo step of frames key + 1 to current - 1; taking it back shows the current frame.
void MakeInbetweens() {
    int32_t current = editor.currentFrame;
    int32_t key = FindKeyFrame(current);
    if (key < 0 || !FramesShareFigure(key, current)) {
        ShowStatusMessage("Keine Zwischenbilder m\xf6glich");
        return;
    }
    UndoBeginStep(key + 1, current - 1);
    FillInbetweens(key, current);
    UndoEndStep();
    ShowStatusMessage("Zwischenbilder erstellt");
}
