// The gestures that an undo step follows: a drag, a Shift hold, a Ctrl move, the box being drawn
// and a figure moved, turned or scaled.
#include "editor/undo_keys.h"

#include "editor/command_table.h"
#include "editor/figure_keys.h"
#include "editor/undo_history.h"
#include "model/editor_state.h"

uint32_t GesturesInProgress() {
    uint32_t gestures = 0;
    if (editor.session.draggedJoint >= 0) {
        gestures |= UndoGestureDrag;
    }
    if (FigureGestureInProgress()) {
        gestures |= UndoGestureFigure;
    }
    // Until the release has been handled: it switches collision on.
    if (editor.session.drawingBox == 1) {
        gestures |= UndoGestureBox;
    }
    return gestures | HeldKeyGestures();
}
