// The editor picture, painted afresh each cycle from the grids and the editor state: background,
// onion-skin shadow of the previous frame, head disc, bones and joints of the current frame, the
// hover label, the rubber band of a bone being made, and the box with its size.
#include "figure/scene.h"

#include <cstdint>

#include "editor/editor_state.h"
#include "editor/mouse_editing.h"
#include "runtime/drawing.h"
#include "runtime/fonts.h"
#include "runtime/input.h"
#include "runtime/surface.h"
#include "storage/text.h"

namespace {

constexpr int32_t kJointRadius = 4;
constexpr int32_t kLabelOffset = 20; // labels stand this far left of and above their anchor
constexpr int32_t kHeadSlot = 0;

int32_t ColourOf(uint32_t pixel) {
    return PackColour((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

// A bone is drawn only when both ends name slots of the grid; a damaged file can name others.
bool IsDrawable(const Bone& bone) {
    return IsJointSlot(bone.jointA) && IsJointSlot(bone.jointB);
}

// "first, second" built in the text work buffer, drawn 20 pixels left of and above the anchor.
void DrawNumberPairLabel(int64_t anchorX, int64_t anchorY, int64_t first, int64_t second,
                         int32_t colour) {
    int32_t start = WorkBufferLength();
    Int64ToText(first, start);
    AppendText(", ");
    Int64ToText(second, WorkBufferLength());
    // Anchors far outside the surface must not wrap around into it when the offset is applied.
    DrawTextAt(ClampToInt32(anchorX - kLabelOffset), ClampToInt32(anchorY - kLabelOffset),
               WorkBufferText(start), colour);
    WorkBufferSetLength(start);
}

void DrawBoneLine(int32_t frame, const Bone& bone, int32_t colour) {
    const Joint& a = JointAt(frame, bone.jointA);
    const Joint& b = JointAt(frame, bone.jointB);
    DrawLineAbs(a.x, a.y, b.x, b.y, colour);
}

void DrawShadow() {
    int32_t previous = editor.currentFrame - 1;
    if (editor.shadowOn != 1 || editor.playing != 0 || !IsFrame(previous)) {
        return;
    }
    if (editor.headOn == 1) {
        const Joint& head = JointAt(previous, kHeadSlot);
        DrawCircle(head.x, head.y, kSceneHeadRadius, PackColour(40, 40, 40));
    }
    int32_t colour = PackColour(80, 80, 80);
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Bone& bone = BoneAt(previous, slot);
        if (IsDrawable(bone) && bone.kind != BoneStabilising) {
            DrawBoneLine(previous, bone, colour);
        }
    }
}

void DrawHead() {
    if (editor.headOn != 1) {
        return;
    }
    const Joint& head = JointAt(editor.currentFrame, kHeadSlot);
    DrawCircle(head.x, head.y, kSceneHeadRadius, ColourOf(kScenePixelHead));
}

// The colour of a bone of the given kind, or false when that kind is not drawn in this mode.
bool BoneColour(int8_t kind, int32_t* colour) {
    if (editor.playing != 0) {
        *colour = ColourOf(kScenePixelBone);
        return kind == BoneStandard || kind == BoneFreeLength;
    }
    switch (kind) {
    case BoneStandard:
        *colour = PackColour(187, 255, 0);
        return true;
    case BoneFreeLength:
        *colour = PackColour(0, 0, 255);
        return true;
    case BoneStabilising:
        *colour = PackColour(255, 0, 187);
        return true;
    default:
        return false;
    }
}

void DrawBones() {
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Bone& bone = BoneAt(editor.currentFrame, slot);
        int32_t colour = 0;
        if (IsDrawable(bone) && BoneColour(bone.kind, &colour)) {
            DrawBoneLine(editor.currentFrame, bone, colour);
        }
    }
}

void DrawJoints() {
    if (editor.playing != 0) {
        return;
    }
    int32_t normal = PackColour(0, 255, 0);
    int32_t other = PackColour(255, 0, 0);
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Joint& joint = JointAt(editor.currentFrame, slot);
        if (joint.state != JointEmpty) {
            DrawCircle(joint.x, joint.y, kJointRadius, joint.state == JointNormal ? normal : other);
        }
    }
}

// The position of the joint nearest the mouse, relative to the box's top-left corner.
void DrawHoverLabel() {
    if (editor.playing != 0) {
        return;
    }
    int32_t slot = PickJoint(kHoverPickRadius);
    if (!IsJointSlot(slot)) {
        return;
    }
    const Joint& joint = JointAt(editor.currentFrame, slot);
    DrawNumberPairLabel(joint.x, joint.y, int64_t{joint.x} - editor.boxLeft,
                        int64_t{joint.y} - editor.boxTop, PackColour(100, 100, 100));
}

void DrawRubberBand() {
    if (!IsJointSlot(editor.boneStartJoint)) {
        return;
    }
    const Joint& start = JointAt(editor.currentFrame, editor.boneStartJoint);
    DrawLineAbs(start.x, start.y, WindowCursorX(0), WindowCursorY(0), PackColour(255, 255, 255));
}

void DrawBoxOutline() {
    int32_t colour = PackColour(187, 255, 0);
    DrawLineAbs(editor.boxLeft, editor.boxTop, editor.boxLeft, editor.boxBottom, colour);
    DrawLineAbs(editor.boxLeft, editor.boxTop, editor.boxRight, editor.boxTop, colour);
    DrawLineAbs(editor.boxRight, editor.boxTop, editor.boxRight, editor.boxBottom, colour);
    DrawLineAbs(editor.boxLeft, editor.boxBottom, editor.boxRight, editor.boxBottom, colour);
}

// The box's width and height, anchored at its centre (halves truncated towards zero).
void DrawBoxSizeLabel() {
    if (editor.drawingBox != 1) {
        return;
    }
    int64_t width = int64_t{editor.boxRight} - editor.boxLeft;
    int64_t height = int64_t{editor.boxBottom} - editor.boxTop;
    DrawNumberPairLabel(editor.boxLeft + width / 2, editor.boxTop + height / 2, width, height,
                        PackColour(200, 200, 200));
}

// Everything that belongs to the current frame's row of the grids.
void DrawCurrentFrame() {
    if (!IsFrame(editor.currentFrame)) {
        return;
    }
    DrawShadow();
    DrawHead();
    DrawBones();
    DrawJoints();
    DrawHoverLabel();
    DrawRubberBand();
}

} // namespace

void DrawScene() {
    SurfaceClear(ColourOf(kScenePixelGround));
    if (DrawingBegin(SurfaceDrawTarget()) == 0) {
        return;
    }
    DrawingSetMode(DrawingTransparentText);
    DrawingSetFont(FontHandle(editor.hudFont));
    DrawCurrentFrame();
    DrawBoxOutline();
    DrawBoxSizeLabel();
    DrawingEnd();
}
