// The frame number and, while help is visible, the German command list with the bone mode and the
// three toggles, drawn over the scene.
#pragma once

void DrawHelpOverlay();
