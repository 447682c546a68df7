// The commands of the command keys. Each acts on the current frame or on the editor's toggles; the
// ones that change the animation bracket their change as one undo step.
#include "editor/command_keys.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

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
    editor.session.draggedJoint = -1;
    editor.session.boneStartJoint = -1;
    EndFigureGestures();
}

// The commands that are undo steps of their own: the current frame.
void CurrentFrameStep(void (*command)()) {
    UndoBeginStep(editor.session.currentFrame, editor.session.currentFrame);
    command();
    UndoEndStep();
}

// After a save or a load the animation is what its file holds, which the periodic backup needs to
// know; either way the status line tells the user.
void ReportFileResult(int32_t done, const char* success, const char* failure) {
    if (done != 0) {
        NoteAnimationStored(editor.animation);
    }
    ShowStatusMessage(done != 0 ? success : failure);
}

} // namespace

void CopyIntoCurrentFrame() {
    CurrentFrameStep([] { CopyPreviousFrame(editor.animation, editor.session.currentFrame); });
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
    UndoBeginStep(0, editor.animation.maxFrame);
    ResetAll(editor.animation);
    editor.session.currentFrame = 0;
    LeaveFrameGestures();
    UndoEndStep();
}

void StepFrameBack() {
    if (editor.session.currentFrame <= 0) {
        return;
    }
    editor.session.currentFrame -= 1;
    editor.animation.playbackEnd -= 1;
    LeaveFrameGestures();
    PlayFrameSlice(editor.animation.sound.samples, editor.session.currentFrame,
                   editor.animation.playbackRate);
}

void StepFrameForward() {
    if (editor.session.currentFrame >= editor.animation.maxFrame) {
        return;
    }
    editor.session.currentFrame += 1;
    editor.animation.playbackEnd += 1;
    LeaveFrameGestures();
    if (EmptyForStepping(editor.animation, editor.session.currentFrame)) {
        CopyIntoCurrentFrame();
    }
    PlayFrameSlice(editor.animation.sound.samples, editor.session.currentFrame,
                   editor.animation.playbackRate);
}

bool NotOnFirstFrame() {
    return editor.session.currentFrame > 0;
}

void HoldLeftShift(bool down, int32_t /*key*/) {
    if (!down) {
        editor.session.solverSuspended = 0;
        return;
    }
    editor.session.solverSuspended = 1;
    RemeasureBones();
}

// The pointer is noted whether the key is down or not, so that a move starts where it is.
void HoldLeftCtrl(bool down, int32_t /*key*/) {
    if (down) {
        MoveAllJoints();
    }
    editor.session.lastMouseX = WindowCursorX(0);
    editor.session.lastMouseY = WindowCursorY(0);
}

void HoldBoxKey(bool down, int32_t /*key*/) {
    if (down) {
        DefineBox();
        return;
    }
    if (editor.session.drawingBox == 1) {
        editor.animation.collisionOn = 1;
    }
    editor.session.drawingBox = 0;
}

void SaveWithMessage() {
    bool saved = SaveAnimation(editor.session.basePath, editor.animation);
    ReportFileResult(saved ? 1 : 0, "Gespeichert", "Speichern fehlgeschlagen");
}

bool LoadFromBasePath(const char** soundProblem, std::string* soundReference) {
    const char* path = editor.session.basePath != nullptr ? editor.session.basePath : "";
    // The sound shown goes on until the named one takes its place, so that a step sees both.
    SoundTrack shown = std::move(editor.animation.sound);
    if (!LoadAnimationInto(path, &editor.animation)) {
        editor.animation.sound = std::move(shown);
        return false;
    }
    NamedSound sound = DecodeNamedSound(editor.animation.sound.reference, path);
    *soundProblem = sound.problem;
    *soundReference = sound.track.reference;
    editor.animation.sound = std::move(shown);
    editor.session.currentFrame = 0;
    TakeNamedSound(std::move(sound));
    return true;
}

// A load replaces everything, the sound too, and is taken back like any other edit.
void LoadWithMessage() {
    UndoBeginStep(0, editor.animation.maxFrame);
    const char* problem = nullptr;
    std::string reference;
    bool loaded = LoadFromBasePath(&problem, &reference);
    LeaveFrameGestures();
    UndoEndStep();
    ReportFileResult(loaded ? 1 : 0, "Geladen", "Laden fehlgeschlagen");
    ReportNamedSound(problem, reference);
}

void ToggleHelp(int32_t pageCount) {
    if (editor.session.helpVisible == 1 && editor.session.helpPage + 1 < pageCount) {
        editor.session.helpPage += 1;
        return;
    }
    editor.session.helpVisible = FlipOneToZero(editor.session.helpVisible);
    editor.session.helpPage = 0;
}
void ToggleCollision() {
    editor.animation.collisionOn = FlipOneToZero(editor.animation.collisionOn);
}
void ToggleHead() {
    editor.animation.headOn = FlipOneToZero(editor.animation.headOn);
}
void ToggleShadow() {
    editor.animation.shadowOn = FlipZeroToOne(editor.animation.shadowOn);
}

void CycleBoneMode() {
    if (editor.session.boneMode == 0) {
        editor.session.boneMode = 1;
    } else if (editor.session.boneMode == 1) {
        editor.session.boneMode = 2;
    } else if (editor.session.boneMode == 2) {
        editor.session.boneMode = 0;
    }
}

// Fills the untouched copies between the key frame and the current frame with in-betweens, as
// one undo step of frames key + 1 to current - 1; taking it back shows the current frame. The frame
// before must be an untouched copy, and the current frame a pose of the same figure. With frames
// selected, every run of copies within the selection is filled instead, all in one undo step.
// Either way the in-betweens are spaced by the pen's easing.
void MakeInbetweens() {
    std::vector<CopyRun> runs;
    if (HasSelection(editor.session)) {
        runs = CopyRunsWithin(editor.animation, editor.session.selectionFirst,
                              editor.session.selectionLast);
    } else {
        int32_t current = editor.session.currentFrame;
        int32_t key = UntouchedCopyKey(editor.animation, current - 1);
        if (key >= 0 && FramesShareFigure(editor.animation, key, current)) {
            runs.push_back(CopyRun{key, current});
        }
    }
    if (runs.empty()) {
        ShowStatusMessage("Keine Zwischenbilder m\xf6glich");
        return;
    }
    UndoBeginStep(runs.front().key + 1, runs.back().pose - 1);
    for (const CopyRun& run : runs) {
        FillInbetweens(editor.animation, run.key, run.pose, editor.session.penEasing);
    }
    UndoEndStep();
    ShowStatusMessage("Zwischenbilder erstellt");
}
