// The real editor program in a real X window: started with a file path it shows the scene and the
// overlay, builds a joint where the pointer is when the key 1 is pressed, and ends with exit code
// 0 on Escape; the window's close box does not end it. Pointer and keys are driven with xdotool.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/display_support.h"

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

Colour ColourOf(uint32_t pixel) {
    return Colour{static_cast<int>(pixel >> 16 & 0xFF), static_cast<int>(pixel >> 8 & 0xFF),
                  static_cast<int>(pixel & 0xFF)};
}

constexpr const char* kTitle = "Limbrado Tool by Orvelin_";
constexpr int kWidth = 800;
constexpr int kHeight = 700; // the scene and the timeline strip below it

class EditorProgram : public testing::Test {
  protected:
    void SetUp() override {
        path = ProcessTempPath("display_editor_session.txt");
        std::remove(path.c_str());
        Launch();
    }
    // Starts the editor on `path` and waits for its first picture.
    void Launch() {
        window = 0;
        std::string program = LIMBRADO_EDITOR_PATH;
        std::vector<char*> argv = {program.data(), path.data(), nullptr};
        ASSERT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ), 0);
        for (int attempt = 0; attempt < 100 && window == 0; ++attempt) {
            std::this_thread::sleep_for(100ms);
            window = FindWindowByTitle(kTitle);
        }
        ASSERT_NE(window, 0u) << "the editor window did not appear";
        ASSERT_TRUE(QueryGeometry(window, &client));
        // The window opens at a whole multiple of the picture.
        scale = client.width / kWidth;
        ASSERT_GE(scale, 1);
        ASSERT_EQ(client.width, kWidth * scale);
        ASSERT_EQ(client.height, kHeight * scale);
        RunCommand("xdotool windowfocus --sync " + std::to_string(window));
        ASSERT_TRUE(WaitForColour(700, 50, kBackground)) << "no frame was presented";
    }
    // Escape for the editor, again while it runs: a window that has just given the keyboard to a
    // message box may refuse it back for a moment, more so in a slow sanitizer build.
    int EscapeAndWaitForExit() {
        for (int attempt = 0; attempt < 5; ++attempt) {
            RunCommand("timeout 5 xdotool windowfocus --sync " + std::to_string(window) +
                       " 2>/dev/null");
            PressKey("Escape");
            int code = WaitForExit(4);
            if (code != -1) {
                return code;
            }
        }
        return -1;
    }
    static std::uintmax_t SizeOf(const std::string& name) {
        std::error_code error;
        std::uintmax_t size = std::filesystem::file_size(name, error);
        return error ? 0 : size;
    }
    void TearDown() override {
        if (pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

    bool Capture() {
        pixels = CaptureScreen(client.x, client.y, client.width, client.height);
        return !pixels.empty();
    }
    // The colour of picture pixel (x, y): the middle of its square in the window.
    Colour ClientColour(int x, int y) const {
        int row = y * scale + scale / 2;
        int column = x * scale + scale / 2;
        return ColourOf(pixels[static_cast<size_t>(row * client.width + column)]);
    }
    // Captures until the client pixel shows the colour, for up to ten seconds.
    bool WaitForColour(int x, int y, Colour colour) {
        for (int attempt = 0; attempt < 50; ++attempt) {
            if (Capture() && ClientColour(x, y) == colour) {
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
    // there and back refreshes it. The test waits for the pointer to be there (xdotool's --sync
    // waits for a move that never comes when the pointer is there already).
    void MovePointer(int x, int y) const {
        std::string screenX = std::to_string(client.x + x * scale + scale / 2);
        std::string screenY = std::to_string(client.y + y * scale + scale / 2);
        RunCommand("xdotool mousemove " + screenX + " " + screenY +
                   " mousemove_relative 1 0 mousemove_relative -- -1 0");
        std::string there = "x:" + screenX + " y:" + screenY + "\n";
        for (int attempt = 0; attempt < 50; ++attempt) {
            if (RunCommand("xdotool getmouselocation | cut -d' ' -f1,2") == there) {
                return;
            }
            std::this_thread::sleep_for(20ms);
        }
    }
    // Exit status after at most `seconds`, -1 if the program is still running.
    int WaitForExit(int seconds) {
        for (int attempt = 0; attempt < seconds * 10; ++attempt) {
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
    unsigned long window = 0;
    ScreenGeometry client;
    int scale = 1;
    std::vector<uint32_t> pixels;
};

TEST_F(EditorProgram, ShowsTheSceneWithTheBoxAndTheOverlay) {
    ASSERT_TRUE(Capture());
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

TEST_F(EditorProgram, CloseBoxIsIgnoredAndEscapeEndsTheProgramWithExitCodeZero) {
    ASSERT_TRUE(SendCloseRequest(window));
    EXPECT_EQ(WaitForExit(1), -1);
    EXPECT_NE(FindWindowByTitle(kTitle), 0u);

    PressKey("Escape");
    EXPECT_EQ(WaitForExit(10), 0);
}

// Saved with F9, the figure is there again after a restart on the same path, with the backup of
// the last exit beside it; F10's message box is answered and the export lies beside it too. The
// paths hold letters beyond ASCII and beyond code page 1252.
TEST_F(EditorProgram, SavedFigureComesBackAfterARestartAndFilesLieBesideIt) {
    PressKey("Escape");
    ASSERT_EQ(WaitForExit(10), 0);
    for (std::string name : {"\xC3\x9C"
                             "bung.txt",
                             "\xE5\x8A\xA8\xE7\x94\xBB.txt"}) {
        path = ProcessTempPath(name);
        std::string stem = path.substr(0, path.size() - 4);
        for (const std::string& file : {path, stem + "_autosave.txt", stem + "_export.lmb"}) {
            std::remove(file.c_str());
        }
        Launch();
        MovePointer(300, 330);
        PressKey("1");
        ASSERT_TRUE(WaitForColour(300, 330, kJointGreen)) << name;
        PressKey("F9");
        std::this_thread::sleep_for(700ms); // the status line's pause takes no keys
        PressKey("F10");
        unsigned long box = 0;
        for (int attempt = 0; attempt < 50 && box == 0; ++attempt) {
            std::this_thread::sleep_for(200ms);
            box = FindWindowByTitle("Ok");
        }
        ASSERT_NE(box, 0u) << name << ": no message box";
        RunCommand("xdotool windowfocus --sync " + std::to_string(box) + " key Return");
        for (int attempt = 0; attempt < 50 && FindWindowByTitle("Ok") != 0; ++attempt) {
            std::this_thread::sleep_for(100ms);
        }
        EXPECT_EQ(SizeOf(stem + "_export.lmb"), 0u) << "no bones, an empty export";
        EXPECT_TRUE(std::filesystem::exists(stem + "_export.lmb")) << name;
        ASSERT_EQ(EscapeAndWaitForExit(), 0) << name;
        EXPECT_EQ(SizeOf(path), 15u) << name;
        EXPECT_EQ(SizeOf(stem + "_autosave.txt"), 15u) << name;

        std::remove((stem + "_autosave.txt").c_str());
        Launch();
        EXPECT_TRUE(WaitForColour(300, 330, kJointGreen)) << name << ": not loaded";
        ASSERT_EQ(EscapeAndWaitForExit(), 0) << name;
    }
}

// On a German keyboard the key labelled Z sits where a US keyboard has Y, and the other way round.
// The strip: a click makes a frame current, Einfg copies it, Rücktaste deletes the copy and Ctrl+Z
// brings it back; the cells show each frame's bone in lime.
TEST_F(EditorProgram, StripCellsAreClickedAndFramesInsertedDeletedAndBroughtBack) {
    // A bone from (300, 300) to (300, 400): in a cell it stands at x 24, y 24 to 32.
    for (int y : {300, 400}) {
        MovePointer(300, y);
        PressKey("1");
        ASSERT_TRUE(WaitForColour(300, y, kJointGreen));
    }
    MovePointer(300, 300);
    RunCommand("xdotool mousedown 3");
    std::this_thread::sleep_for(150ms);
    MovePointer(300, 400);
    std::this_thread::sleep_for(150ms);
    RunCommand("xdotool mouseup 3");
    ASSERT_TRUE(WaitForColour(4 + 24, 604 + 28, kLime)) << "the bone in the first cell";
    auto cellBone = [](int cell) { return 66 * cell + 4 + 24; };
    auto click = [this](int cell) {
        MovePointer(66 * cell + 4 + 32, 640);
        RunCommand("xdotool click 1");
    };
    click(3);
    EXPECT_TRUE(WaitForColour(66 * 3 + 3, 620, kLime)) << "frame 3's cell framed";
    EXPECT_EQ(ClientColour(300, 350), kBackground) << "frame 3 is empty";
    click(0);
    ASSERT_TRUE(WaitForColour(300, 350, kLime)) << "frame 0 again";
    PressKey("Insert");
    EXPECT_TRUE(WaitForColour(cellBone(1), 632, kLime)) << "the copy in frame 1";
    EXPECT_EQ(ClientColour(66 + 3, 620), kLime) << "frame 1 is current";
    PressKey("BackSpace");
    EXPECT_TRUE(WaitForColour(cellBone(1), 632, kBackground)) << "frame 1 deleted";
    PressKey("ctrl+z");
    EXPECT_TRUE(WaitForColour(cellBone(1), 632, kLime)) << "frame 1 back";
}

// On a screen large enough the window opens at twice the picture's size, and a joint is dragged
// through the scaled picture as at 1:1. Run on its own large screen (display_tests_large_screen).
TEST_F(EditorProgram, LargeScreenOpensAtAMultipleAndAJointIsDraggedThroughIt) {
    if (scale < 2) {
        GTEST_SKIP() << "the screen holds no window of twice the size";
    }
    EXPECT_EQ(client.width, 2 * kWidth);
    MovePointer(300, 330);
    PressKey("1");
    ASSERT_TRUE(WaitForColour(300, 330, kJointGreen));
    RunCommand("xdotool mousedown 1");
    std::this_thread::sleep_for(150ms);
    MovePointer(420, 250);
    std::this_thread::sleep_for(150ms);
    RunCommand("xdotool mouseup 1");
    EXPECT_TRUE(WaitForColour(420, 250, kJointGreen)) << "found " << ClientColour(420, 250);
    EXPECT_EQ(ClientColour(300, 330), kBackground);
    // Each picture pixel is a sharp 2 x 2 square.
    ASSERT_TRUE(Capture());
    for (int dy = 0; dy < 2; ++dy) {
        for (int dx = 0; dx < 2; ++dx) {
            EXPECT_EQ(
                ColourOf(pixels[static_cast<size_t>((2 * 150 + dy) * client.width + 2 * 300 + dx)]),
                kLime);
        }
    }
}

class GermanLayoutEditor : public EditorProgram {
  protected:
    void SetUp() override {
        ASSERT_EQ(RunCommand("setxkbmap de && echo set"), "set\n") << "no German layout";
        EditorProgram::SetUp();
    }
    void TearDown() override {
        EditorProgram::TearDown();
        RunCommand("setxkbmap us");
    }
};

TEST_F(GermanLayoutEditor, EitherCtrlWithTheKeysLabelledZAndYTakesADragBackAndDoesItAgain) {
    MovePointer(300, 330);
    PressKey("1");
    ASSERT_TRUE(WaitForColour(300, 330, kJointGreen));
    RunCommand("xdotool mousedown 1");
    std::this_thread::sleep_for(150ms);
    MovePointer(420, 330);
    std::this_thread::sleep_for(150ms);
    RunCommand("xdotool mouseup 1");
    ASSERT_TRUE(WaitForColour(420, 330, kJointGreen)) << "found " << ClientColour(420, 330);
    // xdotool types the letters where the layout has them; either Ctrl key will do.
    PressKey("ctrl+z");
    EXPECT_TRUE(WaitForColour(300, 330, kJointGreen)) << "found " << ClientColour(300, 330);
    EXPECT_EQ(ClientColour(420, 330), kBackground);
    PressKey("Control_R+y");
    EXPECT_TRUE(WaitForColour(420, 330, kJointGreen)) << "found " << ClientColour(420, 330);
    EXPECT_EQ(ClientColour(300, 330), kBackground);
}

} // namespace

// The grey text's rightmost picture column in the 12-pixel line from `top`, left of x = 400.
int GreyInkRight(const std::vector<Colour>& picture, int top) {
    int right = 0;
    for (int y = top; y < top + 12; ++y) {
        for (int x = 0; x < 400; ++x) {
            if (picture[static_cast<size_t>(y * kWidth + x)] == Colour{155, 155, 155}) {
                right = std::max(right, x + 1);
            }
        }
    }
    return right;
}

// The program started with an English and with a German locale (neither need be generated on the
// machine) shows the command list in that language; the frame line, the same in both, stays.
TEST_F(EditorProgram, CommandListFollowsTheLocale) {
    ASSERT_EQ(EscapeAndWaitForExit(), 0);
    std::vector<Colour> pictures[2];
    const char* locales[] = {"de_DE.UTF-8", "en_US.UTF-8"};
    for (int run = 0; run < 2; ++run) {
        setenv("LANG", locales[run], 1);
        Launch();
        setenv("LANG", "C.UTF-8", 1); // as the test program starts
        ASSERT_TRUE(Capture());
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                pictures[run].push_back(ClientColour(x, y));
            }
        }
        ASSERT_EQ(EscapeAndWaitForExit(), 0) << locales[run];
    }
    const std::vector<Colour>& german = pictures[0];
    const std::vector<Colour>& english = pictures[1];
    EXPECT_TRUE(std::equal(german.begin(), german.begin() + 14 * kWidth, english.begin()))
        << "the frame line reads the same";
    // "Tab - Gelenk statisch/nicht statisch" and "F9 - Speichern" are far longer than
    // "Tab - Pin/unpin joint" and "F9 - Save"; "F8 - Laden" and "F8 - Load" about as long.
    EXPECT_GT(GreyInkRight(german, 36), GreyInkRight(english, 36) + 40);
    EXPECT_GT(GreyInkRight(german, 192), GreyInkRight(english, 192) + 15);
    EXPECT_GT(GreyInkRight(english, 180), 30);
    EXPECT_NEAR(GreyInkRight(german, 180), GreyInkRight(english, 180), 6);
    // The strip's second row, "Zwiebel zur\xfc" "ck: 1" against "Onion back: 1".
    EXPECT_FALSE(std::equal(german.begin() + 678 * kWidth, german.begin() + 690 * kWidth,
                            english.begin() + 678 * kWidth));
}
