// Pictures of the animation: each frame is drawn by the editor's own scene drawing with playback
// on, read from the surface's back buffer and handed to the encoders of storage/ (picture files,
// video files), which see only pixels. The command line runs the runtime without a window: the
// surface is an off-screen buffer, so no display is needed.
#include "editor/picture_export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "editor/editor_picture.h"
#include "editor/startup.h"
#include "model/editor_state.h"
#include "runtime/fonts.h"
#include "runtime/heaps.h"
#include "runtime/surface.h"
#include "storage/animation_file.h"
#include "storage/picture_files.h"
#include "storage/text.h"
#include "storage/video_file.h"

namespace {

constexpr int kFolderPermissions = 0777; // less the umask
constexpr char kOptionStart[] = "--export-";
constexpr char kRateOption[] = "--fps";
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int32_t kProgressWidth = 40;

bool StartsWith(const char* text, const char* start) {
    return std::strncmp(text, start, std::strlen(start)) == 0;
}

enum class PictureKind { Gif, Png, Mp4, WebM };

struct ExportOption {
    const char* name;
    PictureKind kind;
    const char* label; // of the progress bar
};

constexpr ExportOption kExportOptions[] = {
    {"--export-gif", PictureKind::Gif, "GIF"},
    {"--export-png", PictureKind::Png, "PNG"},
    {"--export-mp4", PictureKind::Mp4, "MP4"},
    {"--export-webm", PictureKind::WebM, "WebM"},
};

const ExportOption* FindExportOption(const char* argument) {
    for (const ExportOption& option : kExportOptions) {
        if (std::strcmp(argument, option.name) == 0) {
            return &option;
        }
    }
    return nullptr;
}

struct PictureCommand {
    const ExportOption* option = nullptr;
    int32_t framesPerSecond = kDefaultFramesPerSecond;
    bool rateGiven = false;
    const char* output = nullptr;
    const char* animation = nullptr;
};

// The number after --fps: digits only, 1 to kMostFramesPerSecond.
bool ReadRate(const char* text, PictureCommand* command, std::string* error) {
    std::size_t length = std::strlen(text);
    bool digits = length > 0 && length <= 3 && std::strspn(text, "0123456789") == length;
    int32_t rate = digits ? static_cast<int32_t>(std::strtol(text, nullptr, 10)) : 0;
    if (rate < 1 || rate > kMostFramesPerSecond) {
        *error = std::string(kRateOption) + " takes a whole number from 1 to " +
                 std::to_string(kMostFramesPerSecond) + ", not '" + text + "'";
        return false;
    }
    command->framesPerSecond = rate;
    command->rateGiven = true;
    return true;
}

// The export option first; --fps N anywhere after it; the two names in order.
bool ReadArguments(int argc, char** argv, PictureCommand* command, std::vector<const char*>* names,
                   std::string* error) {
    for (int index = 1; index < argc; ++index) {
        const char* argument = argv[index];
        if (FindExportOption(argument) != nullptr) {
            if (index > 1) {
                *error = std::string(argument) + " must come first";
                return false;
            }
        } else if (std::strcmp(argument, kRateOption) == 0) {
            if (command->rateGiven) {
                *error = std::string(kRateOption) + " is given twice";
                return false;
            }
            if (!ReadRate(index + 1 < argc ? argv[++index] : "", command, error)) {
                return false;
            }
        } else if (StartsWith(argument, "--")) {
            *error = std::string("unknown option '") + argument + "'";
            return false;
        } else {
            names->push_back(argument);
        }
    }
    return true;
}

bool ParseCommand(int argc, char** argv, PictureCommand* command, std::string* error) {
    std::vector<const char*> names;
    if (!ReadArguments(argc, argv, command, &names, error)) {
        return false;
    }
    if (argc < 2 || (command->option = FindExportOption(argv[1])) == nullptr) {
        *error = "the export option must come first";
        return false;
    }
    if (names.size() != 2) {
        *error = std::string(argv[1]) + " takes two arguments, not " + std::to_string(names.size());
        return false;
    }
    if (command->rateGiven && command->option->kind == PictureKind::Png) {
        *error = std::string(kRateOption) + " is for a GIF or a video; PNGs have no frame rate";
        return false;
    }
    command->output = names[0];
    command->animation = names[1];
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
    DrawScene(PlaybackSceneView(frame), SurfaceDrawTarget());
}

bool ExportAnimationGif(const char* path, int32_t framesPerSecond, const PictureProgress& progress,
                        std::string* error) {
    if (!SurfaceReady(error)) {
        return false;
    }
    return WriteGifAnimation(path, PlaybackPictures(progress), GifDelayForRate(framesPerSecond),
                             error);
}

bool ExportAnimationVideo(const char* path, VideoFormat format, int32_t framesPerSecond,
                          const PictureProgress& progress, std::string* error) {
    if (!SurfaceReady(error)) {
        return false;
    }
    return WriteVideo(path, format, PlaybackPictures(progress), framesPerSecond, error);
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
        if (FindExportOption(argv[index]) != nullptr ||
            (argc > 2 && std::strcmp(argv[index], kRateOption) == 0)) {
            return true;
        }
    }
    return argc > 1 && StartsWith(argv[1], kOptionStart);
}

const char* PictureExportUsage() {
    return "  --export-gif OUT.gif ANIM.txt    write the animation as a looping GIF, "
           "without a window\n"
           "  --export-png DIR ANIM.txt        write its frames as DIR/frame_000.png onwards\n"
           "  --export-mp4 OUT.mp4 ANIM.txt    write it as an H.264 video, 1600 x 1200\n"
           "  --export-webm OUT.webm ANIM.txt  write it as a VP9 video, 1600 x 1200\n"
           "  --fps N                          frames a second of the GIF or video, 1 to 100 "
           "(25)\n";
}

namespace {

bool Export(const PictureCommand& command, const PictureProgress& progress, std::string* error) {
    switch (command.option->kind) {
    case PictureKind::Gif:
        return ExportAnimationGif(command.output, command.framesPerSecond, progress, error);
    case PictureKind::Png:
        return ExportAnimationPngs(command.output, progress, error);
    case PictureKind::Mp4:
        return ExportAnimationVideo(command.output, VideoFormat::Mp4, command.framesPerSecond,
                                    progress, error);
    case PictureKind::WebM:
        return ExportAnimationVideo(command.output, VideoFormat::WebM, command.framesPerSecond,
                                    progress, error);
    }
    return false;
}

} // namespace

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
        const char* label = command.option->label;
        progress = [&bar, label](int32_t done, int32_t total) { bar.Show(label, done, total); };
    }
    bool done = StartWithoutDisplay(argc, argv, command.animation, &error) &&
                Export(command, progress, &error);
    StopWithoutDisplay();
    bar.End();
    if (!done) {
        std::fprintf(stderr, "limbrado: %s\n", error.c_str());
        return kExitFailed;
    }
    return 0;
}
