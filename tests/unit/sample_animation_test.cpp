// The sample animation that `make run` opens and the scene of the README's pictures: the
// checked-in files are what their builders save today, and the walk loaded into the editor plays a
// different picture in each of its frames.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "sample_scene.h"
#include "sample_walk.h"
#include "storage/animation_file.h"
#include "support/scripted_session.h"

namespace {

using Bytes = std::vector<unsigned char>;

const std::string kSample = std::string(LIMBRADO_SOURCE_DIR) + "/docs/sample/walk.txt";

class SampleAnimation : public ScriptedSession {};

// The walk, and the scene of the README's pictures.
TEST_F(SampleAnimation, CheckedInFilesAreWhatTheBuildersSave) {
    const std::pair<std::string, void (*)()> samples[] = {
        {kSample, BuildSampleWalk},
        {std::string(LIMBRADO_SOURCE_DIR) + "/docs/sample/scene.txt", BuildSampleScene},
    };
    for (const auto& [file, build] : samples) {
        ResetAll();
        build();
        Bytes built;
        EncodeAnimation(editor.animation, &built);
        std::ifstream in(file, std::ios::binary);
        EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(in), {}), built)
            << file << ": renew the samples with: build/release/make_sample "
            << "docs/sample/walk.txt docs/sample/scene.txt data/figures";
    }
}

TEST_F(SampleAnimation, LoadsAndPlaysEachFrameAsItsOwnPicture) {
    std::filesystem::copy_file(kSample, path, std::filesystem::copy_options::overwrite_existing);
    Tap(ScanF8);
    ASSERT_EQ(editor.animation.playbackEnd, kSampleFrames - 1);
    EXPECT_EQ(editor.animation.headOn, 1);
    EXPECT_EQ(UsedJoints(0), 11);
    EXPECT_EQ(UsedBones(kSampleFrames - 1), 10);

    HeadlessKeepFrames(32);
    int64_t before = HeadlessPresentCount();
    Hold(ScanF12);
    HeadlessInput released;
    released.cursorX = 700;
    released.cursorY = 550;
    for (int pass = 0; pass < kSampleFrames; ++pass) {
        HeadlessQueueInput(released);
    }
    HeadlessInput pressed = released;
    pressed.keys[ScanF12] = 0x80;
    HeadlessQueueInput(pressed);
    Cycle();
    // A pass for the held press and one for each released snapshot; the press after them stops
    // it. Then the picture after playback and the cycle's own.
    ASSERT_EQ(HeadlessPresentCount(), before + 12);
    std::set<std::vector<uint32_t>> pictures;
    const std::vector<HeadlessFrame>& frames = HeadlessFrames();
    for (size_t index = frames.size() - 12; index < frames.size() - 12 + 8; ++index) {
        pictures.insert(frames[index].pixels);
    }
    EXPECT_EQ(pictures.size(), 8u) << "frames 0 to 7, each its own picture";
    EXPECT_EQ(frames[frames.size() - 12].pixels, frames[frames.size() - 12 + 8].pixels)
        << "after frame 7 playback is back at frame 0";
}

} // namespace
