// The video files when the disk fails: every failing call of the file layer (writing the frames,
// reading the MP4 back to put its index in front, flushing) fails the whole video, leaves the old
// file as it was and no new file behind, and says what went wrong.
#include "storage/video_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "storage/numbered_files.h"
#include "support/failing_file_calls.h"
#include "support/picture_decoding.h"
#include "support/test_folder.h"

namespace {

// Two small pictures, a lime line moving down on a dark ground.
PictureSequence SmallPictures(std::vector<uint32_t>* pixels) {
    auto draw = [pixels](int32_t index) -> const uint32_t* {
        pixels->assign(64 * 48, 0x141414);
        std::fill_n(pixels->begin() + (10 + index) * 64, 64, 0xBBFF00);
        return pixels->data();
    };
    return {2, 64, 48, draw, nullptr};
}

TEST(VideoFileTest, FailingFileCallFailsTheVideoAndLeavesTheOldFileAlone) {
    const struct {
        const VideoFormat& format;
        std::string failing;
        std::string message;
    } cases[] = {
        {kMp4Video, "write", "cannot write: the disk is full"},
        {kWebMVideo, "write", "cannot write: the disk is full"},
        {kMp4Video, "read", "cannot read the new video back"},
        {kWebMVideo, "sync", "cannot flush"},
    };
    std::string folder = MakeTestFolder("video");
    std::string path = folder + "/old.video";
    std::vector<uint32_t> pixels;
    FileSystemCalls calls = FileSystem();
    for (const auto& test : cases) {
        std::ofstream(path) << "the old file";
        FileSystem().write = test.failing == "write" ? FailWrite : calls.write;
        FileSystem().read = test.failing == "read" ? FailRead : calls.read;
        FileSystem().sync = test.failing == "sync" ? FailSync : calls.sync;
        std::string error;
        EXPECT_FALSE(WriteVideo(path.c_str(), test.format, SmallPictures(&pixels), 25, {}, &error));
        FileSystem() = calls;
        EXPECT_NE(error.find(test.message), std::string::npos) << error;
        EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"old.video"}) << error;
        std::ifstream old(path);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "the old file");
    }
    std::string error;
    EXPECT_TRUE(WriteVideo(path.c_str(), kMp4Video, SmallPictures(&pixels), 25, {}, &error))
        << error;
    std::filesystem::remove_all(folder);
}

} // namespace
