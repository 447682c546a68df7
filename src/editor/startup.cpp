// The program's start-up and shutdown: every subsystem the editor relies on, from the runtime
// up to the file layer's text and file tables, started in the order in which they build on each
// other and shut down after the main loop. The program heap exists before start-up and is
// destroyed after shutdown.
#include "editor/startup.h"

#include <new>

#include "editor/startup_problem.h"
#include "model/editor_state.h"

#include "runtime/drawing.h"
#include "runtime/fonts.h"
#include "runtime/heaps.h"
#include "runtime/input.h"
#include "runtime/surface.h"
#include "runtime/window.h"
#include "storage/numbered_files.h"
#include "storage/text.h"

// Left out on purpose: an image-decoder list and its PNG decoder (the editor decodes no image),
// child controls (it creates none), a mouse device (it reads the buttons from the system-wide
// state and never from a device) and dialog support (the requesters set up the toolkit they need
// at their first use).
void RuntimeStartup(int argc, char** argv) {
    StringHeapInit();
    TextWorkBufferInit();
    ListHeapInit();
    DrawingSubsystemInit();
    FileTableInit();
    FontSubsystemInit();
    ParameterStateInit(argc, argv);
    WindowSubsystemInit();
    SurfaceSubsystemInit();
    KeyboardInit(); // binds to the surface's window at the first sample
}

// Left out on purpose, as above: the child controls and the mouse device, and an external screen
// driver, which is never loaded. The list and string heaps end with the process.
void RuntimeShutdown() {
    WindowSubsystemShutdown();
    KeyboardShutdown();
    SurfaceSubsystemShutdown();
    FontSubsystemShutdown();
    FileTableShutdown();
}

const char* ProgramStartup(int argc, char** argv) {
    // The animation's frames are the one large allocation; a machine without room for them
    // cannot run the editor.
    try {
        editor = EditorState{};
    } catch (const std::bad_alloc&) {
        return StartupProblem(StartupStep::Memory);
    }
    ProgramHeapCreate();
    RuntimeStartup(argc, argv);
    editor.session.hudFont = static_cast<int32_t>(FontLoad(-1, "Arial", 8));
    if (editor.session.hudFont == 0) {
        return StartupProblem(StartupStep::Font);
    }
    return nullptr;
}

// The program heap goes last.
void ProgramRelease() {
    RuntimeShutdown();
    ProgramHeapDestroy();
}
