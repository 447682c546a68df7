// GIF files read back through giflib: size, frame count, delays, the loop extension and exact
// colours; one shared palette when the pictures allow it, one per picture
// when they do not, and beyond 256 colours the nearest colour for all but the exact ones. A PNG
// that cannot be written leaves the old one and no temporary file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "storage/numbered_files.h"
#include "storage/picture_files.h"
#include "support/failing_file_calls.h"
#include "support/picture_decoding.h"
#include "support/test_folder.h"

namespace {

constexpr int32_t kWidth = 40;
constexpr int32_t kHeight = 30;

// A picture of `colours` distinct colours, numbered from `first`, repeating along the rows.
std::vector<uint32_t> Picture(uint32_t first, uint32_t colours) {
    std::vector<uint32_t> pixels(static_cast<std::size_t>(kWidth) * kHeight);
    for (std::size_t pixel = 0; pixel < pixels.size(); ++pixel) {
        pixels[pixel] = (first + static_cast<uint32_t>(pixel) % colours) * 0x010307u & 0xFFFFFFu;
    }
    return pixels;
}

class PictureFilesTest : public testing::Test {
  protected:
    void SetUp() override {
        folder = MakeTestFolder("pictures");
        path = folder + "/out.gif";
        calls = FileSystem();
    }
    void TearDown() override {
        FileSystem() = calls;
        std::filesystem::remove_all(folder);
    }

    // Writes the pictures as a GIF at `path`, counting the progress reports.
    bool WriteGif(const std::vector<std::vector<uint32_t>>& pictures, std::string* error) {
        PictureSequence sequence;
        sequence.count = static_cast<int32_t>(pictures.size());
        sequence.width = kWidth;
        sequence.height = kHeight;
        sequence.draw = [&pictures](int32_t index) { return pictures[index].data(); };
        sequence.progress = [this](int32_t done, int32_t total) {
            lastProgress = done;
            progressTotal = total;
        };
        return WriteGifAnimation(path.c_str(), sequence, 4, error);
    }

    FileSystemCalls calls;
    std::string folder;
    std::string path;
    int32_t lastProgress = 0;
    int32_t progressTotal = 0;
};

TEST_F(PictureFilesTest, GifHoldsEveryPictureExactlyWithItsDelayAndLoopsForever) {
    struct Case {
        const char* name;
        std::vector<std::vector<uint32_t>> pictures;
        bool ownPalettes;
    };
    const Case cases[] = {
        {"few colours share one palette", {Picture(1, 3), Picture(2, 3), Picture(5, 1)}, false},
        {"256 colours in all still share", {Picture(0, 200), Picture(200, 56)}, false},
        {"400 colours in all: one palette each", {Picture(0, 200), Picture(200, 200)}, true},
    };
    for (const Case& test : cases) {
        std::string error;
        ASSERT_TRUE(WriteGif(test.pictures, &error)) << test.name << ": " << error;
        DecodedGif gif = DecodeGif(path);
        EXPECT_EQ(gif.width, kWidth);
        EXPECT_EQ(gif.height, kHeight);
        EXPECT_EQ(gif.loopCount, 0) << test.name;
        ASSERT_EQ(gif.frames.size(), test.pictures.size()) << test.name;
        for (std::size_t frame = 0; frame < gif.frames.size(); ++frame) {
            EXPECT_EQ(gif.frames[frame], test.pictures[frame]) << test.name << " frame " << frame;
            EXPECT_EQ(gif.delays[frame], 4);
            EXPECT_EQ(gif.ownPalette[frame], test.ownPalettes) << test.name;
        }
        EXPECT_EQ(lastProgress, progressTotal);
        EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"out.gif"});
    }
}

// Anti-aliased edges can give a picture more colours than a palette holds: the ground and the
// figure's colours stay exact, every other pixel takes its palette's nearest colour.
TEST_F(PictureFilesTest, PictureOfMoreThan256ColoursKeepsTheExactColoursAndTakesTheNearest) {
    // 250 common colours, 50 edge colours one step of blue beside them, each on one pixel, and
    // a red pixel that the most common colours alone would leave out.
    std::vector<uint32_t> picture(static_cast<std::size_t>(kWidth) * kHeight);
    for (std::size_t pixel = 0; pixel < picture.size(); ++pixel) {
        picture[pixel] = pixel < 50 ? static_cast<uint32_t>(pixel) * 0x010100u + 1
                                    : static_cast<uint32_t>((pixel - 50) % 250) * 0x010100u;
    }
    const uint32_t rare = 0xFF0000;
    picture[5] = rare;
    PictureSequence sequence;
    sequence.count = 1;
    sequence.width = kWidth;
    sequence.height = kHeight;
    sequence.ground = 0;
    sequence.exactColours = {rare};
    sequence.draw = [&picture](int32_t) { return picture.data(); };
    std::string error;
    ASSERT_TRUE(WriteGifAnimation(path.c_str(), sequence, 4, &error)) << error;
    DecodedGif gif = DecodeGif(path);
    ASSERT_EQ(gif.frames.size(), 1u);
    const std::vector<uint32_t>& decoded = gif.frames[0];
    EXPECT_EQ(decoded[5], rare);
    for (std::size_t pixel = 0; pixel < picture.size(); ++pixel) {
        if (pixel >= 50) {
            EXPECT_EQ(decoded[pixel], picture[pixel]) << "pixel " << pixel;
        } else if (pixel != 5) {
            EXPECT_EQ(decoded[pixel] & 0xFFFF00, picture[pixel] & 0xFFFF00) << "pixel " << pixel;
        }
    }
}

TEST_F(PictureFilesTest, PngThatCannotBeWrittenLeavesTheOldFileAndNoTemporaryFile) {
    std::string png = folder + "/out.png";
    std::vector<uint32_t> old = Picture(1, 5);
    std::string error;
    ASSERT_TRUE(WritePngPicture(png.c_str(), old.data(), kWidth, kHeight, &error)) << error;
    FileSystemCalls failing[] = {calls, calls, calls};
    failing[0].write = FailWrite;
    failing[1].sync = FailSync;
    failing[2].rename = FailRename;
    for (const FileSystemCalls& each : failing) {
        FileSystem() = each;
        error.clear();
        EXPECT_FALSE(WritePngPicture(png.c_str(), Picture(7, 3).data(), kWidth, kHeight, &error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(DecodePng(png).pixels, old);
        EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"out.png"}) << error;
    }
}

} // namespace
