// The editor program: its only argument is the animation file's path; "--help" and "--version"
// alone print their text instead, and the picture export options turn it into a command that
// writes pictures of an animation without opening a window.
#include <cstdio>

#include "editor/command_line.h"
#include "editor/editor_main.h"
#include "editor/picture_export.h"

namespace {

// 0 when the text reached standard output, 1 when writing it failed (a closed pipe, a full disk).
int Print(const char* text) {
    return std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (IsPictureExportCommand(argc, argv)) {
        return RunPictureExport(argc, argv);
    }
    switch (ReadProgramArguments(argc, argv).action) {
    case ProgramAction::ShowHelp:
        return Print(UsageText());
    case ProgramAction::ShowVersion:
        return Print("limbrado " LIMBRADO_VERSION "\n");
    case ProgramAction::RunEditor:
        break;
    }
    return EditorMain(argc, argv);
}
