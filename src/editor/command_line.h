// The program's command line: every option read from one table (the exports from the table of
// outputs), in any order among the paths, with "--" ending the options; and one usage text for
// --help and for every wrong command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/output_kinds.h"
#include "figure/clip_pose.h"

enum class ProgramAction { RunEditor, ExportPictures, ImportClip, ShowHelp, ShowVersion, Wrong };

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int32_t kMostFramesPerSecond = 100; // a GIF cannot show a frame for less than 1/100 s
constexpr int32_t kMostSheetColumns = 10000;
constexpr double kLatestClipStart = 1e6; // seconds into a clip for --from

// What the command line asks for. The editor gets the animation's path, empty for the file
// chooser; the picture command gets the output, the animation and the values of its options.
struct CommandLine {
    ProgramAction action = ProgramAction::RunEditor;
    std::string problem;              // the one line for Wrong, without the "limbrado: "
    const OutputKind* kind = nullptr; // the export's; null without one
    std::string output;
    std::string animation;
    int32_t framesPerSecond = kDefaultFramesPerSecond;
    int32_t columns = 0; // cells a row of the sprite sheet; 0: as many as it needs
    bool transparent = false;
    std::string sound;    // --sound: the videos' sound instead of the animation's own
    bool noSound = false; // --no-sound: the videos without sound
    // --import-bvh: the clip, how it is seen, where in it the import starts, and whether --fps
    // was given (it then sets the animation's rate).
    std::string clip;
    ClipView view = ClipView::Front;
    double fromSeconds = 0;
    bool framesPerSecondGiven = false;
};

CommandLine ReadCommandLine(const std::vector<std::string>& arguments); // without the program name

// The usage text that --help prints, and a wrong command line after its line.
const char* UsageText();
