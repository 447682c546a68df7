// The figure keys and buttons on the editor state: the figure under the pointer found in the
// current frame, the frames of the current run, and the gesture that moves, turns or scales the
// figure from its poses as the gesture found them.
#include "editor/figure_keys.h"

#include <cmath>
#include <span>
#include <vector>

#include "editor/mouse_editing.h"
#include "editor/status_line.h"
#include "editor/timeline.h"
#include "editor/undo_history.h"
#include "model/figures.h"
#include "runtime/input.h"

namespace {

constexpr int32_t kCursorWindow = 0;
constexpr int32_t kCopyOffset = 20;

enum class GestureKind : int8_t { None, Move, Turn, Scale };

struct FigureGesture {
    GestureKind kind = GestureKind::None;
    bool byLeftButton = false;
    bool applied = false; // whether the figure has left its poses yet
    int32_t frame = -1;   // the frame shown when the gesture began
    FrameRun run{};
    std::vector<FigurePose> poses; // one per frame of the run
    int32_t startX = 0;            // the pointer when the gesture began
    int32_t startY = 0;
    double centreX = 0; // the shown figure's centre then
    double centreY = 0;
};

FigureGesture gesture;
bool middleButtonLatch = false;
bool turnKeyDown = false;
bool scaleKeyDown = false;

// The joint slots of the figure at a point of the window in the current frame; false when no joint
// is near enough to take.
bool FigureAt(ClientPoint point, std::vector<int32_t>* slots) {
    int32_t picked = PickJointAt(point, kDragPickRadius);
    if (picked < 0) {
        return false;
    }
    FindFigure(editor.animation, editor.session.currentFrame, picked, slots);
    return !slots->empty();
}

bool FigureUnderPointer(std::vector<int32_t>* slots) {
    return FigureAt(ClientPoint{WindowCursorX(kCursorWindow), WindowCursorY(kCursorWindow)}, slots);
}

int32_t LastFrameOf(const FrameRun& run) {
    return run.first + run.count - 1;
}

// A gesture starts at `start`, where its button or key went down, on the figure there.
bool BeginGesture(GestureKind kind, bool byLeftButton, ClientPoint start) {
    std::vector<int32_t> slots;
    if (gesture.kind != GestureKind::None || !FigureAt(start, &slots)) {
        return false;
    }
    gesture.kind = kind;
    gesture.byLeftButton = byLeftButton;
    gesture.applied = false;
    gesture.frame = editor.session.currentFrame;
    gesture.run = CurrentRun();
    gesture.poses.resize(static_cast<std::size_t>(gesture.run.count));
    for (int32_t index = 0; index < gesture.run.count; ++index) {
        TakeFigurePose(editor.animation, gesture.run.first + index, slots, &gesture.poses[index]);
        if (gesture.run.first + index == editor.session.currentFrame) {
            gesture.centreX = gesture.poses[index].centreX;
            gesture.centreY = gesture.poses[index].centreY;
        }
    }
    gesture.startX = start.x;
    gesture.startY = start.y;
    return true;
}

// The angle the pointer has turned about the centre since the gesture began.
double TurnedAngle(int32_t x, int32_t y) {
    double now = std::atan2(y - gesture.centreY, x - gesture.centreX);
    double then = std::atan2(gesture.startY - gesture.centreY, gesture.startX - gesture.centreX);
    return now - then;
}

// The pointer's distance from the centre against its distance when the gesture began; a start on
// the centre itself gives no ratio, and the figure keeps its size.
double ScaledRatio(int32_t x, int32_t y) {
    double then = std::hypot(gesture.startX - gesture.centreX, gesture.startY - gesture.centreY);
    if (then < 1) {
        return 1;
    }
    return std::hypot(x - gesture.centreX, y - gesture.centreY) / then;
}

void PlaceFromPoses(int32_t x, int32_t y) {
    double angle = gesture.kind == GestureKind::Turn ? TurnedAngle(x, y) : 0;
    double ratio = gesture.kind == GestureKind::Scale ? ScaledRatio(x, y) : 1;
    for (const FigurePose& pose : gesture.poses) {
        switch (gesture.kind) {
        case GestureKind::Move:
            MoveFigure(editor.animation, pose, x - gesture.startX, y - gesture.startY);
            break;
        case GestureKind::Turn:
            TurnFigure(editor.animation, pose, angle);
            break;
        case GestureKind::Scale:
            ScaleFigure(editor.animation, pose, ratio);
            break;
        case GestureKind::None:
            return;
        }
    }
}

// D and S: the figure under the pointer when the key went down, for as long as it stays down.
void HoldFigureKey(GestureKind kind, int32_t key, bool down, bool* wasDown) {
    if (down && !*wasDown) {
        BeginGesture(kind, false, KeyPressPosition(kCursorWindow, key));
    }
    *wasDown = down;
    if (!down && gesture.kind == kind) {
        EndFigureGestures();
    }
}

// A figure command on the figure under the pointer in every frame of the current run, one step.
void FigureStep(void (*operation)(Animation& animation, int32_t frame,
                                  std::span<const int32_t> slots)) {
    std::vector<int32_t> slots;
    if (!FigureUnderPointer(&slots)) {
        return;
    }
    EndFigureGestures();
    FrameRun run = CurrentRun();
    UndoBeginStep(run.first, LastFrameOf(run));
    for (int32_t frame = run.first; frame <= LastFrameOf(run); ++frame) {
        operation(editor.animation, frame, slots);
    }
    UndoEndStep();
}

// The slots of `slots` that hold a joint in `frame`: what a copy there takes.
std::vector<int32_t> JointsInFrame(int32_t frame, std::span<const int32_t> slots) {
    std::vector<int32_t> joints;
    for (int32_t slot : slots) {
        if (editor.animation.JointAt(frame, slot).state != JointEmpty) {
            joints.push_back(slot);
        }
    }
    return joints;
}

} // namespace

void HandleFigureButton() {
    bool pressed = MouseButtonPressed(MouseMiddle) != 0;
    if (pressed && !middleButtonLatch) {
        middleButtonLatch = true;
        BeginGesture(GestureKind::Move, false, MousePressPosition(kCursorWindow, MouseMiddle));
    }
    if (!pressed) {
        middleButtonLatch = false;
        if (gesture.kind == GestureKind::Move && !gesture.byLeftButton) {
            EndFigureGestures();
        }
    }
}

bool BeginFigureMoveByLeftButton() {
    return BeginGesture(GestureKind::Move, true, MousePressPosition(kCursorWindow, MouseLeft));
}

void EndFigureMoveByLeftButton() {
    if (gesture.kind == GestureKind::Move && gesture.byLeftButton) {
        EndFigureGestures();
    }
}

void FollowFigureGestures() {
    if (gesture.kind == GestureKind::None) {
        return;
    }
    // The poses belong to the frame the gesture began on: another frame shown ends it.
    if (editor.session.currentFrame != gesture.frame) {
        EndFigureGestures();
        return;
    }
    int32_t x = WindowCursorX(kCursorWindow);
    int32_t y = WindowCursorY(kCursorWindow);
    if (x < 0 || y < 0 || (!gesture.applied && x == gesture.startX && y == gesture.startY)) {
        return; // outside the window the figure waits for the pointer to come back
    }
    UndoGestureFrames(gesture.run.first, LastFrameOf(gesture.run));
    PlaceFromPoses(x, y);
    gesture.applied = true;
}

bool FigureGestureInProgress() {
    return gesture.kind != GestureKind::None;
}

void EndFigureGestures() {
    gesture.kind = GestureKind::None;
    gesture.poses.clear();
}

void HoldTurnFigure(bool down, int32_t key) {
    HoldFigureKey(GestureKind::Turn, key, down, &turnKeyDown);
}

void HoldScaleFigure(bool down, int32_t key) {
    HoldFigureKey(GestureKind::Scale, key, down, &scaleKeyDown);
}

void MirrorFigureStep() {
    FigureStep(MirrorFigure);
}

void CopyFigureStep() {
    std::vector<int32_t> slots;
    if (!FigureUnderPointer(&slots)) {
        return;
    }
    FrameRun run = CurrentRun();
    for (int32_t frame = run.first; frame <= LastFrameOf(run); ++frame) {
        if (!RoomForFigure(editor.animation.FrameJoints(frame), editor.animation.FrameBones(frame),
                           JointsInFrame(frame, slots), editor.animation, frame)) {
            ShowStatusMessage("Kein Platz f\xfcr die Figur");
            return;
        }
    }
    FigureStep([](Animation& animation, int32_t frame, std::span<const int32_t> figure) {
        PlaceFigure(animation.FrameJoints(frame), animation.FrameBones(frame),
                    JointsInFrame(frame, figure), animation, frame, kCopyOffset, kCopyOffset,
                    nullptr);
    });
}

void DeleteFigureStep() {
    FigureStep([](Animation& animation, int32_t frame, std::span<const int32_t> slots) {
        DeleteFigure(animation, frame, slots);
        if (frame != editor.session.currentFrame) {
            return;
        }
        // A drag or a bone gesture that started on one of its joints ends with it.
        for (int32_t slot : slots) {
            if (editor.session.draggedJoint == slot) {
                editor.session.draggedJoint = -1;
            }
            if (editor.session.boneStartJoint == slot) {
                editor.session.boneStartJoint = -1;
            }
        }
    });
}

void FigureToFrontStep() {
    FigureStep(FigureToFront);
}

void FigureToBackStep() {
    FigureStep(FigureToBack);
}
