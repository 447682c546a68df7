// The scene picture, painted afresh from the grids and a SceneView: the ground, onion-skin shadow
// of the previous frame, head disc, bones in their styles and joints of the frame, the hover label,
// the rubber band of a bone being made, and the box with its size.
#include "figure/scene.h"

#include <algorithm>
#include <cstdint>

#include "figure/bone_drawing.h"
#include "model/animation.h"
#include "runtime/drawing.h"
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

// One picture's drawing: the view it shows and the scale it is drawn at.
class ScenePainter {
  public:
    ScenePainter(const SceneView& view, const Animation& animation)
        : view_(view), animation_(animation) {}

    void DrawFrame() const {
        if (!animation_.IsFrame(view_.frame)) {
            return;
        }
        DrawShadow();
        DrawHead();
        DrawBones();
        DrawJoints();
        DrawHoverLabel();
        DrawRubberBand();
    }

    void DrawBoxOutline() const {
        int32_t colour = ColourOf(kLimeRgb);
        int32_t left = Scaled(view_.box.left);
        int32_t top = Scaled(view_.box.top);
        int32_t right = Scaled(view_.box.right);
        int32_t bottom = Scaled(view_.box.bottom);
        DrawLineAbs(left, top, left, bottom, colour);
        DrawLineAbs(left, top, right, top, colour);
        DrawLineAbs(right, top, right, bottom, colour);
        DrawLineAbs(left, bottom, right, bottom, colour);
    }

    // The box's width and height, anchored at its centre (halves truncated towards zero).
    void DrawBoxSizeLabel() const {
        if (view_.drawingBox != 1) {
            return;
        }
        int64_t width = int64_t{view_.box.right} - view_.box.left;
        int64_t height = int64_t{view_.box.bottom} - view_.box.top;
        DrawNumberPairLabel(Scaled(view_.box.left + width / 2), Scaled(view_.box.top + height / 2),
                            width, height, PackColour(200, 200, 200));
    }

  private:
    // A scene coordinate at the picture's scale; at 1 / 1 the value itself.
    int32_t Scaled(int64_t value) const {
        if (view_.scaleNumerator == view_.scaleDenominator) {
            return ClampToInt32(value);
        }
        return ClampToInt32(value * view_.scaleNumerator / view_.scaleDenominator);
    }

    void DrawCircleAt(const Joint& centre, int32_t radius, int32_t colour) const {
        DrawCircle(Scaled(centre.x), Scaled(centre.y), std::max(1, Scaled(radius)), colour);
    }

    // Stabilising bones keep the plain look whatever their style.
    void DrawBone(int32_t frame, const Bone& bone, int32_t colour) const {
        const BoneStyle style = bone.kind == BoneStabilising ? BoneStyle{} : bone.style;
        DrawStyledBone(animation_.JointAt(frame, bone.jointA),
                       animation_.JointAt(frame, bone.jointB), style, colour,
                       PictureScale{view_.scaleNumerator, view_.scaleDenominator});
    }

    // The onion skin: the frames furthest away first, so that nearer ones lie on top. One frame
    // back is drawn in the shadow's own greys; further back fades towards the background, and
    // frames ahead are blue, fading the same way.
    void DrawShadow() const {
        if (view_.shadowOn != 1 || view_.playing != 0) {
            return;
        }
        int32_t furthest = std::max(view_.onionBack, view_.onionAhead);
        for (int32_t distance = furthest; distance >= 1; --distance) {
            if (distance <= view_.onionAhead) {
                DrawShadowFrame(view_.frame + distance, distance, true);
            }
            if (distance <= view_.onionBack) {
                DrawShadowFrame(view_.frame - distance, distance, false);
            }
        }
    }

    // The shadow's colour at a distance: the full tone at 1, then 1 / distance of the way from the
    // ground.
    int32_t ShadowTone(int32_t red, int32_t green, int32_t blue, int32_t distance) const {
        const auto groundRed = static_cast<int32_t>((view_.ground >> 16) & 0xFF);
        const auto groundGreen = static_cast<int32_t>((view_.ground >> 8) & 0xFF);
        const auto groundBlue = static_cast<int32_t>(view_.ground & 0xFF);
        return PackColour(groundRed + (red - groundRed) / distance,
                          groundGreen + (green - groundGreen) / distance,
                          groundBlue + (blue - groundBlue) / distance);
    }

    void DrawShadowFrame(int32_t frame, int32_t distance, bool ahead) const {
        if (!animation_.IsFrame(frame)) {
            return;
        }
        if (view_.headOn == 1) {
            int32_t head =
                ahead ? ShadowTone(30, 40, 70, distance) : ShadowTone(40, 40, 40, distance);
            DrawCircleAt(animation_.JointAt(frame, kHeadSlot), kSceneHeadRadius, head);
        }
        int32_t colour =
            ahead ? ShadowTone(60, 90, 170, distance) : ShadowTone(80, 80, 80, distance);
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            const Bone& bone = animation_.BoneAt(frame, slot);
            if (IsDrawable(bone) && bone.kind != BoneStabilising) {
                DrawBone(frame, bone, colour);
            }
        }
    }

    void DrawHead() const {
        if (view_.headOn == 1) {
            DrawCircleAt(animation_.JointAt(view_.frame, kHeadSlot), kSceneHeadRadius,
                         ColourOf(kScenePixelHead));
        }
    }

    // The colour of a bone, or false when its kind is not drawn in this mode: its own colour, or
    // the kind's (stabilising bones always have the kind's).
    bool BoneColour(const Bone& bone, int32_t* colour) const {
        if (!KindColour(bone.kind, colour)) {
            return false;
        }
        if (bone.style.ownColour != 0 && bone.kind != BoneStabilising) {
            *colour = PackColour(bone.style.red, bone.style.green, bone.style.blue);
        }
        return true;
    }

    bool KindColour(int8_t kind, int32_t* colour) const {
        if (view_.playing != 0) {
            *colour = ColourOf(kScenePixelBone);
            return kind == BoneStandard || kind == BoneFreeLength;
        }
        switch (kind) {
        case BoneStandard:
            *colour = ColourOf(kLimeRgb);
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

    void DrawBones() const {
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            const Bone& bone = animation_.BoneAt(view_.frame, slot);
            int32_t colour = 0;
            if (IsDrawable(bone) && BoneColour(bone, &colour)) {
                DrawBone(view_.frame, bone, colour);
            }
        }
    }

    void DrawJoints() const {
        if (view_.playing != 0) {
            return;
        }
        int32_t normal = PackColour(0, 255, 0);
        int32_t other = PackColour(255, 0, 0);
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            const Joint& joint = animation_.JointAt(view_.frame, slot);
            if (joint.state != JointEmpty) {
                DrawCircleAt(joint, kJointRadius, joint.state == JointNormal ? normal : other);
            }
        }
    }

    // The position of the hovered joint, relative to the box's top-left corner.
    void DrawHoverLabel() const {
        if (view_.playing != 0 || !IsJointSlot(view_.hoverJoint)) {
            return;
        }
        const Joint& joint = animation_.JointAt(view_.frame, view_.hoverJoint);
        DrawNumberPairLabel(Scaled(joint.x), Scaled(joint.y), int64_t{joint.x} - view_.box.left,
                            int64_t{joint.y} - view_.box.top, PackColour(100, 100, 100));
    }

    void DrawRubberBand() const {
        if (!IsJointSlot(view_.boneStartJoint)) {
            return;
        }
        const Joint& start = animation_.JointAt(view_.frame, view_.boneStartJoint);
        DrawLineAbs(Scaled(start.x), Scaled(start.y), Scaled(view_.cursorX), Scaled(view_.cursorY),
                    PackColour(255, 255, 255));
    }

    const SceneView& view_;
    const Animation& animation_;
};

} // namespace

bool PlaybackDrawsBone(const Bone& bone) {
    return IsDrawable(bone) && (bone.kind == BoneStandard || bone.kind == BoneFreeLength);
}

uint32_t PlaybackBonePixel(const Bone& bone) {
    if (bone.style.ownColour == 0) {
        return kScenePixelBone;
    }
    return (uint32_t{bone.style.red} << 16) | (uint32_t{bone.style.green} << 8) | bone.style.blue;
}

uint32_t GroundPixel(const Animation& animation) {
    return static_cast<uint32_t>(animation.groundColour) & 0xFFFFFF;
}

SceneView PlaybackView(const Animation& animation, int32_t frame) {
    SceneView view;
    view.animation = &animation;
    view.frame = frame;
    view.ground = GroundPixel(animation);
    view.playing = 1;
    view.shadowOn = animation.shadowOn;
    view.headOn = animation.headOn;
    view.box = animation.box;
    return view;
}

void DrawScene(const SceneView& view, const DrawingTarget* target) {
    if (DrawingBegin(target) == 0) {
        return;
    }
    DrawBox(0, 0, target->width, target->height, ColourOf(view.ground));
    DrawingSetMode(DrawingTransparentText);
    DrawingSetFont(view.font);
    if (view.animation != nullptr) {
        ScenePainter painter(view, *view.animation);
        painter.DrawFrame();
        painter.DrawBoxOutline();
        painter.DrawBoxSizeLabel();
    }
    DrawingEnd();
}
