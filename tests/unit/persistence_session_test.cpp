// Saving, loading and exporting from the keyboard in scripted sessions: F9 held saves every cycle
// with its red status line, F8 and F10 act once per press, the animation is loaded at start-up
// and backed up beside its file at exit, and without a path every one of them fails visibly.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "storage/animation_file.h"
#include "storage/numbered_files.h"
#include "storage/periodic_backup.h"
#include "support/editor_frames.h"
#include "support/scripted_session.h"

namespace {

constexpr uint32_t kRed = 0xFF0000;

int renames;
FileSystemCalls realCalls;
int CountRename(const char* from, const char* to) {
    ++renames;
    return realCalls.rename(from, to);
}

class Persistence : public ScriptedSession {
  protected:
    void SetUp() override {
        ScriptedSession::SetUp();
        realCalls = FileSystem();
        FileSystem().rename = CountRename;
        renames = 0;
    }
    void TearDown() override {
        FinishBackup();
        FileSystem() = realCalls;
        ScriptedSession::TearDown();
    }
    // Red pixels in the status line's corner of a presented picture.
    static int RedPixelsInCorner(const HeadlessFrame& picture) {
        int count = 0;
        for (int32_t y = 0; y < 16; ++y) {
            for (int32_t x = 0; x < 120; ++x) {
                count += picture.pixels[static_cast<size_t>(y * picture.width + x)] == kRed;
            }
        }
        return count;
    }
};

TEST_F(Persistence, HeldF9SavesEveryCycleShowingItsRedLineForHalfASecond) {
    PlaceJoint(300, 300);
    Hold(ScanF9);
    int64_t sleptBefore = HeadlessSleptMicroseconds();
    for (int cycle = 1; cycle <= 3; ++cycle) {
        Cycle();
        EXPECT_EQ(renames, cycle);
        const auto& frames = HeadlessFrames();
        EXPECT_GT(RedPixelsInCorner(frames[frames.size() - 2]), 20) << "the status picture";
        EXPECT_EQ(RedPixelsInCorner(frames.back()), 0) << "the cycle's own picture";
    }
    int64_t slept = HeadlessSleptMicroseconds() - sleptBefore;
    EXPECT_GE(slept, 3 * 500000);
    EXPECT_LT(slept, 3 * 500000 + 6 * 17000) << "the pauses and the pacing, nothing more";
    EXPECT_EQ(std::filesystem::file_size(path), 15u);
}

TEST_F(Persistence, F8LoadsOncePerPressAndStartUpLoadsTheFile) {
    PlaceJoint(300, 300);
    Tap(ScanF9);
    PlaceJoint(350, 300);
    Hold(ScanF8);
    int64_t before = HeadlessPresentCount();
    Cycles(3);
    EXPECT_EQ(HeadlessPresentCount(), before + 4) << "three cycles and one status line";
    EXPECT_EQ(UsedJoints(), 1) << "the joint made after the save is gone";
    PlaceJoint(350, 300);
    Release(ScanF8);
    Cycle();

    EditorShutdown();
    char* argv[] = {program.data(), path.data(), nullptr};
    EditorStartup(2, argv);
    EXPECT_EQ(UsedJoints(), 1) << "start-up loads the file";
    EXPECT_EQ(std::filesystem::file_size(StemOf(path) + "_autosave.txt"), 23u)
        << "the backup at exit held both joints";
}

TEST_F(Persistence, F10ExportsOncePerPressAndNamesTheFile) {
    Hold(ScanF10);
    Cycles(3);
    ASSERT_EQ(HeadlessRequests().size(), 1u);
    EXPECT_EQ(HeadlessRequests()[0].name, "Exportiert als " + StemOf(path) + "_export.lmb");
    EXPECT_TRUE(std::filesystem::exists(StemOf(path) + "_export.lmb"));
}

TEST_F(Persistence, WithoutAPathEverythingFailsVisiblyAndNothingIsWritten) {
    AssignString(&editor.session.basePath, "");
    PlaceJoint(300, 300);
    Tap(ScanF9);
    Tap(ScanF8);
    Tap(ScanF10);
    EXPECT_EQ(UsedJoints(), 1);
    ASSERT_EQ(HeadlessRequests().size(), 1u);
    EXPECT_EQ(HeadlessRequests()[0].title + ": " + HeadlessRequests()[0].name,
              "Error: Konnte nicht speichern");
    EditorShutdown();
    EXPECT_EQ(renames, 0);
    EXPECT_FALSE(std::filesystem::exists(path));
    char* argv[] = {program.data(), path.data(), nullptr};
    EditorStartup(2, argv); // for TearDown
}

// Each step: a wait on the injected clock, an edit or none, and whether a backup is then written.
TEST_F(Persistence, ChangedAnimationIsBackedUpOnceAMinuteAndNeverWithoutAPath) {
    struct Step {
        int32_t waitMs;
        bool edit;
        bool pathless;
        int renamesAfter;
    } steps[] = {
        {59000, true, false, 0},  // changed, but the minute is not over
        {2000, false, false, 1},  // now it is
        {61000, false, false, 1}, // nothing changed since
        {61000, true, false, 2},  //
        {61000, true, true, 2},   // no path, no backup
    };
    int32_t x = 100;
    for (const Step& step : steps) {
        if (step.pathless) {
            AssignString(&editor.session.basePath, "");
        }
        if (step.edit) {
            PlaceJoint(x += 20, 300);
        }
        DelayMs(step.waitMs);
        Cycle();
        FinishBackup();
        EXPECT_EQ(renames, step.renamesAfter) << "after waiting " << step.waitMs;
    }
    EXPECT_FALSE(std::filesystem::exists(path)) << "the animation file itself is not written";
}

// The editor is killed a minute after an edit, with no save: the backup holds the edit.
TEST_F(Persistence, BackupOfAKilledEditorLoadsToItsLastEdit) {
    std::string backup = StemOf(path) + "_autosave.txt";
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        PlaceJoint(321, 234);
        DelayMs(60000);
        for (;;) {
            Cycle();
        }
    }
    for (int attempt = 0; attempt < 200 && !std::filesystem::exists(backup); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(child, SIGKILL);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    AssignString(&editor.session.basePath, backup.c_str());
    ASSERT_EQ(LoadAnimation(), 1);
    EXPECT_EQ(UsedJoints(0), 1);
    EXPECT_EQ(JointAt(0, 0).x, 321);
    EXPECT_EQ(JointAt(0, 0).y, 234);
    AssignString(&editor.session.basePath, path.c_str());
}

} // namespace
