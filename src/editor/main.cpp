// The editor program: its only argument is the animation file's path; the picture export options
// turn it into a command that writes pictures of an animation without opening a window.
#include "editor/editor_main.h"
#include "storage/picture_export.h"

int main(int argc, char** argv) {
    if (IsPictureExportCommand(argc, argv)) {
        return RunPictureExport(argc, argv);
    }
    return EditorMain(argc, argv);
}
