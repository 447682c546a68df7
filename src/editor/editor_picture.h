// The editor's own picture: the scene and the strip drawn on the surface from the editor state,
// the cursor and the hovered joint. The cycle, playback and the status message draw through these.
#pragma once

#include "figure/scene.h"
#include "figure/timeline_strip.h"

// The animation's ground as a surface pixel (0x00RRGGBB).
uint32_t SceneGround();
// What the editor state shows now, as the scene takes it.
SceneView EditorSceneView();
// A frame as playback and the pictures show it: no editing aids, whatever the editor is doing.
SceneView PlaybackSceneView(int32_t frame);
StripView EditorStripView();
// The surface's top 800 x 600, where the scene and the overlay go; null without a surface.
const DrawingTarget* EditorSceneTarget();
// The scene goes into the scene's part of the surface, the strip below it.
void DrawEditorScene();
void DrawEditorStrip();
