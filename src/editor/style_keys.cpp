// The style keys, each a step of the pen or one undo step of the animation.
#include "editor/style_keys.h"

#include <algorithm>

#include "editor/mouse_editing.h"
#include "editor/undo_history.h"
#include "model/bone_style.h"
#include "model/editor_state.h"

void NextPenColour() {
    editor.pen = StepPenColour(editor.pen, 1);
}
void PreviousPenColour() {
    editor.pen = StepPenColour(editor.pen, -1);
}
void ThickerPen() {
    editor.pen = StepThickness(editor.pen, 1);
}
void ThinnerPen() {
    editor.pen = StepThickness(editor.pen, -1);
}
void NextPenShape() {
    editor.pen = StepShape(editor.pen, 1);
}

void ApplyPenToBone() {
    int32_t slot = PickBone();
    if (slot < 0) {
        return;
    }
    Bone pattern = BoneAt(editor.currentFrame, slot);
    bool selected = editor.selectionFirst >= 0;
    int32_t first =
        selected ? std::min(editor.selectionFirst, editor.selectionLast) : editor.currentFrame;
    int32_t last =
        selected ? std::max(editor.selectionFirst, editor.selectionLast) : editor.maxFrame;
    UndoBeginStep(first, last);
    StyleBoneInFrames(slot, pattern, CleanStyle(editor.pen), first, last);
    UndoEndStep();
}

void TakeStyleFromBone() {
    int32_t slot = PickBone();
    if (slot >= 0) {
        editor.pen = CleanStyle(BoneAt(editor.currentFrame, slot).style);
    }
}

void NextGroundColour() {
    UndoBeginStep(editor.currentFrame, editor.currentFrame);
    editor.groundColour = StepGroundColour(editor.groundColour, 1);
    UndoEndStep();
}
void PreviousGroundColour() {
    UndoBeginStep(editor.currentFrame, editor.currentFrame);
    editor.groundColour = StepGroundColour(editor.groundColour, -1);
    UndoEndStep();
}
