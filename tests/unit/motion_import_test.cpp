// Importing a clip into the editor and into a file: key U through the file chooser as one undo
// step, told on the status line, a file that is no clip changing nothing; and --import-bvh,
// which creates or extends the animation file at the rate asked for, from the time asked for,
// and leaves the file as it was whenever it fails.
#include "editor/motion_import.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "editor/undo_history.h"
#include "runtime/drawing.h"
#include "runtime/heaps.h"
#include "storage/animation_file.h"
#include "storage/numbered_files.h"
#include "storage/text.h"
#include "support/scripted_session.h"

namespace {

// A hip that walks to the right and a leg that swings, one second at 100 frames a second.
std::string WalkingClip() {
    std::string text = "HIERARCHY\nROOT Hips\n{\n OFFSET 0 0 0\n CHANNELS 6 Xposition "
                       "Yposition Zposition Zrotation Xrotation Yrotation\n JOINT Leg\n {\n"
                       "  OFFSET 0 -10 0\n  CHANNELS 3 Zrotation Xrotation Yrotation\n"
                       "  End Site\n  {\n   OFFSET 0 -10 0\n  }\n }\n}\n"
                       "MOTION\nFrames: 101\nFrame Time: 0.01\n";
    for (int frame = 0; frame <= 100; ++frame) {
        text += std::to_string(frame * 0.2) + " 20 0 0 0 0 " + std::to_string(frame * 0.5 - 25) +
                " 0 0\n";
    }
    return text;
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}
std::string FileText(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// The red pixels of the status line in the last picture that showed one.
std::vector<std::size_t> RedLine(const HeadlessFrame& picture) {
    std::vector<std::size_t> red;
    for (std::size_t index = 0; index < 16u * static_cast<std::size_t>(picture.width); ++index) {
        if (picture.pixels[index] == 0xFF0000) {
            red.push_back(index);
        }
    }
    return red;
}

class MotionImport : public ScriptedSession {
  protected:
    void SetUp() override {
        ScriptedSession::SetUp();
        HeadlessKeepFrames(8);
        clip = StemOf(path) + ".bvh";
        WriteFile(clip, WalkingClip());
    }
    void TearDown() override {
        std::remove(clip.c_str());
        ScriptedSession::TearDown();
    }
    static std::vector<std::size_t> LastStatusLine() {
        for (auto picture = HeadlessFrames().rbegin(); picture != HeadlessFrames().rend();
             ++picture) {
            if (std::vector<std::size_t> red = RedLine(*picture); !red.empty()) {
                return red;
            }
        }
        return {};
    }
    static std::vector<std::size_t> StatusLineOf(const char* text) {
        SurfaceClear(0);
        DrawingBegin(SurfaceDrawTarget());
        DrawingSetMode(DrawingTransparentText);
        DrawTextAt(1, 1, text, PackColour(255, 0, 0));
        DrawingEnd();
        PresentSurface();
        return RedLine(HeadlessFrames().back());
    }
    static std::vector<int32_t> JointsPerFrame() {
        std::vector<int32_t> counts;
        for (int32_t frame = 0; frame <= editor.maxFrame; ++frame) {
            counts.push_back(UsedJoints(frame));
        }
        return counts;
    }
    std::string clip;
};

TEST_F(MotionImport, UPlacesTheChosenClipFromTheCurrentFrameAsOneUndoStep) {
    PlaceJoint(300, 300);
    Tap(ScanF7); // frame 1, a copy of frame 0
    std::vector<int32_t> before = JointsPerFrame();
    std::size_t steps = UndoStepCount();

    HeadlessQueueFileAnswer(clip);
    Tap(ScanU);
    ASSERT_EQ(HeadlessRequests().size(), 1u);
    EXPECT_EQ(HeadlessRequests()[0].title, "Bewegung importieren");
    EXPECT_EQ(HeadlessRequests()[0].filters[0], "*.bvh|*.bvh");
    EXPECT_EQ(LastStatusLine(), StatusLineOf("Bewegung importiert: 41 Bilder"));
    // One second at the rate of 40: frames 1 to 41, the hip, the knee and the foot in each.
    std::vector<int32_t> after = JointsPerFrame();
    for (int32_t frame = 0; frame <= editor.maxFrame; ++frame) {
        EXPECT_EQ(after[frame], before[frame] + (frame >= 1 && frame <= 41 ? 3 : 0)) << frame;
    }
    EXPECT_EQ(JointAt(1, 0).x, 300) << "the figure there keeps its slot";
    EXPECT_GT(JointAt(41, 1).x, JointAt(1, 1).x) << "the hip walks to the right";
    EXPECT_EQ(UndoStepCount(), steps + 1);

    Hold(ScanLeftCtrl);
    Tap(ScanZ);
    EXPECT_EQ(JointsPerFrame(), before);
    Tap(ScanY);
    Release(ScanLeftCtrl);
    Cycle();
    EXPECT_EQ(JointsPerFrame(), after);
}

TEST_F(MotionImport, AFileThatIsNoClipOrACancelChangesNothing) {
    PlaceJoint(300, 300);
    std::vector<int32_t> before = JointsPerFrame();
    std::size_t steps = UndoStepCount();
    WriteFile(clip, WalkingClip().substr(0, 600)); // cut short
    HeadlessQueueFileAnswer(clip);
    Tap(ScanU);
    EXPECT_EQ(LastStatusLine(), StatusLineOf("Keine Bewegung lesbar"));
    HeadlessQueueFileAnswer("");
    Tap(ScanU);
    EXPECT_EQ(HeadlessRequests().size(), 2u);
    EXPECT_EQ(JointsPerFrame(), before);
    EXPECT_EQ(UndoStepCount(), steps);
}

// Runs the program on the arguments; the exit code and the first line on standard error.
std::pair<int, std::string> RunImport(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "limbrado");
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    testing::internal::CaptureStderr();
    int code = RunProgram(static_cast<int>(argv.size()), argv.data());
    std::string errors = testing::internal::GetCapturedStderr();
    return {code, errors.substr(0, errors.find('\n'))};
}

// What the file holds: the last frame with joints, joints in frame 0, and the rate.
struct Stored {
    int32_t lastFrame;
    int32_t joints;
    int32_t rate;
};
Stored Load(const std::string& path) {
    StringHeapInit();
    TextWorkBufferInit();
    FileTableInit();
    EditorStateInit();
    AssignString(&editor.basePath, path.c_str());
    EXPECT_EQ(LoadAnimation(), 1) << path;
    int32_t last = 0;
    for (int32_t frame = 0; frame <= editor.maxFrame; ++frame) {
        last = FrameHasJoints(frame, 0) ? frame : last;
    }
    int32_t joints = 0;
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        joints += JointAt(0, slot).state != JointEmpty;
    }
    Stored stored{last, joints, editor.playbackRate};
    FileTableShutdown();
    return stored;
}

TEST(MotionImportCommand, TheClipJoinsTheAnimationFileAtItsRateFromItsStart) {
    std::string folder = testing::TempDir() + "import_" + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    std::string clip = folder + "/walk.bvh", animation = folder + "/walk.txt";
    WriteFile(clip, WalkingClip());
    std::filesystem::remove(animation);
    // A new animation at its rate of 40; a second figure at 25 frames a second from 0.5 s (13
    // frames, which the first one's 41 still outlast); a third seen from the side at 25.
    const struct {
        std::vector<std::string> options;
        Stored stored;
    } steps[] = {
        {{}, {40, 3, 40}},
        {{"--fps", "25", "--from", "0.5"}, {40, 6, 25}},
        {{"--view", "side"}, {40, 9, 25}},
    };
    for (const auto& step : steps) {
        std::vector<std::string> arguments = {"--import-bvh", clip, animation};
        arguments.insert(arguments.end(), step.options.begin(), step.options.end());
        EXPECT_EQ(RunImport(arguments), (std::pair<int, std::string>{0, ""}));
        Stored stored = Load(animation);
        EXPECT_EQ(stored.lastFrame, step.stored.lastFrame);
        EXPECT_EQ(stored.joints, step.stored.joints);
        EXPECT_EQ(stored.rate, step.stored.rate);
    }
    // Failures leave the file byte for byte.
    std::string saved = FileText(animation);
    WriteFile(folder + "/short.bvh", WalkingClip().substr(0, 700));
    const struct {
        std::vector<std::string> arguments;
        int code;
        std::string line;
    } failures[] = {
        {{"--import-bvh", folder + "/short.bvh", animation}, 1, "is not a motion clip"},
        {{"--import-bvh", folder + "/none.bvh", animation}, 1, "limbrado: cannot read"},
        {{"--import-bvh", clip, animation, "--from", "1.5"}, 1, "the clip ends before"},
        {{"--import-bvh", clip, animation, "--view", "top"}, 2, "--view takes front or side"},
        {{"--import-bvh", clip, animation, "--from", "-1"}, 2, "--from takes the seconds"},
        {{"--import-bvh", clip, animation, "--from", "1e3"}, 2, "not '1e3'"},
        {{"--import-bvh", clip, animation, "--fps", "0"}, 2, "--fps takes a whole number"},
        {{"--import-bvh", clip, animation, "--transparent"}, 2, "does not go with --import-bvh"},
        {{"--import-bvh", clip, animation, "--export-gif", "a.gif"},
         2,
         "--export-gif does not go with --import-bvh"},
        {{"--import-bvh", clip}, 2, "--import-bvh takes one animation, not 0"},
        {{"--import-bvh", "--fps", "5", animation}, 2, "takes the clip's path after it"},
        {{"--view", "side", animation}, 2, "--view is for the clip; it needs --import-bvh"},
    };
    for (const auto& failure : failures) {
        auto [code, line] = RunImport(failure.arguments);
        EXPECT_EQ(code, failure.code) << line;
        EXPECT_NE(line.find(failure.line), std::string::npos) << line;
        EXPECT_EQ(FileText(animation), saved) << line;
    }
    std::filesystem::remove_all(folder);
}

} // namespace
