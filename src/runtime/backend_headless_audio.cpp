// The headless sound output: every sample frame queued is captured for the tests, and the played
// count follows the scripted clock, at the output's rate while the queue holds anything.
#include <algorithm>
#include <vector>

#include "runtime/headless.h"
#include "runtime/platform.h"

namespace {

struct HeadlessAudio {
    bool available = true;
    bool open = false;
    std::vector<int16_t> captured; // everything queued since the reset, interleaved
    int64_t streamStart = 0;       // the sample frame of `captured` queued first after a clear
    int64_t lastClock = 0;         // the clock when the played count was last brought up to it
    int64_t playedScaled = 0;      // sample frames played, times the counter's frequency
    int64_t clears = 0;
};

HeadlessAudio& Audio() {
    static HeadlessAudio audio;
    return audio;
}

int64_t QueuedFrames() {
    return static_cast<int64_t>(Audio().captured.size()) / kPlatformAudioChannels -
           Audio().streamStart;
}

// The time since the last look plays on what the queue holds; an empty queue plays nothing, so
// the count waits for the next samples as a real device does.
void CatchUpWithClock() {
    HeadlessAudio& audio = Audio();
    int64_t now = HeadlessClockNow();
    int64_t elapsed = std::max<int64_t>(now - audio.lastClock, 0);
    audio.lastClock = now;
    int64_t frequency = PlatformCounterFrequency();
    audio.playedScaled =
        std::min(audio.playedScaled + elapsed * kPlatformAudioRate, QueuedFrames() * frequency);
}

} // namespace

int32_t PlatformAudioOpen() {
    HeadlessAudio& audio = Audio();
    if (!audio.available) {
        return 0;
    }
    if (!audio.open) {
        audio.open = true;
        audio.lastClock = HeadlessClockNow();
    }
    return 1;
}

void PlatformAudioQueue(const int16_t* samples, int32_t frameCount) {
    HeadlessAudio& audio = Audio();
    if (!audio.open || samples == nullptr || frameCount <= 0) {
        return;
    }
    CatchUpWithClock();
    audio.captured.insert(audio.captured.end(), samples,
                          samples +
                              static_cast<std::ptrdiff_t>(frameCount) * kPlatformAudioChannels);
}

void PlatformAudioClear() {
    HeadlessAudio& audio = Audio();
    audio.streamStart = static_cast<int64_t>(audio.captured.size()) / kPlatformAudioChannels;
    audio.playedScaled = 0;
    audio.lastClock = HeadlessClockNow();
    audio.clears += 1;
}

int64_t PlatformAudioPlayed() {
    if (!Audio().open) {
        return 0;
    }
    CatchUpWithClock();
    return Audio().playedScaled / PlatformCounterFrequency();
}

void PlatformAudioClose() {
    PlatformAudioClear();
    Audio().open = false;
}

int64_t PlatformProvidedSoundFrames() {
    return 0;
}
void PlatformCopyProvidedSound(int16_t* /*samples*/, int64_t /*frameCount*/) {}

void HeadlessResetAudio() {
    Audio() = HeadlessAudio{};
}

void HeadlessFailAudio(bool fail) {
    Audio().available = !fail;
}

const std::vector<int16_t>& HeadlessAudioCaptured() {
    return Audio().captured;
}

int64_t HeadlessAudioStreamStart() {
    return Audio().streamStart;
}

int64_t HeadlessAudioClears() {
    return Audio().clears;
}

bool HeadlessAudioOpen() {
    return Audio().open;
}
