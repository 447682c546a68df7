// The program's arguments: only an exact single --help or --version is an option; everything
// else, other dashes included, goes to the editor as the animation's path.
#include "editor/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

TEST(CommandLine, OnlyAnExactSingleOptionAsksForItsText) {
    const std::pair<std::vector<std::string>, ProgramAction> cases[] = {
        {{}, ProgramAction::RunEditor},
        {{"walk.txt"}, ProgramAction::RunEditor},
        {{"--help"}, ProgramAction::ShowHelp},
        {{"--version"}, ProgramAction::ShowVersion},
        {{"-h"}, ProgramAction::RunEditor},
        {{"--help "}, ProgramAction::RunEditor},
        {{"--help", "walk.txt"}, ProgramAction::RunEditor},
        {{"walk.txt", "--version"}, ProgramAction::RunEditor},
    };
    for (const auto& [arguments, expected] : cases) {
        std::vector<std::string> words = {"limbrado"};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        EXPECT_EQ(ReadProgramArguments(static_cast<int>(words.size()), argv.data()).action,
                  expected)
            << testing::PrintToString(arguments);
    }
}

} // namespace
