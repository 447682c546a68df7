// The style keys, each a step of the pen or one undo step of the animation.
#include "editor/style_keys.h"

#include <algorithm>

#include "editor/command_keys.h"
#include "editor/mouse_editing.h"
#include "editor/undo_history.h"
#include "model/bone_style.h"
#include "model/editor_state.h"
#include "runtime/input.h"

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

int32_t PenSwatchColour() {
    return StyleColour(editor.pen, editor.boneMode);
}
int32_t PenThickness() {
    return ThicknessPixels(editor.pen);
}
const char* PenShapeName() {
    return ShapeName(editor.pen.shape);
}

namespace {

constexpr int32_t kNumberPadPlus = 0x4E;
constexpr int32_t kNumberPadMinus = 0x4A;
int32_t latches[8];

// A layout without the key gives no scan code, and -1 would ask for any key at all.
void PressOnce(int32_t scanCode, int32_t latch, void (*command)()) {
    if (scanCode >= 0) {
        PressKeyOnce(scanCode, latches[latch], command);
    }
}

bool ShiftDown() {
    return IsKeyDown(ScanLeftShift) != 0;
}
void PenColourKey() {
    ShiftDown() ? PreviousPenColour() : NextPenColour();
}
void ApplyOrTakeKey() {
    ShiftDown() ? TakeStyleFromBone() : ApplyPenToBone();
}
void GroundKey() {
    ShiftDown() ? PreviousGroundColour() : NextGroundColour();
}

} // namespace

void HandleStyleKeys() {
    PressOnce(ScanCodeOfLetter('F'), 0, PenColourKey);
    PressOnce(ScanCodeOfLetter('+'), 1, ThickerPen);
    PressOnce(kNumberPadPlus, 2, ThickerPen);
    PressOnce(ScanCodeOfLetter('-'), 3, ThinnerPen);
    PressOnce(kNumberPadMinus, 4, ThinnerPen);
    PressOnce(ScanCodeOfLetter('K'), 5, NextPenShape);
    PressOnce(ScanCodeOfLetter('A'), 6, ApplyOrTakeKey);
    PressOnce(ScanCodeOfLetter('B'), 7, GroundKey);
}
