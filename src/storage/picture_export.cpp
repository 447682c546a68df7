// Pictures of the animation: each frame is drawn by the editor's own scene drawing with playback
// on, read from the surface's back buffer and handed to the picture files. The command line runs
// the runtime without a window: the surface is an off-screen buffer, so no display is needed.
#include "storage/picture_export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "editor/editor_state.h"
#include "figure/scene.h"
#include "runtime/fonts.h"
#include "runtime/heaps.h"
#include "runtime/startup.h"
#include "runtime/surface.h"
#include "storage/animation_file.h"
#include "storage/picture_files.h"
#include "storage/text.h"

namespace {

constexpr int kFolderPermissions = 0777; // less the umask
constexpr char kGifOption[] = "--export-gif";
constexpr char kPngOption[] = "--export-png";
constexpr char kOptionStart[] = "--export-";
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int32_t kProgressWidth = 40;

bool StartsWith(const char* text, const char* start) {
    return std::strncmp(text, start, std::strlen(start)) == 0;
}

struct PictureCommand {
    bool gif = false;
    const char* output = nullptr;
    const char* animation = nullptr;
};

bool IsExportOption(const char* argument) {
    return std::strcmp(argument, kGifOption) == 0 || std::strcmp(argument, kPngOption) == 0;
}

bool ParseCommand(int argc, char** argv, PictureCommand* command, std::string* error) {
    for (int index = 1; index < argc; ++index) {
        const char* argument = argv[index];
        if (index > 1 && IsExportOption(argument)) {
            *error = std::string(argument) + " must come first";
            return false;
        }
        if (StartsWith(argument, "--") && !IsExportOption(argument)) {
            *error = std::string("unknown option '") + argument + "'";
            return false;
        }
    }
    if (argc < 2 || !IsExportOption(argv[1])) {
        *error = "the export option must come first";
        return false;
    }
    command->gif = std::strcmp(argv[1], kGifOption) == 0;
    if (argc != 4) {
        *error = std::string(argv[1]) + " takes two arguments, not " + std::to_string(argc - 2);
        return false;
    }
    command->output = argv[2];
    command->animation = argv[3];
    if (*command->output == '\0' || *command->animation == '\0') {
        *error = "an empty name is no file";
        return false;
    }
    return true;
}

// The loader cannot say why a file does not open; this says it before the load is tried.
bool CheckReadable(const char* path, std::string* error) {
    int descriptor = open(path, O_RDONLY | O_CLOEXEC);
    struct stat status {};
    bool readable = descriptor >= 0 && fstat(descriptor, &status) == 0;
    if (!readable) {
        *error = std::string("cannot read '") + path + "': " + std::strerror(errno);
    } else if (S_ISDIR(status.st_mode)) {
        *error = std::string("cannot read '") + path + "': it is a folder";
        readable = false;
    }
    if (descriptor >= 0 && close(descriptor) != 0 && readable) {
        *error = std::string("cannot read '") + path + "': " + std::strerror(errno);
        readable = false;
    }
    return readable;
}

// The runtime and the editor's state as the editor starts them, without a window: the surface is
// an off-screen buffer, so nothing needs a display.
bool StartWithoutDisplay(int argc, char** argv, const char* animation, std::string* error) {
    editor = EditorState{};
    ProgramHeapCreate();
    RuntimeStartup(argc, argv);
    SetEditorStartValues();
    AllocateEditorArrays();
    if (editor.joints.data == nullptr || editor.bones.data == nullptr) {
        *error = "not enough memory for the animation";
        return false;
    }
    editor.hudFont = static_cast<int32_t>(FontLoad(-1, "Arial", 8));
    MarkAllSlotsEmpty();
    AssignString(&editor.basePath, animation);
    if (SurfaceOpenOffscreen(editor.windowWidth, editor.windowHeight) == 0) {
        *error = "not enough memory for the pictures";
        return false;
    }
    if (LoadAnimation() == 0) {
        *error = std::string("cannot load the animation '") + animation + "'";
        return false;
    }
    return true;
}

void StopWithoutDisplay() {
    SurfaceClose();
    RuntimeShutdown();
    ProgramHeapDestroy();
    ForgetEditorArrays();
}

// A bar on stderr, redrawn in place, only when stderr is a terminal.
struct ProgressBar {
    bool shown = false; // a bar is on the line, not yet ended by a newline

    void Show(const char* label, int32_t done, int32_t total) {
        int32_t filled = total > 0 ? done * kProgressWidth / total : kProgressWidth;
        std::string bar(static_cast<std::size_t>(filled), '#');
        bar.resize(kProgressWidth, '.');
        std::fprintf(stderr, "\r%s [%s] %d/%d", label, bar.c_str(), static_cast<int>(done),
                     static_cast<int>(total));
        shown = done < total;
        if (!shown) {
            std::fputc('\n', stderr);
        }
    }
    void End() {
        if (shown) {
            std::fputc('\n', stderr);
            shown = false;
        }
    }
};

PictureSequence PlaybackPictures(const PictureProgress& progress) {
    PictureSequence pictures;
    pictures.count = PictureFrameCount();
    pictures.width = SurfaceWidth();
    pictures.height = SurfaceHeight();
    pictures.draw = [](int32_t index) -> const uint32_t* {
        DrawPlaybackPicture(index);
        return SurfacePixels();
    };
    pictures.progress = progress;
    return pictures;
}

bool SurfaceReady(std::string* error) {
    if (SurfacePixels() == nullptr) {
        *error = "there is no surface to draw the pictures on";
        return false;
    }
    return true;
}

bool MakeFolder(const std::string& folder, std::string* error) {
    struct stat status {};
    if (stat(folder.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) {
            return true;
        }
        *error = "'" + folder + "' is not a folder";
        return false;
    }
    if (errno != ENOENT || mkdir(folder.c_str(), kFolderPermissions) != 0) {
        *error = "cannot make the folder '" + folder + "': " + std::strerror(errno);
        return false;
    }
    return true;
}

std::string FramePath(const std::string& folder, int32_t frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%03d.png", static_cast<int>(frame));
    bool separated = !folder.empty() && folder.back() == '/';
    return folder + (separated ? "" : "/") + name;
}

} // namespace

int32_t PictureFrameCount() {
    return std::clamp(editor.playbackEnd, 0, editor.maxFrame) + 1;
}

void DrawPlaybackPicture(int32_t frame) {
    // The editing aids (a bone being drawn, the box being drawn) are no part of the animation.
    EditorState saved = editor;
    editor.currentFrame = frame;
    editor.playing = 1;
    editor.boneStartJoint = -1;
    editor.drawingBox = 0;
    DrawScene();
    editor.currentFrame = saved.currentFrame;
    editor.playing = saved.playing;
    editor.boneStartJoint = saved.boneStartJoint;
    editor.drawingBox = saved.drawingBox;
}

bool ExportAnimationGif(const char* path, const PictureProgress& progress, std::string* error) {
    if (!SurfaceReady(error)) {
        return false;
    }
    return WriteGifAnimation(path, PlaybackPictures(progress), kPictureFrameDelay, error);
}

bool ExportAnimationPngs(const char* folder, const PictureProgress& progress, std::string* error) {
    if (!SurfaceReady(error) || !MakeFolder(folder, error)) {
        return false;
    }
    int32_t count = PictureFrameCount();
    for (int32_t frame = 0; frame < count; ++frame) {
        DrawPlaybackPicture(frame);
        if (!WritePngPicture(FramePath(folder, frame).c_str(), SurfacePixels(), SurfaceWidth(),
                             SurfaceHeight(), error)) {
            return false;
        }
        if (progress) {
            progress(frame + 1, count);
        }
    }
    return true;
}

bool IsPictureExportCommand(int argc, char** argv) {
    for (int index = 1; index < argc; ++index) {
        if (std::strcmp(argv[index], kGifOption) == 0 ||
            std::strcmp(argv[index], kPngOption) == 0) {
            return true;
        }
    }
    return argc > 1 && StartsWith(argv[1], kOptionStart);
}

const char* PictureExportUsage() {
    return "  --export-gif OUT.gif ANIM.txt  write the animation as a looping GIF, "
           "without a window\n"
           "  --export-png DIR ANIM.txt      write its frames as DIR/frame_000.png onwards\n";
}

int RunPictureExport(int argc, char** argv) {
    PictureCommand command;
    std::string error;
    if (!ParseCommand(argc, argv, &command, &error)) {
        std::fprintf(stderr, "limbrado: %s\nUsage:\n%s", error.c_str(), PictureExportUsage());
        return kExitUsage;
    }
    if (!CheckReadable(command.animation, &error)) {
        std::fprintf(stderr, "limbrado: %s\n", error.c_str());
        return kExitFailed;
    }
    ProgressBar bar;
    PictureProgress progress;
    if (isatty(STDERR_FILENO) == 1) {
        const char* label = command.gif ? "GIF" : "PNG";
        progress = [&bar, label](int32_t done, int32_t total) { bar.Show(label, done, total); };
    }
    bool done = StartWithoutDisplay(argc, argv, command.animation, &error) &&
                (command.gif ? ExportAnimationGif(command.output, progress, &error)
                             : ExportAnimationPngs(command.output, progress, &error));
    StopWithoutDisplay();
    bar.End();
    if (!done) {
        std::fprintf(stderr, "limbrado: %s\n", error.c_str());
        return kExitFailed;
    }
    return 0;
}
