// One GIF frame of the largest animation: drawing a frame of 501 joints and 501 bones as playback
// shows it, and encoding it with the exact palette into a GIF stream. An export of 501 frames
// takes this twice per frame (colours, then encoding); the target is under 10 ms.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "../tests/unit/support/drawing_session.h"
#include "../tests/unit/support/editor_frames.h"
#include "editor/picture_export.h"
#include "model/editor_state.h"
#include "runtime/surface.h"
#include "storage/picture_files.h"

namespace {

// A chain zig-zagging across the whole surface: joint s at the left or right edge, each a little
// lower than the last; bone s links joint s to s + 1 (the last one back to joint 0), standard and
// free-length bones in turn, so that every bone is drawn.
void FillFullChain() {
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        AddJoint(20 + slot % 2 * 760, 20 + slot * 560 / (kSlotCount - 1), JointNormal);
    }
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        AddBone(slot, (slot + 1) % kSlotCount, slot % 2 == 0 ? BoneStandard : BoneFreeLength);
    }
    editor.animation.headOn = 1;
}

void BM_RenderGifFrameFullLoad(benchmark::State& state) {
    DrawingSession session;
    int sink = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (!session.opened || sink < 0) {
        state.SkipWithError("no surface or no /dev/null");
        return;
    }
    FillFullChain();
    DrawPlaybackPicture(editor.animation, 0);
    PicturePalette palette;
    CollectColours(SurfacePixels(), static_cast<std::size_t>(SurfaceWidth()) * SurfaceHeight(),
                   &palette);
    std::string error;
    GifStream* stream = GifStreamBegin(sink, SurfaceWidth(), SurfaceHeight(), &palette, &error);
    if (stream == nullptr) {
        state.SkipWithError(error.c_str());
        close(sink);
        return;
    }
    for (auto _ : state) {
        DrawPlaybackPicture(editor.animation, 0);
        if (!GifStreamAddFrame(stream, SurfacePixels(), GifDelayForRate(kDefaultFramesPerSecond),
                               &error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    GifStreamEnd(stream, true, &error);
    close(sink);
}
BENCHMARK(BM_RenderGifFrameFullLoad)->Unit(benchmark::kMillisecond);

} // namespace
