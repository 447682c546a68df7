// The figure library's folders and the figure file's save. A figure file is written by the
// animation file's own encoder from a frame that holds the figure alone.
#include "storage/figure_files.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "model/animation.h"
#include "storage/animation_file.h"
#include "storage/atomic_file.h"
#include "storage/file_kinds.h"
#include "storage/message_text.h"
#include "storage/numbered_files.h"
#include "storage/path_parts.h"
#include "storage/text.h"

namespace {

constexpr char kLibraryBelowData[] = "/limbrado/figures";
constexpr char kDataBelowHome[] = "/.local/share";
constexpr char kShippedBelowPrefix[] = "share/limbrado/figures";
constexpr int kPrivateFolder = 0700;

bool IsAbsolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

bool IsFolder(const std::string& path) {
    struct stat status {};
    return PathStatus(path, &status) && S_ISDIR(status.st_mode);
}

// Makes each missing folder of the path from the top down. A part that exists but is no folder,
// or that cannot be made, ends it with the reason.
bool MakeFolders(const std::string& path, std::string* error) {
    for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        std::string part = path.substr(0, end);
        if (!part.empty() && !IsFolder(part)) {
            if (FileSystem().makeFolder(part.c_str(), kPrivateFolder) != 0 && errno != EEXIST) {
                *error = "cannot make the folder " + Quoted(part) + ": " + SystemErrorText(errno);
                return false;
            }
            if (!IsFolder(part)) {
                *error = Quoted(part) + " is no folder";
                return false;
            }
        }
        if (end == std::string::npos) {
            return true;
        }
    }
}

} // namespace

std::string FigureLibraryPath(const char* dataHome, const char* home) {
    if (IsAbsolute(dataHome)) {
        return std::string(dataHome) + kLibraryBelowData;
    }
    if (IsAbsolute(home)) {
        return std::string(home) + kDataBelowHome + kLibraryBelowData;
    }
    return "";
}

bool EnsureFigureLibrary(std::string* folder, std::string* error) {
    *folder = FigureLibraryPath(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    if (folder->empty()) {
        *error = "neither XDG_DATA_HOME nor HOME names a folder";
        return false;
    }
    return MakeFolders(*folder, error);
}

std::string ShippedFiguresFolder(const std::string& executablePath) {
    std::string programFolder = SplitPath(executablePath).folder;
    for (const std::string& candidate :
         {programFolder + "../" + kShippedBelowPrefix, programFolder + kShippedBelowPrefix}) {
        if (IsFolder(candidate)) {
            return candidate;
        }
    }
    return "";
}

// A link counts as taken whether or not it leads anywhere, since a save goes through it.
std::string FreeFigureFileName(const std::string& folder) {
    constexpr int kMostTried = 10000;
    struct stat status {};
    std::string name = "figure.txt";
    for (int number = 2; number <= kMostTried && lstat((folder + "/" + name).c_str(), &status) == 0;
         ++number) {
        name = "figure_" + std::to_string(number) + ".txt";
    }
    return name;
}

bool SaveFigureFile(const char* path, const Animation& animation, int32_t frame,
                    std::span<const int32_t> slots, std::string* error) {
    std::vector<Joint> joints(kSlotCount, Joint{-1, -1, JointEmpty});
    std::vector<Bone> bones(kSlotCount, Bone{0.0, -1, -1, BoneStabilising});
    std::vector<bool> inFigure(kSlotCount, false);
    for (int32_t slot : slots) {
        if (IsJointSlot(slot)) {
            joints[static_cast<std::size_t>(slot)] = animation.JointAt(frame, slot);
            inFigure[static_cast<std::size_t>(slot)] = true;
        }
    }
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Bone& bone = animation.BoneAt(frame, slot);
        if (BoneInUse(bone) && IsJointSlot(bone.jointA) && IsJointSlot(bone.jointB) &&
            inFigure[static_cast<std::size_t>(bone.jointA)] &&
            inFigure[static_cast<std::size_t>(bone.jointB)]) {
            bones[static_cast<std::size_t>(slot)] = bone;
        }
    }
    std::vector<unsigned char> bytes;
    EncodeOneFrame(joints.data(), bones.data(), animation.box, &bytes);
    return AtomicFileReplaceWith(path, bytes.data(), bytes.size(), error);
}
