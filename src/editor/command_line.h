// The program's command line: every option read from one table, in any order among the paths,
// with "--" ending the options; one usage text for --help and for every wrong command line; and
// the hand-over to the editor or the picture command.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class ProgramAction { RunEditor, ExportPictures, ShowHelp, ShowVersion, Wrong };
enum class PictureKind { Gif, Png, Mp4, WebM, Apng, WebP, Sheet, Lottie };

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int32_t kDefaultFramesPerSecond = 25; // GIF and video, without --fps
constexpr int32_t kMostFramesPerSecond = 100;   // a GIF cannot show a frame for less than 1/100 s
constexpr int32_t kMostSheetColumns = 10000;

// What the command line asks for. The editor gets the animation's path, empty for the file
// chooser; the picture command gets the output, the animation and the values of its options.
struct CommandLine {
    ProgramAction action = ProgramAction::RunEditor;
    std::string problem; // the one line for Wrong, without the "limbrado: "
    PictureKind kind = PictureKind::Gif;
    const char* label = ""; // the export's name on the progress bar
    std::string output;
    std::string animation;
    int32_t framesPerSecond = kDefaultFramesPerSecond;
    int32_t columns = 0; // cells a row of the sprite sheet; 0: as many as it needs
    bool transparent = false;
    std::string sound;    // --sound: the videos' sound instead of the animation's own
    bool noSound = false; // --no-sound: the videos without sound
};

CommandLine ReadCommandLine(const std::vector<std::string>& arguments); // without the program name

// The usage text that --help prints, and a wrong command line after its line.
const char* UsageText();

// The whole program: reads the command line and runs what it asks for. Returns the exit code: 0
// when done, 1 when the editor could not start or a picture could not be written, 2 for a wrong
// command line.
int RunProgram(int argc, char** argv);
