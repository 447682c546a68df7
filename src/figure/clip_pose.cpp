// The clip's forward kinematics with unit quaternions: a joint's local rotation is the product of
// its rotation channels in the order the file lists them (each about its own axis, in degrees),
// its local translation the offset plus its position channels; a joint stands at its parent's
// position plus the parent's rotation applied to that translation. Between two clip frames the
// translations are blended linearly and the rotations along the shorter arc (slerp).
#include "figure/clip_pose.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <numbers>

#include "model/animation.h"

namespace {

struct Quaternion {
    double w = 1;
    double x = 0;
    double y = 0;
    double z = 0;
};

Quaternion Multiply(const Quaternion& a, const Quaternion& b) {
    return {a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z,
            a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
}

// q v q*, for a unit q.
ClipPoint Rotate(const Quaternion& q, const ClipPoint& v) {
    // t = 2 (q.xyz x v); v' = v + w t + q.xyz x t
    double tx = 2 * (q.y * v.z - q.z * v.y);
    double ty = 2 * (q.z * v.x - q.x * v.z);
    double tz = 2 * (q.x * v.y - q.y * v.x);
    return {v.x + q.w * tx + (q.y * tz - q.z * ty), v.y + q.w * ty + (q.z * tx - q.x * tz),
            v.z + q.w * tz + (q.x * ty - q.y * tx)};
}

Quaternion Slerp(const Quaternion& a, Quaternion b, double t) {
    double dot = a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z;
    if (dot < 0) { // q and -q are one rotation: take the shorter way
        b = {-b.w, -b.x, -b.y, -b.z};
        dot = -dot;
    }
    double wa = 1 - t;
    double wb = t;
    if (dot < 0.9999995) { // otherwise the two are so near that a straight blend is exact enough
        double angle = std::acos(std::min(dot, 1.0));
        double sine = std::sin(angle);
        wa = std::sin((1 - t) * angle) / sine;
        wb = std::sin(t * angle) / sine;
    }
    Quaternion q{wa * a.w + wb * b.w, wa * a.x + wb * b.x, wa * a.y + wb * b.y,
                 wa * a.z + wb * b.z};
    double length = std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
    return {q.w / length, q.x / length, q.y / length, q.z / length};
}

struct LocalMotion {
    ClipPoint translation;
    Quaternion rotation;
};

LocalMotion LocalMotionAt(const MotionClip& clip, const ClipJoint& joint, int32_t frame) {
    LocalMotion motion{{joint.offset[0], joint.offset[1], joint.offset[2]}, {}};
    const double* values = clip.values.data() + static_cast<std::size_t>(frame) * clip.channelCount;
    for (std::size_t index = 0; index < joint.channels.size(); ++index) {
        double value = values[joint.firstChannel + static_cast<int32_t>(index)];
        double half = value * std::numbers::pi / 360;
        switch (joint.channels[index]) {
        case ClipChannel::XPosition:
            motion.translation.x += value;
            break;
        case ClipChannel::YPosition:
            motion.translation.y += value;
            break;
        case ClipChannel::ZPosition:
            motion.translation.z += value;
            break;
        case ClipChannel::XRotation:
            motion.rotation = Multiply(motion.rotation, {std::cos(half), std::sin(half), 0, 0});
            break;
        case ClipChannel::YRotation:
            motion.rotation = Multiply(motion.rotation, {std::cos(half), 0, std::sin(half), 0});
            break;
        case ClipChannel::ZRotation:
            motion.rotation = Multiply(motion.rotation, {std::cos(half), 0, 0, std::sin(half)});
            break;
        }
    }
    return motion;
}

bool IsHeadName(const std::string& name) {
    static constexpr char kHead[] = "head";
    if (name.size() != 4) {
        return false;
    }
    for (std::size_t index = 0; index < 4; ++index) {
        if (std::tolower(static_cast<unsigned char>(name[index])) != kHead[index]) {
            return false;
        }
    }
    return true;
}

ClipPoint Seen(const ClipPoint& point, ClipView view) {
    return view == ClipView::Front ? ClipPoint{point.x, point.y, 0}
                                   : ClipPoint{point.z, point.y, 0};
}

// The slots free in every frame from first to last, the lowest `count` of them.
template <typename IsFree>
bool FreeSlots(int32_t first, int32_t last, std::size_t count, IsFree isFree,
               std::vector<int32_t>* slots) {
    slots->clear();
    for (int32_t slot = 0; slot < kSlotCount && slots->size() < count; ++slot) {
        bool free = true;
        for (int32_t frame = first; frame <= last && free; ++frame) {
            free = isFree(frame, slot);
        }
        if (free) {
            slots->push_back(slot);
        }
    }
    return slots->size() == count;
}

// Whether the point, rounded to the grid, is one a file's 16-bit coordinates relative to the box
// hold; false for a point at no finite place too.
bool FitsTheFile(const ClipPoint& point, const Box& box) {
    double x = std::round(point.x) - box.left;
    double y = std::round(point.y) - box.top;
    return x >= -32768 && x <= 32767 && y >= -32768 && y <= 32767;
}

bool TurnsOnly(const ClipJoint& joint) {
    return std::all_of(joint.channels.begin(), joint.channels.end(),
                       [](ClipChannel channel) { return channel >= ClipChannel::XRotation; });
}

// The clip joint whose place this one takes in every frame: its parent when the link has no
// length, an earlier sibling at the same offset (both only turning, so that only their parent
// places them), or -1 for none.
int32_t CoincidingJoint(const MotionClip& clip, std::size_t index) {
    const ClipJoint& joint = clip.joints[index];
    if (joint.parent < 0 || !TurnsOnly(joint)) {
        return -1;
    }
    if (joint.offset[0] == 0 && joint.offset[1] == 0 && joint.offset[2] == 0) {
        return joint.parent;
    }
    for (std::size_t earlier = static_cast<std::size_t>(joint.parent) + 1; earlier < index;
         ++earlier) {
        const ClipJoint& sibling = clip.joints[earlier];
        if (sibling.parent == joint.parent && TurnsOnly(sibling) &&
            std::equal(joint.offset, joint.offset + 3, sibling.offset)) {
            return static_cast<int32_t>(earlier);
        }
    }
    return -1;
}

} // namespace

void PoseClipAt(const MotionClip& clip, double seconds, std::vector<ClipPoint>* positions) {
    double at = std::clamp(seconds / clip.frameTime, 0.0, static_cast<double>(clip.frameCount - 1));
    auto frame = static_cast<int32_t>(std::floor(at));
    double blend = at - frame;
    int32_t next = std::min(frame + 1, clip.frameCount - 1);
    std::vector<Quaternion> rotations(clip.joints.size());
    positions->resize(clip.joints.size());
    for (std::size_t index = 0; index < clip.joints.size(); ++index) {
        const ClipJoint& joint = clip.joints[index];
        LocalMotion from = LocalMotionAt(clip, joint, frame);
        LocalMotion to = LocalMotionAt(clip, joint, next);
        ClipPoint translation{from.translation.x + (to.translation.x - from.translation.x) * blend,
                              from.translation.y + (to.translation.y - from.translation.y) * blend,
                              from.translation.z + (to.translation.z - from.translation.z) * blend};
        Quaternion rotation = Slerp(from.rotation, to.rotation, blend);
        if (joint.parent < 0) {
            (*positions)[index] = translation;
            rotations[index] = rotation;
            continue;
        }
        auto parent = static_cast<std::size_t>(joint.parent);
        ClipPoint moved = Rotate(rotations[parent], translation);
        const ClipPoint& base = (*positions)[parent];
        (*positions)[index] = {base.x + moved.x, base.y + moved.y, base.z + moved.z};
        rotations[index] = Multiply(rotations[parent], rotation);
    }
}

int32_t ClipFrameCount(const MotionClip& clip, const ClipPlacement& placement) {
    double duration = (clip.frameCount - 1) * clip.frameTime;
    double left = (duration - placement.fromSeconds) * placement.framesPerSecond;
    if (clip.frameCount < 1 || placement.framesPerSecond < 1 || !(left > -1e-6) ||
        placement.firstFrame > placement.lastFrame) {
        return 0;
    }
    // A frame that falls within a millionth of a frame of the end still shows the end.
    double frames = std::floor(left + 1e-6) + 1;
    return static_cast<int32_t>(
        std::min(frames, static_cast<double>(placement.lastFrame - placement.firstFrame + 1)));
}

void BuildClipFigure(const MotionClip& clip, ClipFigure* figure) {
    *figure = ClipFigure{};
    for (std::size_t index = 0; index < clip.joints.size(); ++index) {
        const ClipJoint& joint = clip.joints[index];
        if (int32_t same = CoincidingJoint(clip, index); same >= 0) {
            figure->jointOfClipJoint.push_back(figure->jointOfClipJoint[same]);
            continue;
        }
        auto self = static_cast<int32_t>(figure->pointOfJoint.size());
        figure->jointOfClipJoint.push_back(self);
        figure->pointOfJoint.push_back(static_cast<int32_t>(index));
        if (joint.parent >= 0) {
            const ClipJoint& parent = clip.joints[joint.parent];
            figure->links.push_back({figure->jointOfClipJoint[joint.parent], self,
                                     joint.endSite && IsHeadName(parent.name)});
        }
    }
}

int32_t PlaceClip(Animation& animation, const MotionClip& clip, const ClipPlacement& placement,
                  std::string* error) {
    int32_t count = ClipFrameCount(clip, placement);
    if (count == 0 || clip.joints.empty()) {
        *error = "the clip ends before the time it is to start from";
        return 0;
    }
    ClipFigure figure;
    BuildClipFigure(clip, &figure);
    int32_t first = placement.firstFrame;
    int32_t last = first + count - 1;
    std::vector<int32_t> jointSlots;
    std::vector<int32_t> boneSlots;
    if (!FreeSlots(
            first, last, figure.pointOfJoint.size(),
            [&](int32_t frame, int32_t slot) { return animation.JointAt(frame, slot).state == 0; },
            &jointSlots) ||
        !FreeSlots(
            first, last, figure.links.size(),
            [&](int32_t frame, int32_t slot) { return !BoneInUse(animation.BoneAt(frame, slot)); },
            &boneSlots)) {
        *error = "the frames have too few free slots for the clip's figure";
        return 0;
    }
    // The scale from the first frame's height, or its width for a figure lying flat.
    std::vector<ClipPoint> positions;
    PoseClipAt(clip, 0, &positions);
    double low = std::numeric_limits<double>::max();
    double high = -low;
    double left = low;
    double right = -low;
    for (const ClipPoint& point : positions) {
        ClipPoint seen = Seen(point, placement.view);
        low = std::min(low, seen.y);
        high = std::max(high, seen.y);
        left = std::min(left, seen.x);
        right = std::max(right, seen.x);
    }
    double extent = high - low > 0 ? high - low : right - left;
    double boxHeight = placement.box.bottom - placement.box.top;
    double scale = extent > 0 ? 0.6 * boxHeight / extent : 1;
    // Every frame's projected points, then the path of all of them centred in the box.
    std::vector<ClipPoint> seen(static_cast<std::size_t>(count) * figure.pointOfJoint.size());
    low = left = std::numeric_limits<double>::max();
    high = right = -low;
    for (int32_t frame = 0; frame < count; ++frame) {
        PoseClipAt(clip,
                   placement.fromSeconds + static_cast<double>(frame) / placement.framesPerSecond,
                   &positions);
        for (std::size_t joint = 0; joint < figure.pointOfJoint.size(); ++joint) {
            ClipPoint point = Seen(positions[figure.pointOfJoint[joint]], placement.view);
            point = {point.x * scale, -point.y * scale, 0};
            seen[frame * figure.pointOfJoint.size() + joint] = point;
            left = std::min(left, point.x);
            right = std::max(right, point.x);
            low = std::min(low, point.y);
            high = std::max(high, point.y);
        }
    }
    double dx = (placement.box.left + placement.box.right) / 2.0 - (left + right) / 2;
    double dy = (placement.box.top + placement.box.bottom) / 2.0 - (low + high) / 2;
    // A first frame far flatter than it is wide, or a path far longer than the figure is high,
    // reaches past any frame once scaled (or past any number).
    for (ClipPoint& point : seen) {
        point = {point.x + dx, point.y + dy, 0};
        if (!FitsTheFile(point, placement.box)) {
            *error = "the clip cannot be scaled into the box: its figure, 60% of the box high, "
                     "would reach past what a frame holds";
            return 0;
        }
    }
    for (int32_t frame = 0; frame < count; ++frame) {
        int32_t gridFrame = first + frame;
        for (std::size_t joint = 0; joint < jointSlots.size(); ++joint) {
            const ClipPoint& point = seen[frame * figure.pointOfJoint.size() + joint];
            animation.JointAt(gridFrame, jointSlots[joint]) = {
                static_cast<int32_t>(std::round(point.x)),
                static_cast<int32_t>(std::round(point.y)), JointNormal};
        }
        for (std::size_t link = 0; link < boneSlots.size(); ++link) {
            const ClipFigure::Link& from = figure.links[link];
            Bone bone{};
            bone.jointA = jointSlots[from.jointA];
            bone.jointB = jointSlots[from.jointB];
            bone.kind = BoneStandard;
            bone.style.shape = from.head ? ShapeCircle : ShapeLine;
            bone.restLength = JointDistance(animation.JointAt(gridFrame, bone.jointA),
                                            animation.JointAt(gridFrame, bone.jointB));
            animation.BoneAt(gridFrame, boneSlots[link]) = bone;
        }
    }
    return count;
}
