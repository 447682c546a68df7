// The cost of the numbered-file layer against raw system writes: 4 MiB written as 524,288
// records of 8 bytes (word, byte, word, word, byte, the animation file's record shape) through
// FileWriteWord and FileWriteByte; the same 4 MiB from memory in one write; and in the 4095-byte
// writes that the layer's buffer makes, which is the least the layer can cost.
#include "storage/numbered_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int32_t kRecordCount = 524288;
constexpr std::size_t kTotalBytes = std::size_t{kRecordCount} * 8;

class ScratchDirectory {
  public:
    ScratchDirectory() {
        char pattern[] = "/tmp/numbered_files_bench_XXXXXX";
        if (mkdtemp(pattern) != nullptr) {
            path = pattern;
        }
    }
    ~ScratchDirectory() {
        if (!path.empty()) {
            std::filesystem::remove_all(path);
        }
    }
    std::string File(const char* name) const { return path + "/" + name; }
    bool Ready() const { return !path.empty(); }

  private:
    std::string path;
};

void BM_FileLayerWrite4MB(benchmark::State& state) {
    ScratchDirectory directory;
    if (!directory.Ready()) {
        state.SkipWithError("no scratch directory");
        return;
    }
    std::string name = directory.File("layer");
    FileTableInit();
    for (auto _ : state) {
        if (FileCreate(0, name.c_str()) == 0) {
            state.SkipWithError("create failed");
            break;
        }
        for (int32_t record = 0; record < kRecordCount; ++record) {
            FileWriteWord(0, record % 501);
            FileWriteByte(0, record & 1);
            FileWriteWord(0, record);
            FileWriteWord(0, -record);
            FileWriteByte(0, 1);
        }
        FileClose(0);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTotalBytes));
}
BENCHMARK(BM_FileLayerWrite4MB)->Unit(benchmark::kMillisecond);

// Writes the 4 MiB to a new file in writes of at most `chunk` bytes.
void WriteFromMemory(benchmark::State& state, std::size_t chunk) {
    ScratchDirectory directory;
    if (!directory.Ready()) {
        state.SkipWithError("no scratch directory");
        return;
    }
    std::string name = directory.File("raw");
    std::vector<unsigned char> bytes(kTotalBytes);
    for (std::size_t index = 0; index < bytes.size(); ++index) {
        bytes[index] = static_cast<unsigned char>(index * 131);
    }
    for (auto _ : state) {
        int descriptor = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (descriptor < 0) {
            state.SkipWithError("create failed");
            break;
        }
        for (std::size_t offset = 0; offset < bytes.size(); offset += chunk) {
            std::size_t count = std::min(chunk, bytes.size() - offset);
            benchmark::DoNotOptimize(write(descriptor, bytes.data() + offset, count));
        }
        close(descriptor);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTotalBytes));
}

void BM_RawWrite4MB(benchmark::State& state) {
    WriteFromMemory(state, kTotalBytes);
}
BENCHMARK(BM_RawWrite4MB)->Unit(benchmark::kMillisecond);

void BM_RawWrite4MBIn4095ByteWrites(benchmark::State& state) {
    WriteFromMemory(state, kFileBufferSize - 1);
}
BENCHMARK(BM_RawWrite4MBIn4095ByteWrites)->Unit(benchmark::kMillisecond);

} // namespace
