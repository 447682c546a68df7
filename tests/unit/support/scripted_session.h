// A scripted editor session on the headless backend: the program started with a file argument
// (so no dialog is asked), then driven one main-loop cycle at a time with the keys, the cursor and
// the buttons that a test sets. The input set stays in force until the test changes it.
#pragma once

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "editor/editor_main.h"
#include "editor/startup.h"
#include "editor_frames.h"
#include "model/editor_state.h"
#include "runtime/headless.h"
#include "runtime/input.h"
#include "runtime/surface.h"
#include "runtime/window.h"
#include "storage/text.h"

class ScriptedSession : public testing::Test {
  protected:
    static constexpr int64_t kPresentsPastScript = 100;
    void SetUp() override {
        HeadlessReset();
        HeadlessKeepFrames(4);
        program = "limbrado";
        // The process number keeps runs of two builds at the same time apart.
        path = testing::TempDir() + "session_" + std::to_string(getpid()) + "_" +
               testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
        std::remove(path.c_str());
        char* argv[] = {program.data(), path.data(), nullptr};
        EditorStartup(2, argv);
    }
    // The shutdown writes the backup beside the file; it goes with the files the session wrote.
    void TearDown() override {
        EditorShutdown();
        for (const char* suffix : {".txt", "_autosave.txt", "_export.lmb"}) {
            std::remove((StemOf(path) + suffix).c_str());
        }
    }
    static std::string StemOf(const std::string& name) { return name.substr(0, name.size() - 4); }

    // When set, called after every cycle: a test that follows each state the session goes through.
    static inline void (*afterCycle)() = nullptr;
    // A cycle ends within a few presents once its scripted input has run out; one that goes on
    // (a loop that missed the input meant to end it) fails the test instead of hanging it.
    static bool Cycle() {
        HeadlessBoundPresentsPastScript(kPresentsPastScript, [] {
            throw std::runtime_error("the cycle presented " + std::to_string(kPresentsPastScript) +
                                     " frames after its scripted input ran out and goes on");
        });
        bool goesOn = RunEditorCycle();
        if (afterCycle != nullptr) {
            afterCycle();
        }
        return goesOn;
    }
    static void Cycles(int count) {
        for (int cycle = 0; cycle < count; ++cycle) {
            Cycle();
        }
    }
    static void Hold(int32_t scanCode) { HeadlessSetKey(scanCode, true); }
    static void Release(int32_t scanCode) { HeadlessSetKey(scanCode, false); }
    // One cycle with the key down, one with it up.
    static void Tap(int32_t scanCode) {
        Hold(scanCode);
        Cycle();
        Release(scanCode);
        Cycle();
    }
    static void MoveCursor(int32_t x, int32_t y) { HeadlessSetCursor(x, y); }
    static void SetButtons(int32_t buttons) { HeadlessSetButtons(buttons); }
    // A new joint made with the key 1 at (x, y); returns the slot it landed in.
    static int32_t PlaceJoint(int32_t x, int32_t y) {
        MoveCursor(x, y);
        int32_t before = UsedJoints();
        Tap(ScanKey1);
        EXPECT_EQ(UsedJoints(), before + 1);
        for (int32_t slot = kSlotCount - 1; slot >= 0; --slot) {
            const Joint& joint = CurrentJoint(slot);
            if (joint.state != JointEmpty && joint.x == x && joint.y == y) {
                return slot;
            }
        }
        return -1;
    }

    static Joint& CurrentJoint(int32_t slot) { return JointAt(editor.session.currentFrame, slot); }
    static Bone& CurrentBone(int32_t slot) { return BoneAt(editor.session.currentFrame, slot); }
    static int32_t UsedJoints(int32_t frame = -1) {
        int32_t count = 0;
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            count +=
                JointAt(frame < 0 ? editor.session.currentFrame : frame, slot).state != JointEmpty;
        }
        return count;
    }
    static int32_t UsedBones(int32_t frame = -1) {
        int32_t count = 0;
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            count += BoneInUse(BoneAt(frame < 0 ? editor.session.currentFrame : frame, slot));
        }
        return count;
    }

    std::string program;
    std::string path;
};

constexpr int32_t kLeftButton = 1;
constexpr int32_t kRightButton = 2;
constexpr int32_t kMiddleButton = 4;
