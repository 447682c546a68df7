// Every joint of every placed frame against the clip's own definition: all rotation orders, a
// moving root, a link of no length, a head, both views, rates, start times, a Debian clip.
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
#include "support/editor_frames.h"

namespace {

using Vector = std::array<double, 3>;

// v turned about the unit axis k by `radians` (Rodrigues).
Vector Turned(const Vector& v, const Vector& k, double radians) {
    double c = std::cos(radians), s = std::sin(radians);
    double along = (k[0] * v[0] + k[1] * v[1] + k[2] * v[2]) * (1 - c);
    Vector cross{k[1] * v[2] - k[2] * v[1], k[2] * v[0] - k[0] * v[2], k[0] * v[1] - k[1] * v[0]};
    return {v[0] * c + cross[0] * s + k[0] * along, v[1] * c + cross[1] * s + k[1] * along,
            v[2] * c + cross[2] * s + k[2] * along};
}

// Where the joint stands in a clip frame: from the joint up to the root, the point is moved by
// each joint's offset and position channels and, above the joint itself, turned by each one's
// rotation channels, the last listed first (the rotation being their product in the listed order).
Vector ExpectedPosition(const MotionClip& clip, int32_t joint, int32_t frame) {
    Vector point{};
    for (int32_t at = joint; at >= 0; at = clip.joints[at].parent) {
        const ClipJoint& moving = clip.joints[at];
        const double* values = &clip.values[frame * clip.channelCount + moving.firstChannel];
        for (std::size_t index = moving.channels.size(); index-- > 0 && at != joint;) {
            auto axis = static_cast<int>(moving.channels[index]) - 3; // X, Y, Z rotations
            Vector unit{};
            unit[std::max(axis, 0)] = 1;
            point = axis < 0 ? point : Turned(point, unit, values[index] * std::numbers::pi / 180);
        }
        for (std::size_t index = 0; index < moving.channels.size(); ++index) {
            auto axis = static_cast<int>(moving.channels[index]); // X, Y, Z positions
            point[axis % 3] += axis < 3 ? values[index] : 0;
        }
        for (int axis = 0; axis < 3; ++axis) {
            point[axis] += moving.offset[axis];
        }
    }
    return point;
}

// Each frame's joints as the box shows them: the first clip frame's height 60% of the box's, the
// path of all the frames centred in it, Y up.
std::vector<std::vector<Vector>> ExpectedFrames(const MotionClip& clip, const ClipPlacement& at,
                                                int32_t count) {
    auto joints = static_cast<int32_t>(clip.joints.size());
    double low = 1e300, high = -1e300;
    for (int32_t joint = 0; joint < joints; ++joint) {
        low = std::min(low, ExpectedPosition(clip, joint, 0)[1]);
        high = std::max(high, ExpectedPosition(clip, joint, 0)[1]);
    }
    double scale = 0.6 * (at.box.bottom - at.box.top) / (high - low);
    std::vector<std::vector<Vector>> frames(count);
    Vector least{1e300, 1e300}, most{-1e300, -1e300};
    for (int32_t frame = 0; frame < count; ++frame) {
        double time = (at.fromSeconds + frame / double(at.framesPerSecond)) / clip.frameTime;
        EXPECT_NEAR(time, std::round(time), 1e-6) << "every time sampled here is a clip frame's";
        for (int32_t joint = 0; joint < joints; ++joint) {
            Vector p = ExpectedPosition(clip, joint, static_cast<int32_t>(std::lround(time)));
            Vector seen{p[at.view == ClipView::Front ? 0 : 2] * scale, -p[1] * scale};
            frames[frame].push_back(seen);
            least = {std::min(least[0], seen[0]), std::min(least[1], seen[1])};
            most = {std::max(most[0], seen[0]), std::max(most[1], seen[1])};
        }
    }
    for (auto& points : frames) {
        for (Vector& p : points) {
            p = {p[0] + (at.box.left + at.box.right - least[0] - most[0]) / 2,
                 p[1] + (at.box.top + at.box.bottom - least[1] - most[1]) / 2};
        }
    }
    return frames;
}

// Rounded to whole pixels: within half a pixel, give or take the last bits.
void ExpectJointAt(int32_t frame, int32_t slot, const Vector& expected) {
    const Joint& joint = JointAt(frame, slot);
    EXPECT_TRUE(joint.state == JointNormal && std::abs(joint.x - expected[0]) <= 0.5 + 1e-6 &&
                std::abs(joint.y - expected[1]) <= 0.5 + 1e-6)
        << "frame " << frame << " slot " << slot << " at " << joint.x << ", " << joint.y;
}

// Hips, Spine, a Neck of no length, a head with its end site and an arm, 101 frames 0.01 s apart;
// the root's channels as "xyzZXY" (positions in lower case), the rest turn in its order.
std::string SyntheticClip(const std::string& root) {
    std::string rootChannels, order;
    for (char axis : root) {
        bool turns = axis <= 'Z';
        std::string name = std::string(1, static_cast<char>(std::toupper(axis))) +
                           (turns ? "rotation " : "position ");
        rootChannels += name;
        order += turns ? name : "";
    }
    std::string text =
        "HIERARCHY ROOT Hips { OFFSET 1 2 3 CHANNELS 6 " + rootChannels +
        "JOINT Spine { OFFSET 0 10 0 CHANNELS 3 R JOINT Neck { OFFSET 0 0 0 CHANNELS "
        "3 R JOINT HEAD { OFFSET 0 3 1 CHANNELS 3 R End Site { OFFSET 0 4 0 } } } "
        "JOINT LeftArm { OFFSET 5 0 -1 CHANNELS 3 R End Site { OFFSET 6 0 0 } } } }";
    for (std::size_t at = text.find(" R "); at != std::string::npos; at = text.find(" R ")) {
        text.replace(at + 1, 2, order);
    }
    text += "\nMOTION\nFrames: 101\nFrame Time: 0.01\n";
    for (int frame = 0; frame <= 100; ++frame) {
        for (int channel = 0; channel < 18; ++channel) {
            char value[32];
            std::snprintf(value, sizeof value, "%.6f ",
                          40 * std::sin(0.05 * frame * (channel % 5 + 1) + channel));
            text += value;
        }
        text += "\r\n";
    }
    return text;
}

TEST(ClipPose, EveryJointOfEveryFrameStandsWhereTheClipPutsIt) {
    // Frames: one each 1/rate s from `from` to the clip's 1 s, none past frame 500.
    const struct {
        const char* root;
        ClipView view;
        int32_t rate;
        double from;
        int32_t first;
        int32_t frames;
    } cases[] = {
        {"xyzZXY", ClipView::Front, 25, 0, 0, 26},    {"YxXyZz", ClipView::Side, 50, 0.5, 3, 26},
        {"zYxZyX", ClipView::Front, 20, 0.25, 0, 16}, {"XZYxyz", ClipView::Side, 100, 0, 7, 101},
        {"xyzYXZ", ClipView::Front, 10, 0.1, 0, 10},  {"xyzZYX", ClipView::Side, 25, 0, 490, 11},
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
        ASSERT_TRUE(ParseMotionClip(SyntheticClip(test.root), &clip, &error));
        JointAt(test.first + 1, 0) = {5, 6, JointStatic};
        JointAt(test.first + 1, 2) = {7, 8, JointNormal};
        BoneAt(test.first + 1, 1) = {2.0, 0, 2, BoneFreeLength, {}};
        ClipPlacement placement{test.view,  test.rate, test.from,
                                test.first, 500,       {100, 50, 700, 450}};
        ASSERT_EQ(PlaceClip(editor.animation, clip, placement, &error), test.frames) << error;
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
        EXPECT_TRUE(test.first + test.frames > 500 ||
                    !FrameHasJoints(editor.animation, test.first + test.frames, 0));
        EXPECT_TRUE(test.first == 0 || !FrameHasJoints(editor.animation, test.first - 1, 0));
    }
}

// Between two clip frames a root that moves and turns from no rotation to Z and X by 90 degrees
// each (a third of a turn about the diagonal) goes there evenly: the end site turns about the
// diagonal by a quarter of that every quarter second, as no blend of the angles would.
TEST(ClipPose, BetweenClipFramesTheRotationTurnsAboutItsOneAxis) {
    MotionClip clip;
    std::string error;
    ASSERT_TRUE(ParseMotionClip("HIERARCHY ROOT Hips { OFFSET 0 0 0 CHANNELS 4 Xposition "
                                "Zrotation Xrotation Yrotation End Site { OFFSET 0 10 0 } } "
                                "MOTION Frames: 2 Frame Time: 1 0 0 0 0 8 90 90 0",
                                &clip, &error));
    EditorStateInit();
    ASSERT_EQ(PlaceClip(editor.animation, clip, ClipPlacement{ClipView::Front, 4}, &error), 5);
    double scale = 0.6 * 600 / 10;
    double third = std::sqrt(1.0 / 3);
    for (int32_t frame = 0; frame < 5; ++frame) {
        Vector end =
            Turned({0, 10, 0}, {third, third, third}, 2 * std::numbers::pi / 3 * frame / 4);
        EXPECT_NEAR(JointAt(frame, 0).x - JointAt(0, 0).x, scale * 8 * frame / 4, 1) << frame;
        EXPECT_NEAR(JointAt(frame, 1).x - JointAt(frame, 0).x, scale * end[0], 1) << frame;
        EXPECT_NEAR(JointAt(frame, 0).y - JointAt(frame, 1).y, scale * end[1], 1) << frame;
    }
}

// A joint that turns from 170 to -170 degrees between two clip frames turns the 20 degrees across
// the half turn, not the 340 the other way round: halfway, its end site points straight down.
TEST(ClipPose, ATurnAcrossTheHalfTurnTakesTheShorterWay) {
    MotionClip clip;
    std::string error;
    ASSERT_TRUE(ParseMotionClip("HIERARCHY ROOT Hips { OFFSET 0 0 0 CHANNELS 1 Zrotation End Site "
                                "{ OFFSET 0 10 0 } } MOTION Frames: 2 Frame Time: 1 170 -170",
                                &clip, &error));
    EditorStateInit();
    ASSERT_EQ(PlaceClip(editor.animation, clip, ClipPlacement{ClipView::Front, 4}, &error), 5);
    double scale = 0.6 * 600 / std::abs(10 * std::cos(170 * std::numbers::pi / 180));
    for (int32_t frame = 0; frame < 5; ++frame) {
        double degrees = 170 + 20.0 * frame / 4;
        Vector end = Turned({0, 10, 0}, {0, 0, 1}, degrees * std::numbers::pi / 180);
        EXPECT_NEAR(JointAt(frame, 1).x - JointAt(frame, 0).x, scale * end[0], 1) << frame;
        EXPECT_NEAR(JointAt(frame, 0).y - JointAt(frame, 1).y, scale * end[1], 1) << frame;
    }
}

// A clip whose figure, scaled to the box, reaches past what a frame holds, or past any number (a
// first frame 1e-300 high and 9999999 wide scales to infinity), is refused and changes nothing.
TEST(ClipPose, AClipThatCannotBeScaledIntoTheBoxIsRefused) {
    const std::string end = "HIERARCHY ROOT a { OFFSET 0 0 0 CHANNELS 0 End Site { OFFSET ";
    const std::string walk = "HIERARCHY ROOT a { OFFSET 0 0 0 CHANNELS 1 Xposition End Site { "
                             "OFFSET 0 1 0 } } MOTION Frames: 2 Frame Time: 1 ";
    const std::pair<std::string, int32_t> cases[] = {
        {end + "9999999 1e-300 0 } } MOTION Frames: 1 Frame Time: 1\n", 0},
        {end + "9999999 1 0 } } MOTION Frames: 1 Frame Time: 1\n", 0},
        {walk + "0 9999999\n", 0},
        {walk + "0 90\n", 41}, // 32400 pixels along: still in a frame
    };
    for (const auto& [text, frames] : cases) {
        MotionClip clip;
        std::string error;
        ASSERT_TRUE(ParseMotionClip(text, &clip, &error)) << error;
        EditorStateInit();
        ClipPlacement placement{ClipView::Front, 40};
        EXPECT_EQ(PlaceClip(editor.animation, clip, placement, &error), frames) << text;
        EXPECT_EQ(error.find("cannot be scaled into the box") != std::string::npos, frames == 0)
            << error;
        EXPECT_EQ(FrameHasJoints(editor.animation, 0, 0), frames > 0) << text;
    }
}

// Debian's boxing clip of 3069 frames at 1/100 s (30.7 s) at 25 frames a second fills all 501
// frames, every clip joint where its kinematics put it. No two figure joints stand on one spot in
// every frame: the neck and both collars, at one offset from the chest, are one joint.
TEST(ClipPose, ARealClipAtTwentyFiveFramesASecondFollowsItsOwnKinematics) {
    const std::string path = "/usr/share/assimp/models/BVH/Boxing_Toes.bvh";
    ASSERT_TRUE(std::filesystem::exists(path)) << "scripts/setup.sh installs assimp-testmodels";
    MotionClip clip;
    std::string error;
    ASSERT_TRUE(ReadMotionClip(path, &clip, &error)) << error;
    EditorStateInit();
    ClipPlacement placement{ClipView::Side, 25};
    ASSERT_EQ(PlaceClip(editor.animation, clip, placement, &error), 501) << error;
    auto expected = ExpectedFrames(clip, placement, 501);
    int32_t used = 0;
    while (JointAt(0, used).state != JointEmpty) {
        ++used;
    }
    // Each clip joint's figure joint: the one nearest to it over all the frames.
    std::vector<int32_t> slots;
    for (std::size_t joint = 0; joint < clip.joints.size(); ++joint) {
        std::vector<double> distances(used, 0.0);
        for (int32_t frame = 0; frame <= 500; ++frame) {
            for (int32_t slot = 0; slot < used; ++slot) {
                distances[slot] += std::hypot(JointAt(frame, slot).x - expected[frame][joint][0],
                                              JointAt(frame, slot).y - expected[frame][joint][1]);
            }
        }
        slots.push_back(static_cast<int32_t>(std::min_element(distances.begin(), distances.end()) -
                                             distances.begin()));
    }
    for (int32_t frame = 0; frame <= 500; ++frame) {
        for (std::size_t joint = 0; joint < clip.joints.size(); ++joint) {
            ExpectJointAt(frame, slots[joint], expected[frame][joint]);
        }
        EXPECT_EQ(JointAt(frame, used).state, JointEmpty);
    }
    for (int32_t slot = 0; slot < used; ++slot) {
        for (int32_t other = slot + 1; other < used; ++other) {
            bool apart = false;
            for (int32_t frame = 0; frame <= 500 && !apart; ++frame) {
                apart = JointAt(frame, slot).x != JointAt(frame, other).x ||
                        JointAt(frame, slot).y != JointAt(frame, other).y;
            }
            EXPECT_TRUE(apart) << "joints " << slot << " and " << other << " stand as one";
        }
    }
}

} // namespace
