// A clip placed as a figure, every joint of every frame against positions computed here from the
// clip's definition with rotation matrices (the channels multiplied in the file's order; between
// two clip frames, the relative rotation's axis turned by the share of its angle): every rotation
// order, a moving root, a link of no length, a head, both views, several rates and start times,
// and a real clip from the Debian package.
#include "figure/clip_pose.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "model/editor_state.h"

namespace {

using Vector = std::array<double, 3>;
using Matrix = std::array<Vector, 3>; // rows

Matrix Times(const Matrix& a, const Matrix& b) {
    Matrix product{};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            for (int k = 0; k < 3; ++k) {
                product[row][column] += a[row][k] * b[k][column];
            }
        }
    }
    return product;
}
Vector Apply(const Matrix& m, const Vector& v) {
    Vector out{};
    for (int row = 0; row < 3; ++row) {
        out[row] = m[row][0] * v[0] + m[row][1] * v[1] + m[row][2] * v[2];
    }
    return out;
}
// Rodrigues: the rotation by `radians` about the unit axis.
Matrix AboutAxis(const Vector& n, double radians) {
    double c = std::cos(radians), s = std::sin(radians), t = 1 - c;
    return {{{t * n[0] * n[0] + c, t * n[0] * n[1] - s * n[2], t * n[0] * n[2] + s * n[1]},
             {t * n[0] * n[1] + s * n[2], t * n[1] * n[1] + c, t * n[1] * n[2] - s * n[0]},
             {t * n[0] * n[2] - s * n[1], t * n[1] * n[2] + s * n[0], t * n[2] * n[2] + c}}};
}
// From a towards b, the share `part` of the way along the one rotation between them.
Matrix Between(const Matrix& a, const Matrix& b, double part) {
    Matrix inverse = {
        {{a[0][0], a[1][0], a[2][0]}, {a[0][1], a[1][1], a[2][1]}, {a[0][2], a[1][2], a[2][2]}}};
    Matrix r = Times(inverse, b);
    Vector axis{r[2][1] - r[1][2], r[0][2] - r[2][0], r[1][0] - r[0][1]};
    double length = std::hypot(axis[0], axis[1], axis[2]);
    if (part == 0 || length < 1e-12) {
        return a; // at a clip frame, or between two equal rotations
    }
    double angle = std::acos(std::clamp((r[0][0] + r[1][1] + r[2][2] - 1) / 2, -1.0, 1.0));
    return Times(a,
                 AboutAxis({axis[0] / length, axis[1] / length, axis[2] / length}, part * angle));
}

// A joint's translation and rotation in a clip frame, from its offset and channels.
std::pair<Vector, Matrix> Local(const MotionClip& clip, const ClipJoint& joint, int32_t frame) {
    Vector translation{joint.offset[0], joint.offset[1], joint.offset[2]};
    Matrix rotation{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    for (std::size_t index = 0; index < joint.channels.size(); ++index) {
        double value = clip.values[frame * clip.channelCount + joint.firstChannel + index];
        auto axis = static_cast<int>(joint.channels[index]) % 3; // X, Y, Z positions, then angles
        Vector unit{};
        unit[axis] = 1;
        if (joint.channels[index] < ClipChannel::XRotation) {
            translation[axis] += value;
        } else {
            rotation = Times(rotation, AboutAxis(unit, value * std::numbers::pi / 180));
        }
    }
    return {translation, rotation};
}

std::vector<Vector> ExpectedPose(const MotionClip& clip, double seconds) {
    double at = std::clamp(seconds / clip.frameTime, 0.0, clip.frameCount - 1.0);
    auto frame = static_cast<int32_t>(at);
    int32_t next = std::min(frame + 1, clip.frameCount - 1);
    std::vector<Vector> positions(clip.joints.size());
    std::vector<Matrix> rotations(clip.joints.size());
    for (std::size_t index = 0; index < clip.joints.size(); ++index) {
        const ClipJoint& joint = clip.joints[index];
        auto [fromTranslation, fromRotation] = Local(clip, joint, frame);
        auto [toTranslation, toRotation] = Local(clip, joint, next);
        Vector translation{};
        for (int axis = 0; axis < 3; ++axis) {
            translation[axis] = fromTranslation[axis] +
                                (toTranslation[axis] - fromTranslation[axis]) * (at - frame);
        }
        Matrix rotation = Between(fromRotation, toRotation, at - frame);
        if (joint.parent < 0) {
            positions[index] = translation;
            rotations[index] = rotation;
            continue;
        }
        Vector moved = Apply(rotations[joint.parent], translation);
        for (int axis = 0; axis < 3; ++axis) {
            positions[index][axis] = positions[joint.parent][axis] + moved[axis];
        }
        rotations[index] = Times(rotations[joint.parent], rotation);
    }
    return positions;
}

// Each frame's joints as the box shows them: the first clip frame's height 60% of the box's, the
// path of all the frames centred in it, Y up.
std::vector<std::vector<Vector>> ExpectedFrames(const MotionClip& clip, const ClipPlacement& at,
                                                int32_t count) {
    int across = at.view == ClipView::Front ? 0 : 2;
    auto first = ExpectedPose(clip, 0);
    auto [low, high] = std::minmax_element(first.begin(), first.end(),
                                           [](auto& a, auto& b) { return a[1] < b[1]; });
    double scale = 0.6 * (at.boxBottom - at.boxTop) / ((*high)[1] - (*low)[1]);
    std::vector<std::vector<Vector>> frames;
    Vector least{1e300, 1e300}, most{-1e300, -1e300};
    for (int32_t frame = 0; frame < count; ++frame) {
        frames.emplace_back();
        for (const Vector& p :
             ExpectedPose(clip, at.fromSeconds + frame / double(at.framesPerSecond))) {
            frames.back().push_back({p[across] * scale, -p[1] * scale});
            for (int axis = 0; axis < 2; ++axis) {
                least[axis] = std::min(least[axis], frames.back().back()[axis]);
                most[axis] = std::max(most[axis], frames.back().back()[axis]);
            }
        }
    }
    for (auto& points : frames) {
        for (Vector& p : points) {
            p[0] += (at.boxLeft + at.boxRight - least[0] - most[0]) / 2;
            p[1] += (at.boxTop + at.boxBottom - least[1] - most[1]) / 2;
        }
    }
    return frames;
}

// Rounded to whole pixels: within half a pixel, give or take the last bits.
void ExpectJointAt(int32_t frame, int32_t slot, const Vector& expected) {
    const Joint& joint = JointAt(frame, slot);
    EXPECT_EQ(joint.state, JointNormal) << "frame " << frame << " slot " << slot;
    EXPECT_LE(std::abs(joint.x - expected[0]), 0.5 + 1e-6) << "frame " << frame << " slot " << slot;
    EXPECT_LE(std::abs(joint.y - expected[1]), 0.5 + 1e-6) << "frame " << frame << " slot " << slot;
}

// Hips (moving, turning), Spine, a Neck of no length, a head with its end site, and an arm:
// `frames` clip frames `frameTime` apart, each value swinging by up to `swing`. The root's
// channels are given as "xyzZXY" (positions in lower case), the other joints turn in the order
// of its rotations.
std::string SyntheticClip(const std::string& root, int frames, double frameTime, double swing) {
    std::string rootChannels, order;
    for (char axis : root) {
        bool turns = axis <= 'Z';
        std::string name = std::string(1, static_cast<char>(std::toupper(axis))) +
                           (turns ? "rotation " : "position ");
        rootChannels += name;
        order += turns ? name : "";
    }
    std::string text = "HIERARCHY\nROOT Hips\n{\nOFFSET 1 2 3\nCHANNELS 6 " + rootChannels +
                       "\nJOINT Spine\n{\nOFFSET 0 10 0\nCHANNELS 3 " + order +
                       "\nJOINT Neck\n{\nOFFSET 0 0 0\nCHANNELS 3 " + order +
                       "\nJOINT HEAD\n{\nOFFSET 0 3 1\nCHANNELS 3 " + order +
                       "\nEnd Site\n{\nOFFSET 0 4 0\n}\n}\n}\nJOINT LeftArm\n{\nOFFSET 5 0 -1\n"
                       "CHANNELS 3 " +
                       order +
                       "\nEnd Site\n{\nOFFSET 6 0 0\n}\n}\n}\n}\n"
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

TEST(ClipPose, EveryJointOfEveryFrameStandsWhereTheClipPutsIt) {
    // Frames: one each 1/rate s from `from` to the clip's end, none past frame 500. The last
    // case has three clip frames half a second apart with turns of up to 90 degrees, where a
    // blend of the angles would miss the frames between by far.
    const struct {
        const char* root;
        ClipView view;
        int32_t rate;
        double from;
        int32_t first;
        int32_t frames;
        int clipFrames = 101;
        double frameTime = 0.01;
        double swing = 40;
    } cases[] = {
        {"xyzZXY", ClipView::Front, 25, 0, 0, 26},
        {"YxXyZz", ClipView::Side, 40, 0.5, 3, 21},
        {"zYxZyX", ClipView::Front, 30, 0.25, 0, 23},
        {"XZYxyz", ClipView::Side, 100, 0, 7, 101},
        {"xyzYXZ", ClipView::Front, 7, 0.1, 0, 7},
        {"xyzZYX", ClipView::Side, 25, 0, 490, 11},
        {"xyzZXY", ClipView::Front, 10, 0, 0, 11, 3, 0.5, 90},
    };
    // The clip's joints become figure joints 0 to 5 (the Neck joins the Spine), in these slots,
    // since another figure holds joint slots 0 and 2 and bone slot 1 in one of the frames.
    const int32_t slotOfClipJoint[] = {1, 3, 3, 4, 5, 6, 7};
    const int32_t links[][3] = {{1, 3, 0}, {3, 4, 2}, {4, 5, 3}, {3, 6, 4}, {6, 7, 5}};
    for (const auto& test : cases) {
        SCOPED_TRACE(std::string(test.root) + " from " + std::to_string(test.from));
        EditorStateInit();
        MotionClip clip;
        std::string error;
        ASSERT_TRUE(ParseMotionClip(
            SyntheticClip(test.root, test.clipFrames, test.frameTime, test.swing), &clip, &error));
        JointAt(test.first + 1, 0) = {5, 6, JointStatic};
        JointAt(test.first + 1, 2) = {7, 8, JointNormal};
        BoneAt(test.first + 1, 1) = {2.0, 0, 2, BoneFreeLength, {}};
        ClipPlacement placement{test.view, test.rate, test.from, test.first, 500,
                                100,       50,        700,       450};
        ASSERT_EQ(PlaceClip(clip, placement, &error), test.frames) << error;
        auto expected = ExpectedFrames(clip, placement, test.frames);
        for (int32_t frame = 0; frame < test.frames; ++frame) {
            int32_t at = test.first + frame;
            for (std::size_t joint = 0; joint < clip.joints.size(); ++joint) {
                ExpectJointAt(at, slotOfClipJoint[joint], expected[frame][joint]);
            }
            for (const auto& [jointA, jointB, slot] : links) {
                const Bone& bone = BoneAt(at, slot);
                EXPECT_EQ(std::pair(bone.jointA, bone.jointB), std::pair(jointA, jointB));
                EXPECT_EQ(bone.kind, BoneStandard);
                EXPECT_EQ(bone.style.shape, jointA == 4 ? ShapeCircle : ShapeLine) << "the head";
                EXPECT_EQ(bone.restLength, JointDistance(JointAt(at, jointA), JointAt(at, jointB)));
            }
            EXPECT_EQ(JointAt(at, 8).state, JointEmpty);
        }
        EXPECT_EQ(JointAt(test.first + 1, 0).state, JointStatic) << "the other figure stays";
        EXPECT_EQ(BoneAt(test.first + 1, 1).kind, BoneFreeLength);
        EXPECT_TRUE(test.first + test.frames > 500 || !FrameHasJoints(test.first + test.frames, 0));
        EXPECT_TRUE(test.first == 0 || !FrameHasJoints(test.first - 1, 0));
    }
}

// CMU's walk of 2752 frames at 1/120 s (22.9 s), at 25 frames a second: 501 frames fill the
// grids, and from 20 s on the 2.9 s left make 74. A link of no length joins its joint to the
// parent's.
TEST(ClipPose, ARealClipAtTwentyFiveFramesASecondFollowsItsOwnKinematics) {
    const std::string path = "/usr/share/assimp/models/BVH/01_01.bvh";
    ASSERT_TRUE(std::filesystem::exists(path)) << "scripts/setup.sh installs assimp-testmodels";
    MotionClip clip;
    std::string error;
    ASSERT_TRUE(ReadMotionClip(path, &clip, &error)) << error;
    ASSERT_EQ(clip.joints.size(), 38u); // 31 joints and 7 end sites
    std::vector<int32_t> slots;
    int32_t joints = 0;
    for (const ClipJoint& joint : clip.joints) {
        bool still = joint.offset[0] == 0 && joint.offset[1] == 0 && joint.offset[2] == 0 &&
                     joint.channels.size() == 3 && joint.channels[0] >= ClipChannel::XRotation;
        slots.push_back(joint.parent >= 0 && still ? slots[joint.parent] : joints++);
    }
    for (double from : {0.0, 20.0}) {
        EditorStateInit();
        ClipPlacement placement{ClipView::Front, 25, from};
        int32_t frames = PlaceClip(clip, placement, &error);
        ASSERT_EQ(frames, from == 0 ? 501 : 74) << error;
        auto expected = ExpectedFrames(clip, placement, frames);
        for (int32_t frame = 0; frame < frames; ++frame) {
            for (std::size_t joint = 0; joint < clip.joints.size(); ++joint) {
                ExpectJointAt(frame, slots[joint], expected[frame][joint]);
            }
            EXPECT_EQ(JointAt(frame, joints).state, JointEmpty);
        }
    }
}

} // namespace
