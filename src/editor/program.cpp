// --help and --version print their text, a wrong command line its line and the usage; everything
// else goes to the part of the program that does it.
#include "editor/program.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "editor/command_line.h"
#include "editor/editor_main.h"
#include "editor/motion_import.h"
#include "editor/picture_command.h"

namespace {

// 0 when the text reached standard output, 1 when writing it failed (a closed pipe, a full disk).
int Print(const char* text) {
    return std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : kExitFailed;
}

} // namespace

int RunProgram(int argc, char** argv) {
    std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
    CommandLine line = ReadCommandLine(arguments);
    switch (line.action) {
    case ProgramAction::ShowHelp:
        return Print(UsageText());
    case ProgramAction::ShowVersion:
        return Print("limbrado " LIMBRADO_VERSION "\n");
    case ProgramAction::Wrong:
        std::fprintf(stderr, "limbrado: %s\n%s", line.problem.c_str(), UsageText());
        return kExitUsage;
    case ProgramAction::ExportPictures:
        return RunPictureExport(line);
    case ProgramAction::ImportClip:
        return RunMotionImport(line);
    case ProgramAction::RunEditor:
        break;
    }
    // The editor takes the animation as its only program parameter.
    std::string program = argc > 0 ? argv[0] : "limbrado";
    char* editorArguments[] = {program.data(), line.animation.data(), nullptr};
    return EditorMain(line.animation.empty() ? 1 : 2, editorArguments);
}
