// The export file: the segment bytes of the described examples, which bones and frames are
// written, the name beside the animation, and what the user is told on success and on failure.
#include "storage/export_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "model/editor_state.h"
#include "runtime/headless.h"
#include "runtime/heaps.h"
#include "storage/numbered_files.h"
#include "storage/text.h"
#include "support/editor_frames.h"
#include "support/failing_file_calls.h"
#include "support/storage_fixture.h"

namespace {

using Bytes = std::vector<unsigned char>;

class ExportFileTest : public StorageTest {
  protected:
    void SetUp() override {
        StorageTest::SetUp();
        HeadlessResetDialogs();
        AssignString(&editor.session.basePath, (folder + "/\xE5\x8A\xA8.txt").c_str());
    }
    Bytes Exported() const {
        std::ifstream in(folder + "/\xE5\x8A\xA8_export.lmb", std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    // Every message shown, in order: an export is announced once, and only when it is complete.
    static std::string Messages() {
        std::string shown;
        for (const auto& request : HeadlessRequests()) {
            shown += (shown.empty() ? "" : " | ") + request.title + ": " + request.name;
        }
        return shown.empty() ? "(none)" : shown;
    }
    static void Joints(std::initializer_list<std::pair<int32_t, int32_t>> positions) {
        for (auto position : positions) {
            AddJoint(position.first, position.second, JointNormal);
        }
    }
};

TEST_F(ExportFileTest, StandardBonesOfFramesWithJointsBecomeSegments) {
    ExportAnimation(editor.session.basePath, editor.animation);
    EXPECT_EQ(Exported(), Bytes{}) << "no joints, no records";
    EXPECT_EQ(Messages(), "Ok: Exportiert als " + folder + "/\xE5\x8A\xA8_export.lmb");

    Joints({{100, 200}, {150, 260}, {-1, 0}});
    AddBone(0, 1, BoneStabilising);
    AddBone(0, 1, BoneStandard);
    AddBone(0, 1, BoneFreeLength);
    editor.session.currentFrame = 7;
    Joints({{1, 2}, {3, 4}});
    AddBone(1, 0, BoneStandard);
    editor.session.currentFrame = 3;
    Joints({{5, 5}}); // joints but no bone: nothing
    editor.session.currentFrame = 9;
    BoneAt(9, 0) = Bone{1.0, 0, 1, BoneStandard}; // a bone in a frame without joints
    editor.session.currentFrame = 0;
    AddBone(2, 0, BoneStandard);
    ExportAnimation(editor.session.basePath, editor.animation);
    EXPECT_EQ(Exported(), (Bytes{0, 0, 0x64, 0,    0xC8, 0, 0x96, 0, 0x04, 0x01, //
                                 0, 0, 0xFF, 0xFF, 0,    0, 0x64, 0, 0xC8, 0,    //
                                 7, 0, 3,    0,    4,    0, 1,    0, 2,    0}));
}

TEST_F(ExportFileTest, FailuresAreToldExceptACreateThatFails) {
    struct Case {
        const char* what;
        const char* basePath; // null: the fixture's
        int (*open)(const char*, int, int);
        int (*rename)(const char*, const char*);
        int (*sync)(int);
        const char* message;
    } cases[] = {
        {"no path", "", nullptr, nullptr, nullptr, "Error: Konnte nicht speichern"},
        {"create fails", nullptr, FailOpen, nullptr, nullptr, "(none)"},
        {"rename fails", nullptr, nullptr, FailRename, nullptr, "Error: Konnte nicht speichern"},
        {"flush fails", nullptr, nullptr, nullptr, FailSync, "Error: Konnte nicht speichern"},
    };
    for (const Case& each : cases) {
        HeadlessResetDialogs();
        FileSystem() = calls;
        std::string path = each.basePath != nullptr ? each.basePath : folder + "/\xE5\x8A\xA8.txt";
        AssignString(&editor.session.basePath, path.c_str());
        FileSystem().open = each.open != nullptr ? each.open : calls.open;
        FileSystem().rename = each.rename != nullptr ? each.rename : calls.rename;
        FileSystem().sync = each.sync != nullptr ? each.sync : calls.sync;
        ExportAnimation(editor.session.basePath, editor.animation);
        EXPECT_EQ(Messages(), each.message) << each.what;
        EXPECT_FALSE(std::filesystem::exists(folder + "/\xE5\x8A\xA8_export.lmb")) << each.what;
        EXPECT_TRUE(std::filesystem::is_empty(folder)) << each.what;
    }
}

} // namespace
