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
    editor.selectionFirst = std::min(first, last);
    editor.selectionLast = std::max(first, last);
}

// Makes the edit one undo step; the current frame moves by `frameShift` and a selection by
// `selectionShift`.
bool MakeEdit(FrameEdit edit, int32_t frameShift, int32_t selectionShift) {
    int32_t frameBefore = editor.currentFrame;
    int32_t playbackEndBefore = editor.playbackEnd;
    UndoBeginFrameEdit();
    if (!DoFrameEdit(&edit)) {
        return false;
    }
    if (HasSelection()) {
        Select(editor.selectionFirst + selectionShift, editor.selectionLast + selectionShift);
    }
    GoToFrame(std::clamp(editor.currentFrame + frameShift, 0, editor.maxFrame));
    UndoRecordFrameEdit(std::move(edit), frameBefore, playbackEndBefore);
    return true;
}

} // namespace

FrameRun CurrentRun() {
    if (HasSelection()) {
        return FrameRun{editor.selectionFirst, editor.selectionLast - editor.selectionFirst + 1};
    }
    return FrameRun{editor.currentFrame, 1};
}

void GoToFrame(int32_t frame) {
    if (!IsFrame(frame)) {
        return;
    }
    editor.playbackEnd = ClampToInt32(int64_t{editor.playbackEnd} + frame - editor.currentFrame);
    bool moved = frame != editor.currentFrame;
    if (moved) {
        editor.draggedJoint = -1;
        editor.boneStartJoint = -1;
    }
    editor.currentFrame = frame;
    if (moved) {
        PlayFrameSlice(soundTrack.samples, frame, editor.playbackRate);
    }
}

void SelectToFrame(int32_t frame) {
    if (!IsFrame(frame)) {
        return;
    }
    Select(editor.currentFrame, frame);
    GoToFrame(frame);
}

void ClearSelection() {
    editor.selectionFirst = -1;
    editor.selectionLast = -1;
}

bool InsertCopiesOfRun() {
    FrameRun run = CurrentRun();
    if (!RoomForCopies(run.first, run.count)) {
        ShowStatusMessage("Kein Platz f\xfcr weitere Bilder");
        return false;
    }
    FrameEdit edit;
    edit.kind = FrameEditKind::InsertCopies;
    edit.first = run.first;
    edit.count = run.count;
    // The current frame lands on the first copy, a selection on the copies.
    return MakeEdit(std::move(edit), run.first + run.count - editor.currentFrame, run.count);
}

bool DeleteRun() {
    FrameRun run = CurrentRun();
    FrameEdit edit;
    edit.kind = FrameEditKind::Delete;
    edit.first = run.first;
    edit.count = run.count;
    ClearSelection();
    return MakeEdit(std::move(edit), run.first - editor.currentFrame, 0);
}

bool MoveRunTo(int32_t destination) {
    FrameRun run = CurrentRun();
    destination = std::clamp(destination, 0, editor.maxFrame + 1 - run.count);
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
    if (!HasSelection()) {
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
    if (HasSelection() && (editor.currentFrame < editor.selectionFirst ||
                           editor.currentFrame > editor.selectionLast)) {
        ClearSelection();
    }
}
