// Writes the loader's seed inputs with the program's own save: an empty animation, a small figure
// with bones of every kind and a pinned joint, and one with a gap left by a deleted joint.
#include <cstdio>
#include <string>

#include "model/animation.h"
#include "runtime/heaps.h"
#include "storage/animation_file.h"
#include "storage/numbered_files.h"
#include "storage/text.h"

namespace {

bool SaveAs(const std::string& path, const Animation& animation) {
    if (!SaveAnimation(path.c_str(), animation)) {
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
    Animation animation;
    bool saved = SaveAs(folder + "/empty.txt", animation);
    for (int32_t frame = 0; frame < 4; ++frame) {
        AddJoint(animation, frame, 400, 200, JointNormal);
        AddJoint(animation, frame, 400, 260 + frame, JointStatic);
        AddJoint(animation, frame, 370 - frame * 5, 320, JointNormal);
        AddBone(animation, frame, 0, 1, BoneStandard, BoneStyle{});
        AddBone(animation, frame, 1, 2, BoneStabilising, BoneStyle{});
        AddBone(animation, frame, 2, 0, BoneFreeLength, BoneStyle{});
    }
    animation.headOn = 1;
    saved = SaveAs(folder + "/figure.txt", animation) && saved;
    DeleteJoint(animation, 0, 1);
    saved = SaveAs(folder + "/gap.txt", animation) && saved;
    return saved ? 0 : 1;
}
