// The editor's per-cycle work at full load, on the headless backend: the solver with the undo
// history's watch around it, the scene and the help text for a frame with all 501 joints and 501
// bones, the previous frame as full for the shadow, and the timeline strip showing twelve such
// frames. One cycle has 1/61 s; this part should stay under 6% of it. The same with thick styled
// bones, a deeper onion skin and every thumbnail redrawn, and a pass of playback with a sound.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "../tests/unit/support/drawing_session.h"
#include "../tests/unit/support/editor_frames.h"
#include "editor/command_table.h"
#include "editor/editor_picture.h"
#include "editor/sound_playback.h"
#include "editor/undo_history.h"
#include "figure/bone_solver.h"
#include "figure/timeline_strip.h"
#include "model/editor_state.h"
#include "model/sound_track.h"
#include "runtime/headless.h"
#include "runtime/platform.h"

namespace {

// Joints on a grid of 21 x 24 over the surface, each bone linking a joint to its right-hand
// neighbour, kinds rotating through stabilising, standard and free length; one joint in five is
// static. Frames 0 to 11 hold the same figure; frame 1 is current.
void FillTwelveFullFrames() {
    constexpr int32_t kColumns = 21;
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        int32_t x = 40 + slot % kColumns * 36;
        int32_t y = 30 + slot / kColumns * 23;
        AddJoint(x, y, slot % 5 == 0 ? JointStatic : JointNormal);
    }
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        AddBone(slot, (slot + 1) % kSlotCount, slot % 3);
    }
    for (editor.session.currentFrame = 1; editor.session.currentFrame < 12;
         ++editor.session.currentFrame) {
        CopyPreviousFrame();
    }
    editor.session.currentFrame = 1;
    editor.animation.shadowOn = 1;
    editor.animation.headOn = 1;
    editor.session.helpVisible = 1;
    HeadlessSetCursor(40 + 5 * 36 + 3, 30 + 4 * 23 + 2); // next to joint 89
}

void BM_EditorCycleFullLoad(benchmark::State& state) {
    DrawingSession session(kSurfaceHeight + kStripHeight);
    if (!session.opened) {
        state.SkipWithError("no surface to draw on");
        return;
    }
    FillTwelveFullFrames();
    for (auto _ : state) {
        UndoNoteGestures(0);
        UndoBeforeSolver();
        SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
        UndoEndOfCycle(0);
        DrawEditorScene();
        DrawEditorOverlay();
        DrawEditorStrip();
        benchmark::DoNotOptimize(SurfacePixels());
    }
}
BENCHMARK(BM_EditorCycleFullLoad)->Unit(benchmark::kMicrosecond);

// The same cycle with every bone 12 pixels wide in a colour of its own, the onion skin two frames
// back and one ahead, and the strip's twelve thumbnails drawn afresh each cycle. It should stay
// under 25% of a cycle.
void BM_EditorCycleStyledFullLoad(benchmark::State& state) {
    DrawingSession session(kSurfaceHeight + kStripHeight);
    if (!session.opened) {
        state.SkipWithError("no surface to draw on");
        return;
    }
    FillTwelveFullFrames();
    for (int32_t frame = 0; frame < 12; ++frame) {
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            BoneAt(frame, slot).style = BoneStyle{255, 128, 0, 1, 11, ShapeLine};
        }
    }
    editor.session.currentFrame = 2;
    editor.session.onionBack = 2;
    editor.session.onionAhead = 1;
    for (auto _ : state) {
        UndoNoteGestures(0);
        UndoBeforeSolver();
        SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
        UndoEndOfCycle(0);
        DrawEditorScene();
        DrawEditorOverlay();
        ForgetThumbnails();
        DrawEditorStrip();
        benchmark::DoNotOptimize(SurfacePixels());
    }
    state.counters["cycle_share"] = benchmark::Counter(
        1.0 / 61, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_EditorCycleStyledFullLoad)->Unit(benchmark::kMicrosecond);

// A pass of F12 with a five-minute sound over the full frames at 40 frames a second: the sound's
// clock read, the output kept fed ahead of it, the frame it has reached drawn with the strip. The
// sound moves on by a frame each pass. It should stay under 6% of a cycle.
void BM_PlaybackPassWithSound(benchmark::State& state) {
    DrawingSession session(kSurfaceHeight + kStripHeight);
    if (!session.opened || PlatformAudioOpen() == 0) {
        state.SkipWithError("no surface to draw on or no sound output");
        return;
    }
    FillTwelveFullFrames();
    std::vector<int16_t> samples(static_cast<size_t>(300 * kSoundRate * kSoundChannels));
    for (size_t at = 0; at < samples.size(); ++at) {
        samples[at] = static_cast<int16_t>(at * 7919 % 65536 - 32768);
    }
    editor.animation.playbackRate = kDefaultPlaybackRate;
    constexpr int64_t kPassesPerStart = 400; // the headless output keeps what it is given
    SoundLoop loop{};
    int64_t passes = 0;
    for (auto _ : state) {
        if (passes % kPassesPerStart == 0) {
            state.PauseTiming();
            HeadlessResetAudio();
            PlatformAudioOpen();
            loop = StartSoundLoop(samples, 0, 11, editor.animation.playbackRate);
            state.ResumeTiming();
        }
        int64_t played = passes % kPassesPerStart * (kSoundRate / editor.animation.playbackRate);
        PlatformAudioPlayed();
        KeepSoundLoopQueued(loop, samples, played);
        editor.session.currentFrame = SoundLoopFrame(loop, played);
        DrawEditorScene();
        DrawEditorStrip();
        benchmark::DoNotOptimize(SurfacePixels());
        passes += 1;
    }
    state.counters["cycle_share"] = benchmark::Counter(
        1.0 / 61, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PlaybackPassWithSound)->Unit(benchmark::kMicrosecond);

} // namespace
