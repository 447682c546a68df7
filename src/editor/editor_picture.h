// The editor's own picture: the scene and the overlay drawn on the surface from the editor state,
// the cursor and the hovered joint. The cycle, playback and the status message draw through these.
#pragma once

#include "figure/help_overlay.h"
#include "figure/scene.h"

// What the editor state shows now, as the scene and the overlay take it.
SceneView EditorSceneView();
OverlayView EditorOverlayView();
// A frame as playback and the pictures show it: no editing aids, whatever the editor is doing.
SceneView PlaybackSceneView(int32_t frame);
void DrawEditorScene();
void DrawEditorOverlay();
