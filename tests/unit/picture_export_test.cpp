// The animation's pictures, decoded again: one frame per frame from 0 to playbackEnd, 800 x 600,
// as playback shows them (every bone of kinds 1 and 2 lime, the head, no joints, no stabilising
// bones, no playback marks), the same in the GIF and the PNGs and, at twice the size, in the MP4
// and WebM videos; the frame rate; the command line and its failures.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "editor/command_line.h"
#include "editor/picture_export.h"
#include "model/editor_state.h"
#include "storage/animation_file.h"
#include "storage/numbered_files.h"
#include "support/drawing_session.h"
#include "support/picture_decoding.h"
#include "support/test_folder.h"
#include "support/video_decoding.h"

namespace {

constexpr uint32_t kBackground = 0x141414;
constexpr uint32_t kLime = 0xBBFF00;
constexpr uint32_t kHeadGrey = 0x505050;

// Frame f: a standard bone from (x, 100) to (x + 200, 100), a free-length bone down to (x, 300)
// and a stabilising bone from there to the standard bone's far end, where x = 230 + 50 (f mod 3).
int32_t WalkX(int32_t frame) {
    return 230 + 50 * (frame % 3);
}

void BuildWalk(int32_t lastFrame) {
    for (int32_t frame = 0; frame <= lastFrame; ++frame) {
        editor.currentFrame = frame;
        int32_t x = WalkX(frame);
        AddJoint(x, 100, JointNormal);
        AddJoint(x + 200, 100, JointStatic);
        AddJoint(x, 300, JointNormal);
        AddBone(0, 1, BoneStandard);
        AddBone(0, 2, BoneFreeLength);
        AddBone(2, 1, BoneStabilising);
    }
    editor.currentFrame = 0;
    editor.playbackEnd = lastFrame;
    editor.headOn = 1;
}

void ExpectPlaybackPicture(const std::vector<uint32_t>& pixels, int32_t frame) {
    auto at = [&pixels](int32_t x, int32_t y) { return pixels[y * 800 + x]; };
    int32_t x = WalkX(frame);
    EXPECT_EQ(at(x + 150, 100), kLime) << "standard bone, frame " << frame;
    EXPECT_EQ(at(x, 250), kLime) << "free-length bone, frame " << frame;
    EXPECT_EQ(at(x + 100, 200), kBackground) << "stabilising bone, frame " << frame;
    EXPECT_EQ(at(x + 20, 110), kHeadGrey) << "head, frame " << frame;
    EXPECT_EQ(at(400, 450), kLime) << "the box, which playback shows too, frame " << frame;
    // No joint disc (green or red), no grey play mark, no other colour anywhere.
    std::set<uint32_t> colours(pixels.begin(), pixels.end());
    EXPECT_EQ(colours, (std::set<uint32_t>{kBackground, kHeadGrey, kLime}));
}

// Whether each channel of the colour is as near expected as the lossy video codecs keep it.
bool NearColour(uint32_t colour, uint32_t expected) {
    return std::ranges::all_of(std::array{0, 8, 16}, [&](int shift) {
        int channel = static_cast<int>(colour >> shift & 0xFF);
        return std::abs(channel - static_cast<int>(expected >> shift & 0xFF)) <= 24;
    });
}

std::vector<char*> ArgumentVector(std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    return argv;
}

// The command line as main hands it over: a walk saved as an animation file, then exported.
class PictureCommandTest : public testing::Test {
  protected:
    void SetUp() override {
        folder = MakeTestFolder("command");
        animation = folder + "/walk.txt";
        SaveWalk(2);
    }
    // The walk of frames 0 to lastFrame saved as the animation file, as the editor saves it.
    void SaveWalk(int32_t lastFrame) const {
        DrawingSession session;
        FileTableInit();
        BuildWalk(lastFrame);
        AssignString(&editor.basePath, animation.c_str());
        EXPECT_EQ(SaveAnimation(), 1);
        FileTableShutdown();
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    // Runs the command, keeping what it wrote on stderr.
    int Run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "limbrado");
        std::vector<char*> argv = ArgumentVector(arguments);
        HeadlessReset();
        testing::internal::CaptureStderr();
        int code = RunProgram(static_cast<int>(arguments.size()), argv.data());
        errors = testing::internal::GetCapturedStderr();
        return code;
    }

    std::string folder;
    std::string animation;
    std::string errors;
};

TEST_F(PictureCommandTest, SavedAnimationBecomesAGifAndPngsOfFramesZeroToItsLast) {
    std::string gifPath = folder + "/walk.gif";
    for (int32_t lastFrame : {2, 0}) {
        SaveWalk(lastFrame);
        std::string frames = folder + "/frames" + std::to_string(lastFrame);
        ASSERT_EQ(Run({"--export-gif", gifPath, animation}), 0) << errors;
        ASSERT_EQ(Run({"--export-png", frames, animation}), 0) << errors;
        EXPECT_EQ(errors, ""); // no progress bar when stderr is no terminal
        DecodedGif gif = DecodeGif(gifPath);
        EXPECT_EQ(gif.width, 800);
        EXPECT_EQ(gif.height, 600);
        EXPECT_EQ(gif.loopCount, 0);
        ASSERT_EQ(gif.frames.size(), static_cast<std::size_t>(lastFrame + 1));
        EXPECT_EQ(FolderEntries(frames).size(), gif.frames.size());
        for (int32_t frame = 0; frame <= lastFrame; ++frame) {
            ExpectPlaybackPicture(gif.frames[frame], frame);
            EXPECT_EQ(gif.delays[frame], 4);
            DecodedPng png = DecodePng(frames + "/frame_00" + std::to_string(frame) + ".png");
            EXPECT_EQ(png.width, 800);
            EXPECT_EQ(png.pixels, gif.frames[frame]) << frame;
        }
    }
    // All the 501 frames a file holds: the GIF's frames are counted, not decoded (that would take
    // half a gigabyte), and no PNGs are written (501 of them take seconds).
    SaveWalk(500);
    ASSERT_EQ(Run({"--export-gif", gifPath, animation}), 0) << errors;
    EXPECT_EQ(CountGifFrames(gifPath), 501);
}

TEST_F(PictureCommandTest, VideosShowEveryFrameAsTwoByTwoBlocksAtTheRateAsked) {
    const struct {
        std::string option, name, rate, codec;
    } cases[] = {{"--export-mp4", "walk.mp4", "20", "h264"},
                 {"--export-webm", "walk.webm", "10", "vp9"}};
    // A standard, a free-length and a stabilising bone, x counted from where the frame puts it.
    const std::tuple<int32_t, int32_t, uint32_t> spots[] = {
        {300, 200, kLime}, {0, 500, kLime}, {200, 400, kBackground}};
    for (const auto& test : cases) {
        std::string path = folder + "/" + test.name;
        ASSERT_EQ(Run({test.option, path, animation, "--fps", test.rate}), 0) << errors;
        DecodedVideo video = DecodeVideo(path);
        EXPECT_EQ(video.codec + " " + video.pixelFormat, test.codec + " yuv420p");
        ASSERT_EQ(std::pair(video.width, video.height), std::pair(1600, 1200)) << test.name;
        EXPECT_DOUBLE_EQ(av_q2d(video.frameRate), std::stoi(test.rate)) << test.name;
        ASSERT_EQ(video.frames.size(), 3u) << test.name;
        for (int32_t frame = 0; frame < 3; ++frame) {
            for (const auto& [spotX, spotY, colour] : spots) {
                int32_t x = 2 * WalkX(frame) + spotX; // both corners of its 2 x 2 block:
                const std::vector<uint32_t>& pixels = video.frames[frame];
                EXPECT_TRUE(NearColour(pixels[spotY * 1600 + x], colour) &&
                            NearColour(pixels[(spotY + 1) * 1600 + x + 1], colour))
                    << test.name << " frame " << frame << " at " << x << "," << spotY;
            }
        }
    }
    // The MP4's index stands before its data, so that playing can start before the download ends.
    std::ifstream mp4(folder + "/walk.mp4", std::ios::binary);
    std::string bytes(std::istreambuf_iterator<char>(mp4), {});
    EXPECT_NE(bytes.find("mdat"), std::string::npos);
    EXPECT_LT(bytes.find("moov"), bytes.find("mdat"));
}

TEST_F(PictureCommandTest, GifShowsEachFrameForTheNearestHundredthsToTheRateAsked) {
    const std::pair<std::string, int32_t> cases[] = {
        {"1", 100}, {"25", 4}, {"30", 3}, {"40", 3}, {"100", 1}};
    for (const auto& [rate, delay] : cases) {
        std::string gifPath = folder + "/walk" + rate + ".gif";
        ASSERT_EQ(Run({"--fps", rate, "--export-gif", gifPath, animation}), 0) << errors;
        EXPECT_EQ(DecodeGif(gifPath).delays, std::vector<int32_t>(3, delay)) << rate;
    }
}

TEST_F(PictureCommandTest, WrongCommandLinesAndUnusableFilesFailWithAMessage) {
    std::string gifPath = folder + "/out.gif";
    struct Case {
        std::vector<std::string> arguments;
        int code;
        std::string message;
    };
    const Case cases[] = {
        {{"--export-gif", gifPath, folder + "/missing.txt"}, 1, "cannot read '" + folder},
        {{"--export-gif", gifPath, folder}, 1, "is a folder"},
        {{"--export-gif", folder + "/none/out.gif", animation}, 1, folder + "/none/out.gif"},
        {{"--export-png", animation, animation}, 1, "is not a folder"},
        {{"--export-jpg", gifPath, animation}, 2, "unknown option '--export-jpg'"},
        {{"--export-gif", gifPath}, 2, "takes one animation, not 0"},
        {{animation, "--fps", "5", "--export-png", gifPath}, 2, "PNGs have no frame rate"},
        {{"--export-mp4", folder + "/none/out.mp4", animation}, 1, folder + "/none/out.mp4"},
        {{"--export-webm", folder, animation}, 1, "is no regular file"},
        {{"--fps", "5", "--export-gif", gifPath, animation, "--fps", "5"}, 2, "given twice"},
        {{"--fps", "5", gifPath, animation}, 2, "it needs an --export- option"},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(Run(test.arguments), test.code) << test.message;
        EXPECT_EQ(errors.rfind("limbrado: ", 0), 0u) << errors;
        EXPECT_NE(errors.find(test.message), std::string::npos) << errors;
        EXPECT_FALSE(std::filesystem::exists(gifPath)) << test.message;
        EXPECT_EQ(FolderEntries(folder).size(), 1u) << test.message; // only the animation
    }
}

// The checks before the load and the folder for the PNGs go through the file layer's calls.
TEST_F(PictureCommandTest, FileCallsThatFailInTheFileLayerAreReported) {
    const struct {
        void (*plant)(FileSystemCalls* calls);
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {[](FileSystemCalls* calls) {
             calls->status = [](int, struct stat*) { return errno = EIO, -1; };
         },
         {"--export-gif", folder + "/out.gif", animation},
         "cannot read '" + animation + "': " + std::strerror(EIO)},
        {[](FileSystemCalls* calls) {
             calls->makeFolder = [](const char*, int) { return errno = EACCES, -1; };
         },
         {"--export-png", folder + "/frames", animation},
         "cannot make the folder '" + folder + "/frames': " + std::strerror(EACCES)},
    };
    const FileSystemCalls real = FileSystem();
    for (const auto& test : cases) {
        test.plant(&FileSystem());
        EXPECT_EQ(Run(test.arguments), 1) << test.message;
        FileSystem() = real;
        EXPECT_EQ(errors, "limbrado: " + test.message + "\n");
        EXPECT_EQ(FolderEntries(folder).size(), 1u) << test.message; // only the animation
    }
}

} // namespace
