// Writes the loader's seed inputs with the program's own save: an empty animation, a small figure
// with bones of every kind and a pinned joint, and one with a gap left by a deleted joint.
#include <cstdio>
#include <string>

#include "../tests/unit/support/editor_frames.h"
#include "model/editor_state.h"
#include "runtime/heaps.h"
#include "storage/animation_file.h"
#include "storage/numbered_files.h"
#include "storage/text.h"

namespace {

bool SaveAs(const std::string& path) {
    AssignString(&editor.session.basePath, path.c_str());
    if (SaveAnimation() != 1) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds FOLDER\n");
        return 2;
    }
    std::string folder = argv[1];
    ProgramHeapCreate();
    StringHeapInit();
    TextWorkBufferInit();
    FileTableInit();
    EditorStateInit();
    bool saved = SaveAs(folder + "/empty.txt");
    for (editor.session.currentFrame = 0; editor.session.currentFrame < 4;
         ++editor.session.currentFrame) {
        AddJoint(400, 200, JointNormal);
        AddJoint(400, 260 + editor.session.currentFrame, JointStatic);
        AddJoint(370 - editor.session.currentFrame * 5, 320, JointNormal);
        AddBone(0, 1, BoneStandard);
        AddBone(1, 2, BoneStabilising);
        AddBone(2, 0, BoneFreeLength);
    }
    editor.session.currentFrame = 0;
    editor.animation.headOn = 1;
    saved = SaveAs(folder + "/figure.txt") && saved;
    DeleteJoint(1);
    saved = SaveAs(folder + "/gap.txt") && saved;
    return saved ? 0 : 1;
}
