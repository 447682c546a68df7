// The figure library: G saves the figure under the pointer as an animation file of one frame,
// through the chooser that opens in the library folder (made when missing); O inserts a file's
// frame 0 with its centre on the pointer as one undo step; the figures the program ships are each
// one figure in the style they promise.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "editor/status_line.h"
#include "editor/undo_history.h"
#include "model/bone_style.h"
#include "model/figures.h"
#include "sample_figures.h"
#include "storage/animation_file.h"
#include "storage/figure_files.h"
#include "support/scripted_session.h"

namespace {

using Bytes = std::vector<unsigned char>;

const std::string kShippedInBuild = std::string(LIMBRADO_BINARY_DIR) + "/share/limbrado/figures";

TEST(FigureLibraryFolder, ComesFromTheDataHomeOrTheHomeFolder) {
    struct Row {
        const char* dataHome;
        const char* home;
        std::string folder;
    };
    const Row rows[] = {
        {"/data", "/home/anna", "/data/limbrado/figures"},
        {nullptr, "/home/anna", "/home/anna/.local/share/limbrado/figures"},
        {"", "/home/anna", "/home/anna/.local/share/limbrado/figures"},
        {"relative/data", "/home/anna", "/home/anna/.local/share/limbrado/figures"},
        {nullptr, "relative", ""},
        {nullptr, nullptr, ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FigureLibraryPath(row.dataHome, row.home), row.folder)
            << (row.dataHome != nullptr ? row.dataHome : "(unset)") << ", "
            << (row.home != nullptr ? row.home : "(unset)");
    }
}

class FigureLibrary : public ScriptedSession {
  protected:
    void SetUp() override {
        root = testing::TempDir() + "figure_library_" + std::to_string(getpid());
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1); // missing: G or O makes it
        ScriptedSession::SetUp();
        HeadlessKeepFrames(16);
    }
    void TearDown() override {
        ScriptedSession::TearDown();
        unsetenv("XDG_DATA_HOME");
        std::filesystem::remove_all(root);
    }
    std::string Library() const { return root + "/data/limbrado/figures"; }

    static void Undo(char letter) {
        Hold(ScanLeftCtrl);
        Tap(ScanCodeOfLetter(letter));
        Release(ScanLeftCtrl);
        Cycle();
    }
    // Whether one of the pictures presented lately is the status line with `text` over the scene
    // as it stands now.
    static bool StatusWasShown(const char* text) {
        std::vector<HeadlessFrame> shown = HeadlessFrames();
        ShowStatusMessage(text);
        const std::vector<uint32_t>& status = HeadlessFrames().back().pixels;
        for (const HeadlessFrame& frame : shown) {
            if (frame.pixels == status) {
                return true;
            }
        }
        return false;
    }
    static Bytes FrameBytes(int32_t frame) {
        Bytes bytes(kSlotCount * (sizeof(Joint) + sizeof(Bone)));
        std::memcpy(bytes.data(), &JointAt(frame, 0), kSlotCount * sizeof(Joint));
        std::memcpy(bytes.data() + kSlotCount * sizeof(Joint), &BoneAt(frame, 0),
                    kSlotCount * sizeof(Bone));
        return bytes;
    }
    static int32_t AddStyledBone(int32_t a, int32_t b, BoneStyle style) {
        int32_t slot = AddBone(a, b, BoneStandard);
        CurrentBone(slot).style = style;
        return slot;
    }

    std::string root;
};

// A second figure stands in the lower slots, so that the saved one is packed from slot 0, and is
// neither saved nor touched by the insert.
TEST_F(FigureLibrary, GSavesTheFigureUnderThePointerAndOInsertsItCentredOnThePointer) {
    int32_t other = PlaceJoint(560, 200);
    AddStyledBone(other, PlaceJoint(560, 260), BoneStyle{});
    int32_t top = PlaceJoint(300, 300);
    int32_t middle = PlaceJoint(300, 341);
    int32_t foot = PlaceJoint(331, 360);
    CurrentJoint(foot).state = JointStatic;
    const BoneStyle ring{255, 0, 0, 1, 4, ShapeCircle};
    AddStyledBone(top, middle, ring);
    AddStyledBone(middle, foot, BoneStyle{});

    MoveCursor(303, 338);
    HeadlessQueueFileAnswer(Library() + "/figure.txt");
    Tap(ScanG);
    ASSERT_EQ(HeadlessRequests().size(), 1u);
    const HeadlessRequest& save = HeadlessRequests()[0];
    EXPECT_EQ(save.title, "Figur speichern");
    EXPECT_EQ(save.folder, Library() + "/");
    EXPECT_EQ(save.name, "figure.txt");
    EXPECT_TRUE(save.save);
    EXPECT_TRUE(StatusWasShown("Gespeichert"));

    std::vector<Joint> joints(kSlotCount);
    std::vector<Bone> bones(kSlotCount);
    ASSERT_EQ(LoadFirstFrame((Library() + "/figure.txt").c_str(), joints.data(), bones.data()), 1);
    const Joint expected[] = {
        {300, 300, JointNormal}, {300, 341, JointNormal}, {331, 360, JointStatic}};
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Joint& joint = joints[static_cast<std::size_t>(slot)];
        if (slot >= 3) {
            EXPECT_EQ(joint.state, JointEmpty) << "the other figure stays out, slot " << slot;
            continue;
        }
        EXPECT_EQ(std::tuple(joint.x, joint.y, joint.state),
                  std::tuple(expected[slot].x, expected[slot].y, expected[slot].state));
    }
    EXPECT_EQ(std::tuple(bones[0].jointA, bones[0].jointB), std::tuple(0, 1));
    EXPECT_TRUE(SameStyle(bones[0].style, ring));
    EXPECT_EQ(std::tuple(bones[1].jointA, bones[1].jointB), std::tuple(1, 2));
    EXPECT_FALSE(BoneInUse(bones[2]));

    // The centre (310.33, 333.67) goes to (450, 200): moved by (140, -134) to the nearest pixel.
    Bytes before = FrameBytes(0);
    std::size_t steps = UndoStepCount();
    MoveCursor(450, 200);
    HeadlessQueueFileAnswer(Library() + "/figure.txt");
    Tap(ScanO);
    ASSERT_EQ(HeadlessRequests().size(), 2u);
    const HeadlessRequest& insert = HeadlessRequests()[1];
    EXPECT_EQ(insert.title, "Figur einf\xc3\xbcgen");
    EXPECT_EQ(insert.folder, Library() + "/");
    EXPECT_EQ(insert.name, "");
    EXPECT_FALSE(insert.save);
    EXPECT_EQ(std::filesystem::path(insert.place), std::filesystem::path(kShippedInBuild))
        << "the shipped figures are a place of the chooser";
    ASSERT_EQ(UsedJoints(), 8);
    for (int32_t index = 0; index < 3; ++index) {
        const Joint& placed = CurrentJoint(5 + index);
        EXPECT_EQ(
            std::tuple(placed.x, placed.y, placed.state),
            std::tuple(expected[index].x + 140, expected[index].y - 134, expected[index].state));
    }
    EXPECT_EQ(std::tuple(CurrentBone(3).jointA, CurrentBone(3).jointB), std::tuple(5, 6));
    EXPECT_TRUE(SameStyle(CurrentBone(3).style, ring));
    EXPECT_DOUBLE_EQ(CurrentBone(3).restLength, 41.0);
    EXPECT_EQ(std::tuple(CurrentBone(4).jointA, CurrentBone(4).jointB), std::tuple(6, 7));
    EXPECT_EQ(UsedBones(), 5);

    Bytes after = FrameBytes(0);
    EXPECT_EQ(UndoStepCount(), steps + 1);
    Undo('Z');
    EXPECT_TRUE(FrameBytes(0) == before) << "taken back to the byte";
    Undo('Y');
    EXPECT_TRUE(FrameBytes(0) == after) << "done again to the byte";
}

// What G and O do when they cannot do their work: each row sets the case up, presses the key with
// the answer queued and says which status line shows and whether the frame changes.
TEST_F(FigureLibrary, RefusalsLeaveTheFrameAndTellWhy) {
    std::string figureFile = root + "/one.txt";
    std::string emptyFile = root + "/empty.txt";
    {
        PlaceJoint(100, 100);
        std::string error;
        const int32_t slots[] = {0};
        ASSERT_TRUE(SaveFigureFile(figureFile.c_str(), 0, slots, &error)) << error;
        std::ofstream(emptyFile, std::ios::binary).write("\x90\x01\x2c\x01\0\0\0", 7);
        DeleteJoint(0);
    }
    enum Answer { FigureFile, Folder, EmptyFile, Cancel, Animation };
    enum Case { NoFigure, FigureUnderPointer, FullFrame, NoFolderToMake };
    struct Row {
        const char* name;
        int32_t key;
        Case setUp;
        Answer answer;
        int32_t choosers;   // shown
        const char* status; // null: none
    };
    const Row rows[] = {
        {"O into a full frame", ScanO, FullFrame, FigureFile, 1, "Kein Platz f\xfcr die Figur"},
        {"O on a folder", ScanO, NoFigure, Folder, 1, "Laden fehlgeschlagen"},
        {"O on a file without joints", ScanO, NoFigure, EmptyFile, 1, "Keine Figur in der Datei"},
        {"O cancelled", ScanO, NoFigure, Cancel, 1, nullptr},
        {"G away from every joint", ScanG, NoFigure, FigureFile, 0, nullptr},
        {"G onto the animation itself", ScanG, FigureUnderPointer, Animation, 1,
         "Speichern fehlgeschlagen"},
        {"G with no folder to make", ScanG, NoFolderToMake, Cancel, 1,
         "Figurenordner nicht verf\xfcgbar"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ResetAll();
        UndoClear();
        HeadlessResetDialogs();
        setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
        if (row.setUp == FigureUnderPointer || row.setUp == NoFolderToMake) {
            AddJoint(300, 300, JointNormal);
            AddJoint(330, 300, JointNormal);
            AddBone(0, 1, BoneStandard);
        }
        if (row.setUp == FullFrame) {
            for (int32_t slot = 0; slot < kSlotCount; ++slot) {
                AddJoint(slot, 10, JointNormal);
            }
        }
        if (row.setUp == NoFolderToMake) {
            std::ofstream(root + "/file");
            setenv("XDG_DATA_HOME", (root + "/file").c_str(), 1);
        }
        const std::string answers[] = {figureFile, root, emptyFile, "", path};
        std::filesystem::copy_file(figureFile, path,
                                   std::filesystem::copy_options::overwrite_existing);
        Bytes before = FrameBytes(0);
        MoveCursor(302, 301);
        HeadlessQueueFileAnswer(answers[row.answer]);
        Tap(row.key);
        EXPECT_EQ(static_cast<int32_t>(HeadlessRequests().size()), row.choosers);
        EXPECT_TRUE(FrameBytes(0) == before);
        EXPECT_EQ(UndoStepCount(), 0u);
        if (row.status != nullptr) {
            EXPECT_TRUE(StatusWasShown(row.status)) << row.status;
        }
        std::ifstream saved(path, std::ios::binary);
        std::ifstream original(figureFile, std::ios::binary);
        EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(saved), {}),
                  Bytes(std::istreambuf_iterator<char>(original), {}))
            << "the animation's file is untouched";
    }
}

// Each shipped figure: the checked-in file is what the builder saves today, and the copy the build
// put beside the program loads as one figure in the style it promises: every bone of one colour,
// the head (where it has one) in its shape from its top joint, the rest lines of one thickness.
TEST_F(FigureLibrary, ShippedFiguresAreOneFigureEachInTheStyleTheyPromise) {
    struct Promise {
        const char* file;
        int32_t bones;
        int32_t colour;
        int32_t headShape;  // -1: no head
        int32_t limbPixels; // -1: no limbs
    };
    const Promise promises[kSampleFigureCount] = {
        {"person.txt", 10, 0xFFFFFF, ShapeCircle, 5},
        {"child.txt", 10, 0xFFFF00, ShapeCircle, 4},
        {"dog.txt", 12, 0x804000, ShapeDisc, 4},
        {"ball.txt", 1, 0xFF0000, ShapeDisc, -1},
        {"stick.txt", 1, 0x804000, -1, 6},
    };
    int32_t heights[kSampleFigureCount] = {};
    for (int32_t index = 0; index < kSampleFigureCount; ++index) {
        const Promise& promise = promises[index];
        SCOPED_TRACE(promise.file);
        ASSERT_STREQ(kSampleFigures[index].fileName, promise.file);
        ResetAll();
        kSampleFigures[index].build();
        Bytes built;
        EncodeOneFrame(&JointAt(0, 0), &BoneAt(0, 0), &built);
        std::ifstream in(std::string(LIMBRADO_SOURCE_DIR) + "/data/figures/" + promise.file,
                         std::ios::binary);
        EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(in), {}), built)
            << "renew with: make_sample walk.txt editor.png data/figures";

        ResetAll();
        ASSERT_EQ(LoadFirstFrame((kShippedInBuild + "/" + promise.file).c_str(), &JointAt(0, 0),
                                 &BoneAt(0, 0)),
                  1);
        std::vector<int32_t> figure;
        FindFigure(0, 0, &figure);
        EXPECT_EQ(static_cast<int32_t>(figure.size()), UsedJoints(0)) << "one figure";
        EXPECT_EQ(UsedBones(0), promise.bones);
        int32_t topY = 1 << 30;
        int32_t bottomY = -(1 << 30);
        for (int32_t slot : figure) {
            topY = std::min(topY, JointAt(0, slot).y);
            bottomY = std::max(bottomY, JointAt(0, slot).y);
        }
        heights[index] = bottomY - topY;
        int32_t heads = 0;
        for (int32_t slot = 0; slot < UsedBones(0); ++slot) {
            const Bone& bone = BoneAt(0, slot);
            EXPECT_EQ(StyleColour(bone.style, bone.kind), promise.colour) << "bone " << slot;
            bool head = bone.style.shape == promise.headShape;
            heads += head;
            if (head && promise.limbPixels > 0) {
                EXPECT_TRUE(JointAt(0, bone.jointA).y == topY || JointAt(0, bone.jointB).y == topY)
                    << "the head is at the top";
            } else if (!head) {
                EXPECT_EQ(bone.style.shape, ShapeLine) << "bone " << slot;
                EXPECT_EQ(ThicknessPixels(bone.style), promise.limbPixels) << "bone " << slot;
            }
        }
        EXPECT_EQ(heads, promise.headShape >= 0 ? 1 : 0);
    }
    EXPECT_LT(heights[1], heights[0]) << "the child is smaller than the person";
}

} // namespace
