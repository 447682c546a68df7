// The editor's own picture: the scene and the overlay drawn on the surface from the editor state,
// the cursor and the hovered joint. The cycle, playback and the status message draw through these.
#pragma once

#include "figure/help_overlay.h"
#include "figure/scene.h"
#include "figure/timeline_strip.h"

// What the editor state shows now, as the scene and the overlay take it.
// The animation's ground as a surface pixel (0x00RRGGBB).
uint32_t SceneGround();
SceneView EditorSceneView();
OverlayView EditorOverlayView();
// A frame as playback and the pictures show it: no editing aids, whatever the editor is doing.
SceneView PlaybackSceneView(int32_t frame);
StripView EditorStripView();
// The scene and the overlay go into the surface's top 800 x 600, the strip below them.
void DrawEditorScene();
void DrawEditorOverlay();
void DrawEditorStrip();
