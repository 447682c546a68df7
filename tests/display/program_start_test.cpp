// The real program's start as a user meets it: without a display, or without any font, it says
// in one line on its error output what is missing and ends with exit code 1 within a second;
// --help and --version print their text and end with exit code 0. Runs under the tests' Xvfb, so
// "no display" is made by removing DISPLAY and WAYLAND_DISPLAY from the program's environment.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct ProgramRun {
    int exitCode = -1; // -1 when it had not ended after five seconds
    double seconds = 0;
    std::string output;
    std::string errors;
};

std::string ReadFile(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The environment of this process without the display variables (when asked), plus `extra`.
std::vector<std::string> Environment(bool withDisplay, const std::vector<std::string>& extra) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string variable = *entry;
        bool display =
            variable.rfind("DISPLAY=", 0) == 0 || variable.rfind("WAYLAND_DISPLAY=", 0) == 0;
        if (withDisplay || !display) {
            result.push_back(variable);
        }
    }
    result.insert(result.end(), extra.begin(), extra.end());
    return result;
}

ProgramRun RunProgram(const std::vector<std::string>& arguments,
                      const std::vector<std::string>& env) {
    const std::string outputPath = testing::TempDir() + "program_start_output.txt";
    const std::string errorPath = testing::TempDir() + "program_start_errors.txt";
    std::vector<std::string> words = {LIMBRADO_EDITOR_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> variables = env;
    std::vector<char*> envp;
    for (std::string& variable : variables) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    ProgramRun run;
    pid_t pid = -1;
    const Clock::time_point start = Clock::now();
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        ADD_FAILURE() << "could not start " << argv[0];
        return run;
    }
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() - start > std::chrono::seconds(5)) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return run;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.output = ReadFile(outputPath);
    run.errors = ReadFile(errorPath);
    return run;
}

TEST(ProgramStart, MissingDisplayOrFontIsOneLineOnTheErrorOutputAndExitCodeOne) {
    const std::string emptyFontConfig = testing::TempDir() + "no_fonts.conf";
    std::ofstream(emptyFontConfig) << "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
    const std::string animation = testing::TempDir() + "program_start.txt";
    struct StartCase {
        std::vector<std::string> arguments;
        bool withDisplay;
        std::vector<std::string> extraEnvironment;
        std::string expected;
    };
    const std::vector<StartCase> cases = {
        {{animation}, false, {}, "limbrado: no display to show the window on"},
        {{}, false, {}, "limbrado: no display to show the file chooser on"},
        {{animation}, true, {"FONTCONFIG_FILE=" + emptyFontConfig}, "limbrado: no usable font"},
    };
    for (const StartCase& entry : cases) {
        const ProgramRun run =
            RunProgram(entry.arguments, Environment(entry.withDisplay, entry.extraEnvironment));
        EXPECT_EQ(run.exitCode, 1) << entry.expected;
        EXPECT_LT(run.seconds, 1.0) << entry.expected;
        EXPECT_EQ(run.errors.rfind(entry.expected, 0), 0u) << run.errors;
        EXPECT_EQ(run.errors.find('\n'), run.errors.size() - 1) << "one line: " << run.errors;
        EXPECT_EQ(run.output, "");
    }
    std::ifstream written(animation);
    EXPECT_FALSE(written.good()) << "a failed start must write nothing beside the animation";
}

TEST(ProgramStart, HelpAndVersionPrintTheirTextAndExitWithZero) {
    const ProgramRun help = RunProgram({"--help"}, Environment(false, {}));
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.output.rfind("Usage: limbrado [ANIMATION]\n", 0), 0u) << help.output;
    EXPECT_EQ(help.errors, "");

    const ProgramRun version = RunProgram({"--version"}, Environment(false, {}));
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output, "limbrado " LIMBRADO_VERSION "\n");
    EXPECT_EQ(version.errors, "");
}

} // namespace
