// Cost of the drawing primitives at the editor's per-frame load on an 800 x 600 buffer: 501 bone
// lines, 501 joint discs, the head disc and 22 overlay texts, separately and as one frame; and the
// largest animation's frame with thick styled bones.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "../tests/unit/support/drawing_session.h"
#include "../tests/unit/support/editor_frames.h"
#include "editor/command_table.h"
#include "editor/editor_picture.h"
#include "largest_animation.h"
#include "model/editor_state.h"
#include "runtime/drawing.h"
#include "runtime/fonts.h"

namespace {

constexpr int32_t kWidth = 800;
constexpr int32_t kHeight = 600;
constexpr int32_t kSlots = 501;

// The frame line and the first 21 texts of the help list at the start values (labels and the
// values after them), as the overlay draws them.
std::vector<const char*> OverlayTexts() {
    std::vector<HelpLine> lines;
    FillHelpLines(CommandTable(), MouseGestureTable(), editor, &lines);
    std::vector<const char*> texts = {"Frame 250"};
    for (const HelpLine& line : lines) {
        for (const char* text : {line.text, line.value.text.data()}) {
            if (text != nullptr && text[0] != 0 && texts.size() < 22) {
                texts.push_back(text);
            }
        }
    }
    return texts;
}

struct Point {
    int32_t x, y;
};

// A deterministic spread of joints over the window (a linear congruential sequence).
std::vector<Point> Joints() {
    std::vector<Point> joints;
    uint32_t seed = 12345;
    for (int32_t slot = 0; slot < kSlots; ++slot) {
        seed = seed * 1664525u + 1013904223u;
        const auto x = static_cast<int32_t>((seed >> 8) % kWidth);
        seed = seed * 1664525u + 1013904223u;
        const auto y = static_cast<int32_t>((seed >> 8) % kHeight);
        joints.push_back({x, y});
    }
    return joints;
}

struct Frame {
    std::vector<uint32_t> pixels = std::vector<uint32_t>(kWidth * kHeight, 0x141414);
    DrawingTarget target{DrawingTargetSurface, 0, pixels.data(), nullptr, kWidth, kHeight, 32, 7};
    std::vector<Point> joints = Joints();
    std::vector<const char*> texts = OverlayTexts();
    intptr_t font = 0;

    Frame() {
        DrawingSubsystemInit();
        FontSubsystemInit();
        font = FontHandle(FontLoad(-1, "Arial", 8));
    }
    ~Frame() {
        DrawingEnd();
        FontSubsystemShutdown();
    }
    void Begin() {
        DrawingBegin(&target);
        DrawingSetMode(DrawingTransparentText);
        DrawingSetFont(font);
    }
    // Each joint linked to its successor: bones of a few tens to a few hundred pixels.
    void Lines() {
        for (int32_t slot = 0; slot < kSlots; ++slot) {
            const Point& a = joints[slot];
            const Point& b = joints[(slot + 1) % kSlots];
            DrawLineAbs(a.x, a.y, b.x, b.y, PackColour(255, 255, 255));
        }
    }
    void Discs() {
        DrawCircle(joints[0].x, joints[0].y, 28, PackColour(80, 80, 80));
        for (const Point& joint : joints) {
            DrawCircle(joint.x, joint.y, 4, PackColour(0, 255, 0));
        }
    }
    void Texts() {
        for (std::size_t line = 0; line < texts.size(); ++line) {
            DrawTextAt(1, 1 + 12 * static_cast<int32_t>(line), texts[line],
                       PackColour(155, 155, 155));
        }
    }
};

void Lines501(benchmark::State& state) {
    Frame frame;
    frame.Begin();
    for (auto _ : state) {
        frame.Lines();
        benchmark::DoNotOptimize(frame.pixels.data());
    }
}
BENCHMARK(Lines501);

void JointDiscs501AndHead(benchmark::State& state) {
    Frame frame;
    frame.Begin();
    for (auto _ : state) {
        frame.Discs();
        benchmark::DoNotOptimize(frame.pixels.data());
    }
}
BENCHMARK(JointDiscs501AndHead);

void OverlayTexts22(benchmark::State& state) {
    Frame frame;
    frame.Begin();
    frame.Texts(); // renders the glyphs once
    for (auto _ : state) {
        frame.Texts();
        benchmark::DoNotOptimize(frame.pixels.data());
    }
}
BENCHMARK(OverlayTexts22);

// A whole editor frame's drawing, begin to end (clearing excluded).
void EditorFrame(benchmark::State& state) {
    Frame frame;
    frame.Begin();
    frame.Texts();
    for (auto _ : state) {
        frame.Begin();
        frame.Discs();
        frame.Lines();
        frame.Texts();
        DrawingEnd();
        benchmark::DoNotOptimize(frame.pixels.data());
    }
}
BENCHMARK(EditorFrame);

// Lines far longer than the buffer cost only their visible part.
void LineAcrossFourBillionPixels(benchmark::State& state) {
    Frame frame;
    frame.Begin();
    for (auto _ : state) {
        DrawLineAbs(-2000000000, 5, 2000000000, 5, PackColour(255, 0, 0));
        DrawLineAbs(-2000000000, -1900000000, 2000000000, 2000000300, PackColour(255, 0, 0));
        benchmark::DoNotOptimize(frame.pixels.data());
    }
}
BENCHMARK(LineAcrossFourBillionPixels);

} // namespace

// The largest animation's first frame with every bone 12 pixels wide in a colour of its own, as
// the editor draws it: anti-aliased lines with round ends, the joints over them. Against a cycle
// of 1/61 s this should stay under 10%.
void BM_DrawStyledFrameLargest(benchmark::State& state) {
    DrawingSession session;
    if (!session.opened) {
        state.SkipWithError("no surface to draw on");
        return;
    }
    FillLargestAnimation();
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        BoneAt(0, slot).style = BoneStyle{255, 128, 0, 1, 11, ShapeLine};
    }
    for (auto _ : state) {
        DrawEditorScene();
        benchmark::DoNotOptimize(SurfacePixels());
    }
    state.counters["cycle_share"] = benchmark::Counter(
        1.0 / 61, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_DrawStyledFrameLargest)->Unit(benchmark::kMicrosecond);
