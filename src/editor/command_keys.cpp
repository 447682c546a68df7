// The command keys, tested once per cycle in a fixed order against the cycle's keyboard snapshot,
// and the playback loop behind F12. A press key fires once when it goes down and is re-armed by
// its latch in the first cycle in which it is seen up; a held key acts in every cycle.
#include "editor/command_keys.h"

#include <algorithm>
#include <array>

#include "editor/editor_picture.h"
#include "editor/mouse_editing.h"
#include "editor/style_keys.h"
#include "editor/timeline.h"
#include "editor/undo_history.h"
#include "figure/inbetweens.h"
#include "model/editor_state.h"
#include "runtime/drawing.h"
#include "runtime/fonts.h"
#include "runtime/input.h"
#include "runtime/surface.h"
#include "runtime/window.h"
#include "storage/animation_file.h"
#include "storage/export_file.h"
#include "storage/periodic_backup.h"

namespace {

constexpr int64_t kMicrosecondsPerSecond = 1'000'000;
constexpr int32_t kStatusMessageMs = 500;

bool KeyDown(int32_t scanCode) {
    return IsKeyDown(scanCode) != 0;
}

// Fires `command` when the key is down and its latch is clear; the latch is cleared again once
// the key is up (in the latest snapshot, which playback may have renewed).
void PressKey(int32_t scanCode, int32_t latch, void (*command)()) {
    PressKeyOnce(scanCode, KeyLatch(latch), command);
}

void LeaveFrameGestures() {
    editor.draggedJoint = -1;
    editor.boneStartJoint = -1;
}

// The commands that are undo steps of their own: the current frame, or all of them.
void CurrentFrameStep(void (*command)()) {
    UndoBeginStep(editor.currentFrame, editor.currentFrame);
    command();
    UndoEndStep();
}
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

void HandleLeftShift() {
    if (!KeyDown(ScanLeftShift)) {
        editor.solverSuspended = 0;
        return;
    }
    editor.solverSuspended = 1;
    RemeasureBones();
}

void HandleLeftCtrl() {
    if (KeyDown(ScanLeftCtrl)) {
        MoveAllJoints();
    }
    editor.lastMouseX = WindowCursorX(0);
    editor.lastMouseY = WindowCursorY(0);
}

void HandleW() {
    if (KeyDown(ScanW)) {
        DefineBox();
        return;
    }
    if (editor.drawingBox == 1) {
        editor.collisionOn = 1;
    }
    editor.drawingBox = 0;
}

// After a save or a load the animation is what its file holds, which the periodic backup needs to
// know; either way the status line tells the user.
void ReportFileResult(int32_t done, const char* success, const char* failure) {
    if (done != 0) {
        NoteAnimationStored();
    }
    ShowStatusMessage(done != 0 ? success : failure);
}

// Held, without a latch: every cycle with F9 down saves again and shows the result again.
void HandleF9() {
    if (KeyDown(ScanF9)) {
        ReportFileResult(SaveAnimation(), "Gespeichert", "Speichern fehlgeschlagen");
    }
}

// A load replaces everything, and is taken back like any other edit.
void LoadWithMessage() {
    UndoBeginStep(0, editor.maxFrame);
    int32_t loaded = LoadAnimation();
    LeaveFrameGestures();
    UndoEndStep();
    ReportFileResult(loaded, "Geladen", "Laden fehlgeschlagen");
}

void DrawPlaybackMark() {
    int32_t grey = PackColour(155, 150, 150);
    DrawingBegin(SurfaceDrawTarget());
    DrawingSetMode(DrawingTransparentText);
    DrawingSetFont(FontHandle(editor.hudFont));
    // The outline of the triangle (10, 10), (35, 35), (10, 60).
    DrawLineRel(10, 10, 25, 25, grey);
    DrawLineRel(35, 35, -25, 25, grey);
    DrawLineRel(10, 60, 0, -50, grey);
    DrawFrameNumber(editor.currentFrame, 10, 65, grey);
    DrawingEnd();
}

// Frames 0 to playbackEnd - 1 in a circle. When playbackEnd lies outside 1 to maxFrame (0 on a
// fresh start, or beyond the last frame after stepping on from a played position) the counter
// would never meet it: it then wraps to frame 0 after maxFrame instead of leaving the grid. With a
// selection, its frames in a circle.
void AdvancePlaybackFrame() {
    editor.currentFrame += 1;
    if (HasSelection()) {
        if (editor.currentFrame > editor.selectionLast) {
            editor.currentFrame = editor.selectionFirst;
        }
        return;
    }
    if (editor.currentFrame == editor.playbackEnd || editor.currentFrame > editor.maxFrame) {
        editor.currentFrame = 0;
    }
}

// The pause after each frame: one frame's time at the strip's rate (25 ms at 40 frames a second).
int64_t PlaybackPauseMicroseconds() {
    return kMicrosecondsPerSecond / std::max(editor.playbackRate, 1);
}

// Runs until F12 is released and pressed again; holding the starting press does not stop it. It
// starts, and ends, on frame 0 or on the selection's first frame.
void PlayAnimation() {
    KeyLatch(LatchF12) = 1;
    editor.playing = 1;
    int32_t start = HasSelection() ? editor.selectionFirst : 0;
    editor.currentFrame = start;
    for (;;) {
        PollWindowEvent();
        DrawEditorScene();
        DrawPlaybackMark();
        DrawEditorStrip();
        PresentSurface();
        DelayMicroseconds(PlaybackPauseMicroseconds());
        SampleKeyboard();
        if (!KeyDown(ScanF12)) {
            KeyLatch(LatchF12) = 0;
        }
        if (KeyDown(ScanF12) && KeyLatch(LatchF12) == 0) {
            KeyLatch(LatchF12) = 1;
            break;
        }
        AdvancePlaybackFrame();
    }
    editor.playing = 0;
    editor.currentFrame = start;
    DrawEditorScene();
    DrawEditorStrip();
    PresentSurface();
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

// F11 copies into the current frame from the one before, so frame 0 has nothing to copy from:
// there the key neither fires nor arms its latch.
void HandleF11() {
    if (editor.currentFrame > 0 && KeyDown(ScanF11) && KeyLatch(LatchF11) == 0) {
        KeyLatch(LatchF11) = 1;
        CopyIntoCurrentFrame();
    }
    if (!KeyDown(ScanF11)) {
        KeyLatch(LatchF11) = 0;
    }
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

} // namespace

void PressKeyOnce(int32_t scanCode, int32_t& latch, void (*command)()) {
    if (KeyDown(scanCode) && latch == 0) {
        latch = 1;
        command();
    }
    if (!KeyDown(scanCode)) {
        latch = 0;
    }
}

void HandleCommandKeys() {
    PressKey(ScanX, LatchX, ResetAllStep);
    PressKey(ScanKey1, LatchKey1, AddJointStep);
    PressKey(ScanTab, LatchTab, ToggleStaticStep);
    HandleLeftShift();
    HandleLeftCtrl();
    HandleW();
    HandleF9();
    PressKey(ScanF8, LatchF8, LoadWithMessage);
    PressKey(ScanF1, LatchF1, ToggleHelp);
    PressKey(ScanF4, LatchF4, ToggleCollision);
    PressKey(ScanF5, LatchF5, ToggleHead);
    PressKey(ScanF6, LatchF6, StepFrameBack);
    PressKey(ScanF7, LatchF7, StepFrameForward);
    PressKey(ScanDelete, LatchDelete, DeleteJointStep);
    PressKey(ScanF3, LatchF3, ToggleShadow);
    PressKey(ScanF10, LatchF10, ExportAnimation);
    PressKey(ScanF12, LatchF12, PlayAnimation);
    HandleF11();
    PressKey(ScanF2, LatchF2, CycleBoneMode);
    PressKey(ScanI, LatchI, MakeInbetweens);
    HandleStyleKeys();
}

// The scene without the help overlay, the text in red in the drawing's default font, and a pause
// in which nothing else happens.
void ShowStatusMessage(const char* text) {
    DrawEditorScene();
    DrawEditorStrip();
    if (DrawingBegin(SurfaceDrawTarget()) != 0) {
        DrawingSetMode(DrawingTransparentText);
        DrawTextAt(1, 1, text, PackColour(255, 0, 0));
        DrawingEnd();
    }
    PresentSurface();
    DelayMs(kStatusMessageMs);
}
