// The program's life: start-up in a fixed order (the start-up it shares with the picture command,
// then the animation path, window and surface), the main loop of one paced cycle at a time until
// Escape, and shutdown. Only Escape ends the loop; window-system events are fetched but never
// examined. A start-up that cannot make its font, ask for the file or open the window says why and
// ends at once.
#include "editor/editor_main.h"

#include <cstdio>
#include <string>
#include <utility>

#include "editor/command_keys.h"
#include "editor/command_table.h"
#include "editor/editor_picture.h"
#include "editor/figure_keys.h"
#include "editor/mouse_editing.h"
#include "editor/sound_keys.h"
#include "editor/sound_playback.h"
#include "editor/startup.h"
#include "editor/startup_problem.h"
#include "editor/timeline_mouse.h"
#include "editor/undo_history.h"
#include "editor/undo_keys.h"
#include "figure/bone_solver.h"
#include "model/editor_state.h"
#include "model/sound_track.h"
#include "runtime/input.h"
#include "runtime/platform.h"
#include "runtime/surface.h"
#include "runtime/window.h"
#include "storage/animation_file.h"
#include "storage/periodic_backup.h"
#include "storage/requesters.h"
#include "storage/text.h"
#include "storage/translation.h"

namespace {

constexpr int32_t kMainWindow = 0;
constexpr int32_t kMainWindowFlags = 0xCA0000; // caption, system menu, minimise box

// The dialog's suggestion: "limbrado.lmb" in the program's own folder.
void StoreDefaultFileName(char** variable) {
    int32_t start = WorkBufferLength();
    ExecutablePath(start);
    int32_t directoryStart = WorkBufferLength() + 1;
    WorkBufferSetLength(directoryStart);
    PathDirectoryPart(WorkBufferText(start), directoryStart);
    AppendText("limbrado.lmb");
    StoreBuiltString(variable, directoryStart);
    WorkBufferSetLength(start);
}

// The first program parameter, or the file chosen in the open dialog (shown before any window
// exists). A cancelled dialog leaves the path empty and the editor runs without a file; false
// when the dialog could not be shown at all.
bool ChooseBasePath() {
    int32_t start = WorkBufferLength();
    if (StringLength(CommandLineArgument(start)) > 0) {
        StoreBuiltString(&editor.session.basePath, start);
        return true;
    }
    WorkBufferSetLength(start);
    char* defaultFile = nullptr;
    StoreDefaultFileName(&defaultFile);
    AskOpenFileName("Ort zum Laden/Speichern", defaultFile, "*.txt", 1, start);
    StoreBuiltString(&editor.session.basePath, start);
    StringFree(defaultFile);
    const char* detail = nullptr;
    return StringLength(editor.session.basePath) > 0 ||
           PlatformLastFailure(&detail) == PlatformFailureNone;
}

// The window's texts follow the user's locale; the catalogs lie beside the program.
void ChooseLanguage() {
    int32_t start = WorkBufferLength();
    std::string program = ExecutablePath(start);
    WorkBufferSetLength(start);
    UseLanguage(LanguagesFromEnvironment(), CatalogFolders(program));
}

} // namespace

const char* EditorStartup(int argc, char** argv) {
    if (const char* problem = ProgramStartup(argc, argv)) {
        return problem;
    }
    ChooseLanguage();
    if (!ChooseBasePath()) {
        return StartupProblem(StartupStep::FileChooser);
    }
    // The window holds the scene and the timeline strip below it.
    if (WindowOpen(kMainWindow, 10, 10, editor.session.windowWidth,
                   editor.session.windowHeight + kStripHeight, "Limbrado Tool by Orvelin_",
                   kMainWindowFlags) == 0) {
        return StartupProblem(StartupStep::Window);
    }
    if (SurfaceOpenInWindow(WindowNativeHandle(kMainWindow), 0, 0, editor.session.windowWidth,
                            editor.session.windowHeight + kStripHeight, 1, 0, 0) == 0) {
        return StartupProblem(StartupStep::Surface);
    }
    // Without a file the animation simply stays empty, and silent.
    const char* problem = nullptr;
    std::string reference;
    LoadFromBasePath(&problem, &reference);
    ReportNamedSound(problem, reference);
    // The browser's page hands over the sound its "Ton" button picked, decoded.
    SoundTrack& sound = editor.animation.sound;
    if (sound.samples.empty() && TakeProvidedSound(sound.samples)) {
        sound.changes += 1;
    }
    NoteAnimationStored(editor.animation);
    UndoClear(); // the start-up load is no step
    ResetCommandKeys();
    return nullptr;
}

// Everything start-up made, in reverse order.
void EditorRelease() {
    PlatformAudioClose();
    SurfaceClose();
    WindowClose(kMainWindow);
    ProgramRelease();
}

bool RunEditorCycle() {
    editor.session.lastWindowEvent = PollWindowEvent();
    SampleKeyboard();
    HandleMouseButtons();
    UndoNoteGestures(GesturesInProgress());
    HandleCommandKeys();
    MoveDraggedJointToCursor();
    FollowFigureGestures();
    UndoBeforeSolver();
    if (editor.session.solverSuspended == 0) {
        SolveBones(editor.animation, editor.session.currentFrame, editor.session.draggedJoint);
    }
    UndoEndOfCycle(GesturesInProgress());
    ShowPendingStatusLines();
    DrawEditorScene();
    DrawEditorOverlay();
    DrawEditorStrip();
    PresentSurface();
    BackUpWhenDue(editor.session.basePath, editor.animation);
    return !EndAsked();
}

// The backup at exit goes beside the animation's file, silently; without a file there is none.
void EditorShutdown() {
    FinishBackup();
    if (StringLength(editor.session.basePath) > 0) {
        int32_t start = WorkBufferLength();
        BackupFileName(editor.session.basePath, start);
        StoreBuiltString(&editor.session.basePath, start);
        SaveAnimation(editor.session.basePath, editor.animation);
    }
    EditorRelease();
}

int EditorMain(int argc, char** argv) {
    // A start-up that failed loaded nothing, so nothing is backed up over an earlier backup.
    if (const char* problem = EditorStartup(argc, argv)) {
        std::fprintf(stderr, "limbrado: %s\n", problem);
        EditorRelease();
        return 1;
    }
    while (RunEditorCycle()) {
    }
    EditorShutdown();
    return 0;
}
