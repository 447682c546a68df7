// Building and posing the figure with the mouse: picking the joint under the cursor, dragging it
// with the left button, drawing bones with the right button, and the cursor-driven operations of
// the keys 1, Tab, Delete, left Shift, left Ctrl and W.
#pragma once

#include <cstdint>

#include "runtime/input.h"

constexpr int32_t kDragPickRadius = 20;
constexpr int32_t kBonePickRadius = 80;
constexpr int32_t kHoverPickRadius = 50;

int32_t PickJoint(int32_t radius);
// The same at a point of the window, such as where a button went down (the strip is outside).
int32_t PickJointAt(ClientPoint point, int32_t radius);
// The bone of the current frame whose drawn shape is nearest the cursor, within 8 pixels; -1: none.
int32_t PickBone();
// The gestures of the left and the right button, each cycle as the table of mouse gestures says:
// the left one drags the joint it is pressed on, or with left Alt down moves its figure; the right
// one draws a bone from the joint where it is pressed to the one where it is let go.
void HandleLeftButton(bool altDown);
void HandleRightButton();
void MoveDraggedJointToCursor();
void RemeasureBones();
void MoveAllJoints();
void DefineBox();
void AddJointAtCursor();
void ToggleStaticJointAtCursor();
void DeleteJointAtCursor();
