// The real program's start as a user meets it: without a display, or without any font (the
// picture command too), it says in one line on its error output what is missing and ends with
// exit code 1 within a second; --help and --version print their text and end with exit code 0.
// Runs under the tests' Xvfb, so "no display" is made by removing DISPLAY and WAYLAND_DISPLAY
// from the program's environment.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>

#include "support/display_support.h"

namespace {

struct ProgramRun {
    int exitCode;
    double seconds;
    std::string output;
    std::string errors;
};

// A failed start waits for nothing, so it ends well within this bound however loaded the machine
// is; a start that waited for a display, a font or a dialog would hang past it.
constexpr double kSecondsToFail = 20.0;

// Runs the program through `env` with the given environment changes and arguments.
ProgramRun RunProgram(const std::string& environment, const std::string& arguments) {
    const std::string errorPath = ProcessTempPath("program_start_errors.txt");
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    std::string output = RunCommand("env " + environment + " " + LIMBRADO_EDITOR_PATH + " " +
                                        arguments + " 2>" + errorPath,
                                    &status);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::stringstream errors;
    errors << std::ifstream(errorPath).rdbuf();
    return ProgramRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, elapsed.count(), output,
                      errors.str()};
}

TEST(ProgramStart, MissingDisplayOrFontIsOneLineOnTheErrorOutputAndExitCodeOne) {
    const std::string noFonts = ProcessTempPath("no_fonts.conf");
    std::ofstream(noFonts) << "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
    const std::string animation = ProcessTempPath("program_start.txt");
    const std::string noDisplay = "-u DISPLAY -u WAYLAND_DISPLAY";
    struct StartCase {
        std::string environment;
        std::string arguments;
        std::string expected;
    };
    const StartCase cases[] = {
        {noDisplay, animation, "limbrado: no display to show the window on"},
        {noDisplay, "", "limbrado: no display to show the file chooser on"},
        {"FONTCONFIG_FILE=" + noFonts, animation, "limbrado: no usable font"},
        // The picture command starts as the editor does, without a window.
        {"FONTCONFIG_FILE=" + noFonts, "--export-png " + animation + " /dev/null",
         "limbrado: no usable font"},
    };
    for (const StartCase& entry : cases) {
        const ProgramRun run = RunProgram(entry.environment, entry.arguments);
        EXPECT_EQ(run.exitCode, 1) << entry.expected;
        EXPECT_LT(run.seconds, kSecondsToFail) << entry.expected;
        EXPECT_EQ(run.errors.rfind(entry.expected, 0), 0u) << run.errors;
        EXPECT_EQ(run.errors.find('\n'), run.errors.size() - 1) << "one line: " << run.errors;
        EXPECT_EQ(run.output, "");
    }
    EXPECT_FALSE(std::ifstream(animation).good()) << "a failed start writes nothing";
}

TEST(ProgramStart, HelpAndVersionPrintTheirTextAndExitWithZero) {
    const ProgramRun help = RunProgram("-u DISPLAY", "--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.output.rfind("Usage: limbrado [--] [ANIMATION]\n", 0), 0u) << help.output;
    EXPECT_EQ(help.errors, "");

    const ProgramRun version = RunProgram("-u DISPLAY", "--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output, "limbrado " LIMBRADO_VERSION "\n");
    EXPECT_EQ(version.errors, "");
}

} // namespace
