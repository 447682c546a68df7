// The table of outputs. The videos and animated pictures share one encoder, told which format to
// write by the row.
#include "editor/output_kinds.h"

#include "storage/video_file.h"

namespace {

template <const VideoFormat& format>
bool WriteVideoAs(const char* path, const PictureRequest& request, std::string* error) {
    return ExportAnimationVideo(path, format, request, error);
}

// clang-format off
constexpr OutputKind kOutputKinds[] = {
    {.option = "--export-gif", .label = "GIF", .output = "OUT.gif",
     .description = "one looping GIF, 4/100 s a frame", .file = &kGifFile,
     .write = ExportAnimationGif},
    {.option = "--export-png", .label = "PNG", .output = "FOLDER",
     .description = "FOLDER/frame_000.png onwards", .file = &kPngFile, .folder = true,
     .rate = false, .write = ExportAnimationPngs},
    {.option = "--export-mp4", .label = "MP4", .output = "OUT.mp4",
     .description = "an H.264 video, 1600 x 1200 (each pixel 2 x 2)", .file = &kMp4File,
     .sound = true, .transparency = false, .write = WriteVideoAs<kMp4Video>},
    {.option = "--export-webm", .label = "WebM", .output = "OUT.webm",
     .description = "a VP9 video, 1600 x 1200 (each pixel 2 x 2)", .file = &kWebMFile,
     .sound = true, .write = WriteVideoAs<kWebMVideo>},
    {.option = "--export-apng", .label = "APNG", .output = "OUT.png",
     .description = "a looping, lossless animated PNG", .file = &kPngFile,
     .write = WriteVideoAs<kApngVideo>},
    {.option = "--export-webp", .label = "WebP", .output = "OUT.webp",
     .description = "a looping, lossless animated WebP", .file = &kWebPFile,
     .write = WriteVideoAs<kWebPVideo>},
    {.option = "--export-sheet", .label = "Sheet", .output = "OUT.png",
     .description = "a sprite sheet, and OUT.json beside it: the\n"
                    "JSON-hash atlas that Phaser and PixiJS load",
     .file = &kPngFile, .atlas = &kJsonFile, .columns = true, .write = ExportAnimationSheet},
    {.option = "--export-lottie", .label = "Lottie", .output = "OUT.json",
     .description = "a Lottie vector animation", .file = &kJsonFile,
     .write = ExportAnimationLottie},
};
// clang-format on

} // namespace

std::span<const OutputKind> OutputKinds() {
    return kOutputKinds;
}

const OutputKind* FindOutputKind(const std::string& option) {
    for (const OutputKind& kind : kOutputKinds) {
        if (option == kind.option) {
            return &kind;
        }
    }
    return nullptr;
}
