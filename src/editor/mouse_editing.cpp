// Mouse editing on the current frame: the joint under the cursor, the left-button drag and the
// right-button bone gesture, and the cursor-driven work of the keys 1, Tab, Delete, left Shift,
// left Ctrl and W; the middle button and left Alt with the left button start a figure's move. The
// cursor is read from window 0 each time a position is used; a press picks where its button went
// down.
#include "editor/mouse_editing.h"

#include "editor/figure_keys.h"
#include "editor/undo_history.h"
#include "model/bone_style.h"
#include "model/editor_state.h"
#include "runtime/input.h"

namespace {

constexpr int32_t kCursorWindow = 0;

// A point of the window in the scene: over the strip below it, the point is outside the scene, as
// it is outside the window.
ClientPoint InScene(ClientPoint point) {
    return point.y >= editor.session.windowHeight ? ClientPoint{-1, -1} : point;
}
int32_t CursorX() {
    return InScene(ClientPoint{WindowCursorX(kCursorWindow), WindowCursorY(kCursorWindow)}).x;
}
int32_t CursorY() {
    return InScene(ClientPoint{WindowCursorX(kCursorWindow), WindowCursorY(kCursorWindow)}).y;
}

} // namespace

// With left Alt down, a press moves the joint's whole figure instead of dragging the joint, for a
// mouse without a middle button.
void HandleLeftButton(bool altDown) {
    if (MouseButtonPressed(MouseLeft) != 0 && editor.session.mouseLatch == 0) {
        editor.session.mouseLatch = 1;
        int32_t picked = PickJointAt(MousePressPosition(kCursorWindow, MouseLeft), kDragPickRadius);
        bool figureMoved = altDown && BeginFigureMoveByLeftButton();
        if (picked >= 0 && !figureMoved) {
            editor.session.draggedJoint = picked;
        }
    }
    if (MouseButtonPressed(MouseLeft) == 0) {
        editor.session.mouseLatch = 0;
        editor.session.draggedJoint = -1;
        EndFigureMoveByLeftButton();
    }
}

void HandleRightButton() {
    // Arming is retried in every cycle while the button is held, so a press in empty space
    // followed by a sweep over a joint starts the bone there; a joint where the button went down
    // comes first.
    if (MouseButtonPressed(MouseRight) != 0 && editor.session.boneStartJoint == -1) {
        int32_t pressed =
            PickJointAt(MousePressPosition(kCursorWindow, MouseRight), kBonePickRadius);
        editor.session.boneStartJoint = pressed >= 0 ? pressed : PickJoint(kBonePickRadius);
    }
    if (MouseButtonPressed(MouseRight) == 0 && editor.session.boneStartJoint >= 0) {
        // The start joint may have gone while the button was down (all joints reset, the frame
        // replaced by a copy): a bone is made only between two joints in use.
        int32_t end = PickJoint(kBonePickRadius);
        bool startInUse =
            editor.animation.JointAt(editor.session.currentFrame, editor.session.boneStartJoint)
                .state != JointEmpty;
        if (end >= 0 && end != editor.session.boneStartJoint && startInUse) {
            UndoBeginStep(editor.session.currentFrame, editor.session.currentFrame);
            AddBone(editor.animation, editor.session.currentFrame, editor.session.boneStartJoint,
                    end, editor.session.boneMode, editor.session.pen);
            UndoEndStep();
        }
        editor.session.boneStartJoint = -1;
    }
}

int32_t PickJoint(int32_t radius) {
    return NearestJoint(editor.animation, editor.session.currentFrame, CursorX(), CursorY(),
                        radius);
}

int32_t PickJointAt(ClientPoint point, int32_t radius) {
    ClientPoint inScene = InScene(point);
    return NearestJoint(editor.animation, editor.session.currentFrame, inScene.x, inScene.y,
                        radius);
}

int32_t PickBone() {
    return NearestDrawnBone(editor.animation, editor.session.currentFrame, CursorX(), CursorY(),
                            kStyleReach);
}

void MoveDraggedJointToCursor() {
    if (editor.session.draggedJoint < 0) {
        return;
    }
    // A drag goes on following the pointer over the strip.
    Joint& joint =
        editor.animation.JointAt(editor.session.currentFrame, editor.session.draggedJoint);
    joint.x = WindowCursorX(kCursorWindow);
    joint.y = WindowCursorY(kCursorWindow);
}

void RemeasureBones() {
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        Bone& bone = editor.animation.BoneAt(editor.session.currentFrame, slot);
        if (BoneInUse(bone)) {
            bone.restLength =
                JointDistance(editor.animation.JointAt(editor.session.currentFrame, bone.jointA),
                              editor.animation.JointAt(editor.session.currentFrame, bone.jointB));
        }
    }
}

void MoveAllJoints() {
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        Joint& joint = editor.animation.JointAt(editor.session.currentFrame, slot);
        if (joint.state == JointEmpty) {
            continue;
        }
        joint.x = ClampToInt32(int64_t{joint.x} - editor.session.lastMouseX +
                               WindowCursorX(kCursorWindow));
        joint.y = ClampToInt32(int64_t{joint.y} - editor.session.lastMouseY +
                               WindowCursorY(kCursorWindow));
    }
}

void DefineBox() {
    if (editor.session.drawingBox == 0) {
        editor.animation.collisionOn = 0;
        editor.animation.box.left = editor.animation.box.right = CursorX();
        editor.animation.box.top = editor.animation.box.bottom = CursorY();
    } else {
        editor.animation.box.right = CursorX();
        editor.animation.box.bottom = CursorY();
        // The box only grows towards the bottom right of its first corner.
        if (int64_t{editor.animation.box.right} - editor.animation.box.left < 0 ||
            int64_t{editor.animation.box.bottom} - editor.animation.box.top < 0) {
            editor.animation.box.right = editor.animation.box.left;
            editor.animation.box.bottom = editor.animation.box.top;
        }
    }
    editor.session.drawingBox = 1;
}

void AddJointAtCursor() {
    AddJoint(editor.animation, editor.session.currentFrame, CursorX(), CursorY(), JointNormal);
}

void ToggleStaticJointAtCursor() {
    int32_t picked = PickJoint(kDragPickRadius);
    if (picked < 0) {
        return;
    }
    Joint& joint = editor.animation.JointAt(editor.session.currentFrame, picked);
    joint.state = joint.state == JointNormal ? JointStatic : JointNormal;
}

void DeleteJointAtCursor() {
    int32_t picked = PickJoint(kDragPickRadius);
    if (picked < 0) {
        return;
    }
    DeleteJoint(editor.animation, editor.session.currentFrame, picked);
    // A gesture that started on the joint ends with it.
    if (editor.session.boneStartJoint == picked) {
        editor.session.boneStartJoint = -1;
    }
    if (editor.session.draggedJoint == picked) {
        editor.session.draggedJoint = -1;
    }
}
