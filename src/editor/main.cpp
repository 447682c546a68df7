// The program: the editor, or with an export option the picture command, as the command line
// asks (editor/command_line.h).
#include "editor/command_line.h"

int main(int argc, char** argv) {
    return RunProgram(argc, argv);
}
