// Speed of the bone solver on the largest frame the editor can hold: 501 joints, 501 standard
// bones in a closed chain, every bone stretched away from its rest length, collision on. Each
// iteration restores the stretched positions with one memcpy of the joint row, inside the timing;
// BM_RestoreStretchedFrame measures that copy alone. One main-loop cycle lasts 1/61 s (16.4 ms);
// the solver should take under 1 % of it.
#include <cstring>
#include <vector>

#include <benchmark/benchmark.h>

#include "../tests/unit/support/editor_frames.h"
#include "figure/bone_solver.h"
#include "model/editor_state.h"

namespace {

// A zigzag of joints inside the start-up box, every hundredth joint static, the bones shortened
// to 60 % of their measured length so that every pass has work to do.
std::vector<Joint> BuildStretchedFullFrame() {
    EditorStateInit();
    editor.animation.collisionOn = 1;
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        int32_t x = 210 + (slot % 20) * 19;
        int32_t y = 160 + (slot / 20) * 11;
        AddJoint(x, y, slot % 100 == 0 ? JointStatic : JointNormal);
    }
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        AddBone(slot, (slot + 1) % kSlotCount, BoneStandard);
        BoneAt(0, slot).restLength *= 0.6;
    }
    const Joint* row = &JointAt(0, 0);
    return std::vector<Joint>(row, row + kSlotCount);
}

void BM_SolveBonesFullFrame(benchmark::State& state) {
    std::vector<Joint> stretched = BuildStretchedFullFrame();
    Joint* row = &JointAt(0, 0);
    for (auto _ : state) {
        std::memcpy(row, stretched.data(), sizeof(Joint) * kSlotCount);
        SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
        benchmark::DoNotOptimize(row);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SolveBonesFullFrame);

void BM_RestoreStretchedFrame(benchmark::State& state) {
    std::vector<Joint> stretched = BuildStretchedFullFrame();
    Joint* row = &JointAt(0, 0);
    for (auto _ : state) {
        std::memcpy(row, stretched.data(), sizeof(Joint) * kSlotCount);
        benchmark::DoNotOptimize(row);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RestoreStretchedFrame);

} // namespace
