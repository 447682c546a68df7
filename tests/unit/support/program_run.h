// The whole program run on a command line inside the test process, with what it printed on
// both outputs.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/program.h"

struct ProgramRun {
    int code;
    std::string output;
    std::string errors;
};

inline ProgramRun RunWith(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "limbrado");
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    int code = RunProgram(static_cast<int>(arguments.size()), argv.data());
    std::string output = testing::internal::GetCapturedStdout();
    return {code, output, testing::internal::GetCapturedStderr()};
}
