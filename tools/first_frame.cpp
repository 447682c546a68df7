// Writes the editor's first frame on an animation, as the headless backend presents it, as a
// binary PPM picture: the reference that the browser build's first frame is compared with.
//   first_frame ANIMATION OUT.ppm
#include <cstdio>
#include <string>

#include "editor/editor_main.h"
#include "editor/editor_state.h"
#include "runtime/headless.h"
#include "storage/text.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: first_frame ANIMATION OUT.ppm\n");
        return 2;
    }
    HeadlessReset();
    char* editorArguments[] = {argv[0], argv[1], nullptr};
    if (const char* problem = EditorStartup(2, editorArguments)) {
        std::fprintf(stderr, "first_frame: %s\n", problem);
        return 1;
    }
    RunEditorCycle();
    const HeadlessFrame frame = HeadlessFrames().back();
    std::string picture =
        "P6\n" + std::to_string(frame.width) + " " + std::to_string(frame.height) + "\n255\n";
    for (uint32_t pixel : frame.pixels) {
        picture += static_cast<char>(pixel >> 16 & 0xFF);
        picture += static_cast<char>(pixel >> 8 & 0xFF);
        picture += static_cast<char>(pixel & 0xFF);
    }
    AssignString(&editor.basePath, ""); // no backup beside the animation
    EditorShutdown();
    std::FILE* file = std::fopen(argv[2], "wb");
    bool written =
        file != nullptr && std::fwrite(picture.data(), 1, picture.size(), file) == picture.size();
    written = file != nullptr && std::fclose(file) == 0 && written;
    if (!written) {
        std::fprintf(stderr, "first_frame: cannot write %s\n", argv[2]);
    }
    return written ? 0 : 1;
}
