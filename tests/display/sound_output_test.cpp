// The editor's sound through SDL's audio device in a real X display: with SDL's disk driver as
// the device, F12 writes the sound track's samples to the driver's file from the first frame on.
// The editor runs in this process; xdotool presses its keys from a thread of their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
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

std::uintmax_t SizeOf(const std::string& name) {
    std::error_code error;
    std::uintmax_t size = std::filesystem::file_size(name, error);
    return error ? 0 : size;
}

// Waits up to 20 s until the file holds at least `bytes`.
bool WaitForSize(const std::string& name, std::uintmax_t bytes) {
    auto deadline = std::chrono::steady_clock::now() + 20s;
    while (SizeOf(name) < bytes && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    return SizeOf(name) >= bytes;
}

TEST(SoundOutput, PlaybackWritesTheSoundTracksSamplesThroughTheDevice) {
    std::string soundFile = ProcessTempPath("disk_audio.raw");
    std::string animation = ProcessTempPath("sound_session.txt");
    std::filesystem::remove(soundFile);
    std::filesystem::remove(animation);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", soundFile.c_str(), 1);
    std::string program = "limbrado";
    char* argv[] = {program.data(), animation.data(), nullptr};
    ASSERT_EQ(EditorStartup(2, argv), nullptr);
    // Two seconds without a 0 that carry their own time: left 1 + frame / 16, right its negative.
    for (int32_t frame = 0; frame < 2 * kSoundRate; ++frame) {
        editor.animation.sound.samples.push_back(static_cast<int16_t>(1 + frame / 16));
        editor.animation.sound.samples.push_back(static_cast<int16_t>(-1 - frame / 16));
    }
    ASSERT_TRUE(RunEditorCycle());

    // F12 until the device's file grows, and again once a second of sound is written, held until
    // the cycle that plays has ended.
    constexpr std::uintmax_t kSecond = kSoundRate * kSoundChannels * 2;
    std::atomic<bool> keysDone = false;
    std::atomic<int64_t> cyclesDone = 0;
    bool written = false;
    bool stopped = false;
    std::thread keys([&] {
        RunCommand("xdotool windowfocus --sync " +
                   std::to_string(FindWindowByTitle("Limbrado Tool by Orvelin_")));
        RunCommand("xdotool keydown F12");
        written = WaitForSize(soundFile, 1);
        RunCommand("xdotool keyup F12");
        written = written && WaitForSize(soundFile, kSecond);
        int64_t playing = cyclesDone; // the cycle that plays has not returned
        RunCommand("xdotool keydown F12");
        auto until = std::chrono::steady_clock::now() + 20s;
        while (cyclesDone == playing && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(10ms);
        }
        stopped = cyclesDone != playing;
        RunCommand("xdotool keyup F12");
        keysDone = true;
    });
    auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!keysDone && std::chrono::steady_clock::now() < deadline) {
        RunEditorCycle();
        cyclesDone += 1;
    }
    keys.join();
    EXPECT_TRUE(written) << "the device's file did not grow";
    EXPECT_TRUE(stopped) << "the second F12 did not end the playback";
    EXPECT_EQ(editor.session.playing, 0);
    EditorShutdown();

    // Silence may come before the first samples arrive; then the sound from its start, sample
    // for sample, at least as far as F12 let it play; then silence again.
    std::vector<int16_t> samples(SizeOf(soundFile) / 2);
    std::ifstream(soundFile, std::ios::binary)
        .read(reinterpret_cast<char*>(samples.data()),
              static_cast<std::streamsize>(samples.size() * 2));
    auto start = std::find_if(samples.begin(), samples.end(), [](int16_t s) { return s != 0; });
    auto end = std::find(start, samples.end(), int16_t{0});
    EXPECT_LT(start - samples.begin(), kSoundRate / 10 * kSoundChannels) << "the sound was late";
    ASSERT_GE(end - start, kSoundRate * kSoundChannels * 9 / 10);
    ASSERT_LE(end - start, static_cast<std::ptrdiff_t>(editor.animation.sound.samples.size()));
    EXPECT_TRUE(std::equal(start, end, editor.animation.sound.samples.begin()));
    editor.animation.sound = SoundTrack{};
    std::filesystem::remove(soundFile);
    std::filesystem::remove(animation);
}

} // namespace
