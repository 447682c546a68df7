// The program of a build without the picture encoders (the browser build): the editor alone, on
// the animation file named by its only argument.
#include "editor/editor_main.h"

int main(int argc, char** argv) {
    return EditorMain(argc, argv);
}
