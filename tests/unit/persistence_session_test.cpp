// Saving, loading and exporting from the keyboard in scripted sessions: F9 held saves every cycle
// with its red status line, F8 and F10 act once per press, the animation is loaded at start-up
// and backed up beside its file at exit, and without a path every one of them fails visibly.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "storage/numbered_files.h"
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
        FileSystem() = realCalls;
        ScriptedSession::TearDown();
        std::filesystem::remove(path);
        std::filesystem::remove(StemOf(path) + "_autosave.txt");
        std::filesystem::remove(StemOf(path) + "_export.lmb");
    }
    static std::string StemOf(const std::string& name) { return name.substr(0, name.size() - 4); }
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
    Cycles(3);
    EXPECT_EQ(UsedJoints(), 1) << "loaded once, the joint made after the save is gone";
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
    AssignString(&editor.basePath, "");
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

} // namespace
