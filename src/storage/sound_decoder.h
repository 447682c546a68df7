// Sound files (WAV, FLAC, Ogg Vorbis, Opus, MP3, AAC/M4A: whatever FFmpeg's libraries decode)
// decoded into one buffer of interleaved 16-bit stereo at the sound track's rate. At most
// kSoundLongestSeconds are kept; the rest is cut.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/sound_track.h"

struct DecodedSound {
    std::vector<int16_t> samples; // kSoundChannels interleaved, at kSoundRate
    bool cut = false;             // the file was longer than kSoundLongestSeconds
};

// The first audio stream of the file at path, whole. False with a one-line reason when the path
// is no readable file, holds no audio or cannot be decoded; *sound is then empty.
bool DecodeSoundFile(const std::string& path, DecodedSound* sound, std::string* error);
