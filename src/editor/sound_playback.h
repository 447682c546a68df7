// Hearing the sound track: a playback loop's stretch of the samples, kept queued ahead of the
// output and repeated at each loop's top; the frame that the sound's clock (the output's played
// count) has reached; and a frame's own slice, played when the user steps onto it.
#pragma once

#include <cstdint>
#include <vector>

// The sample frame at which `frame` starts at `rate` frames a second.
int64_t FrameStartSample(int32_t frame, int32_t rate);

// Frames firstFrame to firstFrame + frameCount - 1 played over and over with their stretch of the
// sound; past the sound's end the stretch is silence, so that the clock runs through the loop.
struct SoundLoop {
    int32_t firstFrame;
    int32_t frameCount;
    int32_t rate;
    int64_t queued; // sample frames handed to the output since the loop started
};

// Opens the output for a sound; false without a sound, or without an output (which the status
// line says once).
bool SoundOutputReady(const std::vector<int16_t>& samples);

// Starts the loop from its first frame; the output must be ready.
SoundLoop StartSoundLoop(const std::vector<int16_t>& samples, int32_t firstFrame, int32_t lastFrame,
                         int32_t rate);
// Keeps the output fed some way ahead of `played`, the sample frames heard since the start.
void KeepSoundLoopQueued(SoundLoop& loop, const std::vector<int16_t>& samples, int64_t played);
// The frames the sound has passed since the loop started, and the frame it plays now.
int64_t SoundLoopPasses(const SoundLoop& loop, int64_t played);
int32_t SoundLoopFrame(const SoundLoop& loop, int64_t played);
// How long the sound takes to reach the next frame (at least a microsecond).
int64_t MicrosecondsToNextFrame(const SoundLoop& loop, int64_t played);

// Plays `frame`'s slice (1 / rate seconds) alone, cutting off whatever played before; silence
// past the sound's end. Nothing without a sound.
void PlayFrameSlice(const std::vector<int16_t>& samples, int32_t frame, int32_t rate);

// Takes the sound the platform hands over decoded, when it has one, as the track's samples (at
// most the longest kept); false when it has none.
bool TakeProvidedSound(std::vector<int16_t>& samples);
