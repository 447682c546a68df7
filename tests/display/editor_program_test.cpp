// The real editor program in a real X window: started with a file path it shows the scene and the
// overlay, builds a joint where the pointer is when the key 1 is pressed, and ends with exit code
// 0 on Escape. The screen is read back with xwd; pointer and keys are driven with xdotool.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using namespace std::chrono_literals;

struct Colour {
    int red;
    int green;
    int blue;
    bool operator==(const Colour&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Colour& colour) {
    return out << "(" << colour.red << ", " << colour.green << ", " << colour.blue << ")";
}

constexpr Colour kBackground{20, 20, 20};
constexpr Colour kLime{187, 255, 0};
constexpr Colour kJointGreen{0, 255, 0};

// Everything a shell command writes to its standard output.
std::string CommandOutput(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return output;
    }
    char buffer[65536];
    size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        output.append(buffer, count);
    }
    pclose(pipe);
    return output;
}

int RunCommand(const std::string& command) {
    return std::system(command.c_str());
}

// The root window as captured by xwd: a big-endian header of 25 words, the window name, the
// colour map entries, then ZPixmap rows.
class ScreenImage {
  public:
    bool Capture() {
        data = CommandOutput("xwd -root -silent");
        if (data.size() < 100 || Word(1) != 7 || Word(2) != 2 || Word(11) != 32) {
            return false;
        }
        width = static_cast<int>(Word(4));
        height = static_cast<int>(Word(5));
        pixelStart = Word(0) + Word(19) * 12;
        return data.size() >= pixelStart + static_cast<size_t>(Word(12)) * Word(5);
    }
    Colour At(int x, int y) const {
        size_t offset = pixelStart + static_cast<size_t>(y) * Word(12) + static_cast<size_t>(x) * 4;
        uint32_t pixel = 0;
        for (int index = 0; index < 4; ++index) {
            // Byte order 0: least significant byte first.
            int shift = Word(7) == 0 ? 8 * index : 8 * (3 - index);
            pixel |= static_cast<uint32_t>(static_cast<unsigned char>(data[offset + index]))
                     << shift;
        }
        return Colour{Channel(pixel, Word(14)), Channel(pixel, Word(15)), Channel(pixel, Word(16))};
    }
    int width = 0;
    int height = 0;

  private:
    uint32_t Word(int index) const {
        uint32_t value = 0;
        for (int byte = 0; byte < 4; ++byte) {
            value = value << 8 |
                    static_cast<unsigned char>(data[static_cast<size_t>(index * 4 + byte)]);
        }
        return value;
    }
    static int Channel(uint32_t pixel, uint32_t mask) {
        if (mask == 0) {
            return 0;
        }
        int shift = 0;
        while (((mask >> shift) & 1u) == 0) {
            ++shift;
        }
        return static_cast<int>((pixel & mask) >> shift);
    }
    std::string data;
    size_t pixelStart = 0;
};

class EditorProgram : public testing::Test {
  protected:
    void SetUp() override {
        path = testing::TempDir() + "display_editor_session.txt";
        std::remove(path.c_str());
        std::string program = LIMBRADO_EDITOR_PATH;
        std::vector<char*> argv = {program.data(), path.data(), nullptr};
        ASSERT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ), 0);
        std::string found =
            CommandOutput("timeout 20 xdotool search --sync --name '^Limbrado Tool by Orvelin_$'");
        std::istringstream(found) >> window;
        ASSERT_FALSE(window.empty()) << "the editor window did not appear";
        std::istringstream geometry(
            CommandOutput("xdotool getwindowgeometry --shell " + window + " | tr '\\n' ' '"));
        std::string field;
        while (geometry >> field) {
            std::sscanf(field.c_str(), "X=%d", &clientX);
            std::sscanf(field.c_str(), "Y=%d", &clientY);
        }
        RunCommand("xdotool windowfocus --sync " + window);
        ASSERT_TRUE(WaitForColour(700, 50, kBackground)) << "no frame was presented";
    }
    void TearDown() override {
        if (pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

    Colour ClientColour(int x, int y) const { return screen.At(clientX + x, clientY + y); }
    // Captures until the client pixel shows the colour, for up to ten seconds.
    bool WaitForColour(int x, int y, Colour colour) {
        for (int attempt = 0; attempt < 50; ++attempt) {
            if (screen.Capture() && ClientColour(x, y) == colour) {
                return true;
            }
            std::this_thread::sleep_for(200ms);
        }
        return false;
    }
    // Held long enough to be seen by at least one keyboard snapshot of the paced loop.
    static void PressKey(const std::string& key) {
        RunCommand("xdotool keydown " + key);
        std::this_thread::sleep_for(150ms);
        RunCommand("xdotool keyup " + key);
    }
    // An absolute move alone leaves the pointer position that SDL keeps stale; a relative step
    // there and back refreshes it.
    void MovePointer(int x, int y) const {
        RunCommand("xdotool mousemove --sync " + std::to_string(clientX + x) + " " +
                   std::to_string(clientY + y));
        RunCommand("xdotool mousemove_relative 1 0");
        RunCommand("xdotool mousemove_relative -- -1 0");
    }
    // Exit status after at most ten seconds, -1 if the program did not end.
    int WaitForExit() {
        for (int attempt = 0; attempt < 100; ++attempt) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(100ms);
        }
        return -1;
    }

    std::string path;
    pid_t pid = -1;
    std::string window;
    int clientX = 0;
    int clientY = 0;
    ScreenImage screen;
};

TEST_F(EditorProgram, ShowsTheSceneWithTheBoxAndTheOverlay) {
    ASSERT_TRUE(screen.Capture());
    EXPECT_EQ(ClientColour(10, 300), kBackground);
    EXPECT_EQ(ClientColour(400, 300), kBackground);
    EXPECT_EQ(ClientColour(790, 590), kBackground);
    // The start-up box runs from (200, 150) to (600, 450).
    EXPECT_EQ(ClientColour(200, 300), kLime);
    EXPECT_EQ(ClientColour(600, 300), kLime);
    EXPECT_EQ(ClientColour(400, 150), kLime);
    EXPECT_EQ(ClientColour(400, 450), kLime);
    EXPECT_EQ(ClientColour(199, 300), kBackground);
    EXPECT_EQ(ClientColour(400, 151), kBackground);

    // The frame line "Frame 0" in lime near the top-left corner.
    int limePixels = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 80; ++x) {
            limePixels += ClientColour(x, y) == kLime;
        }
    }
    EXPECT_GT(limePixels, 10);
}

TEST_F(EditorProgram, KeyOneBuildsAJointWhereThePointerIs) {
    EXPECT_EQ(ClientColour(300, 330), kBackground);
    MovePointer(300, 330);
    PressKey("1");
    EXPECT_TRUE(WaitForColour(300, 330, kJointGreen)) << "found " << ClientColour(300, 330);
    EXPECT_EQ(ClientColour(303, 330), kJointGreen);
    EXPECT_EQ(ClientColour(300, 327), kJointGreen);
    EXPECT_EQ(ClientColour(310, 330), kBackground);
}

TEST_F(EditorProgram, EscapeEndsTheProgramWithExitCodeZero) {
    PressKey("Escape");
    EXPECT_EQ(WaitForExit(), 0);
}

} // namespace
