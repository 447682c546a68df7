// Reading the command line. Every argument that begins with "-" and is more than "-" is an
// option until "--"; every other argument is a path. An export option takes the output's path as
// its value, as --fps takes its number, so that a path can never be taken for the other: the one
// path left is the animation, which the editor opens too. A new option is a row in one of the
// tables below (an export, in the table of outputs), and the outputs it goes with a column there.
#include "editor/command_line.h"

#include <algorithm>
#include <string_view>

#include "storage/message_text.h"

namespace {

// An option followed by a whole number in [least, most].
struct ValueOption {
    const char* name;
    int32_t least;
    int32_t most;
    int32_t CommandLine::*value;
};

constexpr ValueOption kValueOptions[] = {
    {"--fps", 1, kMostFramesPerSecond, &CommandLine::framesPerSecond},
    {"--columns", 1, kMostSheetColumns, &CommandLine::columns},
};

// An option that turns something on.
struct FlagOption {
    const char* name;
    bool CommandLine::*value;
};

constexpr FlagOption kFlagOptions[] = {
    {"--transparent", &CommandLine::transparent},
    {"--no-sound", &CommandLine::noSound},
};

// An option followed by a file's path.
struct PathOption {
    const char* name;
    std::string CommandLine::*value;
};

constexpr PathOption kPathOptions[] = {
    {"--sound", &CommandLine::sound},
};

// An option that only some exports take: the column of the table of outputs that says which, and
// why the others refuse it. An option without a row goes with every export; none but the export
// options goes without an export.
struct CombinationRule {
    const char* name; // of the option
    bool OutputKind::*takes;
    const char* reason;
};

constexpr CombinationRule kCombinationRules[] = {
    {"--fps", &OutputKind::rate, "PNGs have no frame rate"},
    {"--columns", &OutputKind::columns, "only a sprite sheet has columns"},
    {"--transparent", &OutputKind::transparency, "H.264 has no transparency (--export-webm has)"},
    {"--sound", &OutputKind::sound, "only the MP4 and the WebM have sound"},
    {"--no-sound", &OutputKind::sound, "only the MP4 and the WebM have sound"},
};

template <typename Row, std::size_t count>
const Row* FindRow(const Row (&rows)[count], const std::string& name) {
    for (const Row& row : rows) {
        if (name == row.name) {
            return &row;
        }
    }
    return nullptr;
}

bool IsOption(const std::string& argument) {
    return argument.size() > 1 && argument[0] == '-';
}

// The number of a value option: digits only, inside its range.
bool ReadValue(const ValueOption& option, const std::string& text, CommandLine* line) {
    bool digits = !text.empty() && text.size() <= 9 &&
                  text.find_first_not_of("0123456789") == std::string::npos;
    int32_t value = digits ? static_cast<int32_t>(std::stol(text)) : option.least - 1;
    if (value < option.least || value > option.most) {
        line->problem = std::string(option.name) + " takes a whole number from " +
                        std::to_string(option.least) + " to " + std::to_string(option.most) +
                        ", not " + Quoted(text);
        return false;
    }
    line->*option.value = value;
    return true;
}

// The options that go with --import-bvh, and none of them with an export.
constexpr const char* kImportOptions[] = {"--import-bvh", "--fps", "--view", "--from"};
constexpr const char* kImportOnlyOptions[] = {"--view", "--from"};

// Seconds into the clip: digits with at most one point, from 0 to kLatestClipStart.
bool ReadSeconds(const std::string& text, CommandLine* line) {
    bool digits = !text.empty() && text.size() <= 16 && text.find_first_of("0123456789") == 0 &&
                  text.find_first_not_of("0123456789.") == std::string::npos &&
                  std::count(text.begin(), text.end(), '.') <= 1 && text.back() != '.';
    double seconds = digits ? std::stod(text) : -1;
    if (seconds < 0 || seconds > kLatestClipStart) {
        line->problem =
            "--from takes the seconds into the clip, from 0 to 1000000, not " + Quoted(text);
        return false;
    }
    line->fromSeconds = seconds;
    return true;
}

bool ReadView(const std::string& text, CommandLine* line) {
    if (text != "front" && text != "side") {
        line->problem = "--view takes front or side, not " + Quoted(text);
        return false;
    }
    line->view = text == "front" ? ClipView::Front : ClipView::Side;
    return true;
}

// The options read so far, each once.
struct Reading {
    const OutputKind* output = nullptr;
    bool importing = false;
    std::vector<std::string> given;
    std::vector<std::string> paths;
};

// The path after an export option or a path option; an option there means the path is missing.
bool ReadPath(const std::vector<std::string>& arguments, std::size_t* index, const char* what,
              std::string* path, CommandLine* line) {
    const std::string& name = arguments[*index];
    if (*index + 1 >= arguments.size() || IsOption(arguments[*index + 1])) {
        line->problem = name + " takes " + what + " after it";
        if (*index + 1 < arguments.size()) {
            line->problem += ", not " + Quoted(arguments[*index + 1]);
        }
        return false;
    }
    *path = arguments[++*index];
    return true;
}

bool ReadOutput(const std::vector<std::string>& arguments, std::size_t* index, CommandLine* line) {
    return ReadPath(arguments, index, "the output's path", &line->output, line);
}

bool NoteGiven(const std::string& name, Reading* reading, CommandLine* line) {
    for (const std::string& earlier : reading->given) {
        if (earlier == name) {
            line->problem = name + " is given twice";
            return false;
        }
    }
    reading->given.push_back(name);
    return true;
}

// One option, and its value when it takes one; index moves past what was used.
bool ReadOption(const std::vector<std::string>& arguments, std::size_t* index, Reading* reading,
                CommandLine* line) {
    const std::string& name = arguments[*index];
    if (name == "--help" || name == "--version") {
        if (arguments.size() != 1) {
            line->problem = name + " stands alone";
            return false;
        }
        line->action = name == "--help" ? ProgramAction::ShowHelp : ProgramAction::ShowVersion;
        return true;
    }
    if (const OutputKind* output = FindOutputKind(name)) {
        if (reading->output != nullptr && reading->output != output) {
            line->problem = std::string("one export at a time, not ") + reading->output->option +
                            " and " + name;
            return false;
        }
        reading->output = output;
        return NoteGiven(name, reading, line) && ReadOutput(arguments, index, line);
    }
    if (name == "--import-bvh") {
        reading->importing = true;
        return NoteGiven(name, reading, line) &&
               ReadPath(arguments, index, "the clip's path", &line->clip, line);
    }
    if (name == "--view" || name == "--from") {
        bool hasValue = *index + 1 < arguments.size();
        std::string value = hasValue ? arguments[++*index] : "";
        return NoteGiven(name, reading, line) &&
               (name == "--view" ? ReadView(value, line) : ReadSeconds(value, line));
    }
    if (const ValueOption* option = FindRow(kValueOptions, name)) {
        bool hasValue = *index + 1 < arguments.size();
        return NoteGiven(name, reading, line) &&
               ReadValue(*option, hasValue ? arguments[++*index] : "", line);
    }
    if (const FlagOption* option = FindRow(kFlagOptions, name)) {
        line->*option->value = true;
        return NoteGiven(name, reading, line);
    }
    if (const PathOption* option = FindRow(kPathOptions, name)) {
        std::string& path = line->*option->value;
        if (!NoteGiven(name, reading, line) ||
            !ReadPath(arguments, index, "a file's path", &path, line)) {
            return false;
        }
        if (path.empty()) {
            line->problem = "an empty name is no file";
            return false;
        }
        return true;
    }
    line->problem = "unknown option " + Quoted(name);
    return false;
}

bool CheckImportCombinations(const Reading& reading, CommandLine* line) {
    for (const std::string& name : reading.given) {
        if (reading.importing && std::find(std::begin(kImportOptions), std::end(kImportOptions),
                                           name) == std::end(kImportOptions)) {
            line->problem = name + " does not go with --import-bvh";
            return false;
        }
        if (!reading.importing &&
            std::find(std::begin(kImportOnlyOptions), std::end(kImportOnlyOptions), name) !=
                std::end(kImportOnlyOptions)) {
            line->problem = name + " is for the clip; it needs --import-bvh";
            return false;
        }
    }
    line->framesPerSecondGiven =
        std::find(reading.given.begin(), reading.given.end(), "--fps") != reading.given.end();
    return true;
}

bool CheckCombinations(const Reading& reading, CommandLine* line) {
    if (!CheckImportCombinations(reading, line)) {
        return false;
    }
    for (const std::string& name : reading.given) {
        if (reading.importing) {
            break; // the clip's options are checked above
        }
        const CombinationRule* rule = FindRow(kCombinationRules, name);
        if (reading.output == nullptr && FindOutputKind(name) == nullptr) {
            line->problem = name + " is for the pictures; it needs an --export- option";
            return false;
        }
        if (rule != nullptr && !(reading.output->*rule->takes)) {
            line->problem =
                name + " does not go with " + reading.output->option + ": " + rule->reason;
            return false;
        }
    }
    if (!line->sound.empty() && line->noSound) {
        line->problem = "--sound and --no-sound ask for opposites";
        return false;
    }
    return true;
}

bool CheckPaths(const Reading& reading, CommandLine* line) {
    const std::vector<std::string>& paths = reading.paths;
    if (reading.importing) {
        if (paths.size() != 1) {
            line->problem = "--import-bvh takes one animation, not " + std::to_string(paths.size());
            return false;
        }
        if (line->clip.empty() || paths[0].empty()) {
            line->problem = "an empty name is no file";
            return false;
        }
        line->action = ProgramAction::ImportClip;
        line->animation = paths[0];
        return true;
    }
    if (reading.output == nullptr) {
        if (paths.size() > 1) {
            line->problem = "the editor opens one animation, not " + std::to_string(paths.size());
            return false;
        }
        line->animation = paths.empty() ? "" : paths[0];
        return true;
    }
    if (paths.size() != 1) {
        line->problem = std::string(reading.output->option) + " takes one animation, not " +
                        std::to_string(paths.size());
        return false;
    }
    if (line->output.empty() || paths[0].empty()) {
        line->problem = "an empty name is no file";
        return false;
    }
    line->action = ProgramAction::ExportPictures;
    line->kind = reading.output;
    line->animation = paths[0];
    return true;
}

bool ReadArguments(const std::vector<std::string>& arguments, CommandLine* line) {
    Reading reading;
    bool optionsEnded = false;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        if (optionsEnded || !IsOption(argument)) {
            reading.paths.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (!ReadOption(arguments, &index, &reading, line)) {
            return false;
        }
    }
    if (line->action == ProgramAction::ShowHelp || line->action == ProgramAction::ShowVersion) {
        return true;
    }
    return CheckCombinations(reading, line) && CheckPaths(reading, line);
}

// The usage's lines of an export: its synopsis, going on below at kSynopsisIndent where it would
// pass kSynopsisWidth columns, and its description in the column of the options' descriptions.
constexpr std::size_t kSynopsisWidth = 90;
constexpr std::size_t kSynopsisIndent = 16;
constexpr std::size_t kDescriptionColumn = 36;

std::string Synopsis(const OutputKind& kind) {
    std::string text = std::string("       limbrado ") + kind.option + " " + kind.output;
    std::size_t lineStart = 0;
    const auto add = [&](const char* piece) {
        if (text.size() - lineStart + 1 + std::string_view(piece).size() > kSynopsisWidth) {
            text += "\n";
            lineStart = text.size();
            text += std::string(kSynopsisIndent - 1, ' ');
        }
        text += std::string(" ") + piece;
    };
    const std::pair<bool, const char*> options[] = {
        {kind.columns, "[--columns N]"},
        {kind.rate, "[--fps N]"},
        {kind.transparency, "[--transparent]"},
        {kind.sound, "[--sound FILE | --no-sound]"},
    };
    for (const auto& [takes, piece] : options) {
        if (takes) {
            add(piece);
        }
    }
    add("ANIMATION");
    return text + "\n";
}

std::string Description(const OutputKind& kind) {
    std::string text = std::string("  ") + kind.option + " " + kind.output + " ANIMATION";
    text.append(text.size() + 2 > kDescriptionColumn ? 2 : kDescriptionColumn - text.size(), ' ');
    for (const char* at = kind.description; *at != 0; ++at) {
        text += *at;
        if (*at == '\n') {
            text.append(kDescriptionColumn, ' ');
        }
    }
    return text + "\n";
}

std::string MakeUsageText() {
    std::string synopses;
    std::string descriptions;
    for (const OutputKind& kind : OutputKinds()) {
        synopses += Synopsis(kind);
        descriptions += Description(kind);
    }
    return "Usage: limbrado [--] [ANIMATION]\n" + synopses +
           "       limbrado --import-bvh CLIP.bvh [--view front|side] [--fps N] [--from SECONDS]\n"
           "                ANIMATION\n"
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
           "Pictures, written without a window (frames 0 to the last, as playback shows them):\n" +
           descriptions +
           "  --fps N                           frames a second of the GIF, the videos and\n"
           "                                    animations and the sheet's durations, 1 to 100;\n"
           "                                    25 without it, the GIF showing each frame for the\n"
           "                                    nearest whole hundredths of a second to 1/N s\n"
           "  --columns N                       cells a row of the sprite sheet; without it the\n"
           "                                    smallest N whose N x N cells hold every frame\n"
           "  --transparent                     a transparent ground; not with --export-mp4\n"
           "  --sound FILE                      the sound of the MP4 (AAC) or the WebM (Opus)\n"
           "                                    instead of the animation's own (key T), cut or\n"
           "                                    filled with silence to the video's length\n"
           "  --no-sound                        the MP4 or the WebM without sound\n"
           "\n"
           "A motion clip, added as a new figure without a window:\n"
           "  --import-bvh CLIP.bvh ANIMATION   the BVH clip from frame 0 of ANIMATION on (made\n"
           "                                    when it does not exist), one frame each 1/N s\n"
           "                                    of the clip up to frame 500 or the clip's end;\n"
           "                                    other figures stay\n"
           "  --view front|side                 the clip's X (front, without it) or Z (side)\n"
           "                                    to the right, its Y up\n"
           "  --fps N                           N, 1 to 100, also becomes the animation's rate;\n"
           "                                    without it, the animation's own rate\n"
           "  --from SECONDS                    starts that far into the clip\n"
           "\n"
           "Options may come before or after the animation; an export option's output follows\n"
           "it. Every argument that begins with '-' is an option up to '--', after which each\n"
           "is a path: limbrado -- -walk.txt opens the file -walk.txt.\n"
           "\n"
           "Example: limbrado --export-sheet walk.png --columns 5 --transparent walk.txt\n";
}

} // namespace

CommandLine ReadCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    if (!ReadArguments(arguments, &line)) {
        line.action = ProgramAction::Wrong;
    }
    return line;
}

const char* UsageText() {
    static const std::string text = MakeUsageText();
    return text.c_str();
}
