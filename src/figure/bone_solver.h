// Keeps the bones of the current frame at their rest lengths: 11 relaxation passes over the bone
// slots, integer joint positions rounded after every correction, static joints held, free-length
// bones ignored, and with collision on every pass starting with all joints pushed into the box.
#pragma once

void SolveBones();
void ApplyBoxCollision();
