// The timeline's commands: each frame edit is made by the model's frame edits and recorded in the
// undo history as the edit it is; the current frame, playbackEnd and the selection follow the
// frames they were on.
#include "editor/timeline.h"

#include <algorithm>

#include "editor/sound_playback.h"
#include "editor/status_line.h"
#include "editor/undo_history.h"
#include "model/editor_state.h"
#include "model/frame_range.h"
#include "model/sound_track.h"

namespace {

void Select(int32_t first, int32_t last) {
    editor.session.selectionFirst = std::min(first, last);
    editor.session.selectionLast = std::max(first, last);
}

// Makes the edit one undo step; the current frame moves by `frameShift` and a selection by
// `selectionShift`.
bool MakeEdit(FrameEdit edit, int32_t frameShift, int32_t selectionShift) {
    int32_t frameBefore = editor.session.currentFrame;
    int32_t playbackEndBefore = editor.animation.playbackEnd;
    UndoBeginFrameEdit();
    if (!DoFrameEdit(editor.animation, &edit)) {
        return false;
    }
    if (HasSelection(editor.session)) {
        Select(editor.session.selectionFirst + selectionShift,
               editor.session.selectionLast + selectionShift);
    }
    GoToFrame(std::clamp(editor.session.currentFrame + frameShift, 0, editor.animation.maxFrame));
    UndoRecordFrameEdit(std::move(edit), frameBefore, playbackEndBefore);
    return true;
}

} // namespace

FrameRun CurrentRun() {
    if (HasSelection(editor.session)) {
        return FrameRun{editor.session.selectionFirst,
                        editor.session.selectionLast - editor.session.selectionFirst + 1};
    }
    return FrameRun{editor.session.currentFrame, 1};
}

void GoToFrame(int32_t frame) {
    if (!editor.animation.IsFrame(frame)) {
        return;
    }
    editor.animation.playbackEnd =
        ClampToInt32(int64_t{editor.animation.playbackEnd} + frame - editor.session.currentFrame);
    bool moved = frame != editor.session.currentFrame;
    if (moved) {
        editor.session.draggedJoint = -1;
        editor.session.boneStartJoint = -1;
    }
    editor.session.currentFrame = frame;
    if (moved) {
        PlayFrameSlice(editor.animation.sound.samples, frame, editor.animation.playbackRate);
    }
}

void SelectToFrame(int32_t frame) {
    if (!editor.animation.IsFrame(frame)) {
        return;
    }
    Select(editor.session.currentFrame, frame);
    GoToFrame(frame);
}

void ClearSelection() {
    editor.session.selectionFirst = -1;
    editor.session.selectionLast = -1;
}

bool InsertCopiesOfRun() {
    FrameRun run = CurrentRun();
    if (!RoomForCopies(editor.animation, run.first, run.count)) {
        ShowStatusMessage("Kein Platz f\xfcr weitere Bilder");
        return false;
    }
    FrameEdit edit;
    edit.kind = FrameEditKind::InsertCopies;
    edit.first = run.first;
    edit.count = run.count;
    // The current frame lands on the first copy, a selection on the copies.
    return MakeEdit(std::move(edit), run.first + run.count - editor.session.currentFrame,
                    run.count);
}

bool DeleteRun() {
    FrameRun run = CurrentRun();
    FrameEdit edit;
    edit.kind = FrameEditKind::Delete;
    edit.first = run.first;
    edit.count = run.count;
    ClearSelection();
    return MakeEdit(std::move(edit), run.first - editor.session.currentFrame, 0);
}

bool MoveRunTo(int32_t destination) {
    FrameRun run = CurrentRun();
    destination = std::clamp(destination, 0, editor.animation.maxFrame + 1 - run.count);
    if (destination == run.first) {
        return false;
    }
    FrameEdit edit;
    edit.kind = FrameEditKind::Move;
    edit.first = run.first;
    edit.count = run.count;
    edit.destination = destination;
    int32_t shift = destination - run.first;
    return MakeEdit(std::move(edit), shift, shift);
}

bool ReverseSelection() {
    if (!HasSelection(editor.session)) {
        return false;
    }
    FrameRun run = CurrentRun();
    FrameEdit edit;
    edit.kind = FrameEditKind::Reverse;
    edit.first = run.first;
    edit.count = run.count;
    return MakeEdit(std::move(edit), 0, 0);
}

void ClearSelectionAwayFromCurrentFrame() {
    if (HasSelection(editor.session) &&
        (editor.session.currentFrame < editor.session.selectionFirst ||
         editor.session.currentFrame > editor.session.selectionLast)) {
        ClearSelection();
    }
}
