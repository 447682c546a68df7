// Importing a motion clip: key U through the file chooser, and --import-bvh, which adds a clip to
// an animation file without a display. Both read the clip whole before anything changes and place
// it as a new figure from a frame on, one frame each 1 / rate seconds of the clip.
#pragma once

#include <cstdint>
#include <string>

#include "editor/command_line.h"
#include "figure/clip_pose.h"

// The placement an animation asks for: its box and its last frame, at its rate.
ClipPlacement AnimationClipPlacement(const Animation& animation, int32_t firstFrame);

// U: the clip chosen in the file chooser, from the current frame on, as one undo step, told on
// the status line. A cancelled chooser changes nothing.
void ImportMotionKey();

// --import-bvh: the animation loaded (or begun, when there is no file yet), the clip placed from
// frame 0 and the animation saved as F9 saves it. Returns the exit code, 0 or 1.
int RunMotionImport(const CommandLine& command);
