// Writes the loader's seed inputs with the program's own save: an empty animation, a small figure
// with bones of every kind and a pinned joint, and one with a gap left by a deleted joint. Given
// real clips too, writes the clip import's seeds: each clip cut short to its hierarchy and first
// frames, counted as that many, and once more cut in the middle of its second frame.
#include <cstdio>
#include <fstream>
#include <iterator>
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

constexpr int kSeedClipFrames = 3;

bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    file.close();
    if (!file) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
    }
    return static_cast<bool>(file);
}

// The start of the line after `at`, or npos.
std::size_t NextLine(const std::string& text, std::size_t at) {
    std::size_t end = text.find('\n', at);
    return end == std::string::npos ? end : end + 1;
}

// The clip's hierarchy and its first frames, the frame count saying as many; and that cut again
// halfway through its second frame.
bool WriteClipSeeds(const std::string& clip, const std::string& folder) {
    std::ifstream file(clip, std::ios::binary);
    std::string text(std::istreambuf_iterator<char>(file), {});
    std::size_t count = text.find("Frames:");
    std::size_t frames = NextLine(text, NextLine(text, count)); // after the frame time
    std::size_t end = frames;
    for (int frame = 0; frame < kSeedClipFrames && end != std::string::npos; ++frame) {
        end = NextLine(text, end);
    }
    if (count == std::string::npos || end == std::string::npos) {
        std::fprintf(stderr, "%s is no clip of %d frames\n", clip.c_str(), kSeedClipFrames);
        return false;
    }
    std::string head = text.substr(0, count) + "Frames: " + std::to_string(kSeedClipFrames) + "\n" +
                       text.substr(NextLine(text, count), frames - NextLine(text, count));
    std::string name = folder + "/" + clip.substr(clip.find_last_of('/') + 1);
    std::size_t second = NextLine(text, frames);
    return WriteText(name, head + text.substr(frames, end - frames)) &&
           WriteText(name + ".cut", head + text.substr(frames, (second - frames) * 3 / 2));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc == 3) {
        std::fprintf(stderr, "usage: make_seeds FOLDER [CLIP_FOLDER CLIP...]\n");
        return 2;
    }
    for (int index = 3; index < argc; ++index) {
        if (!WriteClipSeeds(argv[index], argv[2])) {
            return 1;
        }
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
