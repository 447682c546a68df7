// The editor's animation as the tests reach it: its slots by frame, and the operations on its
// current frame as the keys make them (new bones in the pen's style), its file saved and loaded
// at the editor's path as F9 and F8 do without the status line.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "model/editor_state.h"
#include "storage/animation_file.h"

// The editor's settings in one row: window width and height, last frame, current frame, playback
// end, dragged joint, bone start, solver suspended, help, bone mode, playing, shadow, collision,
// head, drawing a box.
inline std::vector<int32_t> SettingsRow() {
    const Session& session = editor.session;
    const Animation& animation = editor.animation;
    return {session.windowWidth,    session.windowHeight,    animation.maxFrame,
            session.currentFrame,   animation.playbackEnd,   session.draggedJoint,
            session.boneStartJoint, session.solverSuspended, session.helpVisible,
            session.boneMode,       session.playing,         animation.shadowOn,
            animation.collisionOn,  animation.headOn,        session.drawingBox};
}
// A fresh editor's settings.
inline const std::vector<int32_t> kStartSettings = {800, 600, 500, 0, 0, -1, -1, 0,
                                                    1,   1,   0,   0, 0, 0,  0};

inline Joint& JointAt(int32_t frame, int32_t slot) {
    return editor.animation.JointAt(frame, slot);
}
inline Bone& BoneAt(int32_t frame, int32_t slot) {
    return editor.animation.BoneAt(frame, slot);
}
inline bool IsFrame(int32_t frame) {
    return editor.animation.IsFrame(frame);
}
inline bool HasSelection() {
    return HasSelection(editor.session);
}
inline int32_t AddJoint(int32_t x, int32_t y, int32_t state) {
    return AddJoint(editor.animation, editor.session.currentFrame, x, y, state);
}
inline int32_t AddBone(int32_t jointA, int32_t jointB, int32_t kind) {
    return AddBone(editor.animation, editor.session.currentFrame, jointA, jointB, kind,
                   editor.session.pen);
}
inline void DeleteJoint(int32_t slot) {
    DeleteJoint(editor.animation, editor.session.currentFrame, slot);
}
inline void CopyPreviousFrame() {
    CopyPreviousFrame(editor.animation, editor.session.currentFrame);
}
inline void ResetAll() {
    ResetAll(editor.animation);
    editor.session.currentFrame = 0;
}
// 1 once saved at the editor's path.
inline int32_t SaveAnimation() {
    return SaveAnimation(editor.session.basePath != nullptr ? editor.session.basePath : "",
                         editor.animation)
               ? 1
               : 0;
}
// 1 once the file at the editor's path has replaced the editor's animation, shown from frame 0;
// the sound's samples stay (the file names the sound, the editor decodes it).
inline int32_t LoadAnimation() {
    SoundTrack kept = std::move(editor.animation.sound);
    bool loaded = LoadAnimationInto(
        editor.session.basePath != nullptr ? editor.session.basePath : "", &editor.animation);
    if (loaded) {
        kept.reference = std::move(editor.animation.sound.reference);
        editor.session.currentFrame = 0;
    }
    editor.animation.sound = std::move(kept);
    return loaded ? 1 : 0;
}
