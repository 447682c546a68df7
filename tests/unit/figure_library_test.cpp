// The figure library: G saves the figure under the pointer as an animation file of one frame
// through the chooser that opens in the library folder (made when missing); O inserts a file's
// frame 0 centred on the pointer as one undo step; each shipped figure is one figure in the style
// it promises.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "editor/editor_picture.h"
#include "editor/status_line.h"
#include "editor/undo_history.h"
#include "model/bone_style.h"
#include "model/figures.h"
#include "sample_figures.h"
#include "storage/animation_file.h"
#include "storage/figure_files.h"
#include "support/editor_frames.h"
#include "support/scripted_session.h"

namespace {

using Bytes = std::vector<unsigned char>;
const std::string kShipped = std::string(LIMBRADO_BINARY_DIR) + "/share/limbrado/figures";

TEST(FigureLibraryFolder, ComesFromAnAbsoluteDataHomeElseFromTheHomeFolder) {
    EXPECT_EQ(FigureLibraryPath("/data", "/home/a"), "/data/limbrado/figures");
    EXPECT_EQ(FigureLibraryPath(nullptr, "/home/a"), "/home/a/.local/share/limbrado/figures");
    EXPECT_EQ(FigureLibraryPath("relative", "/home/a"), "/home/a/.local/share/limbrado/figures");
    EXPECT_EQ(FigureLibraryPath(nullptr, nullptr), "");
}

class FigureLibrary : public ScriptedSession {
  protected:
    void SetUp() override {
        root = testing::TempDir() + "figure_library_" + std::to_string(getpid());
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1); // missing until G or O
        ScriptedSession::SetUp();
        HeadlessKeepFrames(16);
    }
    void TearDown() override {
        ScriptedSession::TearDown();
        unsetenv("XDG_DATA_HOME");
        std::filesystem::remove_all(root);
    }
    // Whether a picture presented lately is the status line with `text` over the scene as it is.
    static bool StatusWasShown(const char* text) {
        std::vector<HeadlessFrame> shown = HeadlessFrames();
        ShowStatusMessage(text);
        ShowPendingStatusLines();
        for (const HeadlessFrame& frame : shown) {
            if (frame.pixels == HeadlessFrames().back().pixels) {
                return true;
            }
        }
        return false;
    }
    static std::string FrameBytes() {
        return std::string(reinterpret_cast<const char*>(&JointAt(0, 0)),
                           kSlotCount * sizeof(Joint)) +
               std::string(reinterpret_cast<const char*>(&BoneAt(0, 0)), kSlotCount * sizeof(Bone));
    }
    std::string root;
};

// The figure in the higher slots is saved without the other one and comes back in the lowest free
// slots, moved by whole pixels: its centre (310.33, 333.67) onto (450, 200) is (140, -134).
TEST_F(FigureLibrary, GSavesTheFigureUnderThePointerAndOInsertsItCentredOnThePointer) {
    AddJoint(560, 200, JointNormal);
    AddJoint(560, 260, JointNormal);
    AddBone(0, 1, BoneStandard);
    const Joint figure[] = {
        {300, 300, JointNormal}, {300, 341, JointNormal}, {331, 360, JointStatic}};
    for (const Joint& joint : figure) {
        AddJoint(joint.x, joint.y, joint.state);
    }
    const BoneStyle ring{255, 0, 0, 1, 4, ShapeCircle};
    CurrentBone(AddBone(2, 3, BoneStandard)).style = ring;
    AddBone(3, 4, BoneFreeLength);
    std::string file = root + "/data/limbrado/figures/figure.txt";

    MoveCursor(303, 338);
    HeadlessQueueFileAnswer(file);
    Tap(ScanG);
    ASSERT_EQ(HeadlessRequests().size(), 1u);
    const HeadlessRequest& save = HeadlessRequests()[0];
    EXPECT_EQ(std::tie(save.title, save.folder, save.name, save.save),
              std::make_tuple("Figur speichern", root + "/data/limbrado/figures/",
                              std::string("figure.txt"), true));
    EXPECT_TRUE(StatusWasShown("Gespeichert"));
    std::string before = FrameBytes();
    MoveCursor(450, 200);
    HeadlessQueueFileAnswer(file);
    Tap(ScanO);
    ASSERT_EQ(HeadlessRequests().size(), 2u);
    const HeadlessRequest& insert = HeadlessRequests()[1];
    EXPECT_EQ(std::tie(insert.title, insert.folder, insert.name, insert.save),
              std::make_tuple("Figur einf\xc3\xbcgen", root + "/data/limbrado/figures/",
                              std::string(), false));
    EXPECT_EQ(std::filesystem::path(insert.place), std::filesystem::path(kShipped));
    for (int32_t index = 0; index < 3; ++index) {
        const Joint& placed = CurrentJoint(5 + index);
        EXPECT_EQ(
            std::tie(placed.x, placed.y, placed.state),
            std::make_tuple(figure[index].x + 140, figure[index].y - 134, figure[index].state));
    }
    EXPECT_EQ(std::tie(CurrentBone(3).jointA, CurrentBone(3).jointB, CurrentBone(4).jointB),
              std::make_tuple(5, 6, 7));
    EXPECT_TRUE(SameStyle(CurrentBone(3).style, ring));
    EXPECT_DOUBLE_EQ(CurrentBone(3).restLength, 41.0);
    EXPECT_EQ(std::tuple(UsedJoints(), UsedBones()), std::tuple(8, 5));
    std::string after = FrameBytes();
    Hold(ScanLeftCtrl);
    Tap(ScanZ);
    EXPECT_TRUE(FrameBytes() == before) << "taken back to the byte";
    Tap(ScanY);
    Release(ScanLeftCtrl);
    EXPECT_TRUE(FrameBytes() == after) << "done again to the byte";
    // The next figure saved is offered the first free name after figure.txt.
    MoveCursor(303, 338);
    HeadlessQueueFileAnswer("");
    Tap(ScanG);
    ASSERT_EQ(HeadlessRequests().size(), 3u);
    EXPECT_EQ(HeadlessRequests()[2].name, "figure_2.txt");
}

// Each row: the key over a two-joint figure at (300, 300), the chooser's answer, the status line.
// The frame, the undo history and the animation's own file stay as they were.
TEST_F(FigureLibrary, RefusalsChangeNothingAndTellWhy) {
    std::string figureFile = kShipped + "/ball.txt";
    std::string emptyFile = root + "/empty.txt";
    std::ofstream(emptyFile, std::ios::binary).write("\x90\x01\x2c\x01\0\0\0", 7);
    std::filesystem::copy_file(figureFile, path);
    std::ofstream(root + "/file");
    enum Case { Plain, FullFrame, NoFolder };
    const std::tuple<int32_t, std::string, Case, const char*> rows[] = {
        {ScanO, figureFile, FullFrame, "Kein Platz f\xfcr die Figur"},
        {ScanO, root, Plain, "Laden fehlgeschlagen"},
        {ScanO, emptyFile, Plain, "Keine Figur in der Datei"},
        {ScanG, path, Plain, "Speichern fehlgeschlagen"},
        {ScanG, "", NoFolder, "Figurenordner nicht verf\xfcgbar"},
    };
    for (const auto& [key, answer, setting, status] : rows) {
        SCOPED_TRACE(status);
        ResetAll();
        UndoClear();
        AddJoint(300, 300, JointNormal);
        AddJoint(330, 300, JointNormal);
        AddBone(0, 1, BoneStandard);
        for (int32_t slot = 2; setting == FullFrame && slot < kSlotCount; ++slot) {
            AddJoint(slot, 10, JointNormal);
        }
        setenv("XDG_DATA_HOME", (root + (setting == NoFolder ? "/file" : "/data")).c_str(), 1);
        std::string before = FrameBytes();
        MoveCursor(302, 301);
        HeadlessQueueFileAnswer(answer);
        Tap(key);
        EXPECT_TRUE(FrameBytes() == before);
        EXPECT_EQ(UndoStepCount(), 0u);
        EXPECT_TRUE(StatusWasShown(status));
        EXPECT_EQ(std::filesystem::file_size(path), std::filesystem::file_size(figureFile));
    }
}

// The checked-in files are what the builder saves today, and the copies the build put beside the
// program load as one figure each: every bone in the figure's colour, the head (where there is
// one) in its shape, the other bones lines of the figure's thickness.
TEST_F(FigureLibrary, ShippedFiguresAreOneFigureEachInTheStyleTheyPromise) {
    struct Promise {
        int32_t bones, colour, headShape, limbPixels; // -1: no head, no limbs
    };
    const Promise promises[kSampleFigureCount] = {
        {10, 0xFFFFFF, ShapeCircle, 5}, {10, 0xFFFF00, ShapeCircle, 4},
        {12, 0x804000, ShapeDisc, 4},   {1, 0xFF0000, ShapeDisc, -1},
        {1, 0x804000, -1, 6},
    };
    for (int32_t index = 0; index < kSampleFigureCount; ++index) {
        const Promise& promise = promises[index];
        const char* name = kSampleFigures[index].fileName;
        SCOPED_TRACE(name);
        ResetAll();
        kSampleFigures[index].build();
        Bytes built;
        EncodeOneFrame(&JointAt(0, 0), &BoneAt(0, 0), editor.animation.box, &built);
        std::ifstream in(std::string(LIMBRADO_SOURCE_DIR) + "/data/figures/" + name);
        EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(in), {}), built)
            << "renew with: make_sample docs/sample/walk.txt docs/sample/scene.txt data/figures";

        ResetAll();
        ASSERT_EQ(LoadFirstFrame((kShipped + "/" + name).c_str(), &JointAt(0, 0), &BoneAt(0, 0)),
                  1);
        std::vector<int32_t> slots;
        FindFigure(editor.animation, 0, 0, &slots);
        EXPECT_EQ(static_cast<int32_t>(slots.size()), UsedJoints(0)) << "one figure";
        EXPECT_EQ(UsedBones(0), promise.bones);
        int32_t heads = 0;
        for (int32_t slot = 0; slot < promise.bones; ++slot) {
            const Bone& bone = BoneAt(0, slot);
            EXPECT_EQ(StyleColour(bone.style, bone.kind), promise.colour) << slot;
            bool head = bone.style.shape == promise.headShape;
            heads += head;
            EXPECT_TRUE(head || (bone.style.shape == ShapeLine &&
                                 ThicknessPixels(bone.style) == promise.limbPixels))
                << slot;
        }
        EXPECT_EQ(heads, promise.headShape >= 0 ? 1 : 0);
    }
}

} // namespace
