// The largest animation the grids hold: 501 frames of 501 joints and 501 bones. Joint s of frame
// f stands at (100 + s, 100 + f); bone s links joint s to joint s + 1, the last one back to 0.
#pragma once

#include "../tests/unit/support/editor_frames.h"
#include "model/editor_state.h"

inline void FillLargestAnimation() {
    for (editor.session.currentFrame = 0; editor.session.currentFrame <= editor.animation.maxFrame;
         ++editor.session.currentFrame) {
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            AddJoint(100 + slot, 100 + editor.session.currentFrame, JointNormal);
            AddBone(slot, (slot + 1) % kSlotCount, BoneStandard);
        }
    }
    editor.session.currentFrame = 0;
}
