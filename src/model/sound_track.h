// The animation's sound track: the file it comes from, as the animation file names it, and its
// samples, decoded once at the output rate. Frame 0 starts at the sound's first sample.
#pragma once

#include <cstdint>
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
};

extern SoundTrack soundTrack;
