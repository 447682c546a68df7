// The commands that the command keys call: editing the current frame, stepping and copying frames,
// the toggles and the bone mode, saving and loading, and the in-betweens. Each is a plain procedure
// on the editor state; the command table says which key calls it and when.
#pragma once

#include <cstdint>
#include <string>

// Undo steps of the current frame: a joint at the cursor (1), the joint under it pinned or freed
// (Tab) or deleted (Delete), and the frame before copied into it (F11).
void AddJointStep();
void ToggleStaticStep();
void DeleteJointStep();
void CopyIntoCurrentFrame();
// X: every frame emptied and the box put back, as one step; a drag or a bone being drawn ends.
void ResetAllStep();
// F6 and F7; F7 into an empty frame copies the frame it comes from.
void StepFrameBack();
void StepFrameForward();
// F11 has nothing to copy from on frame 0.
bool NotOnFirstFrame();

// The held keys, every cycle with the key's state: left Shift moves joints without the solver, left
// Ctrl moves everything with the pointer, W draws the box and switches collision on when let go.
void HoldLeftShift(bool down, int32_t /*key*/);
void HoldLeftCtrl(bool down, int32_t /*key*/);
void HoldBoxKey(bool down, int32_t /*key*/);

// F9 and F8, each telling the result on the status line; a load is an undo step.
void SaveWithMessage();
void LoadWithMessage();
// The animation file at the base path, its sound decoded, in place of the editor's animation,
// shown from frame 0; inside an open undo step the step records it. False, and nothing changed,
// when the file cannot be read. *soundProblem is the status line's text for a sound that could
// not be found or decoded (null: none), about *soundReference.
bool LoadFromBasePath(const char** soundProblem, std::string* soundReference);

// F1 through the help list's pages, of which there are pageCount: the next one, or after the last
// the list hidden; hidden, it shows again at the first. With one page F1 shows and hides it by the
// toggle rules of the model, as it does F3, F4 and F5; F2 goes through the three bone kinds.
void ToggleHelp(int32_t pageCount);
void ToggleShadow();
void ToggleCollision();
void ToggleHead();
void CycleBoneMode();

// I: the untouched copies before the current frame, or every run of them within the selection,
// filled with in-betweens spaced by the pen's easing, as one undo step.
void MakeInbetweens();
