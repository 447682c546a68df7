// The editor's one state: the animation being edited, as a value, and beside it the editor's own
// session (the window, the frame shown, the selection, the gestures under way, the pen, the strip's
// scroll, the file's name and the status line). Only the editor reaches this record; the layers
// below take the animation, a frame of it or a view as arguments.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/animation.h"

constexpr int32_t kStripHeight = 100; // the timeline strip below the scene

struct Session {
    int32_t windowWidth = kSceneWidth;
    int32_t windowHeight = kSceneHeight;
    int32_t currentFrame = 0;
    int32_t draggedJoint = -1;   // dragged with the left button; -1 none
    int32_t boneStartJoint = -1; // where a right-button bone began; -1 none
    int32_t solverSuspended = 0; // 1 while left Shift is held
    int32_t hudFont = 0;
    int32_t lastMouseX = 0; // the pointer at the end of the previous cycle (left Ctrl)
    int32_t lastMouseY = 0;
    int32_t drawingBox = 0;   // 1 while W is held and the box is drawn
    char* basePath = nullptr; // string variable; null is the empty text
    int32_t helpVisible = 1;  // the command list; F1
    int32_t helpPage = 0;     // which of its pages, where one does not hold every line
    int32_t lastWindowEvent = 0;
    int32_t playing = 0;    // 1 while the animation plays
    int32_t boneMode = 1;   // kind given to new bones
    int32_t mouseLatch = 0; // the left button's press has been taken
    // The timeline: the selected frames (selectionFirst -1: none), how many frames back and ahead
    // the onion skin shows, and the strip's first cell as the wheel scrolled it while the current
    // frame was stripScrolledAt (-1: not scrolled).
    int32_t selectionFirst = -1;
    int32_t selectionLast = -1;
    int32_t onionBack = 1;
    int32_t onionAhead = 0;
    int32_t stripFirstFrame = 0;
    int32_t stripScrolledAt = -1;
    BoneStyle pen{}; // the style the next bone gets
    // The pen's easing (an index of model/easing.h): how key I spaces its in-betweens. It belongs
    // to the session and is not saved with the animation.
    int32_t penEasing = 0;
    // Messages the next cycle shows on the status line, each for half a second, in order.
    std::vector<std::string> statusLines;
};

struct EditorState {
    Animation animation;
    Session session;
};

extern EditorState editor;

// The start values of a fresh editor: an empty animation and a new session (the file's name and
// the font are start-up's). For tests and benchmarks, which start each from scratch.
void EditorStateInit();

// Whether frames are selected on the strip: selectionFirst to selectionLast, both frames.
inline bool HasSelection(const Session& session) {
    return session.selectionFirst >= 0 && session.selectionLast >= session.selectionFirst;
}
