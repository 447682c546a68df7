// The sound's part of playback and stepping. The output takes the samples in the model's own
// format, so they are handed over as they are.
#include "editor/sound_playback.h"

#include <algorithm>
#include <array>

#include "editor/status_line.h"
#include "model/sound_track.h"
#include "runtime/platform.h"

static_assert(kSoundRate == kPlatformAudioRate && kSoundChannels == kPlatformAudioChannels,
              "the sound track is decoded in the output's own format");

namespace {

constexpr int64_t kMicrosecondsPerSecond = 1'000'000;
constexpr int64_t kLeadFrames = kSoundRate / 4; // queued ahead of the clock, at least

bool outputMissingSaid = false;

int64_t SoundFrames(const std::vector<int16_t>& samples) {
    return static_cast<int64_t>(samples.size()) / kSoundChannels;
}

int64_t SamplesPerFrame(int32_t rate) {
    return std::max<int64_t>(FrameStartSample(1, rate), 1);
}

int64_t LoopLength(const SoundLoop& loop) {
    return std::max<int64_t>(FrameStartSample(loop.frameCount, loop.rate), 1);
}

// Queues sample frames from..from + count - 1 of the sound, silence where it has none.
void QueueStretch(const std::vector<int16_t>& samples, int64_t from, int64_t count) {
    static const std::array<int16_t, 4096 * kSoundChannels> silence{};
    constexpr int64_t kSilenceFrames = silence.size() / kSoundChannels;
    int64_t present = std::clamp<int64_t>(SoundFrames(samples) - from, 0, count);
    if (present > 0) {
        PlatformAudioQueue(samples.data() + from * kSoundChannels, static_cast<int32_t>(present));
    }
    for (int64_t left = count - present; left > 0; left -= kSilenceFrames) {
        PlatformAudioQueue(silence.data(), static_cast<int32_t>(std::min(left, kSilenceFrames)));
    }
}

} // namespace

int64_t FrameStartSample(int32_t frame, int32_t rate) {
    return int64_t{frame} * kSoundRate / std::max(rate, 1);
}

bool SoundOutputReady(const std::vector<int16_t>& samples) {
    if (samples.empty()) {
        return false;
    }
    if (PlatformAudioOpen() != 0) {
        return true;
    }
    if (!outputMissingSaid) {
        outputMissingSaid = true;
        ShowStatusMessage("Keine Tonausgabe: ohne Ton weiter");
    }
    return false;
}

SoundLoop StartSoundLoop(const std::vector<int16_t>& samples, int32_t firstFrame, int32_t lastFrame,
                         int32_t rate) {
    SoundLoop loop{firstFrame, std::max(lastFrame - firstFrame + 1, 1), std::max(rate, 1), 0};
    PlatformAudioClear();
    KeepSoundLoopQueued(loop, samples, 0);
    return loop;
}

// Each piece ends at the loop's end at the latest, so that the next one starts at its top.
void KeepSoundLoopQueued(SoundLoop& loop, const std::vector<int16_t>& samples, int64_t played) {
    int64_t lead = std::max(kLeadFrames, 2 * SamplesPerFrame(loop.rate));
    int64_t length = LoopLength(loop);
    int64_t loopStart = FrameStartSample(loop.firstFrame, loop.rate);
    while (loop.queued - played < lead) {
        int64_t position = loop.queued % length;
        int64_t count = std::min(length - position, lead);
        QueueStretch(samples, loopStart + position, count);
        loop.queued += count;
    }
}

int64_t SoundLoopPasses(const SoundLoop& loop, int64_t played) {
    return played / SamplesPerFrame(loop.rate);
}

int32_t SoundLoopFrame(const SoundLoop& loop, int64_t played) {
    int64_t position = played % LoopLength(loop);
    int64_t frame = position / SamplesPerFrame(loop.rate);
    return loop.firstFrame + static_cast<int32_t>(std::min<int64_t>(frame, loop.frameCount - 1));
}

int64_t MicrosecondsToNextFrame(const SoundLoop& loop, int64_t played) {
    int64_t perFrame = SamplesPerFrame(loop.rate);
    int64_t left = perFrame - played % perFrame;
    return std::max<int64_t>((left * kMicrosecondsPerSecond + kSoundRate - 1) / kSoundRate, 1);
}

void PlayFrameSlice(const std::vector<int16_t>& samples, int32_t frame, int32_t rate) {
    if (!SoundOutputReady(samples)) {
        return;
    }
    PlatformAudioClear();
    int64_t start = FrameStartSample(frame, rate);
    int64_t count = std::clamp<int64_t>(SoundFrames(samples) - start, 0, SamplesPerFrame(rate));
    QueueStretch(samples, start, count);
}

bool TakeProvidedSound(std::vector<int16_t>& samples) {
    int64_t frames = std::min<int64_t>(PlatformProvidedSoundFrames(),
                                       int64_t{kSoundLongestSeconds} * kSoundRate);
    if (frames <= 0) {
        return false;
    }
    samples.resize(static_cast<size_t>(frames * kSoundChannels));
    PlatformCopyProvidedSound(samples.data(), frames);
    return true;
}
