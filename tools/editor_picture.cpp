// Draws the editor as it shows an animation file on one of its frames, with the help text, the
// strip and the shadow of the frame before where the file has it on, by the program's own code on
// the headless backend and in the language that the locale names, as the window would show it at
// 1:1:
//   editor_picture ANIMATION.txt FRAME PICTURE.png
#include <cstdio>
#include <cstdlib>
#include <string>

#include "editor/command_table.h"
#include "editor/editor_main.h"
#include "editor/editor_picture.h"
#include "model/editor_state.h"
#include "runtime/surface.h"
#include "sample_figures.h"
#include "storage/picture_files.h"
#include "storage/text.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: editor_picture ANIMATION.txt FRAME PICTURE.png\n");
        return 2;
    }
    char* editorArguments[] = {argv[0], argv[1], nullptr};
    if (const char* problem = EditorStartup(2, editorArguments)) {
        std::fprintf(stderr, "editor_picture: %s\n", problem);
        return 1;
    }
    int32_t frame = std::atoi(argv[2]);
    bool shown = editor.animation.IsFrame(frame);
    if (!shown) {
        std::fprintf(stderr, "editor_picture: %s has no frame %s\n", argv[1], argv[2]);
    }
    editor.session.currentFrame = frame;
    editor.session.pen = kSampleWhite; // the help list shows the pen's colour and thickness
    DrawEditorScene();
    DrawEditorOverlay();
    DrawEditorStrip();
    std::string error;
    bool written =
        shown && WritePngPicture(argv[3], SurfacePixels(), SurfaceWidth(), SurfaceHeight(), &error);
    if (shown && !written) {
        std::fprintf(stderr, "editor_picture: %s\n", error.c_str());
    }
    AssignString(&editor.session.basePath, ""); // no backup beside the animation
    EditorShutdown();
    return written ? 0 : 1;
}
