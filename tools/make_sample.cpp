// Writes the sample walk and the sample scene with the program's own save; given a folder, also the
// figures the program ships, each with the figure file's own save:
//   make_sample WALK.txt SCENE.txt [FIGURES_FOLDER]
#include <cstdio>
#include <string>
#include <vector>

#include "../tests/unit/support/editor_frames.h"
#include "editor/editor_main.h"
#include "model/editor_state.h"
#include "sample_figures.h"
#include "sample_scene.h"
#include "sample_walk.h"
#include "storage/animation_file.h"
#include "storage/figure_files.h"
#include "storage/text.h"

namespace {

// Each figure alone in an emptied frame 0, saved whole.
bool WriteFigures(const std::string& folder) {
    for (const SampleFigure& figure : kSampleFigures) {
        ResetAll();
        figure.build();
        std::vector<int32_t> slots;
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            if (JointAt(0, slot).state != JointEmpty) {
                slots.push_back(slot);
            }
        }
        std::string path = folder + "/" + figure.fileName;
        std::string error;
        if (!SaveFigureFile(path.c_str(), editor.animation, 0, slots, &error)) {
            std::fprintf(stderr, "make_sample: %s\n", error.c_str());
            return false;
        }
    }
    return true;
}

// The animation that `build` makes in emptied frames, saved at `path`.
bool WriteAnimation(void (*build)(), const char* path) {
    ResetAll();
    build();
    AssignString(&editor.session.basePath, path);
    if (SaveAnimation() != 1) {
        std::fprintf(stderr, "make_sample: cannot write %s\n", path);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: make_sample WALK.txt SCENE.txt [FIGURES_FOLDER]\n");
        return 2;
    }
    std::string scratch = std::string(argv[1]) + ".start";
    char* editorArguments[] = {argv[0], scratch.data(), nullptr};
    EditorStartup(2, editorArguments); // on the headless backend: no window is shown
    bool written = WriteAnimation(BuildSampleWalk, argv[1]) &&
                   WriteAnimation(BuildSampleScene, argv[2]) &&
                   (argc != 4 || WriteFigures(argv[3]));
    AssignString(&editor.session.basePath, ""); // no backup beside the samples
    EditorShutdown();
    return written ? 0 : 1;
}
