// Paints the whole editor picture into the surface: background, shadow of the previous frame,
// head, bones and joints of the current frame, hover label, rubber band, box and box size.
#pragma once

void DrawScene();
