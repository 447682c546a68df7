// Whole editor sessions on the headless backend: start-up with and without a file argument, the
// main loop's end on Escape (after that cycle was presented), close requests that change
// nothing, and a figure built with the mouse and keys as it appears in the presented pictures.
#include "editor/editor_main.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "runtime/fonts.h"
#include "runtime/surface.h"
#include "runtime/window.h"
#include "storage/text.h"
#include "support/editor_frames.h"
#include "support/scripted_session.h"

namespace {

constexpr uint32_t kGreenPixel = 0x00FF00;
constexpr uint32_t kLimePixel = 0xBBFF00;

uint32_t PixelOf(const HeadlessFrame& picture, int32_t x, int32_t y) {
    return picture.pixels[static_cast<size_t>(y * picture.width + x)];
}

using EditorSession = ScriptedSession;

TEST_F(EditorSession, StartsWithTheArgumentAsPathAndAnOpenWindowWithoutAsking) {
    EXPECT_TRUE(HeadlessRequests().empty());
    EXPECT_EQ(std::string(editor.session.basePath), path);
    EXPECT_EQ(HeadlessOpenWindowCount(), 1);
    EXPECT_EQ(HeadlessWindowTitle(), "Limbrado Tool by Orvelin_");
    EXPECT_EQ(SurfaceWidth(), 800);
    EXPECT_EQ(SurfaceHeight(), 700); // the scene and the timeline strip below it
    EXPECT_NE(FontHandle(editor.session.hudFont), 0);

    EXPECT_EQ(SettingsRow(), kStartSettings);
    EXPECT_EQ(editor.animation.box, (Box{200, 150, 600, 450}));
    for (int32_t frame = 0; frame <= editor.animation.maxFrame; ++frame) {
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            const Joint& joint = JointAt(frame, slot);
            const Bone& bone = BoneAt(frame, slot);
            ASSERT_TRUE(joint.state == JointEmpty && joint.x == -1 && joint.y == -1 &&
                        bone.jointA == -1 && bone.jointB == -1)
                << "frame " << frame << " slot " << slot;
        }
    }
}

TEST_F(EditorSession, EscapeEndsTheLoopAfterItsCycleWasDrawnAndPresented) {
    Cycles(3);
    int64_t before = HeadlessPresentCount();
    MoveCursor(250, 260);
    Hold(ScanKey1);
    Hold(ScanEscape);
    EXPECT_FALSE(Cycle());
    ASSERT_EQ(HeadlessPresentCount(), before + 1);
    // The joint made in that last cycle is in the last picture.
    EXPECT_EQ(PixelOf(HeadlessFrames().back(), 250, 260), kGreenPixel);
}

TEST_F(EditorSession, CloseRequestIsStoredAndIgnored) {
    int64_t before = HeadlessPresentCount();
    HeadlessQueueMessage(PlatformMessageCloseRequest);
    // Events queued earlier (opening, activation) may come first; the request arrives within a
    // few cycles, is stored, and the loop goes on.
    bool closeSeen = false;
    for (int cycle = 0; cycle < 5; ++cycle) {
        EXPECT_TRUE(Cycle());
        closeSeen = closeSeen || editor.session.lastWindowEvent == EventCloseRequest;
    }
    EXPECT_TRUE(closeSeen);
    EXPECT_EQ(HeadlessOpenWindowCount(), 1);
    EXPECT_EQ(HeadlessPresentCount(), before + 5);
}

TEST_F(EditorSession, FigureBuiltWithMouseAndKeysIsDrawnInEveryCycle) {
    PlaceJoint(300, 200);
    PlaceJoint(300, 300);
    MoveCursor(300, 200);
    SetButtons(kRightButton);
    Cycle();
    MoveCursor(310, 290);
    Cycle();
    SetButtons(0);
    Cycle();
    ASSERT_EQ(UsedBones(), 1);

    const HeadlessFrame& picture = HeadlessFrames().back();
    EXPECT_EQ(PixelOf(picture, 300, 200), kGreenPixel);
    EXPECT_EQ(PixelOf(picture, 300, 300), kGreenPixel);
    EXPECT_EQ(PixelOf(picture, 300, 250), kLimePixel);

    // Dragging the lower joint sideways swings the bone round the upper one.
    MoveCursor(300, 300);
    SetButtons(kLeftButton);
    Cycle();
    MoveCursor(420, 300);
    Cycles(30);
    SetButtons(0);
    Cycle();
    const Joint& upper = CurrentJoint(0);
    const Joint& lower = CurrentJoint(1);
    EXPECT_NEAR(std::hypot(lower.x - upper.x, lower.y - upper.y), 100.0, 3.0);
    EXPECT_GT(lower.x, 340);
    EXPECT_EQ(PixelOf(HeadlessFrames().back(), lower.x, lower.y), kGreenPixel);
}

// The frame number, the hover label and the box size are built in the text work buffer each
// cycle; a cycle that left them there would grow the buffer without end.
TEST_F(EditorSession, CycleWithEveryLabelShowingLeavesTheWorkBufferAsItFoundIt) {
    PlaceJoint(300, 300);
    MoveCursor(250, 260);
    Hold(ScanW);
    Cycle();
    MoveCursor(305, 310); // near the joint, and the box's far corner
    Cycle();
    ASSERT_EQ(editor.session.drawingBox, 1);
    const int32_t length = WorkBufferLength();
    Cycles(3);
    EXPECT_EQ(WorkBufferLength(), length);

    const std::vector<uint32_t>& pixels = HeadlessFrames().back().pixels;
    EXPECT_GT(std::count(pixels.begin(), pixels.end(), 0x646464u), 0); // the hover label
    EXPECT_GT(std::count(pixels.begin(), pixels.end(), 0xC8C8C8u), 0); // the box size
}

// The whole program, shutdown included, runs in a child process: its last step destroys the
// program heap, which the runtime's tables of this test process live in. The child reports what
// it saw on its error output.
TEST(EditorProgram, RunsCyclesUntilEscapeAndReturnsZero) {
    auto runProgram = [] {
        HeadlessReset();
        HeadlessKeepFrames(8);
        std::string program = "limbrado";
        std::string path = testing::TempDir() + "program_run.txt";
        char* argv[] = {program.data(), path.data(), nullptr};
        HeadlessInput idle;
        idle.cursorX = 400;
        idle.cursorY = 300;
        HeadlessCurrentInput() = idle;
        for (int cycle = 0; cycle < 4; ++cycle) {
            HeadlessQueueInput(idle);
        }
        HeadlessInput escape = idle;
        escape.keys[ScanEscape] = 0x80;
        HeadlessQueueInput(escape);
        HeadlessQueueInput(idle); // never reached: the loop ends on the cycle that saw Escape
        int code = EditorMain(2, argv);
        std::fprintf(stderr, "exit code %d, %lld frames, %d windows open\n", code,
                     static_cast<long long>(HeadlessPresentCount()), HeadlessOpenWindowCount());
        std::exit(code);
    };
    EXPECT_EXIT(runProgram(), testing::ExitedWithCode(0), "exit code 0, 6 frames, 0 windows open");
    std::filesystem::remove(testing::TempDir() + "program_run_autosave.txt"); // the exit's backup
}

// A start-up that cannot reach a display, or whose window or its surface is refused, names what
// is missing and opens nothing (the program's exit code and output are display tests).
TEST(EditorStartupFailure, NamesWhatIsMissingAndLeavesNoWindow) {
    struct FailureCase {
        PlatformFailure failure;
        bool withPath;
        const char* expected;
    };
    const FailureCase cases[] = {
        {PlatformFailureNoDisplay, true, "no display to show the window on"},
        {PlatformFailureNoDisplay, false, "no display to show the file chooser on"},
        {PlatformFailureWindowRefused, true, "the display refused the 800 x 700 window"},
        {PlatformFailureSurfaceRefused, true, "the window has no pixel surface"},
    };
    for (const FailureCase& entry : cases) {
        HeadlessReset();
        HeadlessFailWindows(entry.failure);
        std::string program = "limbrado";
        std::string path = testing::TempDir() + "failed_start.txt";
        char* argv[] = {program.data(), path.data(), nullptr};
        const char* problem = EditorStartup(entry.withPath ? 2 : 1, argv);
        ASSERT_NE(problem, nullptr) << entry.expected;
        EXPECT_NE(std::string(problem).find(entry.expected), std::string::npos) << problem;
        EXPECT_EQ(HeadlessOpenWindowCount(), 0) << entry.expected;
        EditorRelease();
    }
    HeadlessReset();
}

class EditorStartupWithoutArgument : public testing::Test {
  protected:
    void SetUp() override { HeadlessReset(); }
    // The shutdown backs a chosen file up beside it.
    void TearDown() override {
        EditorShutdown();
        std::filesystem::remove(testing::TempDir() + "chosen_walk_autosave.txt");
    }
    void Start() {
        char* argv[] = {program.data(), nullptr};
        EditorStartup(1, argv);
    }
    std::string program = "limbrado";
};

TEST_F(EditorStartupWithoutArgument, AsksForTheFileBesideTheProgram) {
    std::string chosen = testing::TempDir() + "chosen_walk.txt";
    HeadlessQueueFileAnswer(chosen);
    Start();
    ASSERT_EQ(HeadlessRequests().size(), 1u);
    const HeadlessRequest& request = HeadlessRequests()[0];
    EXPECT_FALSE(request.messageBox);
    EXPECT_EQ(request.title, "Ort zum Laden/Speichern");
    EXPECT_EQ(request.name, "limbrado.lmb");
    std::filesystem::path programFolder =
        std::filesystem::read_symlink("/proc/self/exe").parent_path();
    EXPECT_EQ(std::filesystem::path(request.folder) / "", programFolder / "");
    EXPECT_EQ(std::string(editor.session.basePath), chosen);
    EXPECT_EQ(HeadlessOpenWindowCount(), 1);
}

TEST_F(EditorStartupWithoutArgument, CancelledDialogLeavesThePathEmptyAndTheEditorRuns) {
    HeadlessQueueFileAnswer("");
    Start();
    EXPECT_EQ(StringLength(editor.session.basePath), 0);
    HeadlessSetCursor(100, 100);
    HeadlessSetKey(ScanKey1, true);
    EXPECT_TRUE(RunEditorCycle());
    EXPECT_EQ(JointAt(0, 0).state, JointNormal);
}

} // namespace
