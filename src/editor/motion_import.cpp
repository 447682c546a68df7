// Key U and --import-bvh: the clip is read whole first, so that a file that is no clip changes
// nothing, then placed into the grids as one undo step (the key) or saved through the same
// temporary file and rename as F9 (the command line).
#include "editor/motion_import.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <sys/stat.h>

#include "editor/startup.h"
#include "editor/status_line.h"
#include "editor/undo_history.h"
#include "model/editor_state.h"
#include "storage/animation_file.h"
#include "storage/bvh_clip.h"
#include "storage/file_kinds.h"
#include "storage/message_text.h"
#include "storage/path_parts.h"
#include "storage/requesters.h"
#include "storage/text.h"
#include "storage/translation.h"

namespace {

// The chooser opens in the animation's folder.
std::string ChooseClip() {
    int32_t start = WorkBufferLength();
    std::string folder =
        SplitPath(editor.session.basePath == nullptr ? "" : editor.session.basePath).folder;
    std::string path = AskOpenFileName("Bewegung importieren", folder.c_str(), "*.bvh", 0, start);
    WorkBufferSetLength(start);
    return path;
}

} // namespace

ClipPlacement AnimationClipPlacement(const Animation& animation, int32_t firstFrame) {
    ClipPlacement placement;
    placement.framesPerSecond = std::max(animation.playbackRate, 1);
    placement.firstFrame = firstFrame;
    placement.lastFrame = animation.maxFrame;
    placement.box = animation.box;
    return placement;
}

void ImportMotionKey() {
    std::string path = ChooseClip();
    if (path.empty()) {
        return;
    }
    MotionClip clip;
    std::string error;
    if (!ReadMotionClip(path, &clip, &error)) {
        ShowStatusMessage("Keine Bewegung lesbar");
        return;
    }
    ClipPlacement placement = AnimationClipPlacement(editor.animation, editor.session.currentFrame);
    int32_t last = placement.firstFrame + std::max(ClipFrameCount(clip, placement), 1) - 1;
    UndoBeginStep(placement.firstFrame, last);
    int32_t playbackEnd = editor.animation.playbackEnd;
    int32_t frames = PlaceClip(editor.animation, clip, placement, &error);
    editor.animation.playbackEnd = frames > 0 ? std::max(playbackEnd, last) : playbackEnd;
    UndoEndStep();
    if (frames == 0) {
        ShowStatusMessage("Kein Platz f\xfcr die Bewegung");
        return;
    }
    std::string message = std::string(Translate("Bewegung importiert: ")) + std::to_string(frames) +
                          Translate(" Bilder");
    ShowStatusMessage(message.c_str());
}

int RunMotionImport(const CommandLine& command) {
    std::string error;
    struct stat status {};
    bool exists = PathStatus(command.animation, &status) || errno != ENOENT;
    // The clip given twice, or a file of another kind in the animation's place, is never replaced.
    if (SameFile(command.clip, command.animation)) {
        error = Quoted(command.animation) + " is the clip itself; the animation would replace it";
    }
    if (error.empty() && exists && CheckFileToRead(command.animation, &error)) {
        CheckReplaceable(command.animation, kAnimationFile, &error);
    }
    if (!error.empty()) {
        std::fprintf(stderr, "limbrado: %s\n", error.c_str());
        return kExitFailed;
    }
    char program[] = "limbrado";
    char* arguments[] = {program, nullptr};
    if (const char* problem = ProgramStartup(1, arguments)) {
        std::fprintf(stderr, "limbrado: %s\n", problem);
        ProgramRelease();
        return kExitFailed;
    }
    // The clip is read whole before the animation is touched.
    MotionClip clip;
    bool done = ReadMotionClip(command.clip, &clip, &error);
    std::optional<Animation> animation(std::in_place);
    if (done && exists) {
        animation = LoadAnimation(command.animation.c_str());
    }
    if (done && !animation) {
        error = "cannot load the animation " + Quoted(command.animation);
        done = false;
    }
    if (done) {
        if (command.framesPerSecondGiven) {
            animation->playbackRate = command.framesPerSecond;
        }
        ClipPlacement placement = AnimationClipPlacement(*animation, 0);
        placement.view = command.view;
        placement.fromSeconds = command.fromSeconds;
        done = PlaceClip(*animation, clip, placement, &error) > 0;
    }
    if (done) {
        done = SaveAnimation(command.animation.c_str(), *animation, &error);
    }
    ProgramRelease();
    if (!done) {
        std::fprintf(stderr, "limbrado: %s\n", error.c_str());
        return kExitFailed;
    }
    return 0;
}
