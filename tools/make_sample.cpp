// Writes the sample animation with the program's own save, and a picture of the editor showing
// it with the help text, the onion skin and the timeline strip, drawn by the program's own code;
// given a folder, also the figures the program ships, each with the figure file's own save:
//   make_sample ANIMATION.txt SCREENSHOT.png [FIGURES_FOLDER]
#include <cstdio>
#include <string>
#include <vector>

#include "../tests/unit/support/editor_frames.h"
#include "editor/command_table.h"
#include "editor/editor_main.h"
#include "editor/editor_picture.h"
#include "model/editor_state.h"
#include "runtime/surface.h"
#include "sample_figures.h"
#include "sample_walk.h"
#include "storage/animation_file.h"
#include "storage/figure_files.h"
#include "storage/picture_files.h"
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

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: make_sample ANIMATION.txt SCREENSHOT.png [FIGURES_FOLDER]\n");
        return 2;
    }
    std::string scratch = std::string(argv[1]) + ".start";
    char* editorArguments[] = {argv[0], scratch.data(), nullptr};
    EditorStartup(2, editorArguments); // on the headless backend: no window is shown
    BuildSampleWalk();
    AssignString(&editor.session.basePath, argv[1]);
    if (SaveAnimation() != 1) {
        std::fprintf(stderr, "make_sample: cannot write %s\n", argv[1]);
        return 1;
    }
    editor.session.currentFrame = 4;
    editor.animation.shadowOn = 1;
    editor.session.onionBack = 2;
    editor.session.onionAhead = 1;
    DrawEditorScene();
    DrawEditorOverlay();
    DrawEditorStrip();
    std::string error;
    bool written =
        WritePngPicture(argv[2], SurfacePixels(), SurfaceWidth(), SurfaceHeight(), &error);
    if (!written) {
        std::fprintf(stderr, "make_sample: %s\n", error.c_str());
    }
    editor.animation.shadowOn = 0;
    written = written && (argc != 4 || WriteFigures(argv[3]));
    AssignString(&editor.session.basePath, ""); // no backup beside the sample
    EditorShutdown();
    return written ? 0 : 1;
}
