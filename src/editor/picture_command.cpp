// The picture command's checks and its hand-over to the output's encoder. Every file it looks at
// goes through the file layer's calls.
#include "editor/picture_command.h"

#include <sys/stat.h>

#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "editor/output_kinds.h"
#include "editor/picture_export.h"
#include "editor/progress_bar.h"
#include "editor/startup.h"
#include "figure/scene.h"
#include "model/animation.h"
#include "runtime/surface.h"
#include "storage/animation_file.h"
#include "storage/file_kinds.h"
#include "storage/message_text.h"
#include "storage/sound_decoder.h"
#include "storage/sound_reference.h"
#include "storage/sprite_sheet.h"

namespace {

// The folder of the numbered PNGs, when it is one already: its frame files are checked too.
bool IsFolder(const std::string& path) {
    struct stat status {};
    return PathStatus(path, &status) && S_ISDIR(status.st_mode);
}

// The files the export replaces, each with its kind; the numbered PNGs go into a folder of their
// own, where only the frames of this export are replaced.
std::vector<std::pair<std::string, const FileKind*>> OutputFiles(const CommandLine& command,
                                                                 const Animation& animation) {
    const OutputKind& kind = *command.kind;
    std::vector<std::pair<std::string, const FileKind*>> files;
    if (!kind.folder) {
        files.emplace_back(command.output, kind.file);
    }
    if (kind.atlas != nullptr) {
        files.emplace_back(AtlasPathFor(command.output), kind.atlas);
    }
    for (int32_t frame = 0;
         kind.folder && IsFolder(command.output) && frame < PictureFrameCount(animation); ++frame) {
        files.emplace_back(FramePath(command.output, frame), kind.file);
    }
    return files;
}

// Arguments given the wrong way round must not replace the animation with its own pictures, nor
// any file that is not an earlier result of this kind of export.
bool CheckOutputs(const CommandLine& command, const Animation& animation, std::string* error) {
    for (const auto& [output, kind] : OutputFiles(command, animation)) {
        if (SameFile(output, command.animation)) {
            *error = Quoted(output) + " is the animation itself; the pictures would replace it";
            return false;
        }
        if (!CheckReplaceable(output, *kind, error)) {
            return false;
        }
    }
    return true;
}

// The editor's start-up with an off-screen surface instead of the window, and the animation
// loaded from the command line's path.
bool StartWithoutDisplay(const std::string& path, std::optional<Animation>* animation,
                         std::string* error) {
    char program[] = "limbrado";
    char* arguments[] = {program, nullptr};
    if (const char* problem = ProgramStartup(1, arguments)) {
        *error = problem;
        return false;
    }
    if (SurfaceOpenOffscreen(kSceneWidth, kSceneHeight) == 0) {
        *error = "not enough memory for the pictures";
        return false;
    }
    *animation = LoadAnimation(path.c_str());
    if (!*animation) {
        *error = "cannot load the animation " + Quoted(path);
        return false;
    }
    return true;
}

// The sound a video of the command carries: --sound's file, else the animation's own (loaded by
// then), else none. A sound that was asked for and cannot be decoded fails the export before any
// picture is written, rather than giving a silent video.
bool DecodeExportSound(const CommandLine& command, const std::string& reference,
                       DecodedSound* sound, std::string* error) {
    if (!command.kind->sound || command.noSound) {
        return true;
    }
    if (!command.sound.empty()) {
        return DecodeSoundFile(command.sound, sound, error);
    }
    if (reference.empty()) {
        return true;
    }
    if (!DecodeSoundFile(SoundPathFor(reference, command.animation), sound, error)) {
        *error = "the animation's sound: " + *error + " (--no-sound leaves it out)";
        return false;
    }
    return true;
}

bool Export(const CommandLine& command, const Animation& animation, const DecodedSound& sound,
            const PictureProgress& progress, std::string* error) {
    PictureRequest request;
    request.animation = &animation;
    request.name = command.animation;
    request.framesPerSecond = command.framesPerSecond;
    request.transparent = command.transparent;
    request.columns = command.columns;
    request.progress = progress;
    request.sound = sound.samples;
    return command.kind->write(command.output.c_str(), request, error);
}

} // namespace

int RunPictureExport(const CommandLine& command) {
    std::string error;
    if (!CheckFileToRead(command.animation, &error)) {
        std::fprintf(stderr, "limbrado: %s\n", error.c_str());
        return kExitFailed;
    }
    // A sound given on the command line is checked before anything else is done.
    DecodedSound sound;
    if (!command.sound.empty() && !DecodeExportSound(command, "", &sound, &error)) {
        std::fprintf(stderr, "limbrado: %s\n", error.c_str());
        return kExitFailed;
    }
    ProgressBar bar(command.kind->label);
    // The frame files of the PNGs are known once the animation is loaded.
    std::optional<Animation> animation;
    bool done = StartWithoutDisplay(command.animation, &animation, &error) &&
                CheckOutputs(command, *animation, &error) &&
                (!command.sound.empty() ||
                 DecodeExportSound(command, animation->sound.reference, &sound, &error)) &&
                Export(command, *animation, sound, bar.Reporter(), &error);
    SurfaceClose();
    ProgramRelease();
    bar.End();
    if (!done) {
        std::fprintf(stderr, "limbrado: %s\n", error.c_str());
        return kExitFailed;
    }
    return 0;
}
