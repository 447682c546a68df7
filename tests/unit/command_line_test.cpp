// The command line: each export with its options before, between and after the two paths; the
// editor's single path, "--" before one that begins with a dash; --help and --version alone; and
// every wrong command line as one line plus the usage with exit code 2, before anything starts.
#include "editor/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "support/program_run.h"

namespace {

// The export option with its output before or after the animation, and --fps N before, between
// or after those two.
TEST(CommandLine, ExportOptionsGoBeforeBetweenOrAfterThePaths) {
    const struct {
        std::string option;
        bool takesRate;
    } exports[] = {{"--export-gif", true},   {"--export-png", false},  {"--export-mp4", true},
                   {"--export-webm", true},  {"--export-apng", true},  {"--export-webp", true},
                   {"--export-sheet", true}, {"--export-lottie", true}};
    for (const auto& entry : exports) {
        for (bool outputFirst : {true, false}) {
            for (long rateAt = -1; rateAt <= (entry.takesRate ? 2 : -1); ++rateAt) {
                std::vector<std::string> arguments = {entry.option, "out", "walk.txt"};
                if (!outputFirst) {
                    arguments = {"walk.txt", entry.option, "out"};
                }
                if (rateAt >= 0) { // before, between or after the two
                    long at = rateAt == 0 ? 0 : rateAt == 2 ? 3 : outputFirst ? 2 : 1;
                    arguments.insert(arguments.begin() + at, {"--fps", "12"});
                }
                CommandLine line = ReadCommandLine(arguments);
                std::string shown = testing::PrintToString(arguments);
                ASSERT_EQ(line.action, ProgramAction::ExportPictures) << shown << line.problem;
                EXPECT_EQ(line.kind->option, entry.option) << shown;
                EXPECT_EQ(line.output, "out") << shown;
                EXPECT_EQ(line.animation, "walk.txt") << shown;
                EXPECT_EQ(line.framesPerSecond, rateAt >= 0 ? 12 : 25) << shown;
            }
        }
    }
}

// --transparent with every export that can be transparent, --columns with the sprite sheet.
TEST(CommandLine, TransparencyAndColumnsAreReadAnywhere) {
    for (std::string option : {"--export-gif", "--export-png", "--export-webm", "--export-apng",
                               "--export-webp", "--export-sheet", "--export-lottie"}) {
        CommandLine line = ReadCommandLine({"--transparent", option, "out", "walk.txt"});
        EXPECT_EQ(line.action, ProgramAction::ExportPictures) << option << line.problem;
        EXPECT_TRUE(line.transparent) << option;
        EXPECT_EQ(ReadCommandLine({option, "out", "walk.txt"}).transparent, false) << option;
    }
    CommandLine line = ReadCommandLine({"walk.txt", "--columns", "7", "--export-sheet", "s.png"});
    ASSERT_NE(line.kind, nullptr) << line.problem;
    EXPECT_EQ(line.kind->option, std::string("--export-sheet"));
    EXPECT_EQ(line.columns, 7);
    EXPECT_EQ(ReadCommandLine({"--export-sheet", "s.png", "walk.txt"}).columns, 0);
    // The videos' sound: a path that may look like the animation's, or none.
    line = ReadCommandLine({"--sound", "walk.ogg", "walk.txt", "--export-webm", "w.webm"});
    EXPECT_EQ(line.action, ProgramAction::ExportPictures) << line.problem;
    EXPECT_EQ(std::tuple(line.sound, line.animation, line.noSound),
              std::tuple(std::string("walk.ogg"), std::string("walk.txt"), false));
    line = ReadCommandLine({"--export-mp4", "w.mp4", "walk.txt", "--no-sound"});
    EXPECT_EQ(std::tuple(line.sound, line.noSound), std::tuple(std::string(), true));
}

TEST(CommandLine, TheEditorTakesOnePathOrNoneAndDashesAfterTheEnd) {
    const struct {
        std::vector<std::string> arguments;
        std::string animation;
    } cases[] = {
        {{}, ""},
        {{"walk.txt"}, "walk.txt"},
        {{"-"}, "-"},
        {{"--", "-walk.txt"}, "-walk.txt"},
        {{"--", "--help"}, "--help"},
        {{"walk.txt", "--"}, "walk.txt"},
        {{"--"}, ""},
    };
    for (const auto& test : cases) {
        CommandLine line = ReadCommandLine(test.arguments);
        EXPECT_EQ(line.action, ProgramAction::RunEditor) << line.problem;
        EXPECT_EQ(line.animation, test.animation);
    }
}

TEST(CommandLine, AnAnimationAfterTheEndOfTheOptionsMayBeginWithADash) {
    CommandLine line = ReadCommandLine({"--export-gif", "out.gif", "--", "--fps", "-walk.txt"});
    EXPECT_EQ(line.problem, "--export-gif takes one animation, not 2");
    line = ReadCommandLine({"--export-gif", "out.gif", "--", "-walk.txt"});
    ASSERT_EQ(line.action, ProgramAction::ExportPictures) << line.problem;
    EXPECT_EQ(line.output, "out.gif");
    EXPECT_EQ(line.animation, "-walk.txt");
}

TEST(CommandLine, HelpAndVersionAloneAreTheirTextOnStandardOutput) {
    const ProgramRun help = RunWith({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.output, UsageText());
    EXPECT_EQ(help.errors, "");
    const ProgramRun version = RunWith({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.output.rfind("limbrado ", 0), 0u) << version.output;
    EXPECT_EQ(version.errors, "");
}

TEST(CommandLine, AWrongCommandLineIsOneLinePlusTheUsageAndExitCodeTwo) {
    const struct {
        std::vector<std::string> arguments;
        std::string problem;
    } cases[] = {
        {{"--export-jpg", "a.jpg", "walk.txt"}, "unknown option '--export-jpg'"},
        {{"--export-gif", "a.gif", "walk.txt", "--fast"}, "unknown option '--fast'"},
        {{"-walk.txt"}, "unknown option '-walk.txt'"},
        {{"--fps=5", "--export-gif", "a.gif", "walk.txt"}, "unknown option '--fps=5'"},
        {{"--export-gif", "a.gif"}, "--export-gif takes one animation, not 0"},
        {{"--export-png", "frames", "walk.txt", "more.txt"}, "--export-png takes one animation"},
        {{"walk.txt", "--export-gif"}, "--export-gif takes the output's path after it"},
        {{"--export-gif", "--fps", "5", "a.gif", "walk.txt"},
         "--export-gif takes the output's path after it, not '--fps'"},
        {{"--export-gif", "", "walk.txt"}, "an empty name is no file"},
        {{"--export-gif", "a.gif", "--export-gif", "b.gif", "walk.txt"},
         "--export-gif is given twice"},
        {{"--export-gif", "a.gif", "walk.txt", "--export-mp4", "a.mp4"},
         "one export at a time, not --export-gif and --export-mp4"},
        {{"--export-mp4", "a.mp4", "walk.txt", "--fps", "0"},
         "--fps takes a whole number from 1 "
         "to 100, not '0'"},
        {{"--export-gif", "a.gif", "walk.txt", "--fps", "101"}, "from 1 to 100, not '101'"},
        {{"--export-webm", "a.webm", "walk.txt", "--fps", "2.5"}, "not '2.5'"},
        {{"--export-gif", "a.gif", "walk.txt", "--fps", "-5"}, "not '-5'"},
        {{"--export-mp4", "a.mp4", "walk.txt", "--fps"}, "--fps takes a whole number"},
        {{"--fps", "5", "--export-gif", "a.gif", "walk.txt", "--fps", "5"}, "--fps is given twice"},
        {{"--export-png", "frames", "walk.txt", "--fps", "5"},
         "--fps does not go with --export-png: PNGs have no frame rate"},
        {{"--fps", "5", "walk.txt"}, "--fps is for the pictures; it needs an --export- option"},
        {{"walk.txt", "run.txt"}, "the editor opens one animation, not 2"},
        {{"--export-mp4", "a.mp4", "walk.txt", "--transparent"},
         "--transparent does not go with --export-mp4: H.264 has no transparency"},
        {{"--columns", "2", "--export-gif", "a.gif", "walk.txt"},
         "--columns does not go with --export-gif: only a sprite sheet has columns"},
        {{"--export-sheet", "s.png", "walk.txt", "--columns", "0"}, "from 1 to 10000, not '0'"},
        {{"--export-sheet", "s.png", "walk.txt", "--columns"}, "--columns takes a whole number"},
        {{"--transparent", "--export-png", "f", "walk.txt", "--transparent"},
         "--transparent is given twice"},
        {{"--transparent", "walk.txt"}, "--transparent is for the pictures"},
        {{"--export-png", "f", "walk.txt", "--sound", "v.ogg"},
         "--sound does not go with --export-png: only the MP4 and the WebM have sound"},
        {{"--no-sound", "--export-sheet", "s.png", "walk.txt"}, "--no-sound does not go with"},
        {{"--export-mp4", "a.mp4", "walk.txt", "--sound"}, "--sound takes a file's path after it"},
        {{"--export-mp4", "a.mp4", "walk.txt", "--sound", ""}, "an empty name is no file"},
        {{"--export-webm", "a.webm", "--sound", "v.ogg", "--no-sound", "walk.txt"},
         "--sound and --no-sound ask for opposites"},
        {{"--sound", "v.ogg", "walk.txt"}, "--sound is for the pictures"},
        {{"--help", "walk.txt"}, "--help stands alone"},
        {{"walk.txt", "--version"}, "--version stands alone"},
    };
    for (const auto& test : cases) {
        const ProgramRun run = RunWith(test.arguments);
        std::string shown = testing::PrintToString(test.arguments);
        EXPECT_EQ(run.code, 2) << shown;
        std::string line = run.errors.substr(0, run.errors.find('\n') + 1);
        EXPECT_EQ(line.rfind("limbrado: ", 0), 0u) << shown << run.errors;
        EXPECT_NE(line.find(test.problem), std::string::npos) << shown << run.errors;
        EXPECT_EQ(run.errors.substr(line.size()), UsageText()) << shown;
        EXPECT_EQ(run.output, "") << shown;
    }
}

} // namespace
