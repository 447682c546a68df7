// The program's arguments: only an exact single --help or --version is an option; everything
// else, other dashes included, goes to the editor as the animation's path.
#include "editor/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ArgumentCase {
    std::vector<std::string> arguments; // after the program name
    ProgramAction expected;
};

TEST(CommandLine, OnlyAnExactSingleOptionAsksForItsText) {
    const std::vector<ArgumentCase> cases = {
        {{}, ProgramAction::RunEditor},
        {{"walk.txt"}, ProgramAction::RunEditor},
        {{"--help"}, ProgramAction::ShowHelp},
        {{"--version"}, ProgramAction::ShowVersion},
        {{"-h"}, ProgramAction::RunEditor},
        {{"--HELP"}, ProgramAction::RunEditor},
        {{"--help "}, ProgramAction::RunEditor},
        {{"--help", "walk.txt"}, ProgramAction::RunEditor},
        {{"walk.txt", "--version"}, ProgramAction::RunEditor},
        {{"--version", "--help"}, ProgramAction::RunEditor},
    };
    for (const ArgumentCase& entry : cases) {
        std::vector<std::string> words = {"limbrado"};
        words.insert(words.end(), entry.arguments.begin(), entry.arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        EXPECT_EQ(ReadProgramArguments(static_cast<int>(words.size()), argv.data()).action,
                  entry.expected)
            << testing::PrintToString(entry.arguments);
    }
}

} // namespace
