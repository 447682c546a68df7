// The commands of the command keys. Each acts on the current frame or on the editor's toggles; the
// ones that change the animation bracket their change as one undo step.
#include "editor/command_keys.h"

#include <string>
#include <utility>

#include "editor/figure_keys.h"
#include "editor/mouse_editing.h"
#include "editor/sound_keys.h"
#include "editor/sound_playback.h"
#include "editor/status_line.h"
#include "editor/undo_history.h"
#include "figure/inbetweens.h"
#include "figure/untouched_copies.h"
#include "model/editor_state.h"
#include "model/frame_range.h"
#include "model/sound_track.h"
#include "runtime/input.h"
#include "storage/animation_file.h"
#include "storage/periodic_backup.h"

namespace {

void LeaveFrameGestures() {
    editor.draggedJoint = -1;
    editor.boneStartJoint = -1;
    EndFigureGestures();
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
    PlayFrameSlice(soundTrack.samples, editor.currentFrame, editor.playbackRate);
}

void StepFrameForward() {
    if (editor.currentFrame >= editor.maxFrame) {
        return;
    }
    editor.currentFrame += 1;
    editor.playbackEnd += 1;
    LeaveFrameGestures();
    if (EmptyForStepping(editor.currentFrame)) {
        CopyIntoCurrentFrame();
    }
    PlayFrameSlice(soundTrack.samples, editor.currentFrame, editor.playbackRate);
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

// A load replaces everything, the sound too, and is taken back like any other edit.
void LoadWithMessage() {
    UndoBeginStep(0, editor.maxFrame);
    int32_t loaded = LoadAnimation();
    NamedSound sound;
    if (loaded != 0) {
        sound = DecodeNamedSound(LoadedSoundReference(), editor.basePath);
    }
    const char* problem = sound.problem;
    std::string reference = sound.track.reference;
    if (loaded != 0) {
        TakeNamedSound(std::move(sound));
    }
    LeaveFrameGestures();
    UndoEndStep();
    ReportFileResult(loaded, "Geladen", "Laden fehlgeschlagen");
    ReportNamedSound(problem, reference);
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

// Fills the untouched copies between the key frame and the current frame with in-betweens, as
// one undo step of frames key + 1 to current - 1; taking it back shows the current frame. The frame
// before must be an untouched copy, and the current frame a pose of the same figure.
void MakeInbetweens() {
    int32_t current = editor.currentFrame;
    int32_t key = UntouchedCopyKey(current - 1);
    if (key < 0 || !FramesShareFigure(key, current)) {
        ShowStatusMessage("Keine Zwischenbilder m\xf6glich");
        return;
    }
    UndoBeginStep(key + 1, current - 1);
    FillInbetweens(key, current);
    UndoEndStep();
    ShowStatusMessage("Zwischenbilder erstellt");
}
