// The export file: every bone of the standard kind in every frame as a line segment between its
// joints' window positions, for other programs; written beside the animation file on request.
#pragma once

// Writes stem + "_export.lmb" and tells the user its name in a message box once it is complete,
// or that it could not be saved. A file that cannot even be created is passed over in silence.
void ExportAnimation();
