// Reading the program's arguments. Only an exact single "--help" or "--version" is an option, so
// that every other argument, even one starting with "-", still names an animation file.
#include "editor/command_line.h"

#include <cstring>

ProgramRequest ReadProgramArguments(int argc, char** argv) {
    ProgramRequest request;
    if (argc != 2 || argv[1] == nullptr) {
        return request;
    }
    if (std::strcmp(argv[1], "--help") == 0) {
        request.action = ProgramAction::ShowHelp;
    } else if (std::strcmp(argv[1], "--version") == 0) {
        request.action = ProgramAction::ShowVersion;
    }
    return request;
}

const char* UsageText() {
    return "Usage: limbrado [ANIMATION]\n"
           "       limbrado --help | --version\n"
           "\n"
           "Edits the stick-figure animation in the file ANIMATION, or, without it, in a file\n"
           "chosen in a file chooser. The keys are listed in the window (F1 hides the list);\n"
           "Escape ends the editor.\n"
           "\n"
           "Beside the animation, STEM_autosave.txt is written at every exit and\n"
           "STEM_export.lmb on F10, where STEM is the path less its last four characters.\n";
}
