// Key E in scripted sessions: STEM.mp4 and STEM.gif of frames 0 to the last one holding joints,
// at the playback rate, with a progress bar on the window while they are written; Escape cancels
// and leaves no file, a failing disk leaves none either, and without a path nothing is written.
#include "editor/video_export_key.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "model/sound_track.h"
#include "storage/numbered_files.h"
#include "storage/picture_files.h"
#include "support/editor_frames.h"
#include "support/failing_file_calls.h"
#include "support/picture_decoding.h"
#include "support/scripted_session.h"
#include "support/sound_files.h"
#include "support/video_decoding.h"

namespace {

constexpr uint32_t kBarLime = 0xBBFF00;
constexpr uint32_t kRed = 0xFF0000;

std::string ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

class VideoExportKey : public ScriptedSession {
  protected:
    void SetUp() override {
        ScriptedSession::SetUp();
        HeadlessKeepFrames(64);
        // A bone in frame 0, copied into frames 1 and 2; frame 2 is the last that holds joints.
        int32_t first = PlaceJoint(300, 300);
        int32_t second = PlaceJoint(400, 300);
        AddBone(first, second, BoneStandard);
        Tap(ScanF7);
        Tap(ScanF7);
        Tap(ScanF6);
        editor.animation.playbackEnd = 0; // not the frames the window exports
    }
    void TearDown() override {
        FileSystem() = calls;
        for (const std::string& name : Written()) {
            std::filesystem::remove(Folder() + "/" + name);
        }
        ScriptedSession::TearDown();
    }
    std::string Folder() const { return std::filesystem::path(path).parent_path().string(); }
    std::string Stem() const { return StemOf(path); }
    // The files beside the animation that key E may have made (staged ones too).
    std::vector<std::string> Written() const {
        std::vector<std::string> names;
        std::string base = std::filesystem::path(Stem()).filename().string();
        for (const std::string& name : FolderEntries(Folder())) {
            if (name.rfind(base + ".mp4", 0) == 0 || name.rfind(base + ".gif", 0) == 0 ||
                (name.find(base) != std::string::npos && name.find(".tmp") != std::string::npos)) {
                names.push_back(name);
            }
        }
        return names;
    }
    // Presented pictures whose progress bar has lime in it, and the most lime in one of them.
    static std::pair<int32_t, int32_t> ProgressPictures() {
        int32_t pictures = 0;
        int32_t most = 0;
        for (const HeadlessFrame& frame : HeadlessFrames()) {
            int32_t lime = 0;
            for (int32_t x = 200; x < 600; ++x) {
                lime += frame.pixels[static_cast<std::size_t>(575 * frame.width + x)] == kBarLime;
            }
            pictures += lime > 0;
            most = std::max(most, lime);
        }
        return {pictures, most};
    }
    // An input state queued for the cycles after the next present.
    static void QueueKeys(std::initializer_list<int32_t> down) {
        HeadlessInput input = HeadlessCurrentInput();
        std::fill(std::begin(input.keys), std::end(input.keys), 0);
        for (int32_t scanCode : down) {
            input.keys[scanCode] = 0x80;
        }
        HeadlessQueueInput(input);
    }

    FileSystemCalls calls = FileSystem();
};

TEST_F(VideoExportKey, EWritesBothFilesAtThePlaybackRateShowingProgress) {
    editor.animation.playbackRate = 20;                   // as the strip's rate was stepped down
    editor.animation.sound.samples.assign(kSoundRate, 0); // a second of sound, a click amid frame 1
    editor.animation.sound.samples[3000 * 2] = 30000;
    Hold(ScanE);
    Cycles(3); // held: one export
    Release(ScanE);
    Cycle();
    EXPECT_EQ(PlaybackFramesPerSecond(), 20);
    DecodedGif gif = DecodeGif(Stem() + ".gif");
    EXPECT_EQ(gif.delays, std::vector<int32_t>(3, GifDelayForRate(20)));
    EXPECT_EQ(gif.height, 600) << "the scene without the strip";
    DecodedVideo video = DecodeVideo(Stem() + ".mp4");
    EXPECT_EQ(video.frames.size(), 3u);
    EXPECT_DOUBLE_EQ(av_q2d(video.frameRate), 20);
    std::vector<int16_t> heard = FfmpegDecoded(Stem() + ".mp4", 1); // cut to the 3 frames
    EXPECT_NEAR(static_cast<double>(heard.size()), 3 * 2400, 2400);
    EXPECT_NEAR(static_cast<double>(FirstLoudFrame(heard, 1)), 3000, 2400);
    editor.animation.sound = SoundTrack{};
    ASSERT_EQ(HeadlessRequests().size(), 1u);
    EXPECT_EQ(HeadlessRequests()[0].name,
              "Exportiert als " + Stem() + ".mp4 und " + Stem() + ".gif");
    auto [pictures, most] = ProgressPictures();
    EXPECT_GE(pictures, 6); // one per picture of each file, filling up to the whole bar
    EXPECT_EQ(most, 400);
    EXPECT_EQ(Written().size(), 2u);
    EXPECT_EQ(editor.session.currentFrame, 1);
    EXPECT_EQ(editor.animation.playbackEnd, 0);
}

TEST_F(VideoExportKey, EscapeCancelsAndAFailingDiskFailsLeavingNoFile) {
    // Escape while the MP4's second picture is encoded, then up again: the editor goes on.
    Hold(ScanE);
    QueueKeys({});
    QueueKeys({ScanEscape});
    QueueKeys({});
    EXPECT_TRUE(Cycle());
    EXPECT_TRUE(Cycle());
    EXPECT_EQ(Written(), std::vector<std::string>{});
    EXPECT_EQ(HeadlessRequests().size(), 0u);
    int32_t red = 0;
    for (const HeadlessFrame& frame : HeadlessFrames()) {
        red += static_cast<int32_t>(
            std::count(frame.pixels.begin(), frame.pixels.begin() + 16 * 800, kRed));
    }
    EXPECT_GT(red, 0) << "the status line says it was cancelled";
    EXPECT_GT(ProgressPictures().first, 0) << "cancelled while the bar was shown";

    FileSystem().write = FailWrite;
    Tap(ScanE);
    FileSystem() = calls;
    EXPECT_EQ(Written(), std::vector<std::string>{});
    ASSERT_EQ(HeadlessRequests().size(), 1u);
    EXPECT_EQ(HeadlessRequests()[0].title + ": " + HeadlessRequests()[0].name,
              "Error: Konnte nicht speichern");

    // An animation whose own name is STEM.gif stays as it was.
    std::string own = Folder() + "/own_animation.gif";
    std::ofstream(own) << "the animation";
    AssignString(&editor.session.basePath, own.c_str());
    Tap(ScanE);
    EXPECT_EQ(std::filesystem::file_size(own), 13u);
    EXPECT_FALSE(std::filesystem::exists(Folder() + "/own_animation.mp4"));
    EXPECT_FALSE(std::filesystem::exists(own + ".partial"));
    ASSERT_EQ(HeadlessRequests().size(), 2u);
    EXPECT_EQ(HeadlessRequests()[1].name, "Konnte nicht speichern");
    std::filesystem::remove(own);

    AssignString(&editor.session.basePath, "");
    Tap(ScanE);
    EXPECT_EQ(HeadlessRequests().size(), 2u); // only the status line
    EXPECT_EQ(Written(), std::vector<std::string>{});
}

// Key E replaces only earlier videos of its own: a file of another kind under either name, a full
// disk while either is written or a failed rename of either leaves both files as they were.
TEST_F(VideoExportKey, EReplacesOnlyItsOwnKindsAndAFailureLeavesBothAsTheyWere) {
    Tap(ScanE);
    ASSERT_EQ(Written().size(), 2u);
    Tap(ScanF7); // frame 2
    Tap(ScanF7); // frame 3, a copy: the export grows by a frame
    const std::string base = std::filesystem::path(Stem()).filename().string();
    auto both = [this] {
        return std::pair(ReadBytes(Stem() + ".mp4"), ReadBytes(Stem() + ".gif"));
    };
    const struct {
        std::string file;
        bool atRename;
    } failures[] = {{".gif", false}, {".mp4", false}, {".gif", true}, {".mp4", true}};
    for (const auto& failure : failures) {
        auto before = both();
        DiskFullAt::Plant(base + failure.file, failure.atRename);
        Tap(ScanE);
        DiskFullAt::Remove();
        EXPECT_TRUE(both() == before) << failure.file << " " << failure.atRename;
        EXPECT_EQ(Written().size(), 2u) << "no temporary file is left";
        EXPECT_EQ(HeadlessRequests().back().name, "Konnte nicht speichern");
    }
    for (const char* suffix : {".gif", ".mp4"}) {
        Tap(ScanE);
        ASSERT_EQ(HeadlessRequests().back().title, "Ok");
        std::ofstream(Stem() + suffix) << "the user's notes";
        auto before = both();
        Tap(ScanE);
        EXPECT_TRUE(both() == before) << suffix;
        EXPECT_EQ(HeadlessRequests().back().name, "Konnte nicht speichern");
        std::filesystem::remove(Stem() + suffix);
    }
}

} // namespace
