// The editor's own picture: the scene and the strip drawn on the surface from the editor state,
// the cursor and the hovered joint. The cycle, playback and the status message draw through these.
#pragma once

#include "figure/scene.h"
#include "figure/timeline_strip.h"

// What the editor state shows now, as the scene takes it.
SceneView EditorSceneView();
StripView EditorStripView();
// The surface's top 800 x 600, where the scene and the overlay go; null without a surface.
const DrawingTarget* EditorSceneTarget();
// How many rows that target has, asked without taking the surface for drawing; as many as the
// scene has without a surface.
int32_t EditorSceneHeight();
// The scene goes into the scene's part of the surface, the strip below it.
void DrawEditorScene();
void DrawEditorStrip();
// Each message the status line holds, over the scene and the strip without the overlay, presented
// and held for half a second, in the order they came.
void ShowPendingStatusLines();
