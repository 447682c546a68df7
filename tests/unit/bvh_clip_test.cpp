// Reading clips: every kind of damage is refused with the line it is on, and nothing of it is
// kept. (Well-formed clips, real and made up, are read in the pose tests.)
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

TEST(BvhClip, DamagedClipsAreRefusedWithTheLineTheyFailOn) {
    std::string deep = "HIERARCHY\nROOT J\n{\nOFFSET 0 0 0\nCHANNELS 0\n";
    for (int depth = 0; depth < kMostClipJoints; ++depth) {
        deep += "JOINT J\n{\nOFFSET 0 1 0\nCHANNELS 0\n";
    }
    const std::pair<std::string, std::string> cases[] = {
        {"", "HIERARCHY expected, the file ends"},
        {Clip("1 2 3 4 5\n6 7 8"), "the file ends before its 2 frames"},
        {Clip("1 2 3 4 5\n6 7 8 9     "), "line 20: the file ends where a number belongs"},
        {Clip("1 2 3 4 5\n6 7 8 9 10 11"), "not a whole frame"},
        {Clip("1 2 x 4 5\n6 7 8 9 10"), "line 19: 'x' is not a number"},
        {Clip("1 2 nan 4 5\n6 7 8 9 10"), "'nan' is not a number"},
        {Clip("1 2 3 4 5\n6 7 1e8 9 10"), "'1e8' is out of range"},
        {kHierarchy + "MOTION\nFrames: 0\nFrame Time: 0.5\n", "a clip without frames"},
        {kHierarchy + "MOTION\nFrames: 2\nFrame Time: 0\n1 2 3 4 5\n6 7 8 9 10",
         "the frame time is out of range"},
        {kHierarchy + "MOTION\nFrames: 99999\nFrame Time: 0.1\n1 2 3 4 5",
         "the file ends before its 99999 frames"},
        {"HIERARCHY\nROOT A\n{\nOFFSET 0 0 0\nCHANNELS 3 Xrotation Yrotation\nEnd Site\n{\n"
         "OFFSET 0 1 0\n}\n}\nMOTION\nFrames: 1\nFrame Time: 0.1\n0 0 0\n",
         "line 6: 'End' is no channel"},
        {"HIERARCHY\nROOT A\n{\nOFFSET 0 0 0\nCHANNELS 2 Xrotation Xrotation\n",
         "the channel Xrotation twice"},
        {"HIERARCHY\nROOT A\n{\nOFFSET 0 0 0\nCHANNELS 0\nJOINT B\n", "{ expected"},
        {deep, "more than 501 joints and end sites"},
        // The word quoted short and escaped: a terminal's escape, a NUL, a picture's bytes, a
        // word of a mebibyte.
        {Clip("1 2 3 4 5\n6 7 \x1b[2J\x1b]0;title\x07 9 10"),
         "'\\x1b[2J\\x1b]0;title\\x07' is not a number"},
        {Clip("1 2 3 4 5\n6 7 8") + '\0' + "x 9 10", "'8\\x00x' is not a number"},
        {"\x89PNG\r\n\x1a\n", "HIERARCHY expected, not '\\x89PNG'"},
        {"HIERARCHY\nROOT A\n{\nOFFSET 0 0 0\nCHANNELS 1 " + std::string(1 << 20, 'x'),
         "'" + std::string(20, 'x') + "..." + std::string(20, 'x') + "' is no channel"},
    };
    for (const auto& [text, problem] : cases) {
        MotionClip clip;
        clip.frameCount = 7;
        std::string error;
        EXPECT_FALSE(ParseMotionClip(text, &clip, &error)) << problem;
        EXPECT_NE(error.find(problem), std::string::npos) << error.substr(0, 200);
        EXPECT_LT(error.size(), 200u) << problem;
        EXPECT_EQ(clip.frameCount, 7) << "a refused clip leaves what it was to fill";
    }
}

// A byte-order mark, as some editors write it, comes before the hierarchy and is passed over; one
// anywhere else is no part of a clip.
TEST(BvhClip, AByteOrderMarkBeforeTheHierarchyIsPassedOver) {
    const std::string clip = Clip("1 2 3 4 5\n6 7 8 9 10\n");
    MotionClip plain, marked;
    std::string error;
    ASSERT_TRUE(ParseMotionClip(clip, &plain, &error)) << error;
    ASSERT_TRUE(ParseMotionClip("\xEF\xBB\xBF" + clip, &marked, &error)) << error;
    EXPECT_EQ(marked.joints.size(), plain.joints.size());
    EXPECT_EQ(marked.values, plain.values);
    EXPECT_FALSE(ParseMotionClip("\xEF\xBB\xBF\xEF\xBB\xBF" + clip, &marked, &error));
    EXPECT_NE(error.find("HIERARCHY expected, not '\\xef\\xbb\\xbfHIERARCHY'"), std::string::npos)
        << error;
}

} // namespace
