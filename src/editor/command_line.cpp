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
           "       limbrado --export-gif OUT.gif ANIMATION [--fps N]\n"
           "       limbrado --export-png FOLDER ANIMATION\n"
           "       limbrado --export-mp4 OUT.mp4 ANIMATION [--fps N]\n"
           "       limbrado --export-webm OUT.webm ANIMATION [--fps N] [--transparent]\n"
           "       limbrado --export-apng OUT.png ANIMATION [--fps N] [--transparent]\n"
           "       limbrado --export-webp OUT.webp ANIMATION [--fps N] [--transparent]\n"
           "       limbrado --export-sheet OUT.png ANIMATION [--columns N] [--fps N] "
           "[--transparent]\n"
           "       limbrado --export-lottie OUT.json ANIMATION [--fps N] [--transparent]\n"
           "       limbrado --help | --version\n"
           "\n"
           "Edits the stick-figure animation in the file ANIMATION, or, without it, in a file\n"
           "chosen in a file chooser. The keys are listed in the window (F1 hides the list);\n"
           "Escape ends the editor.\n"
           "\n"
           "Beside the animation, STEM_autosave.txt is written at every exit and once a minute\n"
           "while the animation has changed, and STEM_export.lmb on F10, where STEM is the path\n"
           "less its last four characters.\n"
           "\n"
           "Pictures, written without a window (frames 0 to the last, as playback shows them):\n"
           "  --export-gif OUT.gif ANIMATION    one looping GIF, 4/100 s a frame\n"
           "  --export-png FOLDER ANIMATION     FOLDER/frame_000.png onwards\n"
           "  --export-mp4 OUT.mp4 ANIMATION    an H.264 video, 1600 x 1200 (each pixel 2 x 2)\n"
           "  --export-webm OUT.webm ANIMATION  a VP9 video, 1600 x 1200 (each pixel 2 x 2)\n"
           "  --export-apng OUT.png ANIMATION   a looping, lossless animated PNG\n"
           "  --export-webp OUT.webp ANIMATION  a looping, lossless animated WebP\n"
           "  --export-sheet OUT.png ANIMATION  a sprite sheet, and OUT.json beside it: the\n"
           "                                    JSON-hash atlas that Phaser and PixiJS load\n"
           "  --export-lottie OUT.json ANIMATION  a Lottie vector animation\n"
           "  --fps N                           frames a second of the GIF, the videos and\n"
           "                                    animations and the sheet's durations, 1 to 100;\n"
           "                                    25 without it, the GIF showing each frame for the\n"
           "                                    nearest whole hundredths of a second to 1/N s\n"
           "  --columns N                       cells a row of the sprite sheet\n"
           "  --transparent                     a transparent ground; not with --export-mp4\n"
           "\n"
           "Example: limbrado --export-sheet walk.png walk.txt --columns 5 --transparent\n";
}
