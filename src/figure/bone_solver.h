// Keeps the bones of a frame at their rest lengths: 11 relaxation passes over the bone slots,
// integer joint positions rounded after every correction, static joints held, free-length bones
// ignored, and with collision on every pass starting with all joints pushed into the box. Between
// two static joints the dragged one (-1: none) gives way.
#pragma once

#include <cstdint>

#include "model/animation.h"

void SolveBones(Animation& animation, int32_t frame, int32_t draggedJoint);
void ApplyBoxCollision(Animation& animation, int32_t frame);
