// Decoding a 5-minute Ogg Vorbis file (made here with FFmpeg's sine source) into the sound track's
// buffer, against FFmpeg's own command line decoding the same file to raw 48000 Hz stereo samples
// read through a pipe, side by side in one run (target: at most 1.2 times FFmpeg's time). Each
// takes the same three rounds; both read the file from the page cache.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "storage/sound_decoder.h"

namespace {

constexpr int kRounds = 3;

// The file, made once and removed when the benchmarks end.
struct MadeSound {
    std::string path;
    MadeSound() {
        std::string made = std::filesystem::temp_directory_path().string() + "/limbrado_bench_" +
                           std::to_string(getpid()) + "_five_minutes.ogg";
        std::string command = "ffmpeg -nostdin -v error -y -f lavfi -i "
                              "'sine=frequency=440:beep_factor=4:duration=300' -ac 2 "
                              "-c:a libvorbis '" +
                              made + "'";
        path = std::system(command.c_str()) == 0 ? made : std::string();
    }
    ~MadeSound() {
        std::error_code failure;
        std::filesystem::remove(path, failure);
    }
    MadeSound(const MadeSound&) = delete;
    MadeSound& operator=(const MadeSound&) = delete;
};

const std::string& FiveMinutes() {
    static const MadeSound sound;
    return sound.path;
}

void BM_SoundDecodeFiveMinutesVorbis(benchmark::State& state) {
    const std::string& path = FiveMinutes();
    std::size_t samples = 0;
    for (auto _ : state) {
        DecodedSound sound;
        std::string error;
        if (path.empty() || !DecodeSoundFile(path, &sound, &error)) {
            state.SkipWithError(("cannot decode: " + error).c_str());
            return;
        }
        samples = sound.samples.size();
        benchmark::DoNotOptimize(sound.samples.data());
    }
    state.counters["seconds of sound"] = static_cast<double>(samples) / 2 / kSoundRate;
}

void BM_SoundDecodeFiveMinutesVorbisFfmpegCommand(benchmark::State& state) {
    const std::string& path = FiveMinutes();
    std::string command = "ffmpeg -nostdin -v error -i '" + path + "' -f s16le -ar 48000 -ac 2 -";
    std::size_t bytes = 0;
    static char buffer[1 << 16];
    for (auto _ : state) {
        FILE* pipe = path.empty() ? nullptr : popen(command.c_str(), "r");
        if (pipe == nullptr) {
            state.SkipWithError("cannot run ffmpeg");
            return;
        }
        bytes = 0;
        for (std::size_t got = 0; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            bytes += got;
        }
        if (pclose(pipe) != 0) {
            state.SkipWithError("ffmpeg failed");
            return;
        }
    }
    state.counters["seconds of sound"] = static_cast<double>(bytes) / 4 / kSoundRate;
}

BENCHMARK(BM_SoundDecodeFiveMinutesVorbis)
    ->Iterations(kRounds)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SoundDecodeFiveMinutesVorbisFfmpegCommand)
    ->Iterations(kRounds)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
