// The program's arguments: "--help" or "--version" as the only argument asks for that text;
// anything else is left to the editor, whose first argument is the animation file's path.
#pragma once

enum class ProgramAction { RunEditor, ShowHelp, ShowVersion };

struct ProgramRequest {
    ProgramAction action = ProgramAction::RunEditor;
};

ProgramRequest ReadProgramArguments(int argc, char** argv);

// The usage text that --help prints.
const char* UsageText();
