// The program of a build without the picture encoders (the browser build): the editor alone, on
// the animation file named by its only argument, and what the page around it asks while it runs.
#include <cstdint>

#include "editor/editor_main.h"
#include "model/editor_state.h"

int main(int argc, char** argv) {
    return EditorMain(argc, argv);
}

// Asked by the page for each picture the program presents (web/page.js): the frame the picture
// shows, and whether playback shows it.
extern "C" int32_t ShownFrame() {
    return editor.session.currentFrame;
}

extern "C" int32_t ShownByPlayback() {
    return editor.session.playing;
}
