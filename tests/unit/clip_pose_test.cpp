// A clip placed as a figure: every joint of every frame against positions computed here from the
// clip's definition with rotation matrices (each rotation channel about its axis, multiplied in
// the file's order; between two clip frames the relative rotation's axis turned by the share of
// its angle), for every rotation order, a moving root, a link of no length, a head, both views,
// several rates and start times; and a real clip from the Debian package.
#include "figure/clip_pose.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "model/editor_state.h"
#include "storage/bvh_clip.h"

namespace {

using Matrix = std::array<double, 9>; // row-major
constexpr Matrix kIdentity = {1, 0, 0, 0, 1, 0, 0, 0, 1};

Matrix Times(const Matrix& a, const Matrix& b) {
    Matrix product{};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            for (int k = 0; k < 3; ++k) {
                product[row * 3 + column] += a[row * 3 + k] * b[k * 3 + column];
            }
        }
    }
    return product;
}
Matrix Transposed(const Matrix& m) {
    return {m[0], m[3], m[6], m[1], m[4], m[7], m[2], m[5], m[8]};
}
ClipPoint Apply(const Matrix& m, const ClipPoint& p) {
    return {m[0] * p.x + m[1] * p.y + m[2] * p.z, m[3] * p.x + m[4] * p.y + m[5] * p.z,
            m[6] * p.x + m[7] * p.y + m[8] * p.z};
}
// Rodrigues: the rotation by `radians` about the unit axis.
Matrix AboutAxis(ClipPoint axis, double radians) {
    double c = std::cos(radians), s = std::sin(radians), t = 1 - c;
    return {t * axis.x * axis.x + c,          t * axis.x * axis.y - s * axis.z,
            t * axis.x * axis.z + s * axis.y, t * axis.x * axis.y + s * axis.z,
            t * axis.y * axis.y + c,          t * axis.y * axis.z - s * axis.x,
            t * axis.x * axis.z - s * axis.y, t * axis.y * axis.z + s * axis.x,
            t * axis.z * axis.z + c};
}
// From a towards b, the share `part` of the way along the one rotation between them.
Matrix Between(const Matrix& a, const Matrix& b, double part) {
    Matrix relative = Times(Transposed(a), b);
    double cosine = std::clamp((relative[0] + relative[4] + relative[8] - 1) / 2, -1.0, 1.0);
    double angle = std::acos(cosine);
    ClipPoint axis{relative[7] - relative[5], relative[2] - relative[6], relative[3] - relative[1]};
    double length = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z);
    if (part == 0 || length < 1e-12) {
        return a; // at a clip frame, or between two equal rotations
    }
    return Times(a, AboutAxis({axis.x / length, axis.y / length, axis.z / length}, part * angle));
}

struct Local {
    ClipPoint translation;
    Matrix rotation;
};
Local LocalAt(const MotionClip& clip, const ClipJoint& joint, int32_t frame) {
    Local local{{joint.offset[0], joint.offset[1], joint.offset[2]}, kIdentity};
    for (std::size_t index = 0; index < joint.channels.size(); ++index) {
        double value = clip.values[frame * clip.channelCount + joint.firstChannel + index];
        double radians = value * std::numbers::pi / 180;
        switch (joint.channels[index]) {
        case ClipChannel::XPosition:
            local.translation.x += value;
            break;
        case ClipChannel::YPosition:
            local.translation.y += value;
            break;
        case ClipChannel::ZPosition:
            local.translation.z += value;
            break;
        case ClipChannel::XRotation:
            local.rotation = Times(local.rotation, AboutAxis({1, 0, 0}, radians));
            break;
        case ClipChannel::YRotation:
            local.rotation = Times(local.rotation, AboutAxis({0, 1, 0}, radians));
            break;
        case ClipChannel::ZRotation:
            local.rotation = Times(local.rotation, AboutAxis({0, 0, 1}, radians));
            break;
        }
    }
    return local;
}

std::vector<ClipPoint> ExpectedPose(const MotionClip& clip, double seconds) {
    double at = std::clamp(seconds / clip.frameTime, 0.0, clip.frameCount - 1.0);
    auto frame = static_cast<int32_t>(at);
    int32_t next = std::min(frame + 1, clip.frameCount - 1);
    std::vector<ClipPoint> positions(clip.joints.size());
    std::vector<Matrix> rotations(clip.joints.size());
    for (std::size_t index = 0; index < clip.joints.size(); ++index) {
        const ClipJoint& joint = clip.joints[index];
        Local a = LocalAt(clip, joint, frame), b = LocalAt(clip, joint, next);
        double part = at - frame;
        ClipPoint translation{a.translation.x + (b.translation.x - a.translation.x) * part,
                              a.translation.y + (b.translation.y - a.translation.y) * part,
                              a.translation.z + (b.translation.z - a.translation.z) * part};
        Matrix rotation = Between(a.rotation, b.rotation, part);
        Matrix parentRotation = joint.parent < 0 ? kIdentity : rotations[joint.parent];
        ClipPoint base = joint.parent < 0 ? ClipPoint{0, 0, 0} : positions[joint.parent];
        ClipPoint moved = Apply(parentRotation, translation);
        positions[index] = {base.x + moved.x, base.y + moved.y, base.z + moved.z};
        rotations[index] = Times(parentRotation, rotation);
    }
    return positions;
}

// The expected picture of frames 0 to count - 1: seen from the view, the first clip frame's
// height 60% of the box's, the path of them all centred in the box.
std::vector<std::vector<ClipPoint>> ExpectedFrames(const MotionClip& clip, const ClipPlacement& at,
                                                   int32_t count) {
    auto across = [&](const ClipPoint& p) { return at.view == ClipView::Front ? p.x : p.z; };
    double low = 1e300, high = -1e300;
    for (const ClipPoint& p : ExpectedPose(clip, 0)) {
        low = std::min(low, p.y);
        high = std::max(high, p.y);
    }
    double scale = 0.6 * (at.boxBottom - at.boxTop) / (high - low);
    std::vector<std::vector<ClipPoint>> frames;
    double left = 1e300, right = -1e300, top = 1e300, bottom = -1e300;
    for (int32_t frame = 0; frame < count; ++frame) {
        frames.emplace_back();
        for (const ClipPoint& p :
             ExpectedPose(clip, at.fromSeconds + frame / double(at.framesPerSecond))) {
            frames.back().push_back({across(p) * scale, -p.y * scale, 0});
            left = std::min(left, across(p) * scale);
            right = std::max(right, across(p) * scale);
            top = std::min(top, -p.y * scale);
            bottom = std::max(bottom, -p.y * scale);
        }
    }
    double dx = (at.boxLeft + at.boxRight) / 2.0 - (left + right) / 2;
    double dy = (at.boxTop + at.boxBottom) / 2.0 - (top + bottom) / 2;
    for (auto& points : frames) {
        for (ClipPoint& p : points) {
            p = {p.x + dx, p.y + dy, 0};
        }
    }
    return frames;
}

// Rounded to whole pixels: within half a pixel, give or take the last bits.
void ExpectJointAt(int32_t frame, int32_t slot, const ClipPoint& expected, const char* what) {
    const Joint& joint = JointAt(frame, slot);
    EXPECT_EQ(joint.state, JointNormal) << what << " frame " << frame << " slot " << slot;
    EXPECT_LE(std::abs(joint.x - expected.x), 0.5 + 1e-6)
        << what << " frame " << frame << " slot " << slot;
    EXPECT_LE(std::abs(joint.y - expected.y), 0.5 + 1e-6)
        << what << " frame " << frame << " slot " << slot;
}

// Hips (moving, turning), Spine, a Neck of no length, a Head with its end site, and an arm.
// `frames` clip frames `frameTime` apart, each value swinging by up to `swing`.
std::string SyntheticClip(const std::string& rootChannels, const std::string& order, int frames,
                          double frameTime, double swing) {
    std::string text = "HIERARCHY\nROOT Hips\n{\n OFFSET 1 2 3\n CHANNELS 6 " + rootChannels +
                       "\n JOINT Spine\n {\n  OFFSET 0 10 0\n  CHANNELS 3 " + order +
                       "\n  JOINT Neck\n  {\n   OFFSET 0 0 0\n   CHANNELS 3 " + order +
                       "\n   JOINT HEAD\n   {\n    OFFSET 0 3 1\n    CHANNELS 3 " + order +
                       "\n    End Site\n    {\n     OFFSET 0 4 0\n    }\n   }\n  }\n"
                       "  JOINT LeftArm\n  {\n   OFFSET 5 0 -1\n   CHANNELS 3 " +
                       order +
                       "\n   End Site\n   {\n    OFFSET 6 0 0\n   }\n  }\n }\n}\n"
                       "MOTION\nFrames: " +
                       std::to_string(frames) + "\nFrame Time: " + std::to_string(frameTime) + "\n";
    for (int frame = 0; frame < frames; ++frame) {
        for (int channel = 0; channel < 18; ++channel) {
            char value[32];
            std::snprintf(value, sizeof value, "%.6f ",
                          swing * std::sin(5 * frame * frameTime * (channel % 5 + 1) + channel));
            text += value;
        }
        text += "\r\n";
    }
    return text;
}

// The clip's joints in file order and the figure joint each becomes: Neck joins Spine.
constexpr int32_t kFigureJointOf[] = {0, 1, 1, 2, 3, 4, 5};
constexpr int32_t kLinks[][2] = {{0, 1}, {1, 2}, {2, 3}, {1, 4}, {4, 5}}; // Head -> its end third

TEST(ClipPose, EveryJointOfEveryFrameStandsWhereTheClipPutsIt) {
    const struct {
        const char* root;
        const char* order;
        ClipView view;
        int32_t rate;
        double from;
        int32_t first;
        int32_t frames; // one each 1/rate s from `from` to the clip's 1 s, none past frame 500
        int clipFrames = 101;
        double frameTime = 0.01;
        double swing = 40;
    } cases[] = {
        {"Xposition Yposition Zposition Zrotation Xrotation Yrotation",
         "Zrotation Xrotation Yrotation", ClipView::Front, 25, 0, 0, 26},
        {"Yrotation Xposition Xrotation Yposition Zrotation Zposition",
         "Xrotation Yrotation Zrotation", ClipView::Side, 40, 0.5, 3, 21},
        {"Zposition Yrotation Xposition Zrotation Yposition Xrotation",
         "Yrotation Zrotation Xrotation", ClipView::Front, 30, 0.25, 0, 23},
        {"Xrotation Zrotation Yrotation Xposition Yposition Zposition",
         "Xrotation Zrotation Yrotation", ClipView::Side, 100, 0, 7, 101},
        {"Xposition Yposition Zposition Yrotation Xrotation Zrotation",
         "Yrotation Xrotation Zrotation", ClipView::Front, 7, 0.1, 0, 7},
        {"Xposition Yposition Zposition Zrotation Yrotation Xrotation",
         "Zrotation Yrotation Xrotation", ClipView::Side, 25, 0, 490, 11},
        // Three clip frames half a second apart with turns of up to 90 degrees: a blend of the
        // angles would miss the frames between by far.
        {"Xposition Yposition Zposition Zrotation Xrotation Yrotation",
         "Zrotation Xrotation Yrotation", ClipView::Front, 10, 0, 0, 11, 3, 0.5, 90},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(std::string(test.order) + " from " + std::to_string(test.from));
        EditorStateInit();
        MotionClip clip;
        std::string error;
        ASSERT_TRUE(ParseMotionClip(
            SyntheticClip(test.root, test.order, test.clipFrames, test.frameTime, test.swing),
            &clip, &error))
            << error;
        // Another figure holds joint slots 0 and 2 and bone slot 1 in some of the frames.
        JointAt(test.first + 1, 0) = {5, 6, JointStatic};
        JointAt(test.first + 1, 2) = {7, 8, JointNormal};
        BoneAt(test.first + 1, 1) = {2.0, 0, 2, BoneFreeLength, {}};
        const int32_t jointSlots[] = {1, 3, 4, 5, 6, 7};
        const int32_t boneSlots[] = {0, 2, 3, 4, 5};
        ClipPlacement placement;
        placement.view = test.view;
        placement.framesPerSecond = test.rate;
        placement.fromSeconds = test.from;
        placement.firstFrame = test.first;
        placement.boxLeft = 100, placement.boxTop = 50, placement.boxRight = 700,
        placement.boxBottom = 450;
        ASSERT_EQ(PlaceClip(clip, placement, &error), test.frames) << error;
        auto expected = ExpectedFrames(clip, placement, test.frames);
        for (int32_t frame = 0; frame < test.frames; ++frame) {
            int32_t gridFrame = test.first + frame;
            for (std::size_t joint = 0; joint < clip.joints.size(); ++joint) {
                ExpectJointAt(gridFrame, jointSlots[kFigureJointOf[joint]], expected[frame][joint],
                              clip.joints[joint].name.c_str());
            }
            for (int32_t link = 0; link < 5; ++link) {
                const Bone& bone = BoneAt(gridFrame, boneSlots[link]);
                EXPECT_EQ(bone.jointA, jointSlots[kLinks[link][0]]);
                EXPECT_EQ(bone.jointB, jointSlots[kLinks[link][1]]);
                EXPECT_EQ(bone.kind, BoneStandard);
                EXPECT_EQ(bone.style.shape, link == 2 ? ShapeCircle : ShapeLine);
                EXPECT_EQ(bone.restLength, JointDistance(JointAt(gridFrame, bone.jointA),
                                                         JointAt(gridFrame, bone.jointB)));
            }
            EXPECT_EQ(JointAt(gridFrame, 8).state, JointEmpty);
            EXPECT_FALSE(BoneInUse(BoneAt(gridFrame, 6)));
        }
        EXPECT_EQ(JointAt(test.first + 1, 0).state, JointStatic);
        EXPECT_EQ(JointAt(test.first + 1, 2).x, 7);
        EXPECT_EQ(BoneAt(test.first + 1, 1).kind, BoneFreeLength);
        if (test.first + test.frames <= kDefaultMaxFrame) {
            EXPECT_FALSE(FrameHasJoints(test.first + test.frames, 0));
        }
        EXPECT_TRUE(test.first == 0 || !FrameHasJoints(test.first - 1, 0));
    }
}

// CMU's walk of 2752 frames at 1/120 s (22.9 s), at 25 frames a second: 501 frames fill the
// grids from frame 0, and from 20 s on the 2.9 s left make 74.
TEST(ClipPose, ARealClipAtTwentyFiveFramesASecondFollowsItsOwnKinematics) {
    const std::string path = "/usr/share/assimp/models/BVH/01_01.bvh";
    ASSERT_TRUE(std::filesystem::exists(path)) << "scripts/setup.sh installs assimp-testmodels";
    MotionClip clip;
    std::string error;
    ASSERT_TRUE(ReadMotionClip(path, &clip, &error)) << error;
    ASSERT_EQ(clip.joints.size(), 38u); // 31 joints and 7 end sites
    // A link of no length (the hip joints, the lower neck...) joins its joint to its parent.
    std::vector<int32_t> figureJoint;
    int32_t joints = 0;
    for (const ClipJoint& joint : clip.joints) {
        bool still = joint.offset[0] == 0 && joint.offset[1] == 0 && joint.offset[2] == 0 &&
                     std::all_of(joint.channels.begin(), joint.channels.end(),
                                 [](ClipChannel c) { return c >= ClipChannel::XRotation; });
        figureJoint.push_back(joint.parent >= 0 && still ? figureJoint[joint.parent] : joints++);
    }
    for (double from : {0.0, 20.0}) {
        EditorStateInit();
        ClipPlacement placement;
        placement.framesPerSecond = 25;
        placement.fromSeconds = from;
        placement.boxLeft = 0, placement.boxTop = 0, placement.boxRight = 800,
        placement.boxBottom = 600;
        int32_t frames = PlaceClip(clip, placement, &error);
        ASSERT_EQ(frames, from == 0 ? 501 : 74) << error;
        auto expected = ExpectedFrames(clip, placement, frames);
        for (int32_t frame = 0; frame < frames; ++frame) {
            for (std::size_t joint = 0; joint < clip.joints.size(); ++joint) {
                ExpectJointAt(frame, figureJoint[joint], expected[frame][joint],
                              clip.joints[joint].name.c_str());
            }
            EXPECT_EQ(JointAt(frame, joints).state, JointEmpty);
        }
    }
}

} // namespace
