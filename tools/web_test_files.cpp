// Writes what the browser tests compare with and load: the editor's first frame on an animation,
// as the headless backend presents it, as a binary PPM picture; and, when asked for, the largest
// animation the grids hold, written by the program's own save.
//   web_test_files ANIMATION FIRST_FRAME.ppm [LARGEST.txt]
#include <cstdio>
#include <string>

#include "../bench/largest_animation.h"
#include "../tests/unit/support/editor_frames.h"
#include "editor/editor_main.h"
#include "model/editor_state.h"
#include "runtime/headless.h"
#include "storage/animation_file.h"
#include "storage/text.h"

namespace {

bool WriteFile(const char* path, const std::string& bytes) {
    std::FILE* file = std::fopen(path, "wb");
    bool written =
        file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = file != nullptr && std::fclose(file) == 0 && written;
    if (!written) {
        std::fprintf(stderr, "web_test_files: cannot write %s\n", path);
    }
    return written;
}

std::string Picture(const HeadlessFrame& frame) {
    std::string picture =
        "P6\n" + std::to_string(frame.width) + " " + std::to_string(frame.height) + "\n255\n";
    for (uint32_t pixel : frame.pixels) {
        picture += static_cast<char>(pixel >> 16 & 0xFF);
        picture += static_cast<char>(pixel >> 8 & 0xFF);
        picture += static_cast<char>(pixel & 0xFF);
    }
    return picture;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: web_test_files ANIMATION FIRST_FRAME.ppm [LARGEST.txt]\n");
        return 2;
    }
    HeadlessReset();
    char* editorArguments[] = {argv[0], argv[1], nullptr};
    if (const char* problem = EditorStartup(2, editorArguments)) {
        std::fprintf(stderr, "web_test_files: %s\n", problem);
        return 1;
    }
    RunEditorCycle();
    bool written = WriteFile(argv[2], Picture(HeadlessFrames().back()));
    if (argc == 4) {
        editor.animation = Animation();
        FillLargestAnimation();
        AssignString(&editor.session.basePath, argv[3]);
        if (SaveAnimation() != 1) {
            std::fprintf(stderr, "web_test_files: cannot write %s\n", argv[3]);
            written = false;
        }
    }
    AssignString(&editor.session.basePath, ""); // no backup beside either file
    EditorShutdown();
    return written ? 0 : 1;
}
