// The real sound output: SDL's audio device fed from its own queue (SDL converts to whatever the
// device takes). The played count is what has left SDL's queue, carried on by the counter between
// the device's buffer-sized steps so that the sound's clock runs smoothly.
#include <SDL.h>

#include <algorithm>

#include "runtime/platform.h"

namespace {

constexpr int32_t kBytesPerFrame = kPlatformAudioChannels * 2;
constexpr uint16_t kDeviceBufferFrames = 512; // about 11 ms: the played count's coarsest step

struct SdlAudio {
    SDL_AudioDeviceID device = 0;
    bool subsystemStarted = false;
    bool failed = false; // a device that cannot be opened is not tried again
    int64_t queued = 0;  // sample frames queued since the last clear
    int64_t lastLeft = 0;
    uint64_t lastLeftCounter = 0;
    int64_t reported = 0;
};

SdlAudio audio;

void Forget() {
    audio.queued = 0;
    audio.lastLeft = 0;
    audio.lastLeftCounter = SDL_GetPerformanceCounter();
    audio.reported = 0;
}

} // namespace

int32_t PlatformAudioOpen() {
    if (audio.device != 0) {
        return 1;
    }
    if (audio.failed) {
        return 0;
    }
    if (!audio.subsystemStarted && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        audio.failed = true;
        return 0;
    }
    audio.subsystemStarted = true;
    SDL_AudioSpec wanted{};
    wanted.freq = kPlatformAudioRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = kPlatformAudioChannels;
    wanted.samples = kDeviceBufferFrames;
    SDL_AudioSpec obtained{};
    audio.device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (audio.device == 0) {
        audio.failed = true;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audio.subsystemStarted = false;
        return 0;
    }
    Forget();
    SDL_PauseAudioDevice(audio.device, 0);
    return 1;
}

void PlatformAudioQueue(const int16_t* samples, int32_t frameCount) {
    if (audio.device == 0 || samples == nullptr || frameCount <= 0) {
        return;
    }
    auto bytes = static_cast<Uint32>(frameCount) * kBytesPerFrame;
    if (SDL_QueueAudio(audio.device, samples, bytes) == 0) {
        audio.queued += frameCount;
    }
}

void PlatformAudioClear() {
    if (audio.device != 0) {
        SDL_ClearQueuedAudio(audio.device);
    }
    Forget();
}

// Between two steps of what has left SDL's queue, the count goes on at the output's rate, but
// never past the next step's end nor past the queue.
int64_t PlatformAudioPlayed() {
    if (audio.device == 0) {
        return 0;
    }
    int64_t left = audio.queued - SDL_GetQueuedAudioSize(audio.device) / kBytesPerFrame;
    uint64_t now = SDL_GetPerformanceCounter();
    if (left != audio.lastLeft) {
        audio.lastLeft = left;
        audio.lastLeftCounter = now;
    }
    auto elapsed = static_cast<int64_t>((now - audio.lastLeftCounter) * kPlatformAudioRate /
                                        SDL_GetPerformanceFrequency());
    int64_t estimate = left + std::min<int64_t>(elapsed, kDeviceBufferFrames);
    audio.reported = std::clamp(estimate, audio.reported, audio.queued);
    return audio.reported;
}

void PlatformAudioClose() {
    if (audio.device != 0) {
        SDL_CloseAudioDevice(audio.device);
        audio.device = 0;
    }
    if (audio.subsystemStarted) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audio.subsystemStarted = false;
    }
    Forget();
}

// The desktop reads its sounds from files itself.
int64_t PlatformProvidedSoundFrames() {
    return 0;
}
void PlatformCopyProvidedSound(int16_t* /*samples*/, int64_t /*frameCount*/) {}
