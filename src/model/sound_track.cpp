// The stretch of an animation's sound that belongs to each frame, and the loudness of each.
#include "model/sound_track.h"

#include <algorithm>
#include <cstdlib>

// Frame boundaries are rounded down from the exact times, so that the slices of successive frames
// meet without gap or overlap at any rate.
SoundSlice FrameSoundSlice(int32_t frame, int32_t framesPerSecond) {
    if (frame < 0 || framesPerSecond < 1) {
        return {};
    }
    auto start = static_cast<std::size_t>(int64_t{frame} * kSoundRate / framesPerSecond);
    auto end = static_cast<std::size_t>((int64_t{frame} + 1) * kSoundRate / framesPerSecond);
    return {start, end - start};
}

std::vector<int32_t> FramePeaks(std::span<const int16_t> samples, int32_t framesPerSecond,
                                int32_t frameCount) {
    std::vector<int32_t> peaks(static_cast<std::size_t>(std::max(frameCount, 0)), 0);
    std::size_t sampleFrames = samples.size() / kSoundChannels;
    for (int32_t frame = 0; frame < frameCount; ++frame) {
        SoundSlice slice = FrameSoundSlice(frame, framesPerSecond);
        std::size_t first = std::min(slice.first, sampleFrames) * kSoundChannels;
        std::size_t end = std::min(slice.first + slice.count, sampleFrames) * kSoundChannels;
        int32_t peak = 0;
        for (std::size_t at = first; at < end; ++at) {
            peak = std::max(peak, std::abs(int32_t{samples[at]}));
        }
        peaks[static_cast<std::size_t>(frame)] = peak;
    }
    return peaks;
}
