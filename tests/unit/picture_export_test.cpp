// The animation's pictures, decoded again: one frame per frame from 0 to playbackEnd, 800 x 600,
// as playback shows them (every bone of kinds 1 and 2 lime, the head, no joints, no stabilising
// bones, no playback marks), the same in the GIF and the PNGs and, at twice the size, in the MP4
// and WebM videos; lossless in the APNG, the WebP and the sprite sheet's cells; with a transparent
// ground where nothing is drawn; the frame rate; the command line and its failures.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "editor/picture_export.h"
#include "editor/program.h"
#include "model/editor_state.h"
#include "model/sound_track.h"
#include "storage/animation_file.h"
#include "storage/message_text.h"
#include "storage/numbered_files.h"
#include "support/drawing_session.h"
#include "support/editor_frames.h"
#include "support/failing_file_calls.h"
#include "support/picture_decoding.h"
#include "support/sound_files.h"
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
        editor.session.currentFrame = frame;
        int32_t x = WalkX(frame);
        AddJoint(x, 100, JointNormal);
        AddJoint(x + 200, 100, JointStatic);
        AddJoint(x, 300, JointNormal);
        AddBone(0, 1, BoneStandard);
        AddBone(0, 2, BoneFreeLength);
        AddBone(2, 1, BoneStabilising);
    }
    editor.session.currentFrame = 0;
    editor.animation.playbackEnd = lastFrame;
    editor.animation.headOn = 1;
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

// Pixels that differ from the opaque picture: in alpha (none where the ground is, full elsewhere)
// or, where opaque, in colour.
int32_t CountFigureDifferences(const std::vector<uint32_t>& pixels,
                               const std::vector<uint8_t>& alpha,
                               const std::vector<uint32_t>& opaque) {
    if (pixels.size() != opaque.size() || alpha.size() != opaque.size()) {
        return -1;
    }
    int32_t differences = 0;
    for (std::size_t pixel = 0; pixel < opaque.size(); ++pixel) {
        uint8_t expected = opaque[pixel] == kBackground ? 0 : 0xFF;
        differences +=
            alpha[pixel] != expected || (expected != 0 && pixels[pixel] != opaque[pixel]);
    }
    return differences;
}

std::string FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

std::vector<char*> ArgumentVector(std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    return argv;
}

struct ExportName {
    const char* option;
    const char* output;
};

constexpr ExportName kEveryExport[] = {
    {"--export-gif", "out.gif"},     {"--export-png", "frames"},      {"--export-mp4", "out.mp4"},
    {"--export-webm", "out.webm"},   {"--export-apng", "out.png"},    {"--export-webp", "out.webp"},
    {"--export-sheet", "sheet.png"}, {"--export-lottie", "out.json"},
};

// The command line as main hands it over: a walk saved as an animation file, then exported.
class PictureCommandTest : public testing::Test {
  protected:
    void SetUp() override {
        folder = MakeTestFolder("command");
        animation = folder + "/walk.txt";
        SaveWalk(2);
    }
    // The walk of frames 0 to lastFrame saved as the animation file, as the editor saves it.
    void SaveWalk(int32_t lastFrame, const std::string& sound = "") const {
        DrawingSession session;
        FileTableInit();
        BuildWalk(lastFrame);
        editor.animation.sound.reference = sound;
        AssignString(&editor.session.basePath, animation.c_str());
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

TEST_F(PictureCommandTest, TransparentPicturesShowTheFigureAsDrawnOverNothing) {
    std::string opaque = folder + "/opaque";
    std::string clear = folder + "/clear";
    ASSERT_EQ(Run({"--export-png", opaque, animation}), 0) << errors;
    ASSERT_EQ(Run({"--export-png", clear, animation, "--transparent"}), 0) << errors;
    std::vector<std::vector<uint32_t>> pictures;
    for (int32_t frame = 0; frame < 3; ++frame) {
        std::string name = "/frame_00" + std::to_string(frame) + ".png";
        pictures.push_back(DecodePng(opaque + name).pixels);
        DecodedPng png = DecodePng(clear + name, true);
        EXPECT_TRUE(png.hasAlpha);
        EXPECT_EQ(CountFigureDifferences(png.pixels, png.alpha, pictures[frame]), 0) << frame;
    }
    // The GIF: the ground's palette entry transparent, each frame cleared before the next.
    ASSERT_EQ(Run({"--export-gif", folder + "/clear.gif", animation, "--transparent"}), 0);
    DecodedGif gif = DecodeGif(folder + "/clear.gif");
    EXPECT_EQ(gif.frames, pictures);
    EXPECT_EQ(gif.transparent, std::vector<int64_t>(3, kBackground));
    EXPECT_EQ(gif.disposal, std::vector<int>(3, DISPOSE_BACKGROUND));
    // Lossless animations: every pixel as in the pictures, at the rate asked, looping.
    ASSERT_EQ(Run({"--export-apng", folder + "/walk.png", animation, "--fps", "10"}), 0);
    ASSERT_EQ(Run({"--export-apng", folder + "/clear.png", animation, "--transparent"}), 0);
    ASSERT_EQ(
        Run({"--export-webp", folder + "/clear.webp", animation, "--transparent", "--fps", "10"}),
        0);
    DecodedVideo apng = DecodeVideo(folder + "/walk.png");
    EXPECT_EQ(apng.codec + " " + apng.pixelFormat, "apng rgb24");
    EXPECT_DOUBLE_EQ(av_q2d(apng.frameRate), 10);
    EXPECT_EQ(apng.frames, pictures);
    for (DecodedVideo animated :
         {DecodeVideo(folder + "/clear.png", true), DecodeAnimatedWebP(folder + "/clear.webp")}) {
        ASSERT_EQ(animated.frames.size(), 3u) << animated.codec;
        for (int32_t frame = 0; frame < 3; ++frame) {
            EXPECT_EQ(CountFigureDifferences(animated.frames[frame], animated.alphas[frame],
                                             pictures[frame]),
                      0)
                << animated.codec << " frame " << frame;
        }
    }
    std::ifstream apngFile(folder + "/clear.png", std::ios::binary);
    std::string apngBytes(std::istreambuf_iterator<char>(apngFile), {});
    EXPECT_EQ(apngBytes.substr(apngBytes.find("acTL") + 8, 4), std::string(4, '\0')); // plays: 0
    DecodedVideo webp = DecodeAnimatedWebP(folder + "/clear.webp");
    EXPECT_EQ(webp.loopCount, 0);
    EXPECT_EQ(webp.timestamps, (std::vector<int32_t>{100, 200, 300}));
    // The Lottie file: a solid ground layer under the frames, none when transparent.
    for (bool transparent : {false, true}) {
        std::vector<std::string> arguments = {"--export-lottie", folder + "/walk.json", animation};
        if (transparent) {
            arguments.push_back("--transparent");
        }
        ASSERT_EQ(Run(arguments), 0) << errors;
        std::ifstream file(folder + "/walk.json");
        std::string text(std::istreambuf_iterator<char>(file), {});
        bool ground = text.find(R"("ty":1,"nm":"ground","sc":"#141414")") != std::string::npos;
        EXPECT_EQ(ground, !transparent);
    }
}

TEST_F(PictureCommandTest, TransparentWebmHasAnAlphaPlaneClearWhereNothingIsDrawn) {
    std::string path = folder + "/clear.webm";
    ASSERT_EQ(Run({"--export-webm", path, animation, "--transparent"}), 0) << errors;
    DecodedVideo video = DecodeVideo(path, true, "libvpx-vp9");
    EXPECT_EQ(video.codec, "vp9");
    ASSERT_EQ(video.frames.size(), 3u);
    for (int32_t frame = 0; frame < 3; ++frame) {
        // The standard bone's block, the ground's block beside it and the stabilising bone's.
        int32_t x = 2 * (230 + 50 * frame);
        const std::tuple<int32_t, int32_t, uint8_t> spots[] = {
            {x + 300, 200, 0xFF}, {x + 300, 220, 0}, {x + 200, 400, 0}};
        for (const auto& [spotX, spotY, alpha] : spots) {
            EXPECT_EQ(video.alphas[frame][spotY * 1600 + spotX], alpha) << spotX << "," << spotY;
            EXPECT_EQ(video.alphas[frame][(spotY + 1) * 1600 + spotX + 1], alpha);
        }
        EXPECT_TRUE(NearColour(video.frames[frame][200 * 1600 + x + 300], kLime)) << frame;
    }
}

TEST_F(PictureCommandTest, SpriteSheetCellsHoldEachFrameWhereTheAtlasSays) {
    std::vector<std::vector<uint32_t>> pictures;
    ASSERT_EQ(Run({"--export-png", folder + "/frames", animation}), 0) << errors;
    for (int32_t frame = 0; frame < 3; ++frame) {
        std::string name = folder + "/frames/frame_00" + std::to_string(frame) + ".png";
        pictures.push_back(DecodePng(name).pixels);
    }
    const std::regex cellPattern(
        R"re("frame_00(\d)":\{"frame":\{"x":(\d+),"y":(\d+),"w":(\d+),"h":(\d+)\},)re"
        R"re("rotated":false,"trimmed":true,"spriteSourceSize":\{"x":(\d+),"y":(\d+),)re"
        R"re("w":\d+,"h":\d+\},"sourceSize":\{"w":800,"h":600\},"duration":50\})re");
    for (bool transparent : {false, true}) {
        std::vector<std::string> arguments = {"--export-sheet", folder + "/sheet.png", animation,
                                              "--fps", "20"};
        if (transparent) {
            arguments.insert(arguments.end(), {"--transparent", "--columns", "9"});
        }
        ASSERT_EQ(Run(arguments), 0) << errors;
        DecodedPng sheet = DecodePng(folder + "/sheet.png", true);
        std::ifstream atlasFile(folder + "/sheet.json");
        std::string atlas(std::istreambuf_iterator<char>(atlasFile), {});
        EXPECT_NE(atlas.find(R"("image":"sheet.png","format":"RGBA8888","size":{"w":)" +
                             std::to_string(sheet.width)),
                  std::string::npos);
        EXPECT_NE(atlas.find(R"("frameTags":[{"name":"walk","from":0,"to":2,)"), std::string::npos);
        int32_t cells = 0;
        for (std::sregex_iterator match(atlas.begin(), atlas.end(), cellPattern), end; match != end;
             ++match, ++cells) {
            int32_t frame = std::stoi((*match)[1]);
            int32_t values[6];
            for (int32_t index = 0; index < 6; ++index) {
                values[index] = std::stoi((*match)[index + 2]);
            }
            auto [x, y, width, height, left, top] = values;
            // Two rows of two cells, or one row of three when more columns are asked for than
            // there are frames; each cell the drawn area and a margin of bare ground.
            int32_t columns = transparent ? 3 : 2;
            int32_t rows = transparent ? 1 : 2;
            EXPECT_EQ(std::pair(x, y),
                      std::pair(frame % columns * width, frame / columns * height));
            EXPECT_EQ(std::pair(sheet.width, sheet.height),
                      std::pair(columns * width, rows * height));
            std::vector<uint32_t> cell;
            std::vector<uint8_t> alpha;
            std::vector<uint32_t> expected(pictures[frame].size(), kBackground);
            for (int32_t row = 0; row < height; ++row) {
                for (int32_t column = 0; column < width; ++column) {
                    std::size_t at = (y + row) * sheet.width + x + column;
                    std::size_t source = (top + row) * 800 + left + column;
                    bool inside = row >= 2 && column >= 2 && row < height - 2 && column < width - 2;
                    expected[source] = inside ? pictures[frame][source] : kBackground;
                    cell.push_back(sheet.pixels[at]);
                    alpha.push_back(sheet.alpha[at]);
                }
            }
            EXPECT_EQ(expected, pictures[frame]) << "something drawn outside the cell's inside";
            std::vector<uint32_t> picturePart;
            for (int32_t row = 0; row < height; ++row) {
                auto start = pictures[frame].begin() + (top + row) * 800 + left;
                picturePart.insert(picturePart.end(), start, start + width);
            }
            if (transparent) {
                EXPECT_EQ(CountFigureDifferences(cell, alpha, picturePart), 0) << frame;
            } else {
                EXPECT_EQ(cell, picturePart) << frame;
            }
        }
        EXPECT_EQ(cells, 3) << atlas;
    }
}

// Each frame's layer shows from its own frame's in-point to the next frame's, its bones from pixel
// centre to pixel centre where the pictures draw them: from (x, 100) to (x + 200, 100) and down
// to (x, 300).
TEST_F(PictureCommandTest, LottieLayersShowEachFrameForItsOwnTimeWithBonesOnPixelCentres) {
    ASSERT_EQ(Run({"--export-lottie", folder + "/walk.json", animation}), 0) << errors;
    std::ifstream file(folder + "/walk.json");
    std::vector<std::string> layers;
    for (std::string line; std::getline(file, line);) {
        if (line.find(R"("nm":"frame )") != std::string::npos) {
            layers.push_back(line);
        }
    }
    ASSERT_EQ(layers.size(), 3u);
    for (int32_t frame = 0; frame < 3; ++frame) {
        std::string f = std::to_string(frame);
        std::string x = std::to_string(WalkX(frame));
        std::string end = std::to_string(WalkX(frame) + 200);
        for (const std::string& part :
             {R"("nm":"frame )" + f + '"', R"("ip":)" + f + R"(,"op":)" + std::to_string(frame + 1),
              R"("v":[[)" + x + ".5,100.5],[" + end + ".5,100.5]]",
              R"("v":[[)" + x + ".5,100.5],[" + x + ".5,300.5]]"}) {
            EXPECT_NE(layers[frame].find(part), std::string::npos)
                << part << " in " << layers[frame];
        }
    }
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
        {{"--export-gif", gifPath, folder + "/missing.txt"},
         1,
         "cannot read " + Quoted(folder + "/missing.txt") + ": no such file or folder"},
        {{"--export-gif", gifPath, folder}, 1, "is a folder"},
        {{"--export-gif", folder + "/none/out.gif", animation},
         1,
         Quoted(folder + "/none/out.gif")},
        {{"--export-png", animation, animation}, 1, "is not a folder"},
        {{"--export-jpg", gifPath, animation}, 2, "unknown option '--export-jpg'"},
        {{"--export-gif", gifPath}, 2, "takes one animation, not 0"},
        {{animation, "--fps", "5", "--export-png", gifPath}, 2, "PNGs have no frame rate"},
        {{"--export-mp4", folder + "/none/out.mp4", animation},
         1,
         Quoted(folder + "/none/out.mp4")},
        {{"--export-webm", folder, animation}, 1, "is no regular file"},
        {{"--fps", "5", "--export-gif", gifPath, animation, "--fps", "5"}, 2, "given twice"},
        {{"--fps", "5", gifPath, animation}, 2, "it needs an --export- option"},
        {{"--export-sheet", folder + "/none/s.png", animation}, 1, Quoted(folder + "/none/s.json")},
        {{"--export-lottie", folder + "/none/l.json", animation},
         1,
         Quoted(folder + "/none/l.json")},
        {{"--export-apng", folder, animation}, 1, "is no regular file"},
        {{"--export-webp", folder + "/none/w.webp", animation}, 1, Quoted(folder + "/none/w.webp")},
        {{"--export-lottie", animation, animation}, 1, "is the animation itself"},
        {{"--export-sheet", folder + "/./walk.txt", animation}, 1, "is the animation itself"},
        {{"--export-mp4", folder + "/out.mp4", animation, "--sound", folder + "/none.ogg"},
         1,
         "cannot read " + Quoted(folder + "/none.ogg")},
        {{"--export-webm", folder + "/out.webm", "--sound", animation, animation},
         1,
         "cannot read the sound " + Quoted(animation) + ": not a sound file"},
        {{"--export-gif", gifPath, animation, "--sound", animation}, 2, "have sound"},
        {{"--export-lottie", gifPath, animation, "--no-sound"}, 2, "have sound"},
    };
    std::ifstream saved(animation, std::ios::binary);
    const std::string animationBytes(std::istreambuf_iterator<char>(saved), {});
    for (const Case& test : cases) {
        EXPECT_EQ(Run(test.arguments), test.code) << test.message;
        EXPECT_EQ(errors.rfind("limbrado: ", 0), 0u) << errors;
        EXPECT_NE(errors.find(test.message), std::string::npos) << errors;
        EXPECT_FALSE(std::filesystem::exists(gifPath)) << test.message;
        EXPECT_EQ(FolderEntries(folder).size(), 1u) << test.message; // only the animation
        std::ifstream kept(animation, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), animationBytes)
            << test.message;
    }
    // The sheet OUT.png writes its atlas to OUT.json: refused when that is the animation itself or
    // a link to it.
    const std::string json = folder + "/walk.json";
    std::filesystem::rename(animation, json);
    std::filesystem::create_symlink("walk.json", folder + "/link.json");
    for (const std::string& sheet : {folder + "/walk.png", folder + "/link.png"}) {
        EXPECT_EQ(Run({"--export-sheet", sheet, json}), 1) << sheet;
        EXPECT_NE(errors.find("is the animation itself"), std::string::npos) << errors;
        EXPECT_EQ(FolderEntries(folder).size(), 2u) << sheet;
        EXPECT_TRUE(std::filesystem::is_symlink(folder + "/link.json")) << sheet;
        std::ifstream kept(json, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), animationBytes) << sheet;
    }
}

// The videos' sound as FFmpeg's own tools find it: an AAC or Opus stream as long as the video
// within a frame, whether the sound is longer (cut) or shorter (filled with silence), and the
// click heard at its frame's time within a frame; the animation's own sound, or --sound's.
TEST_F(PictureCommandTest, VideosCarryTheSoundAsAacOrOpusWithTheClickAtItsFrame) {
    WriteClickWav(folder + "/click.wav", 44100, 1, 3.0, 0.45);       // frame 4 at 10 a second
    WriteClickWav(folder + "/short.wav", 22050, 2, 0.5, 0.15, 0.35); // frame 1 left, 3 right
    SaveWalk(11, "click.wav");
    const struct {
        const char* option;
        const char* output;
        std::vector<std::string> sound;
        const char* codec;  // null: no sound stream
        double left, right; // the click in each channel
    } cases[] = {
        {"--export-mp4", "own.mp4", {}, "aac", 0.45, 0.45},
        {"--export-webm", "own.webm", {}, "opus", 0.45, 0.45},
        {"--export-mp4", "given.mp4", {"--sound", folder + "/short.wav"}, "aac", 0.15, 0.35},
        {"--export-webm", "given.webm", {"--sound", folder + "/short.wav"}, "opus", 0.15, 0.35},
        {"--export-mp4", "silent.mp4", {"--no-sound"}, nullptr, 0, 0},
    };
    const double frame = 1.0 / 10;
    for (const auto& test : cases) {
        SCOPED_TRACE(test.output);
        std::string output = folder + "/" + test.output;
        std::vector<std::string> arguments = {test.option, output, animation, "--fps", "10"};
        arguments.insert(arguments.end(), test.sound.begin(), test.sound.end());
        ASSERT_EQ(Run(arguments), 0) << errors;
        // codec_type,codec_name,duration,DURATION tag (the WebM keeps its durations there).
        std::string streams = CommandOutput("ffprobe -v error -show_entries "
                                            "stream=codec_type,codec_name,duration:stream_tags="
                                            "DURATION -of csv=p=0 '" +
                                            output + "'");
        std::map<std::string, std::pair<std::string, double>> found;
        std::regex row(R"((\w+),(\w+),([0-9.]+|N/A)(?:,(\d+):(\d+):([0-9.]+))?)");
        for (std::sregex_iterator at(streams.begin(), streams.end(), row), end; at != end; ++at) {
            const std::smatch& match = *at;
            double seconds = match[3] != "N/A"  ? std::stod(match[3])
                             : match[6].matched ? std::stod(match[4]) * 3600 +
                                                      std::stod(match[5]) * 60 + std::stod(match[6])
                                                : -1;
            found[match[2]] = {match[1], seconds};
        }
        ASSERT_TRUE(found.contains("video")) << streams;
        EXPECT_NEAR(found["video"].second, 12 * frame, frame) << streams;
        if (test.codec == nullptr) {
            EXPECT_FALSE(found.contains("audio")) << streams;
            continue;
        }
        ASSERT_TRUE(found.contains("audio")) << streams;
        EXPECT_EQ(found["audio"].first, test.codec);
        EXPECT_NEAR(found["audio"].second, found["video"].second, frame / 2) << streams;
        std::vector<int16_t> heard = FfmpegDecoded(output, 2);
        EXPECT_NEAR(static_cast<double>(FirstLoudFrame(ChannelOf(heard, 0), 1)) / 48000, test.left,
                    frame);
        EXPECT_NEAR(static_cast<double>(FirstLoudFrame(ChannelOf(heard, 1), 1)) / 48000, test.right,
                    frame);
    }
    // The animation's own sound gone: the video is not made silent behind the user's back.
    std::filesystem::remove(folder + "/click.wav");
    EXPECT_EQ(Run({"--export-mp4", folder + "/gone.mp4", animation}), 1);
    EXPECT_NE(errors.find("--no-sound leaves it out"), std::string::npos) << errors;
    EXPECT_FALSE(std::filesystem::exists(folder + "/gone.mp4"));
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
         "cannot read " + Quoted(animation) + ": the disk could not be read or written"},
        {[](FileSystemCalls* calls) {
             calls->makeFolder = [](const char*, int) { return errno = EACCES, -1; };
         },
         {"--export-png", folder + "/frames", animation},
         "cannot make the folder " + Quoted(folder + "/frames") + ": permission denied"},
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

// Arguments given the wrong way round, or an output that names a file of another kind: nothing is
// replaced, and one line names the file and what it is not.
TEST_F(PictureCommandTest, ExportsReplaceOnlyFilesOfTheirOwnKindAndNeverTheirInput) {
    const struct {
        std::string option, earlier, kind;
    } cases[] = {
        {"--export-gif", "walk.gif", "a GIF"},
        {"--export-mp4", "walk.mp4", "an MP4 video"},
        {"--export-webm", "walk.webm", "a WebM video"},
        {"--export-apng", "walk.apng", "a PNG picture"},
        {"--export-webp", "walk.webp", "a WebP picture"},
        {"--export-sheet", "sheet.png", "a PNG picture"},
        {"--export-lottie", "walk.json", "a JSON file"},
    };
    const std::string animationBytes = FileBytes(animation);
    for (const auto& test : cases) {
        ASSERT_EQ(Run({test.option, folder + "/" + test.earlier, animation}), 0) << errors;
        std::map<std::string, std::string> before = FolderContents(folder);
        EXPECT_EQ(Run({test.option, animation, folder + "/" + test.earlier}), 1) << test.option;
        EXPECT_EQ(errors.find('\n'), errors.size() - 1) << errors;
        EXPECT_NE(errors.find(Quoted(animation) + " is not " + test.kind), std::string::npos)
            << errors;
        EXPECT_TRUE(FolderContents(folder) == before) << test.option;
    }
    // The frame files, one of them the animation, one a file of the user's; and the sheet's atlas.
    ASSERT_EQ(Run({"--export-png", folder + "/frames", animation}), 0) << errors;
    std::filesystem::copy_file(animation, folder + "/frames/frame_000.png",
                               std::filesystem::copy_options::overwrite_existing);
    std::ofstream(folder + "/notes.json") << "some notes";
    WriteClickWav(folder + "/click.wav", 8000, 1, 0.1, 0.05);
    std::ofstream(folder + "/film.avi", std::ios::binary).write("RIFF\4\0\0\0AVI ", 12);
    const struct {
        std::vector<std::string> arguments;
        std::string message;
    } refused[] = {
        {{"--export-png", folder + "/frames", folder + "/frames/frame_000.png"},
         Quoted(folder + "/frames/frame_000.png") + " is the animation itself"},
        {{"--export-png", folder + "/frames", animation},
         Quoted(folder + "/frames/frame_000.png") + " is not a PNG picture"},
        {{"--export-sheet", folder + "/notes.png", animation},
         Quoted(folder + "/notes.json") + " is not a JSON file"},
        {{"--export-webp", folder + "/click.wav", animation},
         Quoted(folder + "/click.wav") + " is not a WebP picture"},
        {{"--export-webp", folder + "/film.avi", animation},
         Quoted(folder + "/film.avi") + " is not a WebP picture"},
    };
    for (const auto& test : refused) {
        std::map<std::string, std::string> before = FolderContents(folder);
        EXPECT_EQ(Run(test.arguments), 1) << test.message;
        EXPECT_NE(errors.find(test.message), std::string::npos) << errors;
        EXPECT_TRUE(FolderContents(folder) == before) << test.message;
    }
    EXPECT_EQ(FileBytes(animation), animationBytes);
    // Other files in the frames' folder stay as they are; an empty file holds nothing to lose.
    std::filesystem::remove(folder + "/frames/frame_000.png");
    std::ofstream(folder + "/frames/notes.txt") << "mine";
    std::ofstream(folder + "/empty.gif").close();
    ASSERT_EQ(Run({"--export-png", folder + "/frames", animation}), 0) << errors;
    ASSERT_EQ(Run({"--export-gif", folder + "/empty.gif", animation}), 0) << errors;
    EXPECT_EQ(FileBytes(folder + "/frames/notes.txt"), "mine");
    EXPECT_EQ(DecodeGif(folder + "/empty.gif").frames.size(), 3u);
}

// A FIFO given as the animation is refused without opening it: a writer waiting at its other end
// would let an export through that opened it to read, and the message would then be another.
TEST_F(PictureCommandTest, AnAnimationThatIsAFifoFailsAtOnceForEveryExport) {
    std::string fifo = folder + "/fifo.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const ExportName& test : kEveryExport) {
        std::thread writer([&fifo] {
            int descriptor = ::open(fifo.c_str(), O_WRONLY | O_CLOEXEC);
            if (descriptor >= 0) {
                ::close(descriptor);
            }
        });
        EXPECT_EQ(Run({test.option, folder + "/" + test.output, fifo}), 1) << test.option;
        // The writer waits until someone opens the FIFO to read; this lets it go.
        int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        writer.join();
        ::close(reader);
        EXPECT_EQ(errors, "limbrado: cannot read " + Quoted(fifo) + ": it is a FIFO, not a file\n");
        EXPECT_EQ(FolderEntries(folder).size(), 2u) << test.option; // the animation, the FIFO
    }
}

// The disk fills while one file of the export is written, or one of its renames fails: every file
// of the export is as it was, the earlier frames and sheet included, and no temporary file is left.
TEST_F(PictureCommandTest, AFullDiskOrAFailedRenameLeavesEveryFileAsItWas) {
    // Earlier exports of a shorter walk with a transparent ground, so that every file differs.
    ASSERT_EQ(Run({"--export-png", folder + "/frames", animation, "--transparent"}), 0) << errors;
    ASSERT_EQ(Run({"--export-sheet", folder + "/sheet.png", animation, "--transparent"}), 0);
    SaveWalk(4);
    const std::vector<std::string> frames = {"--export-png", folder + "/frames", animation};
    const std::vector<std::string> sheet = {"--export-sheet", folder + "/sheet.png", animation};
    const struct {
        std::vector<std::string> arguments;
        std::string file;
        bool atRename;
    } cases[] = {
        {frames, "frame_003", false},    {frames, "frame_004.png", true},
        {frames, "frame_000.png", true}, {sheet, "sheet.json", false},
        {sheet, "sheet.json", true},     {sheet, "sheet.png", true},
        {sheet, "sheet.png", false},
    };
    for (const auto& test : cases) {
        std::map<std::string, std::string> before = FolderContents(folder);
        DiskFullAt::Plant(test.file, test.atRename);
        EXPECT_EQ(Run(test.arguments), 1) << test.file;
        DiskFullAt::Remove();
        EXPECT_TRUE(FolderContents(folder) == before)
            << test.file << " " << test.atRename << errors;
    }
    ASSERT_EQ(Run(frames), 0) << errors;
    EXPECT_EQ(FolderEntries(folder + "/frames").size(), 5u);
}

} // namespace

namespace {

// The walk with an orange standard bone 12 pixels wide and a blue disc on its free-length bone,
// on a light ground, exported in-process from the grids.
class StyledExportTest : public testing::Test {
  protected:
    static constexpr uint32_t kGround = 0xA0D8FF;
    static constexpr uint32_t kOrange = 0xFF8000;
    static constexpr uint32_t kBlue = 0x0060FF;

    void SetUp() override {
        ASSERT_TRUE(session.opened);
        folder = MakeTestFolder("styled");
        BuildWalk(2);
        for (int32_t frame = 0; frame <= 2; ++frame) {
            BoneAt(frame, 0).style = BoneStyle{0xFF, 0x80, 0x00, 1, 11, ShapeLine};
            BoneAt(frame, 1).style = BoneStyle{0x00, 0x60, 0xFF, 1, 3, ShapeDisc};
        }
        editor.animation.groundColour = static_cast<int32_t>(kGround);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    DrawingSession session;
    std::string folder;
    std::string error;
};

TEST_F(StyledExportTest, EveryExportShowsTheBonesColoursWidthsAndShapesOnTheGround) {
    PictureRequest request;
    request.animation = &editor.animation;
    ASSERT_TRUE(ExportAnimationPngs((folder + "/frames").c_str(), request, &error)) << error;
    ASSERT_TRUE(ExportAnimationGif((folder + "/walk.gif").c_str(), request, &error)) << error;
    ASSERT_TRUE(ExportAnimationVideo((folder + "/walk.mp4").c_str(), kMp4Video, request, &error))
        << error;
    DecodedGif gif = DecodeGif(folder + "/walk.gif");
    DecodedVideo video = DecodeVideo(folder + "/walk.mp4");
    ASSERT_EQ(gif.frames.size(), 3u);
    ASSERT_EQ(video.frames.size(), 3u);
    for (int32_t frame = 0; frame < 3; ++frame) {
        std::vector<uint32_t> png =
            DecodePng(folder + "/frames/frame_00" + std::to_string(frame) + ".png").pixels;
        ASSERT_EQ(png.size(), 800u * 600u);
        int32_t x = WalkX(frame);
        // The bone's middle row and 5 rows either side, the disc's inside, the bare ground.
        const std::tuple<int32_t, int32_t, uint32_t> spots[] = {
            {x + 100, 100, kOrange}, {x + 100, 95, kOrange}, {x + 100, 105, kOrange},
            {x + 100, 92, kGround},  {x + 50, 200, kBlue},   {x - 60, 200, kBlue},
            {x - 110, 200, kGround}, {10, 10, kGround}};
        for (const auto& [spotX, spotY, colour] : spots) {
            EXPECT_EQ(png[spotY * 800 + spotX], colour) << frame << " at " << spotX << "," << spotY;
            EXPECT_TRUE(NearColour(video.frames[frame][2 * spotY * 1600 + 2 * spotX], colour))
                << "MP4 " << frame << " at " << spotX << "," << spotY;
        }
        // The GIF keeps every colour drawn in full exact; edges take their nearest entry.
        for (std::size_t pixel = 0; pixel < png.size(); ++pixel) {
            uint32_t colour = png[pixel];
            if (colour == kOrange || colour == kBlue || colour == kGround || colour == kHeadGrey) {
                ASSERT_EQ(gif.frames[frame][pixel], colour) << frame << " pixel " << pixel;
            }
        }
    }
    // With --transparent the light ground is what becomes clear.
    request.transparent = true;
    ASSERT_TRUE(ExportAnimationPngs((folder + "/clear").c_str(), request, &error)) << error;
    DecodedPng clear = DecodePng(folder + "/clear/frame_000.png", true);
    EXPECT_EQ(clear.alpha[10 * 800 + 10], 0);
    EXPECT_EQ(clear.alpha[100 * 800 + WalkX(0) + 100], 0xFF);
}

TEST_F(StyledExportTest, LottieStrokesEachBoneInItsColourAndWidthOverTheGroundsColour) {
    // In frame 2 the free-length bone is an orange line 4 wide, beside the orange one 12 wide.
    BoneAt(2, 1).style = BoneStyle{0xFF, 0x80, 0x00, 1, 3, ShapeLine};
    PictureRequest request;
    request.animation = &editor.animation;
    ASSERT_TRUE(ExportAnimationLottie((folder + "/walk.json").c_str(), request, &error)) << error;
    std::ifstream file(folder + "/walk.json");
    std::string text(std::istreambuf_iterator<char>(file), {});
    EXPECT_NE(text.find(R"("ty":1,"nm":"ground","sc":"#a0d8ff")"), std::string::npos);
    for (const char* width : {"12", "4"}) {
        EXPECT_NE(text.find(std::string(R"("c":{"a":0,"k":[1.000000,0.501961,0.000000,1]},)") +
                            R"("o":{"a":0,"k":100},"w":{"a":0,"k":)" + width +
                            R"(},"lc":2,"lj":2})"),
                  std::string::npos)
            << width;
    }
    // The disc: an ellipse through both joints' pixel centres, stroked 4 wide and filled.
    std::string disc =
        R"({"ty":"el","d":1,"p":{"a":0,"k":[230.5,200.5]},"s":{"a":0,"k":[200,200]}},)"
        R"({"ty":"st","c":{"a":0,"k":[0.000000,0.376471,1.000000,1]},)"
        R"("o":{"a":0,"k":100},"w":{"a":0,"k":4},"lc":2,"lj":2},{"ty":"fl")";
    EXPECT_NE(text.find(disc), std::string::npos) << text.substr(0, 2000);
}

} // namespace
