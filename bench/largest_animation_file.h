// The largest animation saved as a file in a folder of its own, and the picture command run on
// it as main would run it, for the export benchmarks.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "../tests/unit/support/drawing_session.h"
#include "../tests/unit/support/editor_frames.h"
#include "editor/program.h"
#include "largest_animation.h"
#include "storage/animation_file.h"
#include "storage/numbered_files.h"

struct LargestFile {
    std::string folder;
    std::string path;

    LargestFile() {
        char pattern[] = "/tmp/export_bench_XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            return;
        }
        folder = pattern;
        path = folder + "/largest.txt";
        DrawingSession session;
        FileTableInit();
        FillLargestAnimation();
        AssignString(&editor.session.basePath, path.c_str());
        if (SaveAnimation() != 1) {
            path.clear();
        }
        FileTableShutdown();
    }
    ~LargestFile() {
        if (!folder.empty()) {
            std::filesystem::remove_all(folder);
        }
    }
};

inline LargestFile& Largest() {
    static LargestFile largest;
    return largest;
}

inline int RunCommand(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "limbrado");
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    HeadlessReset();
    return RunProgram(static_cast<int>(arguments.size()), argv.data());
}
