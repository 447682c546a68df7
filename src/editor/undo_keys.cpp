// The undo chords and the gestures they may interrupt. Only the two letters follow the layout: the
// command keys stay on their scan codes, so the key labelled Z is asked for while a Ctrl is down.
#include "editor/undo_keys.h"

#include "editor/undo_history.h"
#include "model/editor_state.h"
#include "runtime/input.h"

namespace {

bool KeyDown(int32_t scanCode) {
    return IsKeyDown(scanCode) != 0;
}

bool ChordDown(bool ctrlDown, char letter) {
    if (!ctrlDown) {
        return false;
    }
    int32_t scanCode = ScanCodeOfLetter(letter);
    return scanCode >= 0 && KeyDown(scanCode);
}

void PressChord(bool down, int32_t latch, void (*command)()) {
    if (down && KeyLatch(latch) == 0) {
        KeyLatch(latch) = 1;
        command();
    }
    if (!down) {
        KeyLatch(latch) = 0;
    }
}

} // namespace

void HandleUndoKeys() {
    bool ctrlDown = KeyDown(ScanLeftCtrl) || KeyDown(ScanRightCtrl);
    PressChord(ChordDown(ctrlDown, 'Z'), LatchUndo, UndoTakeBack);
    PressChord(ChordDown(ctrlDown, 'Y'), LatchRedo, UndoDoAgain);
}

uint32_t GesturesInProgress() {
    uint32_t gestures = 0;
    if (editor.draggedJoint >= 0) {
        gestures |= UndoGestureDrag;
    }
    if (KeyDown(ScanLeftShift)) {
        gestures |= UndoGestureRemeasure;
    }
    if (KeyDown(ScanLeftCtrl)) {
        gestures |= UndoGestureMoveAll;
    }
    // Until the release has been handled: it switches collision on.
    if (KeyDown(ScanW) || editor.drawingBox == 1) {
        gestures |= UndoGestureBox;
    }
    return gestures;
}
