// The keys of the figure library. The pointer is read when the key goes down, before the chooser
// takes the screen; the library folder is made when missing, and a failure to make it is told
// before the chooser opens elsewhere.
#include "editor/figure_library_keys.h"

#include <cmath>
#include <string>
#include <vector>

#include "editor/status_line.h"
#include "editor/undo_history.h"
#include "model/editor_state.h"
#include "model/figures.h"
#include "runtime/input.h"
#include "storage/animation_file.h"
#include "storage/figure_files.h"
#include "storage/file_kinds.h"
#include "storage/requesters.h"
#include "storage/text.h"

namespace {

constexpr int32_t kFigureReach = 20; // as far as a drag picks its joint
constexpr char kPattern[] = "*.txt";

// The library folder, or "" when it cannot be made, which the status line tells first.
std::string LibraryFolder() {
    std::string folder;
    std::string error;
    if (!EnsureFigureLibrary(&folder, &error)) {
        ShowStatusMessage("Figurenordner nicht verf\xfcgbar");
        return "";
    }
    return folder;
}

// The chooser's start: the file `name` in the library folder, or the name alone (in the chooser's
// own folder) without one.
std::string InLibrary(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + "/" + name;
}

// The chosen path, or "" when the chooser was cancelled.
std::string AskFigureFile(const char* title, const std::string& defaultFile, int32_t save,
                          const std::string& place) {
    int32_t start = WorkBufferLength();
    std::string chosen =
        AskFileNameWithPlace(title, defaultFile.c_str(), kPattern, 0, save, place.c_str(), start);
    WorkBufferSetLength(start);
    return chosen;
}

std::string ShippedFigures() {
    int32_t start = WorkBufferLength();
    std::string program = ExecutablePath(start);
    WorkBufferSetLength(start);
    return ShippedFiguresFolder(program);
}

// The figure's joint slots and the whole shift that puts the mean of their joints on (x, y), to
// the nearest pixel.
void CentreOn(const Joint* joints, const std::vector<int32_t>& slots, int32_t x, int32_t y,
              int32_t* dx, int32_t* dy) {
    double sumX = 0;
    double sumY = 0;
    for (int32_t slot : slots) {
        sumX += joints[slot].x;
        sumY += joints[slot].y;
    }
    auto count = static_cast<double>(slots.size());
    *dx = ClampToInt32(std::llround(x - sumX / count));
    *dy = ClampToInt32(std::llround(y - sumY / count));
}

} // namespace

void SaveFigureUnderPointer() {
    int32_t joint = NearestJoint(editor.animation, editor.session.currentFrame, WindowCursorX(0),
                                 WindowCursorY(0), kFigureReach);
    if (joint < 0) {
        return;
    }
    std::vector<int32_t> slots;
    FindFigure(editor.animation, editor.session.currentFrame, joint, &slots);
    int32_t frame = editor.session.currentFrame;
    std::string folder = LibraryFolder();
    std::string name = folder.empty() ? "figure.txt" : FreeFigureFileName(folder);
    std::string path = AskFigureFile("Figur speichern", InLibrary(folder, name), 1, "");
    if (path.empty()) {
        return;
    }
    // A figure file never takes the place of the animation it comes from.
    std::string error;
    bool saved =
        !SameFile(path, editor.session.basePath != nullptr ? editor.session.basePath : "") &&
        SaveFigureFile(path.c_str(), editor.animation, frame, slots, &error);
    ShowStatusMessage(saved ? "Gespeichert" : "Speichern fehlgeschlagen");
}

void InsertFigureFromFile() {
    int32_t x = WindowCursorX(0);
    int32_t y = WindowCursorY(0);
    std::string folder = LibraryFolder();
    std::string path =
        AskFigureFile("Figur einf\xfcgen", InLibrary(folder, ""), 0, ShippedFigures());
    if (path.empty()) {
        return;
    }
    static std::vector<Joint> joints(kSlotCount);
    static std::vector<Bone> bones(kSlotCount);
    if (LoadFirstFrame(path.c_str(), joints.data(), bones.data()) == 0) {
        ShowStatusMessage("Laden fehlgeschlagen");
        return;
    }
    std::vector<int32_t> slots;
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        if (joints[static_cast<std::size_t>(slot)].state != JointEmpty) {
            slots.push_back(slot);
        }
    }
    if (slots.empty()) {
        ShowStatusMessage("Keine Figur in der Datei");
        return;
    }
    int32_t dx = 0;
    int32_t dy = 0;
    CentreOn(joints.data(), slots, x, y, &dx, &dy);
    UndoBeginStep(editor.session.currentFrame, editor.session.currentFrame);
    bool placed = PlaceFigure(joints.data(), bones.data(), slots, editor.animation,
                              editor.session.currentFrame, dx, dy, nullptr);
    UndoEndStep();
    if (!placed) {
        ShowStatusMessage("Kein Platz f\xfc"
                          "r die Figur");
    }
}
