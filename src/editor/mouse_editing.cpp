// Mouse editing on the current frame: the joint under the cursor, the left-button drag and the
// right-button bone gesture, and the cursor-driven work of the keys 1, Tab, Delete, left Shift,
// left Ctrl and W; the middle button and left Alt with the left button start a figure's move. The
// cursor is read from window 0 each time a position is used.
#include "editor/mouse_editing.h"

#include "editor/figure_keys.h"
#include "editor/undo_history.h"
#include "model/bone_style.h"
#include "model/editor_state.h"
#include "runtime/input.h"

namespace {

constexpr int32_t kCursorWindow = 0;

// The cursor in the scene: over the strip below it, the cursor is outside the scene, as it is
// outside the window.
bool OverStrip() {
    return WindowCursorY(kCursorWindow) >= editor.windowHeight;
}
int32_t CursorX() {
    return OverStrip() ? -1 : WindowCursorX(kCursorWindow);
}
int32_t CursorY() {
    return OverStrip() ? -1 : WindowCursorY(kCursorWindow);
}

// With left Alt down, a press moves the joint's whole figure instead of dragging the joint, for a
// mouse without a middle button.
void HandleLeftButton() {
    if (MouseButtonPressed(MouseLeft) != 0 && MouseLatch(0) == 0) {
        MouseLatch(0) = 1;
        int32_t picked = PickJoint(kDragPickRadius);
        bool figureMoved = IsKeyDown(ScanLeftAlt) != 0 && BeginFigureMoveByLeftButton();
        if (picked >= 0 && !figureMoved) {
            editor.draggedJoint = picked;
        }
    }
    if (MouseButtonPressed(MouseLeft) == 0) {
        MouseLatch(0) = 0;
        editor.draggedJoint = -1;
        EndFigureMoveByLeftButton();
    }
}

void HandleRightButton() {
    // Arming is retried in every cycle while the button is held, so a press in empty space
    // followed by a sweep over a joint starts the bone there.
    if (MouseButtonPressed(MouseRight) != 0 && editor.boneStartJoint == -1) {
        editor.boneStartJoint = PickJoint(kBonePickRadius);
    }
    if (MouseButtonPressed(MouseRight) == 0 && editor.boneStartJoint >= 0) {
        // The start joint may have gone while the button was down (all joints reset, the frame
        // replaced by a copy): a bone is made only between two joints in use.
        int32_t end = PickJoint(kBonePickRadius);
        bool startInUse = JointAt(editor.currentFrame, editor.boneStartJoint).state != JointEmpty;
        if (end >= 0 && end != editor.boneStartJoint && startInUse) {
            UndoBeginStep(editor.currentFrame, editor.currentFrame);
            AddBone(editor.boneStartJoint, end, editor.boneMode);
            UndoEndStep();
        }
        editor.boneStartJoint = -1;
    }
}

} // namespace

int32_t PickJoint(int32_t radius) {
    return NearestJoint(editor.currentFrame, CursorX(), CursorY(), radius);
}

int32_t PickBone() {
    return NearestDrawnBone(editor.currentFrame, CursorX(), CursorY(), kStyleReach);
}

void HandleMouseButtons() {
    HandleLeftButton();
    HandleRightButton();
    HandleFigureButton();
}

void MoveDraggedJointToCursor() {
    if (editor.draggedJoint < 0) {
        return;
    }
    // A drag goes on following the pointer over the strip.
    Joint& joint = JointAt(editor.currentFrame, editor.draggedJoint);
    joint.x = WindowCursorX(kCursorWindow);
    joint.y = WindowCursorY(kCursorWindow);
}

void RemeasureBones() {
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        Bone& bone = BoneAt(editor.currentFrame, slot);
        if (BoneInUse(bone)) {
            bone.restLength = JointDistance(JointAt(editor.currentFrame, bone.jointA),
                                            JointAt(editor.currentFrame, bone.jointB));
        }
    }
}

void MoveAllJoints() {
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        Joint& joint = JointAt(editor.currentFrame, slot);
        if (joint.state == JointEmpty) {
            continue;
        }
        joint.x = ClampToInt32(int64_t{joint.x} - editor.lastMouseX + WindowCursorX(kCursorWindow));
        joint.y = ClampToInt32(int64_t{joint.y} - editor.lastMouseY + WindowCursorY(kCursorWindow));
    }
}

void DefineBox() {
    if (editor.drawingBox == 0) {
        editor.collisionOn = 0;
        editor.boxLeft = editor.boxRight = CursorX();
        editor.boxTop = editor.boxBottom = CursorY();
    } else {
        editor.boxRight = CursorX();
        editor.boxBottom = CursorY();
        // The box only grows towards the bottom right of its first corner.
        if (int64_t{editor.boxRight} - editor.boxLeft < 0 ||
            int64_t{editor.boxBottom} - editor.boxTop < 0) {
            editor.boxRight = editor.boxLeft;
            editor.boxBottom = editor.boxTop;
        }
    }
    editor.drawingBox = 1;
}

void AddJointAtCursor() {
    AddJoint(CursorX(), CursorY(), JointNormal);
}

void ToggleStaticJointAtCursor() {
    int32_t picked = PickJoint(kDragPickRadius);
    if (picked < 0) {
        return;
    }
    Joint& joint = JointAt(editor.currentFrame, picked);
    joint.state = joint.state == JointNormal ? JointStatic : JointNormal;
}

void DeleteJointAtCursor() {
    int32_t picked = PickJoint(kDragPickRadius);
    if (picked >= 0) {
        DeleteJoint(picked);
    }
}
