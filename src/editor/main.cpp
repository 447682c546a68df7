// The program: the editor, or with an export option the picture command, as the command line
// asks (editor/program.h).
#include "editor/program.h"

int main(int argc, char** argv) {
    return RunProgram(argc, argv);
}
