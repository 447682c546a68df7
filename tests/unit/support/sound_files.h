// Sounds for the sound tests: a WAV with a click at a known time, made for the test, and FFmpeg's
// own command-line tools run on files, for what a real client makes of them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// What the command writes on standard output (standard error dropped).
inline std::string CommandOutput(const std::string& command) {
    std::string output;
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) {
        return output;
    }
    char buffer[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        output.append(buffer, got);
    }
    pclose(pipe);
    return output;
}

// A WAV of silence made by FFmpeg's expression source, with a click (0.9 of full scale, 2 ms) from
// clickSecond on; in a stereo file given rightClickSecond, the left channel's click only, and the
// right channel's from then.
inline void WriteClickWav(const std::string& path, int32_t rate, int32_t channels, double seconds,
                          double clickSecond, double rightClickSecond = -1) {
    auto click = [](double second) {
        return "if(between(t\\," + std::to_string(second) + "\\," + std::to_string(second + 0.002) +
               ")\\,0.9\\,0)";
    };
    std::string expression = click(clickSecond);
    if (channels == 2 && rightClickSecond >= 0) {
        expression += "|" + click(rightClickSecond);
    }
    std::string source =
        "aevalsrc='" + expression + "':s=" + std::to_string(rate) + ":d=" + std::to_string(seconds);
    CommandOutput("ffmpeg -nostdin -v error -y -f lavfi -i \"" + source + "\" -ac " +
                  std::to_string(channels) + " -c:a pcm_s16le '" + path + "'");
}

// The sound of a file as FFmpeg's command line decodes it: 16-bit samples at 48000 Hz, mono or
// (channels 2) left and right interleaved.
inline std::vector<int16_t> FfmpegDecoded(const std::string& path, int32_t channels) {
    std::string bytes =
        CommandOutput("ffmpeg -nostdin -v error -i '" + path + "' -vn -f s16le -ac " +
                      std::to_string(channels) + " -ar 48000 -");
    std::vector<int16_t> samples(bytes.size() / 2);
    for (std::size_t at = 0; at < samples.size(); ++at) {
        samples[at] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * at]) |
                                           static_cast<uint8_t>(bytes[2 * at + 1]) << 8);
    }
    return samples;
}

// One channel (0 left, 1 right) of interleaved stereo samples.
inline std::vector<int16_t> ChannelOf(const std::vector<int16_t>& samples, std::size_t channel) {
    std::vector<int16_t> one;
    for (std::size_t at = channel; at < samples.size(); at += 2) {
        one.push_back(samples[at]);
    }
    return one;
}

// The first sample, counted in sample frames, louder than half the loudest (and than a tenth of
// full scale, so that silence has none); -1 for none.
inline int64_t FirstLoudFrame(const std::vector<int16_t>& samples, int32_t channels) {
    int32_t loudest = 0;
    for (int16_t sample : samples) {
        loudest = std::max(loudest, std::abs(int32_t{sample}));
    }
    for (std::size_t at = 0; at < samples.size() && loudest > 3276; ++at) {
        if (std::abs(int32_t{samples[at]}) > loudest / 2) {
            return static_cast<int64_t>(at) / channels;
        }
    }
    return -1;
}
