// Reading clips: a well-formed clip (any layout of white space, whole frames beyond the count
// passed over) is read value by value; every kind of damage is refused with the line it is on.
#include "storage/bvh_clip.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kHierarchy = "HIERARCHY\nROOT Hips\n{\n\tOFFSET 0 0 0\n"
                               "\tCHANNELS 4 Xposition Zrotation Yposition Xrotation\n"
                               "\tJOINT Left Leg\n\t{\n\t\tOFFSET 1.5 -2 0\n"
                               "\t\tCHANNELS 1 Yrotation\n"
                               "\t\tEnd Site\n\t\t{\n\t\t\tOFFSET 0 -3e0 .25\n\t\t}\n\t}\n}\n";

std::string Clip(const std::string& motion) {
    return kHierarchy + "MOTION\nFrames: 2\nFrame Time: 0.5\n" + motion;
}

TEST(BvhClip, AWellFormedClipIsReadJointByJointAndValueByValue) {
    MotionClip clip;
    std::string error;
    // Windows line ends, and a third whole frame the count leaves out.
    ASSERT_TRUE(
        ParseMotionClip(Clip("1 -2.5 3 +4\r\n5\n6E1 7 8 9\r\n10 11 12 13 14 15\n"), &clip, &error))
        << error;
    ASSERT_EQ(clip.joints.size(), 3u);
    EXPECT_EQ(clip.joints[1].name, "Left Leg");
    EXPECT_EQ(clip.joints[1].firstChannel, 4);
    EXPECT_TRUE(clip.joints[2].endSite);
    EXPECT_EQ(clip.joints[2].offset[1] + clip.joints[2].offset[2], -2.75);
    EXPECT_EQ(clip.joints[0].channels[1], ClipChannel::ZRotation);
    EXPECT_EQ(clip.values, (std::vector<double>{1, -2.5, 3, 4, 5, 60, 7, 8, 9, 10}));
}

TEST(BvhClip, DamagedClipsAreRefusedWithTheLineTheyFailOn) {
    std::string deep = "HIERARCHY\nROOT J\n{\nOFFSET 0 0 0\nCHANNELS 0\n";
    for (int depth = 0; depth < kMostClipJoints; ++depth) {
        deep += "JOINT J\n{\nOFFSET 0 1 0\nCHANNELS 0\n";
    }
    const struct {
        std::string text;
        std::string problem;
    } cases[] = {
        {"", "HIERARCHY expected, the file ends"},
        {"\x89PNG\r\n", "HIERARCHY expected, not"},
        {kHierarchy, "MOTION or another ROOT expected"},
        {Clip("1 2 3 4 5\n6 7 8"), "the file ends before its 2 frames"},
        {Clip("1 2 3 4 5\n6 7 8 9     "), "line 20: the file ends where a number belongs"},
        {Clip("1 2 3 4 5\n6 7 8 9 10 11"), "not a whole frame"},
        {Clip("1 2 x 4 5\n6 7 8 9 10"), "line 19: 'x' is not a number"},
        {Clip("1 2 3 4 5\n6 7 1.2.3 9 10"), "'1.2.3' is not a number"},
        {Clip("1 2 nan 4 5\n6 7 8 9 10"), "'nan' is not a number"},
        {Clip("1 2 3 4 5\n6 7 1e8 9 10"), "'1e8' is out of range"},
        {Clip("1 2 3 4 5\n6 7 1e999 9 10"), "'1e999' is not a number"},
        {kHierarchy + "MOTION\nFrames: 0\nFrame Time: 0.5\n", "a clip without frames"},
        {kHierarchy + "MOTION\nFrames: 2.5\nFrame Time: 0.5\n", "a whole number"},
        {kHierarchy + "MOTION\nFrames: 2\nFrame Time: 0\n1 2 3 4 5\n6 7 8 9 10",
         "the frame time is out of range"},
        {kHierarchy + "MOTION\nFrames: 99999\nFrame Time: 0.1\n1 2 3 4 5",
         "the file ends before its 99999 frames"},
        {"HIERARCHY\nROOT A\n{\nOFFSET 0 0 0\nCHANNELS 3 Xrotation Yrotation\nEnd Site\n{\n"
         "OFFSET 0 1 0\n}\n}\nMOTION\nFrames: 1\nFrame Time: 0.1\n0 0 0\n",
         "line 6: 'End' is no channel"},
        {"HIERARCHY\nROOT A\n{\nOFFSET 0 0 0\nCHANNELS 7\n", "from 0 to 6 expected"},
        {"HIERARCHY\nROOT A\n{\nOFFSET 0 0 0\nCHANNELS 2 Xrotation Xrotation\n",
         "the channel Xrotation twice"},
        {"HIERARCHY\nROOT A\n{\nOFFSET 0 0\nCHANNELS 0\n}\n", "'CHANNELS' is not a number"},
        {"HIERARCHY\nROOT A\n{\nOFFSET 0 0 0\nCHANNELS 0\nJOINT B\n", "{ expected"},
        {"HIERARCHY\nROOT A\n{\nOFFSET 0 0 0\nCHANNELS 0\nBONE B\n", "JOINT, End Site or }"},
        {deep, "more than 501 joints and end sites"},
    };
    for (const auto& test : cases) {
        MotionClip clip;
        clip.frameCount = 7;
        std::string error;
        EXPECT_FALSE(ParseMotionClip(test.text, &clip, &error)) << test.problem;
        EXPECT_NE(error.find(test.problem), std::string::npos) << error;
        EXPECT_EQ(clip.frameCount, 7) << "a refused clip leaves what it was to fill";
    }
}

} // namespace
