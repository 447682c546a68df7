// Bone styles: palettes, steps, the blend of in-betweens and the bone nearest a point.
#include "model/bone_style.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

constexpr int32_t kKindColour = -1;
constexpr int32_t kPenColours[kPenColourCount] = {
    kKindColour, 0xFFFFFF, 0x000000, 0xFF0000, 0xFF8000, 0xFFFF00, 0x00C000,
    0x00FFFF,    0x0060FF, 0x8000FF, 0xFF60C0, 0x804000, 0x808080,
};
constexpr int32_t kThicknesses[kThicknessCount] = {1, 2, 3, 4, 5, 6, 8, 10, 12, 16, 20, 24, 32};
constexpr int32_t kGroundColours[kGroundColourCount] = {
    kDefaultGroundColour, 0xFFFFFF, 0x000000, 0xA0D8FF, 0x60A040, 0xF0E8D0,
};
constexpr const char* kShapeNames[kShapeCount] = {"Linie", "Kreis", "Scheibe"};

int32_t StyleRgb(const BoneStyle& style) {
    return style.red << 16 | style.green << 8 | style.blue;
}

BoneStyle WithColour(BoneStyle style, int32_t colour) {
    style.ownColour = colour == kKindColour ? 0 : 1;
    colour = std::max(colour, 0);
    style.red = static_cast<uint8_t>(colour >> 16 & 0xFF);
    style.green = static_cast<uint8_t>(colour >> 8 & 0xFF);
    style.blue = static_cast<uint8_t>(colour & 0xFF);
    return style;
}

int32_t Wrap(int32_t index, int32_t count) {
    return ((index % count) + count) % count;
}

uint8_t Mix(int32_t from, int32_t to, double t) {
    return static_cast<uint8_t>(std::lround(from + (to - from) * t));
}

double Distance(double x, double y, double toX, double toY) {
    return std::hypot(x - toX, y - toY);
}

double DistanceToSegment(double x, double y, const Joint& a, const Joint& b) {
    double dx = static_cast<double>(b.x) - a.x;
    double dy = static_cast<double>(b.y) - a.y;
    double lengthSquared = dx * dx + dy * dy;
    double along = lengthSquared > 0 ? ((x - a.x) * dx + (y - a.y) * dy) / lengthSquared : 0;
    along = std::clamp(along, 0.0, 1.0);
    return Distance(x, y, a.x + along * dx, a.y + along * dy);
}

bool JoinsUsedJoints(const Animation& animation, int32_t frame, const Bone& bone) {
    return IsJointSlot(bone.jointA) && IsJointSlot(bone.jointB) &&
           animation.JointAt(frame, bone.jointA).state != JointEmpty &&
           animation.JointAt(frame, bone.jointB).state != JointEmpty;
}

} // namespace

int32_t PenColour(int32_t index) {
    return kPenColours[Wrap(index, kPenColourCount)];
}

int32_t PenColourIndex(const BoneStyle& style) {
    if (style.ownColour == 0) {
        return 0;
    }
    const int32_t* found = std::find(kPenColours + 1, std::end(kPenColours), StyleRgb(style));
    return found == std::end(kPenColours) ? -1 : static_cast<int32_t>(found - kPenColours);
}

const char* ShapeName(int32_t shape) {
    return kShapeNames[shape >= 0 && shape < kShapeCount ? shape : int32_t{ShapeLine}];
}

int32_t KindColour(int32_t kind) {
    switch (kind) {
    case BoneStandard:
        return kLimeRgb;
    case BoneFreeLength:
        return 0x0000FF;
    default:
        return 0xFF00BB;
    }
}

int32_t StyleColour(const BoneStyle& style, int32_t kind) {
    return style.ownColour != 0 ? StyleRgb(style) : KindColour(kind);
}

bool SameStyle(const BoneStyle& a, const BoneStyle& b) {
    bool sameColour =
        a.ownColour == b.ownColour && (a.ownColour == 0 || StyleRgb(a) == StyleRgb(b));
    return sameColour && a.thickness == b.thickness && a.shape == b.shape;
}

bool IsDefaultStyle(const BoneStyle& style) {
    return SameStyle(style, BoneStyle{});
}

BoneStyle CleanStyle(BoneStyle style) {
    style.ownColour = style.ownColour != 0 ? 1 : 0;
    if (style.ownColour == 0) {
        style.red = style.green = style.blue = 0;
    }
    style.thickness = static_cast<uint8_t>(std::min(ThicknessPixels(style), kThickestBone) - 1);
    style.shape = style.shape < kShapeCount ? style.shape : static_cast<uint8_t>(ShapeLine);
    return style;
}

BoneStyle StepPenColour(BoneStyle pen, int32_t steps) {
    int32_t index = PenColourIndex(pen);
    // A colour from outside the palette (a blend) steps to the palette's first or last entry.
    index = index < 0 ? (steps > 0 ? steps - 1 : kPenColourCount + steps) : index + steps;
    return WithColour(pen, PenColour(index));
}

BoneStyle StepThickness(BoneStyle pen, int32_t steps) {
    int32_t pixels = ThicknessPixels(pen);
    const int32_t* next = steps > 0
                              ? std::upper_bound(kThicknesses, std::end(kThicknesses), pixels)
                              : std::lower_bound(kThicknesses, std::end(kThicknesses), pixels);
    auto index = static_cast<int32_t>(next - kThicknesses) + (steps > 0 ? steps - 1 : steps);
    pen.thickness =
        static_cast<uint8_t>(kThicknesses[std::clamp(index, 0, kThicknessCount - 1)] - 1);
    return pen;
}

BoneStyle StepShape(BoneStyle pen, int32_t steps) {
    int32_t shape = pen.shape < kShapeCount ? pen.shape : int32_t{ShapeLine};
    pen.shape = static_cast<uint8_t>(Wrap(shape + steps, kShapeCount));
    return pen;
}

int32_t StepGroundColour(int32_t ground, int32_t steps) {
    const int32_t* found = std::find(kGroundColours, std::end(kGroundColours), ground);
    int32_t index = found == std::end(kGroundColours)
                        ? (steps > 0 ? -1 : 0)
                        : static_cast<int32_t>(found - kGroundColours);
    return kGroundColours[Wrap(index + steps, kGroundColourCount)];
}

BoneStyle BlendStyles(const BoneStyle& from, const BoneStyle& to, int32_t kind, double t) {
    if (t <= 0 || SameStyle(from, to)) {
        return from;
    }
    if (t >= 1) {
        return to;
    }
    BoneStyle blend = t < 0.5 ? from : to;
    blend.thickness = Mix(from.thickness, to.thickness, t);
    if (from.ownColour != 0 || to.ownColour != 0) {
        int32_t start = StyleColour(from, kind);
        int32_t end = StyleColour(to, kind);
        blend.ownColour = 1;
        blend.red = Mix(start >> 16 & 0xFF, end >> 16 & 0xFF, t);
        blend.green = Mix(start >> 8 & 0xFF, end >> 8 & 0xFF, t);
        blend.blue = Mix(start & 0xFF, end & 0xFF, t);
    }
    return blend;
}

double DistanceToDrawnBone(const Animation& animation, int32_t frame, const Bone& bone, double x,
                           double y) {
    const Joint& a = animation.JointAt(frame, bone.jointA);
    const Joint& b = animation.JointAt(frame, bone.jointB);
    bool plain = bone.kind == BoneStabilising;
    double halfWidth = plain ? 0.5 : ThicknessPixels(bone.style) / 2.0;
    int32_t shape = plain ? int32_t{ShapeLine} : bone.style.shape;
    if (shape != ShapeCircle && shape != ShapeDisc) {
        return std::max(0.0, DistanceToSegment(x, y, a, b) - halfWidth);
    }
    double fromCentre =
        Distance(x, y, (a.x + static_cast<double>(b.x)) / 2, (a.y + static_cast<double>(b.y)) / 2);
    double radius = JointDistance(a, b) / 2;
    double edge = shape == ShapeDisc ? fromCentre - radius : std::abs(fromCentre - radius);
    return std::max(0.0, edge - halfWidth);
}

int32_t NearestDrawnBone(const Animation& animation, int32_t frame, double x, double y,
                         double reach) {
    if (!animation.IsFrame(frame)) {
        return -1;
    }
    int32_t nearest = -1;
    double nearestDistance = reach;
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Bone& bone = animation.BoneAt(frame, slot);
        if (!BoneInUse(bone) || !JoinsUsedJoints(animation, frame, bone)) {
            continue;
        }
        double distance = DistanceToDrawnBone(animation, frame, bone, x, y);
        if (distance < nearestDistance || (nearest < 0 && distance <= reach)) {
            nearest = slot;
            nearestDistance = distance;
        }
    }
    return nearest;
}

int32_t StyleBoneInFrames(Animation& animation, int32_t slot, const Bone& pattern,
                          const BoneStyle& style, int32_t firstFrame, int32_t lastFrame) {
    if (slot < 0 || slot >= kSlotCount || !BoneInUse(pattern)) {
        return 0;
    }
    int32_t styled = 0;
    for (int32_t frame = std::max(firstFrame, 0); frame <= std::min(lastFrame, animation.maxFrame);
         ++frame) {
        Bone& bone = animation.BoneAt(frame, slot);
        bool same = (bone.jointA == pattern.jointA && bone.jointB == pattern.jointB) ||
                    (bone.jointA == pattern.jointB && bone.jointB == pattern.jointA);
        if (BoneInUse(bone) && same) {
            bone.style = style;
            ++styled;
        }
    }
    return styled;
}
