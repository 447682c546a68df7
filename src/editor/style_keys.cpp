// The style keys, each a step of the pen or one undo step of the animation.
#include "editor/style_keys.h"

#include <algorithm>

#include "editor/mouse_editing.h"
#include "editor/undo_history.h"
#include "model/bone_style.h"
#include "model/easing.h"
#include "model/editor_state.h"

void NextPenColour() {
    editor.session.pen = StepPenColour(editor.session.pen, 1);
}
void PreviousPenColour() {
    editor.session.pen = StepPenColour(editor.session.pen, -1);
}
void ThickerPen() {
    editor.session.pen = StepThickness(editor.session.pen, 1);
}
void ThinnerPen() {
    editor.session.pen = StepThickness(editor.session.pen, -1);
}
void NextPenShape() {
    editor.session.pen = StepShape(editor.session.pen, 1);
}
void NextPenEasing() {
    editor.session.penEasing = StepEasing(editor.session.penEasing, 1);
}
void PreviousPenEasing() {
    editor.session.penEasing = StepEasing(editor.session.penEasing, -1);
}

void ApplyPenToBone() {
    int32_t slot = PickBone();
    if (slot < 0) {
        return;
    }
    Bone pattern = editor.animation.BoneAt(editor.session.currentFrame, slot);
    bool selected = editor.session.selectionFirst >= 0;
    int32_t first = selected ? std::min(editor.session.selectionFirst, editor.session.selectionLast)
                             : editor.session.currentFrame;
    int32_t last = selected ? std::max(editor.session.selectionFirst, editor.session.selectionLast)
                            : editor.animation.maxFrame;
    UndoBeginStep(first, last);
    StyleBoneInFrames(editor.animation, slot, pattern, CleanStyle(editor.session.pen), first, last);
    UndoEndStep();
}

void TakeStyleFromBone() {
    int32_t slot = PickBone();
    if (slot >= 0) {
        editor.session.pen =
            CleanStyle(editor.animation.BoneAt(editor.session.currentFrame, slot).style);
    }
}

void NextGroundColour() {
    UndoBeginStep(editor.session.currentFrame, editor.session.currentFrame);
    editor.animation.groundColour = StepGroundColour(editor.animation.groundColour, 1);
    UndoEndStep();
}
void PreviousGroundColour() {
    UndoBeginStep(editor.session.currentFrame, editor.session.currentFrame);
    editor.animation.groundColour = StepGroundColour(editor.animation.groundColour, -1);
    UndoEndStep();
}
