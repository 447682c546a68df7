// The editor program: its only argument is the animation file's path.
#include "editor/editor_main.h"

int main(int argc, char** argv) {
    return EditorMain(argc, argv);
}
