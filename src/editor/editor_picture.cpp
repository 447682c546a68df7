// The editor's own picture: the scene and the overlay drawn on the surface from the editor state.
#include "editor/editor_picture.h"

#include "editor/mouse_editing.h"
#include "model/editor_state.h"
#include "runtime/fonts.h"
#include "runtime/input.h"
#include "runtime/surface.h"

namespace {

constexpr int32_t kCursorWindow = 0;

} // namespace

SceneView EditorSceneView() {
    SceneView view;
    view.frame = editor.currentFrame;
    view.playing = editor.playing;
    view.shadowOn = editor.shadowOn;
    view.headOn = editor.headOn;
    bool framed = IsFrame(editor.currentFrame);
    view.hoverJoint = framed && editor.playing == 0 ? PickJoint(kHoverPickRadius) : -1;
    view.boneStartJoint = editor.boneStartJoint;
    view.cursorX = WindowCursorX(kCursorWindow);
    view.cursorY = WindowCursorY(kCursorWindow);
    view.boxLeft = editor.boxLeft;
    view.boxTop = editor.boxTop;
    view.boxRight = editor.boxRight;
    view.boxBottom = editor.boxBottom;
    view.drawingBox = editor.drawingBox;
    view.font = FontHandle(editor.hudFont);
    return view;
}

SceneView PlaybackSceneView(int32_t frame) {
    SceneView view = EditorSceneView();
    view.frame = frame;
    view.playing = 1;
    view.hoverJoint = -1;
    view.boneStartJoint = -1;
    view.drawingBox = 0;
    return view;
}

OverlayView EditorOverlayView() {
    OverlayView view;
    view.frame = editor.currentFrame;
    view.helpVisible = editor.helpVisible;
    view.boneMode = editor.boneMode;
    view.shadowOn = editor.shadowOn;
    view.collisionOn = editor.collisionOn;
    view.headOn = editor.headOn;
    view.font = FontHandle(editor.hudFont);
    return view;
}

void DrawEditorScene() {
    DrawScene(EditorSceneView(), SurfaceDrawTarget());
}

void DrawEditorOverlay() {
    DrawHelpOverlay(EditorOverlayView(), SurfaceDrawTarget());
}
