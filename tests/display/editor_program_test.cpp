// The real editor program in a real X window: started with a file path it shows the scene and the
// overlay, builds a joint where the pointer is when the key 1 is pressed, and ends with exit code
// 0 on Escape; the window's close box does not end it. Pointer and keys are driven with xdotool,
// and each key and button stays down until the picture shows that the editor has seen it.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
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
constexpr Colour kStatusRed{255, 0, 0};
constexpr Colour kRubberBand{255, 255, 255};
constexpr Colour kWhite{255, 255, 255}; // the pen's second colour

Colour ColourOf(uint32_t pixel) {
    return Colour{static_cast<int>(pixel >> 16 & 0xFF), static_cast<int>(pixel >> 8 & 0xFF),
                  static_cast<int>(pixel & 0xFF)};
}

constexpr const char* kTitle = "Limbrado Tool by Orvelin_";
constexpr int kWidth = 800;
constexpr int kHeight = 700; // the scene and the timeline strip below it

// Holds `key` down until the chooser titled `title` is there, types the file's name into its
// location line (opened with Ctrl+L in the same stream of keys, so no typed key can go elsewhere)
// and presses Return until it has gone: a name the folder holds pops up as a completion, which the
// first Return may only take. The chooser opens in the file's folder, so the name alone answers
// it; a whole path would have the location line list every folder on its way for completion, and
// GTK at times loses some of those lists' names when the next folder replaces one, a leak that
// fails a sanitizer run. True once the chooser has taken the answer.
bool AnswerChooser(const std::string& key, const std::string& title, const std::string& file) {
    std::string typed = std::filesystem::path(file).filename().string();
    RunCommand("xdotool keydown " + key);
    unsigned long chooser = 0;
    for (int attempt = 0; attempt < 100 && chooser == 0; ++attempt) {
        std::this_thread::sleep_for(100ms);
        chooser = FindWindowByTitle(title);
    }
    RunCommand("xdotool keyup " + key);
    // A chooser not yet shown refuses the focus; it takes it once it is on the screen.
    int refused = 1;
    for (int attempt = 0; attempt < 50 && chooser != 0 && refused != 0; ++attempt) {
        RunCommand("timeout 5 xdotool windowfocus --sync " + std::to_string(chooser) +
                       " 2>/dev/null",
                   &refused);
        if (refused != 0) {
            std::this_thread::sleep_for(100ms);
        }
    }
    RunCommand("xdotool windowfocus --sync " + std::to_string(chooser) +
               " key ctrl+l ctrl+a type --delay 20 '" + typed + "'");
    for (int press = 0; press < 5 && chooser != 0 && FindWindowByTitle(title) != 0; ++press) {
        RunCommand("timeout 5 xdotool windowfocus --sync " + std::to_string(chooser) +
                   " key Return 2>/dev/null");
        for (int attempt = 0; attempt < 20 && FindWindowByTitle(title) != 0; ++attempt) {
            std::this_thread::sleep_for(100ms);
        }
    }
    return chooser != 0 && FindWindowByTitle(title) == 0;
}

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
            int code = HoldEscapeUntilExit(4);
            if (code != -1) {
                return code;
            }
        }
        return -1;
    }
    // Escape held until the program has ended, for up to `seconds`; its exit status, or -1.
    int HoldEscapeUntilExit(int seconds) {
        RunCommand("xdotool keydown Escape");
        int code = WaitForExit(seconds);
        RunCommand("xdotool keyup Escape");
        return code;
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
    // Captures until the picture passes the check, for up to ten seconds.
    bool WaitForPicture(const std::function<bool()>& check) {
        for (int attempt = 0; attempt < 50; ++attempt) {
            if (Capture() && check()) {
                return true;
            }
            std::this_thread::sleep_for(200ms);
        }
        return false;
    }
    bool WaitForColour(int x, int y, Colour colour) {
        return WaitForPicture([&] { return ClientColour(x, y) == colour; });
    }
    // Whether the status line stands at the top left, in red over the scene.
    bool StatusShown() const {
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 120; ++x) {
                if (ClientColour(x, y) == kStatusRed) {
                    return true;
                }
            }
        }
        return false;
    }
    // The key (or chord) stays down until the client pixel shows the colour, so that the editor
    // has seen it whatever its cycles take; whether the colour came.
    bool PressKeyUntilColour(const std::string& key, int x, int y, Colour colour) {
        RunCommand("xdotool keydown " + key);
        bool shown = WaitForColour(x, y, colour);
        RunCommand("xdotool keyup " + key);
        return shown;
    }
    // A button held while the pointer goes from a joint at `from` to `to`: a first step to `step`,
    // within the joint's reach wherever the editor first sees the press, until the picture shows
    // the gesture under way at `startedAt`; the button comes up once it shows that the editor
    // follows the pointer to `to` (`arrived` at `arrivedAt`).
    struct Point {
        int x;
        int y;
    };
    struct Gesture {
        int button;
        Point from, step, to;
        Point startedAt;
        Colour started;
        Point arrivedAt;
        Colour arrived;
    };
    bool Drag(const Gesture& gesture) {
        MovePointer(gesture.from.x, gesture.from.y);
        RunCommand("xdotool mousedown " + std::to_string(gesture.button));
        MovePointer(gesture.step.x, gesture.step.y);
        bool started = WaitForColour(gesture.startedAt.x, gesture.startedAt.y, gesture.started);
        MovePointer(gesture.to.x, gesture.to.y);
        bool arrived =
            started && WaitForColour(gesture.arrivedAt.x, gesture.arrivedAt.y, gesture.arrived);
        RunCommand("xdotool mouseup " + std::to_string(gesture.button));
        return arrived;
    }
    // The left button drags the joint at `from` to `to`; the joint follows the pointer.
    bool DragJoint(Point from, Point to) {
        Point step{from.x + 10, from.y};
        return Drag({.button = 1,
                     .from = from,
                     .step = step,
                     .to = to,
                     .startedAt = step,
                     .started = kJointGreen,
                     .arrivedAt = to,
                     .arrived = kJointGreen});
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
    EXPECT_TRUE(PressKeyUntilColour("1", 300, 330, kJointGreen))
        << "found " << ClientColour(300, 330);
    EXPECT_EQ(ClientColour(303, 330), kJointGreen);
    EXPECT_EQ(ClientColour(300, 327), kJointGreen);
    EXPECT_EQ(ClientColour(310, 330), kBackground);
}

TEST_F(EditorProgram, CloseBoxIsIgnoredAndEscapeEndsTheProgramWithExitCodeZero) {
    ASSERT_TRUE(SendCloseRequest(window));
    EXPECT_EQ(WaitForExit(1), -1);
    EXPECT_NE(FindWindowByTitle(kTitle), 0u);

    EXPECT_EQ(HoldEscapeUntilExit(10), 0);
}

// Saved with F9, the figure is there again after a restart on the same path, with the backup of
// the last exit beside it; F10's message box is answered and the export lies beside it too. The
// paths hold letters beyond ASCII and beyond code page 1252.
TEST_F(EditorProgram, SavedFigureComesBackAfterARestartAndFilesLieBesideIt) {
    ASSERT_EQ(HoldEscapeUntilExit(10), 0);
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
        ASSERT_TRUE(PressKeyUntilColour("1", 300, 330, kJointGreen)) << name;
        // F9 saves in every cycle it is down; the status line's pause takes no keys.
        RunCommand("xdotool keydown F9");
        bool saved = WaitForPicture([this] { return StatusShown(); });
        RunCommand("xdotool keyup F9");
        ASSERT_TRUE(saved) << name << ": no status line";
        ASSERT_TRUE(WaitForPicture([this] { return !StatusShown(); })) << name;
        // F10 stays down until the message box is there.
        RunCommand("xdotool keydown F10");
        unsigned long box = 0;
        for (int attempt = 0; attempt < 50 && box == 0; ++attempt) {
            std::this_thread::sleep_for(200ms);
            box = FindWindowByTitle("Ok");
        }
        RunCommand("xdotool keyup F10");
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
        ASSERT_TRUE(PressKeyUntilColour("1", 300, y, kJointGreen));
    }
    // The rubber band runs from the upper joint to the pointer.
    ASSERT_TRUE(Drag({.button = 3,
                      .from = {300, 300},
                      .step = {300, 330},
                      .to = {300, 400},
                      .startedAt = {300, 320},
                      .started = kRubberBand,
                      .arrivedAt = {300, 390},
                      .arrived = kRubberBand}))
        << "found " << ClientColour(300, 390);
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
    EXPECT_TRUE(PressKeyUntilColour("Insert", cellBone(1), 632, kLime)) << "the copy in frame 1";
    EXPECT_EQ(ClientColour(66 + 3, 620), kLime) << "frame 1 is current";
    EXPECT_TRUE(PressKeyUntilColour("BackSpace", cellBone(1), 632, kBackground))
        << "frame 1 deleted";
    EXPECT_TRUE(PressKeyUntilColour("ctrl+z", cellBone(1), 632, kLime)) << "frame 1 back";
}

// The pen made white, 6 pixels thick and a circle with F, keypad + and K, and applied with A to
// the bone under the pointer: the bone becomes the white ring on it as its diameter. Saved with
// F9, the same picture comes back in a fresh start.
TEST_F(EditorProgram, StyledBoneIsShownSavedAndShownAgainAfterARestart) {
    // A bone from (500, 300) to (500, 400), right of the command list.
    for (int y : {300, 400}) {
        MovePointer(500, y);
        ASSERT_TRUE(PressKeyUntilColour("1", 500, y, kJointGreen));
    }
    ASSERT_TRUE(Drag({.button = 3,
                      .from = {500, 300},
                      .step = {500, 330},
                      .to = {500, 400},
                      .startedAt = {500, 320},
                      .started = kRubberBand,
                      .arrivedAt = {500, 390},
                      .arrived = kRubberBand}));
    ASSERT_TRUE(WaitForColour(500, 350, kLime)) << "found " << ClientColour(500, 350);
    // The pen's value on its help line, from x 70, 12 pixels high from 24 + 12 * line.
    auto value = [this](int line) {
        std::vector<Colour> area;
        for (int y = 24 + 12 * line; y < 36 + 12 * line; ++y) {
            for (int x = 70; x < 130; ++x) {
                area.push_back(ClientColour(x, y));
            }
        }
        return area;
    };
    auto pressUntilValueChanges = [&](const std::string& key, int line) {
        std::vector<Colour> before = value(line);
        RunCommand("xdotool keydown " + key);
        bool changed = WaitForPicture([&] { return value(line) != before; });
        RunCommand("xdotool keyup " + key);
        return changed;
    };
    EXPECT_TRUE(PressKeyUntilColour("f", 75, 24 + 12 * 27 + 5, kWhite)) << "the swatch";
    for (int step = 0; step < 5; ++step) { // 1, 2, 3, 4, 5, 6
        ASSERT_TRUE(pressUntilValueChanges("KP_Add", 28)) << "step " << step;
    }
    ASSERT_TRUE(pressUntilValueChanges("k", 29));
    EXPECT_EQ(ClientColour(550, 350), kBackground) << "the pen alone restyles nothing";

    MovePointer(500, 350);
    ASSERT_TRUE(PressKeyUntilColour("a", 550, 350, kWhite)) << "found " << ClientColour(550, 350);
    EXPECT_EQ(ClientColour(500, 350), kBackground) << "the line gave way to the ring";
    // Across the ring's right side, the run of full white is its thickness less the soft edges.
    auto whiteRun = [this](int y) {
        int run = 0;
        for (int x = 530; x < 570; ++x) {
            run += ClientColour(x, y) == kWhite;
        }
        return run;
    };
    EXPECT_GE(whiteRun(350), 4);
    EXPECT_LE(whiteRun(350), 6);
    EXPECT_EQ(ClientColour(540, 350), kBackground);
    EXPECT_EQ(ClientColour(560, 350), kBackground);
    auto scene = [this] {
        std::vector<Colour> area;
        for (int y = 290; y < 410; ++y) {
            for (int x = 440; x < 560; ++x) {
                area.push_back(ClientColour(x, y));
            }
        }
        return area;
    };
    std::vector<Colour> styled = scene();

    RunCommand("xdotool keydown F9");
    bool saved = WaitForPicture([this] { return StatusShown(); });
    RunCommand("xdotool keyup F9");
    ASSERT_TRUE(saved) << "no status line";
    ASSERT_TRUE(WaitForPicture([this] { return !StatusShown(); }));
    ASSERT_EQ(EscapeAndWaitForExit(), 0);

    Launch();
    ASSERT_TRUE(WaitForColour(550, 350, kWhite)) << "found " << ClientColour(550, 350);
    EXPECT_TRUE(scene() == styled) << "the styled bone looks as before the restart";
}

// G saves the figure under the pointer (a lone joint) through the real file chooser, which opens in
// the library folder the editor makes, its name typed in; O inserts it again on the pointer.
TEST_F(EditorProgram, FigureIsSavedWithGAndInsertedWithOThroughTheFileChooser) {
    ASSERT_EQ(EscapeAndWaitForExit(), 0);
    std::string data = ProcessTempPath("display_figure_data");
    std::filesystem::remove_all(data);
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    Launch();
    unsetenv("XDG_DATA_HOME");
    MovePointer(300, 330);
    ASSERT_TRUE(PressKeyUntilColour("1", 300, 330, kJointGreen));
    std::string figure = data + "/limbrado/figures/lone.txt";
    ASSERT_TRUE(AnswerChooser("g", "Figur speichern", figure)) << "the save chooser";
    for (int attempt = 0; attempt < 50 && SizeOf(figure) != 15u; ++attempt) {
        std::this_thread::sleep_for(100ms);
    }
    ASSERT_EQ(SizeOf(figure), 15u) << "the header and one joint";
    MovePointer(500, 330);
    ASSERT_TRUE(AnswerChooser("o", "Figur einf.*gen", figure)) << "the insert chooser";
    EXPECT_TRUE(WaitForColour(500, 330, kJointGreen)) << "found " << ClientColour(500, 330);
    EXPECT_EQ(ClientColour(300, 330), kJointGreen) << "the saved one stays";
    std::filesystem::remove_all(data);
}

// A figure of three joints and two bones moved whole with the middle button, mirrored with M
// about its centre, copied with C 20 pixels right of and below it, and the copy deleted with L.
TEST_F(EditorProgram, FigureIsMovedWithTheMiddleButtonMirroredCopiedAndTheCopyDeleted) {
    for (Point joint : {Point{450, 250}, Point{450, 350}, Point{490, 350}}) {
        MovePointer(joint.x, joint.y);
        ASSERT_TRUE(PressKeyUntilColour("1", joint.x, joint.y, kJointGreen));
    }
    // The rubber band shows behind the pointer, on its way from the joint.
    auto bone = [this](Point from, Point step, Point to, Point back) {
        return Drag({.button = 3,
                     .from = from,
                     .step = step,
                     .to = to,
                     .startedAt = {step.x - back.x, step.y - back.y},
                     .started = kRubberBand,
                     .arrivedAt = {to.x - back.x, to.y - back.y},
                     .arrived = kRubberBand});
    };
    ASSERT_TRUE(bone({450, 250}, {450, 290}, {450, 350}, {0, 10}));
    ASSERT_TRUE(bone({450, 350}, {470, 350}, {490, 350}, {10, 0}));
    ASSERT_TRUE(WaitForColour(450, 300, kLime)) << "found " << ClientColour(450, 300);

    ASSERT_TRUE(Drag({.button = 2,
                      .from = {450, 250},
                      .step = {460, 250},
                      .to = {510, 250},
                      .startedAt = {460, 250},
                      .started = kJointGreen,
                      .arrivedAt = {510, 250},
                      .arrived = kJointGreen}));
    ASSERT_TRUE(WaitForColour(510, 300, kLime)) << "the bones go with the figure";
    EXPECT_EQ(ClientColour(450, 300), kBackground);

    // Joints at x 510, 510 and 550: the centre's x 523 1/3 rounds the mirror line to 523 1/2.
    MovePointer(510, 255);
    ASSERT_TRUE(PressKeyUntilColour("m", 537, 300, kLime)) << "found " << ClientColour(537, 300);
    EXPECT_EQ(ClientColour(545, 350), kBackground);
    EXPECT_EQ(ClientColour(505, 350), kLime);

    MovePointer(537, 255);
    ASSERT_TRUE(PressKeyUntilColour("c", 557, 320, kLime)) << "found " << ClientColour(557, 320);

    MovePointer(557, 270);
    ASSERT_TRUE(PressKeyUntilColour("l", 557, 320, kBackground));
    EXPECT_EQ(ClientColour(537, 300), kLime) << "the original stays";
    EXPECT_EQ(ClientColour(557, 270), kBackground);
}

// On a screen large enough the window opens at twice the picture's size, and a joint is dragged
// through the scaled picture as at 1:1. Run on its own large screen (display_tests_large_screen).
TEST_F(EditorProgram, LargeScreenOpensAtAMultipleAndAJointIsDraggedThroughIt) {
    if (scale < 2) {
        GTEST_SKIP() << "the screen holds no window of twice the size";
    }
    EXPECT_EQ(client.width, 2 * kWidth);
    MovePointer(300, 330);
    ASSERT_TRUE(PressKeyUntilColour("1", 300, 330, kJointGreen));
    EXPECT_TRUE(DragJoint({300, 330}, {420, 250})) << "found " << ClientColour(420, 250);
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
    ASSERT_TRUE(PressKeyUntilColour("1", 300, 330, kJointGreen));
    ASSERT_TRUE(DragJoint({300, 330}, {420, 330})) << "found " << ClientColour(420, 330);
    ASSERT_TRUE(WaitForColour(420, 330, kJointGreen)) << "found " << ClientColour(420, 330);
    // xdotool types the letters where the layout has them; either Ctrl key will do.
    EXPECT_TRUE(PressKeyUntilColour("ctrl+z", 300, 330, kJointGreen))
        << "found " << ClientColour(300, 330);
    EXPECT_EQ(ClientColour(420, 330), kBackground);
    EXPECT_TRUE(PressKeyUntilColour("Control_R+y", 420, 330, kJointGreen))
        << "found " << ClientColour(420, 330);
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

// Key U opens the real file chooser in the animation's folder, here one of its own beside the clip;
// the clip typed into its location line comes in as a figure of a hip, a knee and a foot in the 41
// frames of its second at the rate of 40, which F9 then saves: the header and 3 joint and 2 bone
// records in each of the 41 frames.
TEST_F(EditorProgram, KeyUImportsTheClipWhosePathIsTypedIntoTheFileChooser) {
    ASSERT_EQ(EscapeAndWaitForExit(), 0);
    std::string folder = ProcessTempPath("display_clip_import");
    std::filesystem::remove_all(folder);
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    path = folder + "/session.txt";
    Launch();
    std::string clip = folder + "/walk.bvh";
    std::FILE* file = std::fopen(clip.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("HIERARCHY ROOT Hips { OFFSET 0 0 0 CHANNELS 3 Xposition Yposition Zposition JOINT "
               "Knee { OFFSET 0 -10 0 CHANNELS 1 Xrotation End Site { OFFSET 0 -10 0 } } } "
               "MOTION Frames: 2 Frame Time: 1 0 20 0 -50 10 20 0 50\n",
               file);
    ASSERT_EQ(std::fclose(file), 0);

    ASSERT_TRUE(AnswerChooser("u", "Bewegung importieren", clip)) << "the import chooser";
    // F9 saves in every cycle it is down: it stays down until the file holds the clip.
    RunCommand("timeout 5 xdotool windowfocus --sync " + std::to_string(window));
    RunCommand("xdotool keydown F9");
    for (int attempt = 0; attempt < 100 && SizeOf(path) != 7u + 41 * 5 * 8; ++attempt) {
        std::this_thread::sleep_for(100ms);
    }
    RunCommand("xdotool keyup F9");
    EXPECT_EQ(SizeOf(path), 7u + 41 * 5 * 8);
    ASSERT_EQ(EscapeAndWaitForExit(), 0);
    std::filesystem::remove_all(folder);
}
