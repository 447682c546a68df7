// The sound track: each frame's slice of the samples and its peak, the references an animation
// keeps, and decoding every kind of sound file FFmpeg makes into 48000 Hz stereo, cut at ten
// minutes, or telling why it cannot.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "model/sound_track.h"
#include "storage/message_text.h"
#include "storage/sound_decoder.h"
#include "storage/sound_reference.h"
#include "support/sound_files.h"
#include "support/test_folder.h"

namespace {

TEST(SoundTrack, FrameSlicesMeetWithoutGapAndPeaksFindTheClicksFrame) {
    for (int32_t rate : {1, 7, 24, 25, 40, 100}) {
        std::size_t next = 0;
        for (int32_t frame = 0; frame < 50; ++frame) {
            SoundSlice slice = FrameSoundSlice(frame, rate);
            EXPECT_EQ(slice.first, next) << rate << " " << frame;
            EXPECT_NEAR(static_cast<double>(slice.count), 48000.0 / rate, 1.0);
            next = slice.first + slice.count;
        }
        // A click at 1.5 s: the frame whose slice holds it, and no other, is loud.
        std::vector<int16_t> samples(static_cast<std::size_t>(3 * kSoundRate * kSoundChannels));
        samples[static_cast<std::size_t>(kSoundRate * 3 / 2) * 2 + 1] = -32768;
        std::vector<int32_t> peaks = FramePeaks(samples, rate, 400);
        auto clickFrame = static_cast<std::size_t>(rate * 3 / 2);
        for (std::size_t frame = 0; frame < peaks.size(); ++frame) {
            EXPECT_EQ(peaks[frame], frame == clickFrame ? 32768 : 0) << rate << " " << frame;
        }
    }
}

TEST(SoundReference, BesideOrBelowTheAnimationIsRelativeElsewhereAbsolute) {
    const struct {
        const char* sound;
        const char* animation;
        const char* reference;
    } cases[] = {
        {"/home/anna/voice.ogg", "/home/anna/walk.txt", "voice.ogg"},
        {"/home/anna/sounds/take 2/voice.ogg", "/home/anna/walk.txt", "sounds/take 2/voice.ogg"},
        {"/home/voice.ogg", "/home/anna/walk.txt", "/home/voice.ogg"},
        {"/home/annabel/voice.ogg", "/home/anna/walk.txt", "/home/annabel/voice.ogg"},
        {"/voice.ogg", "/walk.txt", "voice.ogg"},
        {"/home/anna/voice.ogg", "", "/home/anna/voice.ogg"},
    };
    for (const auto& test : cases) {
        std::string reference = SoundReferenceFor(test.sound, test.animation);
        EXPECT_EQ(reference, test.reference) << test.sound;
        std::string found = SoundPathFor(reference, test.animation);
        EXPECT_EQ(std::filesystem::path(found).lexically_normal(),
                  std::filesystem::path(test.sound).lexically_normal())
            << test.sound;
    }
    // Relative paths are taken from the working folder, as the user typed them.
    EXPECT_EQ(SoundReferenceFor("voice.ogg", "walk.txt"), "voice.ogg");
    EXPECT_EQ(SoundPathFor("sounds/voice.ogg", "films/walk.txt"), "films/sounds/voice.ogg");
}

class SoundDecoding : public testing::Test {
  protected:
    void SetUp() override { folder = MakeTestFolder("sound"); }
    std::string folder;
};

// Every kind of file decodes to the same sound: its length and the click at its time, within the
// encoders' priming and block sizes.
TEST_F(SoundDecoding, EveryKindOfSoundFileBecomesStereoAt48000WithTheClickInPlace) {
    const std::string wav = folder + "/click.wav";
    WriteClickWav(wav, 44100, 1, 1.0, 0.75);
    const struct {
        const char* name;
        const char* encoding; // ffmpeg's options; null: the WAV itself
    } kinds[] = {
        {"click.wav", nullptr},
        {"click.flac", "-c:a flac"},
        {"click.ogg", "-c:a libvorbis"},
        {"click.opus", "-c:a libopus -b:a 96k"},
        {"click.mp3", "-c:a libmp3lame -b:a 128k"},
        {"click.m4a", "-c:a aac -b:a 128k"},
        {"click_5_1.flac", "-c:a flac -ac 6"},
        {"click_8000.ogg", "-c:a libvorbis -ar 8000"},
    };
    for (const auto& kind : kinds) {
        std::string path = folder + "/" + kind.name;
        if (kind.encoding != nullptr) {
            CommandOutput("ffmpeg -nostdin -v error -y -i '" + wav + "' " + kind.encoding + " '" +
                          path + "'");
            ASSERT_TRUE(std::filesystem::exists(path)) << kind.name;
        }
        DecodedSound sound;
        std::string error;
        ASSERT_TRUE(DecodeSoundFile(path, &sound, &error)) << kind.name << ": " << error;
        EXPECT_FALSE(sound.cut);
        double seconds = static_cast<double>(sound.samples.size()) / 2 / kSoundRate;
        EXPECT_NEAR(seconds, 1.0, 0.06) << kind.name;
        int64_t click = FirstLoudFrame(sound.samples, kSoundChannels);
        EXPECT_NEAR(static_cast<double>(click) / kSoundRate, 0.75, 0.002) << kind.name;
        // Both channels carry the mono click.
        auto at = static_cast<std::size_t>(click) * 2;
        EXPECT_NEAR(sound.samples[at], sound.samples[at + 1], 2) << kind.name;
    }
}

// A file that is no sound, or one cut short, says so; so does one that is not there.
TEST_F(SoundDecoding, AFileThatCannotBeDecodedSaysWhy) {
    const std::string wav = folder + "/click.wav", ogg = folder + "/click.ogg";
    WriteClickWav(wav, 44100, 1, 1.0, 0.75);
    CommandOutput("ffmpeg -nostdin -v error -y -i '" + wav + "' -c:a libvorbis '" + ogg + "'");
    std::ifstream whole(ogg, std::ios::binary);
    std::string bytes(std::istreambuf_iterator<char>(whole), {});
    ASSERT_GT(bytes.size(), 2000u);
    std::ofstream(folder + "/cut.ogg", std::ios::binary).write(bytes.data(), 200);
    std::ofstream(folder + "/empty.ogg").close();
    std::ofstream(folder + "/notes.ogg") << "words, not a sound";
    const std::pair<std::string, std::string> cases[] = {
        {"empty.ogg", "not a sound file"},
        {"notes.ogg", "not a sound file"},
        {"cut.ogg", "the sound file is cut short"},
        {"gone.ogg", "no such file or folder"},
    };
    for (const auto& [name, reason] : cases) {
        DecodedSound sound;
        std::string error;
        EXPECT_FALSE(DecodeSoundFile(folder + "/" + name, &sound, &error)) << name;
        EXPECT_NE(error.find(Quoted(folder + "/" + name) + ": " + reason), std::string::npos)
            << error;
    }
}

TEST_F(SoundDecoding, ASoundLongerThanTenMinutesIsCutThere) {
    const std::string wav = folder + "/long.wav";
    WriteClickWav(wav, 8000, 1, kSoundLongestSeconds + 2.0, kSoundLongestSeconds + 1.0);
    DecodedSound sound;
    std::string error;
    ASSERT_TRUE(DecodeSoundFile(wav, &sound, &error)) << error;
    EXPECT_TRUE(sound.cut);
    EXPECT_EQ(sound.samples.size(),
              static_cast<std::size_t>(kSoundRate) * kSoundLongestSeconds * kSoundChannels);
    EXPECT_EQ(FirstLoudFrame(sound.samples, kSoundChannels), -1) << "the click lies past the cut";
}

} // namespace
