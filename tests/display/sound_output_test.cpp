// The editor's sound through SDL's audio device in a real X display: with SDL's disk driver as
// the device, F12 writes the sound track's samples to the driver's file from the first frame on,
// as the device played them. The editor runs in this process; xdotool presses its keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "editor/editor_main.h"
#include "model/editor_state.h"
#include "model/sound_track.h"
#include "support/display_support.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kTitle = "Limbrado Tool by Orvelin_";
constexpr int64_t kPlayedFrames = kSoundRate; // a second of sound before F12 stops playback

std::uintmax_t SizeOf(const std::string& name) {
    std::error_code error;
    std::uintmax_t size = std::filesystem::file_size(name, error);
    return error ? 0 : size;
}

// Two seconds that carry their own time: left 1 + frame / 16, right its negative.
std::vector<int16_t> TimedSound() {
    std::vector<int16_t> samples(static_cast<size_t>(2 * kSoundRate * kSoundChannels));
    for (size_t frame = 0; frame < samples.size() / 2; ++frame) {
        samples[frame * 2] = static_cast<int16_t>(1 + frame / 16);
        samples[frame * 2 + 1] = static_cast<int16_t>(-1 - static_cast<int>(frame / 16));
    }
    return samples;
}

// Waits, up to `limit`, until the condition holds.
template <typename Condition> bool WaitFor(Condition condition, std::chrono::seconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

TEST(SoundOutput, PlaybackWritesTheSoundTracksSamplesThroughTheDevice) {
    std::string soundFile = ProcessTempPath("disk_audio.raw");
    std::string animation = ProcessTempPath("sound_session.txt");
    std::remove(soundFile.c_str());
    std::remove(animation.c_str());
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", soundFile.c_str(), 1);

    std::string program = "limbrado";
    char* argv[] = {program.data(), animation.data(), nullptr};
    ASSERT_EQ(EditorStartup(2, argv), nullptr);
    soundTrack.samples = TimedSound();
    editor.playbackEnd = 0; // all frames: the loop is longer than the sound
    ASSERT_TRUE(RunEditorCycle());

    // F12 down until playback runs (the device's file grows), up, and down again once a second
    // of sound has been written; the editor's cycles run meanwhile on this thread.
    std::atomic<bool> keysDone = false;
    std::atomic<bool> keysSeen = true;
    std::thread keys([&] {
        unsigned long window = FindWindowByTitle(kTitle);
        RunCommand("xdotool windowfocus --sync " + std::to_string(window));
        RunCommand("xdotool keydown F12");
        keysSeen = WaitFor([&] { return SizeOf(soundFile) > 0; }, 20s);
        RunCommand("xdotool keyup F12");
        std::uintmax_t enough = kPlayedFrames * kSoundChannels * 2;
        keysSeen = keysSeen && WaitFor([&] { return SizeOf(soundFile) >= enough; }, 20s);
        RunCommand("xdotool keydown F12");
        std::this_thread::sleep_for(200ms);
        RunCommand("xdotool keyup F12");
        keysDone = true;
    });
    auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!keysDone && std::chrono::steady_clock::now() < deadline) {
        RunEditorCycle();
    }
    keys.join();
    EXPECT_TRUE(keysSeen) << "the device's file did not grow";
    EXPECT_EQ(editor.playing, 0);
    EditorShutdown();

    // The device may play silence before the first samples arrive; then comes the sound from
    // its start, sample for sample (it holds no 0), at least as far as F12 let it play, and after
    // the stop silence again.
    std::ifstream written(soundFile, std::ios::binary);
    std::vector<int16_t> samples((SizeOf(soundFile) + 1) / 2);
    written.read(reinterpret_cast<char*>(samples.data()),
                 static_cast<std::streamsize>(SizeOf(soundFile)));
    size_t start = 0;
    while (start < samples.size() && samples[start] == 0) {
        ++start;
    }
    ASSERT_LT(start, samples.size()) << "only silence was written";
    EXPECT_LT(start, static_cast<size_t>(kSoundRate / 10 * kSoundChannels))
        << "the sound started late";
    size_t end = start;
    while (end < samples.size() && samples[end] != 0) {
        ++end;
    }
    size_t heard = std::min(end - start, soundTrack.samples.size());
    ASSERT_GE(heard, static_cast<size_t>(kPlayedFrames * kSoundChannels) * 9 / 10);
    EXPECT_TRUE(std::equal(samples.begin() + static_cast<std::ptrdiff_t>(start),
                           samples.begin() + static_cast<std::ptrdiff_t>(start + heard),
                           soundTrack.samples.begin()));
    soundTrack = SoundTrack{};
    std::remove(soundFile.c_str());
    std::remove(animation.c_str());
}

} // namespace
