// The animation's sound track: the file it comes from, as the animation file names it, and its
// samples, decoded once at the output rate. Frame 0 starts at the sound's first sample.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

constexpr int32_t kSoundRate = 48000; // sample frames a second
constexpr int32_t kSoundChannels = 2; // interleaved left, right
constexpr int32_t kSoundLongestSeconds = 600;

struct SoundTrack {
    // As the animation file keeps it: relative to the animation's folder where the sound lies
    // below or beside it, absolute otherwise; empty without a sound.
    std::string reference;
    // kSoundChannels interleaved 16-bit samples at kSoundRate; empty when there is no sound or it
    // could not be found or decoded (the reference stays, so that a save keeps it).
    std::vector<int16_t> samples;
    // Counts the changes of `samples`, so that what is worked out from them (the strip's
    // loudness) knows when to work it out again. Every change of the samples adds one.
    int64_t changes = 0;
};

// The sample frames (one sample per channel) from which frame `frame` of an animation played at
// `framesPerSecond` sounds: its slice of 1 / framesPerSecond seconds from frame / framesPerSecond
// seconds, as [first, first + count) of the track's sample frames.
struct SoundSlice {
    std::size_t first = 0;
    std::size_t count = 0;
};
SoundSlice FrameSoundSlice(int32_t frame, int32_t framesPerSecond);

// The loudest sample (the largest magnitude of either channel, 0 to 32768) of each of frames 0 to
// frameCount - 1, from interleaved stereo samples; 0 for a frame past the sound's end.
std::vector<int32_t> FramePeaks(std::span<const int16_t> samples, int32_t framesPerSecond,
                                int32_t frameCount);
