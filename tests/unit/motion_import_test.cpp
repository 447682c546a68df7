// Key U through the file chooser as one undo step told on the status line (a cancel or no clip
// changing nothing), and --import-bvh creating or extending the file at the rate and time asked
// for, never replacing the clip or a file of another kind, leaving every file as it was whenever it
// fails.
#include "editor/motion_import.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <numeric>

#include "editor/undo_history.h"
#include "runtime/heaps.h"
#include "storage/animation_file.h"
#include "storage/message_text.h"
#include "storage/numbered_files.h"
#include "support/editor_frames.h"
#include "support/program_run.h"
#include "support/scripted_session.h"
#include "support/status_lines.h"
#include "support/test_folder.h"

namespace {

// A hip that walks to the right and a leg that swings, in one second between two clip frames.
const std::string kWalkingClip =
    "HIERARCHY ROOT Hips { OFFSET 0 0 0 CHANNELS 6 Xposition Yposition Zposition Zrotation "
    "Xrotation Yrotation JOINT Leg { OFFSET 0 -10 0 CHANNELS 3 Zrotation Xrotation Yrotation "
    "End Site { OFFSET 0 -10 0 } } } MOTION Frames: 2 Frame Time: 1\n"
    "0 20 0 0 0 0 -50 0 0\n20 20 0 0 0 0 50 0 0\n";
void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class MotionImport : public ScriptedSession {};

// The status line that the last key showed, as the red pixels of its picture.
std::vector<std::size_t> LastStatusLine() {
    for (auto picture = HeadlessFrames().rbegin(); picture != HeadlessFrames().rend(); ++picture) {
        if (std::vector<std::size_t> red = RedLine(*picture); !red.empty()) {
            return red;
        }
    }
    return {};
}

TEST_F(MotionImport, UPlacesTheChosenClipFromTheCurrentFrameAsOneUndoStep) {
    HeadlessKeepFrames(8);
    std::string clip = StemOf(path) + ".bvh";
    auto JointsPerFrame = [] {
        std::vector<int32_t> counts;
        for (int32_t frame = 0; frame <= editor.animation.maxFrame; ++frame) {
            counts.push_back(UsedJoints(frame));
        }
        return counts;
    };
    PlaceJoint(300, 300);
    Tap(ScanF7); // frame 1, a copy of frame 0
    std::vector<int32_t> before = JointsPerFrame();
    std::size_t steps = UndoStepCount();
    // A cancel, then a clip cut short: nothing changes.
    HeadlessQueueFileAnswer("");
    Tap(ScanU);
    WriteFile(clip, kWalkingClip.substr(0, kWalkingClip.size() - 8));
    HeadlessQueueFileAnswer(clip);
    Tap(ScanU);
    EXPECT_EQ(LastStatusLine(), StatusLineOf("Keine Bewegung lesbar"));
    EXPECT_EQ(JointsPerFrame(), before);
    EXPECT_EQ(UndoStepCount(), steps);

    WriteFile(clip, kWalkingClip);
    HeadlessQueueFileAnswer(clip);
    Tap(ScanU);
    ASSERT_EQ(HeadlessRequests().size(), 3u);
    EXPECT_EQ(HeadlessRequests()[2].title, "Bewegung importieren");
    EXPECT_EQ(HeadlessRequests()[2].filters[0], "*.bvh|*.bvh");
    EXPECT_EQ(LastStatusLine(), StatusLineOf("Bewegung importiert: 41 Bilder"));
    // One second at the rate of 40: frames 1 to 41, the hip, the knee and the foot in each.
    std::vector<int32_t> after = JointsPerFrame();
    for (int32_t frame = 0; frame <= editor.animation.maxFrame; ++frame) {
        EXPECT_EQ(after[frame], before[frame] + (frame >= 1 && frame <= 41 ? 3 : 0)) << frame;
    }
    EXPECT_EQ(editor.animation.playbackEnd, 41) << "playback and the exports reach its end";
    EXPECT_EQ(JointAt(1, 0).x, 300) << "the figure there keeps its slot";
    EXPECT_EQ(JointAt(2, 0).state, JointEmpty) << "the slots free in all the frames";
    EXPECT_EQ(UndoStepCount(), steps + 1);
    Hold(ScanLeftCtrl);
    Tap(ScanZ);
    EXPECT_EQ(JointsPerFrame(), before);
    Tap(ScanY);
    Release(ScanLeftCtrl);
    EXPECT_EQ(JointsPerFrame(), after);
    std::remove(clip.c_str());
}

// The program's exit code and the first line on standard error.
std::pair<int, std::string> RunImport(const std::vector<std::string>& arguments) {
    ProgramRun run = RunWith(arguments);
    return {run.code, run.errors.substr(0, run.errors.find('\n'))};
}

// The file's last frame with joints, its joints in frame 0, and its rate.
std::array<int32_t, 3> Stored(const std::string& path) {
    StringHeapInit();
    TextWorkBufferInit();
    FileTableInit();
    EditorStateInit();
    AssignString(&editor.session.basePath, path.c_str());
    EXPECT_EQ(LoadAnimation(), 1) << path;
    int32_t last = 0;
    for (int32_t frame = 0; frame <= editor.animation.maxFrame; ++frame) {
        last = FrameHasJoints(editor.animation, frame, 0) ? frame : last;
    }
    int32_t joints = 0;
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        joints += JointAt(0, slot).state != JointEmpty;
    }
    FileTableShutdown();
    return {last, joints, editor.animation.playbackRate};
}

TEST(MotionImportCommand, TheClipJoinsTheAnimationFileAtItsRateFromItsStart) {
    std::string folder = testing::TempDir() + "import_" + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    std::string clip = folder + "/walk.bvh", animation = folder + "/walk.txt";
    WriteFile(clip, kWalkingClip);
    std::filesystem::remove(animation);
    // A new animation at the rate of 40 (frames 0 to 40); a second figure at 25 frames a second
    // from the side from 0.5 s (13 frames), which sets the rate.
    const std::pair<std::vector<std::string>, std::array<int32_t, 3>> steps[] = {
        {{}, {40, 3, 40}},
        {{"--fps", "25", "--from", "0.5", "--view", "side"}, {40, 6, 25}},
    };
    for (const auto& [options, stored] : steps) {
        std::vector<std::string> arguments = {"--import-bvh", clip, animation};
        arguments.insert(arguments.end(), options.begin(), options.end());
        EXPECT_EQ(RunImport(arguments), (std::pair<int, std::string>{0, ""}));
        EXPECT_EQ(Stored(animation), stored);
    }
    WriteFile(folder + "/short.bvh", kWalkingClip.substr(0, 150));
    WriteFile(folder + "/run.bvh", kWalkingClip);
    const char gif[] = "GIF89a\1\0\1\0\x80\0\0\0\0\0\xFF\xFF\xFF,\0\0\0\0\1\0\1\0\0\2\2D\1\0;";
    WriteFile(folder + "/walk.gif", std::string(gif, sizeof gif - 1));
    const std::tuple<std::vector<std::string>, int, std::string> failures[] = {
        {{"--import-bvh", folder + "/short.bvh", animation}, 1, "is not a motion clip"},
        {{"--import-bvh", clip, clip}, 1, Quoted(clip) + " is the clip itself"},
        {{"--import-bvh", clip, folder + "/run.bvh"}, 1, "run.bvh' is not an animation"},
        {{"--import-bvh", clip, folder + "/walk.gif"}, 1, "walk.gif' is not an animation"},
        {{"--import-bvh", folder, animation}, 1, "cannot read"},
        {{"--import-bvh", folder + "/walk.gif", animation},
         1,
         "HIERARCHY expected, not 'GIF89a\\x01\\x00\\x01\\x00\\x80\\x00"},
        {{"--import-bvh", clip, animation, "--from", "1.5"}, 1, "the clip ends before"},
        {{"--import-bvh", clip, animation, "--view", "top"}, 2, "--view takes front or side"},
        {{"--view", "side", animation}, 2, "--view is for the clip; it needs --import-bvh"},
    };
    const std::map<std::string, std::string> before = FolderContents(folder);
    std::string controls(32, '\0');
    std::iota(controls.begin(), controls.end(), '\0');
    for (const auto& [arguments, code, line] : failures) {
        auto run = RunImport(arguments);
        EXPECT_EQ(run.first, code) << run.second;
        EXPECT_NE(run.second.find(line), std::string::npos) << run.second;
        EXPECT_EQ(run.second.find_first_of(controls + '\x7f'), std::string::npos) << run.second;
        EXPECT_TRUE(FolderContents(folder) == before) << "every file stays as it was: " << line;
    }
    std::filesystem::remove_all(folder);
}

// The system's calls failing as they would for a clip the user may not read, a folder that takes
// no new file, a read-only or a full disk: the message says which, and no file changes.
TEST(MotionImportCommand, AFailedSystemCallIsToldInTheUsersWords) {
    std::string folder = MakeTestFolder("import");
    std::string clip = folder + "/unread.bvh", animation = folder + "/walk.txt";
    WriteFile(clip, kWalkingClip);
    static FileSystemCalls real;
    real = FileSystem();
    static int failure = 0;
    static int failingFlag = 0; // the open's flag that fails; 0 for a reading open
    const auto open = [](const char* name, int flags, int mode) {
        bool reading = failingFlag == 0 && (flags & (O_PATH | O_ACCMODE)) == O_RDONLY &&
                       std::string(name).ends_with(".bvh");
        if (reading || (failingFlag != 0 && (flags & failingFlag) != 0)) {
            errno = failure;
            return -1;
        }
        return real.open(name, flags, mode);
    };
    const auto write = [](int, const void*, unsigned long) -> long {
        errno = ENOSPC;
        return -1;
    };
    const struct {
        int failure;
        int flag;
        bool writeFails;
        std::string message;
    } cases[] = {
        {EACCES, 0, false, "cannot open " + Quoted(clip) + ": permission denied"},
        {EACCES, O_CREAT, false, Quoted(animation) + ": permission denied"},
        {EROFS, O_CREAT, false, Quoted(animation) + ": the disk is read-only"},
        {0, 0, true, "the disk is full"},
    };
    const std::map<std::string, std::string> before = FolderContents(folder);
    for (const auto& test : cases) {
        failure = test.failure;
        failingFlag = test.flag;
        FileSystem().open = test.failure != 0 ? +open : real.open;
        FileSystem().write = test.writeFails ? +write : real.write;
        auto run = RunImport({"--import-bvh", clip, animation});
        FileSystem() = real;
        EXPECT_EQ(run.first, 1) << run.second;
        EXPECT_NE(run.second.find(test.message), std::string::npos) << run.second;
        EXPECT_TRUE(FolderContents(folder) == before) << run.second;
    }
    std::filesystem::remove_all(folder);
}

} // namespace
