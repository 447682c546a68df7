// The animation file: the bytes of the described examples, round trips, joint slot gaps, records
// that a save cannot have written, the names beside the file, and saves that fail part-way (through
// the replaceable system calls and on real file systems) or are killed, each leaving the old file.
// Styled files are checked against a model of the records written from the documented layout
// alone, and read by loaders that know only joints and bones.
#include "storage/animation_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "model/bone_style.h"
#include "model/editor_state.h"
#include "model/sound_track.h"
#include "runtime/heaps.h"
#include "storage/numbered_files.h"
#include "storage/text.h"
#include "support/editor_frames.h"
#include "support/failing_file_calls.h"
#include "support/storage_fixture.h"

namespace {

using Bytes = std::vector<unsigned char>;

class AnimationFileTest : public StorageTest {
  protected:
    void SetUp() override {
        StorageTest::SetUp();
        UsePath(folder + "/walk.txt");
    }

    static void UsePath(const std::string& path) {
        AssignString(&editor.session.basePath, path.c_str());
    }
    static Bytes Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    static void Write(const std::string& path, const Bytes& bytes) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    // Frames 0 to frames - 1, each a chain of `joints` joints with one bone per link, of every
    // kind.
    static void BuildFigure(int32_t frames, int32_t joints, int32_t shift = 0) {
        for (editor.session.currentFrame = 0; editor.session.currentFrame < frames;
             ++editor.session.currentFrame) {
            for (int32_t joint = 0; joint < joints; ++joint) {
                AddJoint(210 + joint * 3 + shift, 160 + editor.session.currentFrame + joint % 7,
                         joint % 5 == 0 ? JointStatic : JointNormal);
                if (joint > 0) {
                    AddBone(joint - 1, joint, joint % 3);
                }
            }
        }
        editor.session.currentFrame = 0;
    }
    size_t FilesInFolder() const {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
    }
};

TEST_F(AnimationFileTest, DescribedExamplesSaveAndLoadByteForByte) {
    std::string path = folder + "/walk.txt";
    ASSERT_EQ(SaveAnimation(), 1);
    EXPECT_EQ(Read(path), (Bytes{0x90, 0x01, 0x2C, 0x01, 0, 0, 0})) << "box 400 x 300, no record";

    editor.animation.box.left = 100, editor.animation.box.top = 50,
    editor.animation.box.right = 300, editor.animation.box.bottom = 250;
    editor.animation.shadowOn = 1, editor.animation.headOn = 0, editor.animation.collisionOn = 1;
    editor.session.currentFrame = 3;
    AddJoint(150, 100, JointStatic);
    AddJoint(99, 49, JointNormal); // left of and above the box
    ASSERT_EQ(SaveAnimation(), 1);
    EXPECT_EQ(Read(path), (Bytes{0xC8, 0, 0xC8, 0,    1,    0,    1,    3, 0, 0, 50, 0, 50, 0, 2, //
                                 3,    0, 0,    0xFF, 0xFF, 0xFF, 0xFF, 1}));
    ASSERT_EQ(LoadAnimation(), 1);
    EXPECT_EQ(std::vector<int32_t>({editor.animation.box.left, editor.animation.box.top,
                                    editor.animation.box.right, editor.animation.box.bottom,
                                    editor.animation.playbackEnd, editor.session.currentFrame}),
              std::vector<int32_t>({300, 200, 500, 400, 3, 0}));
    EXPECT_EQ(std::vector<int32_t>({JointAt(3, 0).x, JointAt(3, 0).y, JointAt(3, 0).state,
                                    JointAt(3, 1).x, JointAt(3, 1).y}),
              std::vector<int32_t>({350, 250, 2, 299, 199}));

    Write(path, {});
    ASSERT_EQ(LoadAnimation(), 1) << "a 0-byte file loads";
    EXPECT_EQ(std::vector<int32_t>({editor.animation.box.left, editor.animation.box.top,
                                    editor.animation.box.right, editor.animation.box.bottom,
                                    editor.animation.shadowOn, editor.animation.headOn,
                                    editor.animation.collisionOn, JointAt(3, 0).state}),
              std::vector<int32_t>({400, 300, 400, 300, 0, 0, 0, JointEmpty}));
    Write(path, {201, 0, 10, 0});
    ASSERT_EQ(LoadAnimation(), 1);
    EXPECT_EQ(editor.animation.box.left, 299) << "(800 - 201) / 2";
}

TEST_F(AnimationFileTest, FullFigureOverManyFramesComesBackAndSavesToTheSameBytes) {
    BuildFigure(40, kSlotCount);
    editor.animation.headOn = 1;
    ASSERT_EQ(SaveAnimation(), 1);
    Bytes first = Read(folder + "/walk.txt");
    EXPECT_EQ(first.size(), 7u + 40u * (501u + 500u) * 8u);
    ResetAll();
    ASSERT_EQ(LoadAnimation(), 1);
    EXPECT_EQ(editor.animation.playbackEnd, 39);
    const Bone& bone = BoneAt(39, 499);
    EXPECT_EQ(std::vector<int32_t>({bone.jointA, bone.jointB, bone.kind}),
              std::vector<int32_t>({499, 500, 500 % 3}));
    EXPECT_DOUBLE_EQ(bone.restLength, JointDistance(JointAt(39, 499), JointAt(39, 500)));
    ASSERT_EQ(SaveAnimation(), 1);
    EXPECT_EQ(Read(folder + "/walk.txt"), first);
}

TEST_F(AnimationFileTest, LastFrameKeepsItsJointsAndBoneThroughARoundTrip) {
    editor.session.currentFrame = editor.animation.maxFrame;
    AddJoint(250, 200, JointNormal);
    AddJoint(290, 230, JointStatic);
    AddBone(0, 1, BoneFreeLength);
    ASSERT_EQ(SaveAnimation(), 1);
    ResetAll();
    ASSERT_EQ(LoadAnimation(), 1);
    const Joint& second = JointAt(500, 1);
    const Bone& bone = BoneAt(500, 0);
    EXPECT_EQ(std::vector<int32_t>({editor.animation.playbackEnd, JointAt(500, 0).x, second.x,
                                    second.y, second.state, bone.jointA, bone.jointB, bone.kind}),
              std::vector<int32_t>({500, 250, 290, 230, JointStatic, 0, 1, BoneFreeLength}));
    EXPECT_DOUBLE_EQ(bone.restLength, 50.0);
}

TEST_F(AnimationFileTest, BonesKeepTheirJointsAcrossAGapLeftByADeletedJoint) {
    for (int32_t joint = 0; joint < 4; ++joint) {
        AddJoint(300 + joint * 20, 200, JointNormal);
    }
    AddBone(0, 2, BoneStandard);
    AddBone(2, 3, BoneFreeLength);
    DeleteJoint(1);
    BoneAt(0, 7) = Bone{5.0, 0, 1, BoneStandard}; // names the deleted joint: left out
    ASSERT_EQ(SaveAnimation(), 1);
    ASSERT_EQ(LoadAnimation(), 1);
    EXPECT_EQ(JointAt(0, 1).x, 340) << "joints packed into slots 0, 1, 2";
    EXPECT_EQ(std::vector<int32_t>({BoneAt(0, 0).jointA, BoneAt(0, 0).jointB, BoneAt(0, 1).jointA,
                                    BoneAt(0, 1).jointB, BoneAt(0, 2).jointA}),
              std::vector<int32_t>({0, 1, 1, 2, -1}));
}

TEST_F(AnimationFileTest, RecordsASaveCannotHaveWrittenAreSkipped) {
    auto joint = [](int32_t frame, int32_t state) {
        return Bytes{static_cast<unsigned char>(frame & 0xFF),
                     static_cast<unsigned char>(frame >> 8 & 0xFF),
                     0,
                     1,
                     0,
                     2,
                     0,
                     static_cast<unsigned char>(state)};
    };
    auto bone = [](int32_t frame, int32_t a, int32_t b) {
        return Bytes{static_cast<unsigned char>(frame),
                     0,
                     1,
                     static_cast<unsigned char>(a),
                     static_cast<unsigned char>(a >> 8),
                     static_cast<unsigned char>(b),
                     0,
                     1};
    };
    Bytes file{100, 0, 100, 0, 0, 0, 0};
    for (const Bytes& record :
         {joint(2, 1), joint(2, 2), bone(2, 0, 1), joint(501, 1), joint(0xFFFF, 1), joint(2, 0),
          joint(2, 0x80), bone(2, 0, 2), bone(2, -1, 0), bone(2, 1, 501), bone(2, 0x7FFF, 0),
          joint(3, 1), bone(3, 0, 0), bone(700, 0, 0)}) {
        file.insert(file.end(), record.begin(), record.end());
    }
    for (int32_t count = 0; count < 503; ++count) {
        Bytes extra = joint(5, 1);
        file.insert(file.end(), extra.begin(), extra.end());
    }
    file.push_back(4); // a record cut short after its first byte: frame 4, state 0
    std::string path = folder + "/walk.txt";
    Write(path, file);
    ASSERT_EQ(LoadAnimation(), 1);
    std::vector<int32_t> used;
    for (int32_t frame : {2, 3, 4, 5}) {
        int32_t joints = 0;
        int32_t bones = 0;
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            joints += JointAt(frame, slot).state != JointEmpty;
            bones += BoneInUse(BoneAt(frame, slot));
        }
        used.insert(used.end(), {joints, bones});
    }
    EXPECT_EQ(used, std::vector<int32_t>({2, 1, 1, 1, 0, 0, 501, 0}));
    EXPECT_EQ(editor.animation.playbackEnd, 5) << "the frame of the last record taken";
}

// The joints past a frame's last slot are dropped, not written over the next frame's first ones,
// whether that frame's records come before them or after.
TEST_F(AnimationFileTest, JointsBeyondTheLastSlotLeaveTheNextFrameAlone) {
    Bytes file{100, 0, 100, 0, 0, 0, 0};
    auto add = [&file](int32_t frame, int32_t x) {
        file.insert(file.end(), {static_cast<unsigned char>(frame), 0, 0,
                                 static_cast<unsigned char>(x), 0, 9, 0, JointNormal});
    };
    add(6, 11);
    for (int32_t count = 0; count < kSlotCount + 2; ++count) {
        add(5, 22);
    }
    add(6, 33);
    Write(folder + "/walk.txt", file);
    ASSERT_EQ(LoadAnimation(), 1);
    EXPECT_EQ(
        std::vector<int32_t>({JointAt(5, 500).x - editor.animation.box.left,
                              JointAt(6, 0).x - editor.animation.box.left,
                              JointAt(6, 1).x - editor.animation.box.left, JointAt(6, 2).state}),
        std::vector<int32_t>({22, 11, 33, JointEmpty}));
}

// The documented layout, written again from the format's description: the joint and bone records,
// then each frame's style records, then the ground and the rate.
Bytes ModelOfTheFile() {
    Bytes out;
    auto word = [&out](int32_t value) {
        out.push_back(static_cast<unsigned char>(value & 0xFF));
        out.push_back(static_cast<unsigned char>(value >> 8 & 0xFF));
    };
    auto record = [&](int32_t frame, int32_t type, int32_t first, int32_t second, int32_t last) {
        word(frame);
        out.push_back(static_cast<unsigned char>(type));
        word(first);
        word(second);
        out.push_back(static_cast<unsigned char>(last));
    };
    word(editor.animation.box.right - editor.animation.box.left);
    word(editor.animation.box.bottom - editor.animation.box.top);
    for (int32_t toggle :
         {editor.animation.shadowOn, editor.animation.headOn, editor.animation.collisionOn}) {
        out.push_back(static_cast<unsigned char>(toggle));
    }
    int32_t running[6] = {0, 0, 0, 0, 0, 0}; // types 5, 2, 3, 4, 6, 7
    int32_t lastFrame = 0;
    for (int32_t frame = 0; frame <= editor.animation.maxFrame; ++frame) {
        std::vector<int32_t> position(kSlotCount, -1);
        int32_t joints = 0;
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            const Joint& joint = JointAt(frame, slot);
            if (joint.state > 0) {
                position[slot] = joints++;
                record(frame, 0, joint.x - editor.animation.box.left,
                       joint.y - editor.animation.box.top, joint.state);
                lastFrame = frame;
            }
        }
        std::vector<BoneStyle> styles;
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            const Bone& bone = BoneAt(frame, slot);
            if (bone.jointA >= 0 && bone.jointB >= 0 && position[bone.jointA] >= 0 &&
                position[bone.jointB] >= 0) {
                record(frame, 1, position[bone.jointA], position[bone.jointB], bone.kind);
                styles.push_back(bone.style);
            }
        }
        for (std::size_t at = 0; at < styles.size(); ++at) {
            const BoneStyle& style = styles[at];
            int32_t parts[6] = {style.ownColour, style.red,       style.green,
                                style.blue,      style.thickness, style.shape};
            if (std::equal(parts, parts + 6, std::begin({0, 0, 0, 0, 0, 0}))) {
                continue;
            }
            const int32_t types[6] = {5, 2, 3, 4, 6, 7};
            for (int32_t part = 0; part < 6; ++part) {
                bool colour = part >= 1 && part <= 3;
                if (parts[part] != running[part] && (!colour || style.ownColour == 1)) {
                    record(frame, types[part], -1, -1, parts[part]);
                    running[part] = parts[part];
                    if (part == 0 && parts[0] == 0) { // the kind's colour clears red, green, blue
                        running[1] = running[2] = running[3] = 0;
                    }
                }
            }
            record(frame, at < 256 ? 8 : 9, -1, -1, static_cast<int32_t>(at % 256));
        }
    }
    if (editor.animation.groundColour != 0x141414) {
        for (int32_t type : {16, 17, 18}) {
            record(lastFrame, type, -1, -1,
                   editor.animation.groundColour >> (18 - type) * 8 & 0xFF);
        }
    }
    if (editor.animation.playbackRate != 40) {
        record(lastFrame, 19, -1, -1, editor.animation.playbackRate);
    }
    return out;
}

// What a loader written from the layout of joint and bone records alone makes of a file: each
// record into the first free slot of its frame (a joint slot of state 0, a bone slot whose ends
// are both -1), every rest length measured from the two joints as they stand. `checked` also skips
// frames outside the grid; unchecked, it takes every record as it comes, through a grid that,
// like the editor's, has room in front of it for the joint before slot 0 that a bone end of -1
// measures. Any other reach outside the grid throws.
struct DescribedLoad {
    std::vector<Joint> joints = std::vector<Joint>(1 + 501 * 501, Joint{-1, -1, 0});
    std::vector<Bone> bones = std::vector<Bone>(501 * 501, Bone{0, -1, -1, 0});
    int32_t playbackEnd = 0;
    Joint& JointOf(int32_t frame, int32_t slot) {
        return joints.at(static_cast<std::size_t>(1 + frame * 501 + slot));
    }
    bool operator==(const DescribedLoad& other) const {
        for (std::size_t index = 0; index < bones.size(); ++index) {
            const Joint &a = joints[index + 1], &b = other.joints[index + 1];
            const Bone &c = bones[index], &d = other.bones[index];
            bool bothFree = c.jointA < 0 && d.jointA < 0;
            if (a.state != b.state || (a.state != 0 && (a.x != b.x || a.y != b.y)) ||
                (!bothFree && (c.jointA != d.jointA || c.jointB != d.jointB || c.kind != d.kind ||
                               c.restLength != d.restLength))) {
                return false;
            }
        }
        return playbackEnd == other.playbackEnd;
    }
};
DescribedLoad LoadAsDescribed(const Bytes& file, bool checked) {
    DescribedLoad load;
    auto word = [&file](std::size_t at) {
        auto byte = [&file](std::size_t i) { return i < file.size() ? file[i] : 0; };
        return static_cast<int32_t>(static_cast<int16_t>(byte(at) | byte(at + 1) << 8));
    };
    int32_t left = (800 - word(0)) / 2, top = (600 - word(2)) / 2;
    for (std::size_t at = 7; at < file.size(); at += 8) {
        int32_t frame = word(at);
        int32_t type = at + 2 < file.size() ? file[at + 2] : 0;
        int32_t first = word(at + 3), second = word(at + 5);
        int32_t last = at + 7 < file.size() ? static_cast<int8_t>(file[at + 7]) : 0;
        load.playbackEnd = frame;
        if (checked && (frame < 0 || frame > 500)) {
            continue;
        }
        for (int32_t slot = 0; slot < 501; ++slot) {
            if (type == 0 && load.JointOf(frame, slot).state == 0) {
                load.JointOf(frame, slot) = Joint{left + first, top + second, int8_t(last)};
                break;
            }
            Bone& bone = load.bones.at(static_cast<std::size_t>(frame * 501 + slot));
            if (type != 0 && bone.jointA == -1 && bone.jointB == -1) {
                bone = Bone{JointDistance(load.JointOf(frame, first), load.JointOf(frame, second)),
                            first, second, int8_t(last)};
                break;
            }
        }
    }
    return load;
}

// Rules for styled files, over a table of what a user changed: the file is the documented layout
// record for record; with nothing changed it is the file of the layout without style records; a
// loader of that layout, checking or not, reads the same slots as from the animation saved without
// styles; styles, ground and rate come back exactly and save to the same bytes.
TEST_F(AnimationFileTest, StyledFilesKeepTheLayoutForEveryLoaderAndComeBackExactly) {
    struct Row {
        const char* name;
        int32_t styledEvery; // every how many bones take a style, 0: none
        int32_t ground, rate;
    } rows[] = {
        {"nothing changed", 0, 0x141414, 40},
        {"ground only", 0, 0xA0D8FF, 40},
        {"rate only", 0, 0x141414, 12},
        {"every bone styled", 1, 0x141414, 40},
        {"some bones, ground and rate", 3, 0x000000, 1},
        {"few bones, last rate", 7, 0xFFFFFF, 100},
    };
    std::mt19937 random(27);
    std::string path = folder + "/walk.txt";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ResetAll();
        BuildFigure(3, 300);
        editor.session.currentFrame =
            4; // a frame past an empty one, with a gap left by a deleted joint
        for (int32_t joint = 0; joint < 4; ++joint) {
            AddJoint(250 + joint * 20, 200, JointNormal);
        }
        AddBone(0, 2, BoneStandard);
        AddBone(2, 3, BoneFreeLength);
        DeleteJoint(1);
        editor.session.currentFrame = 0;
        editor.animation.groundColour = kDefaultGroundColour;
        editor.animation.playbackRate = kDefaultPlaybackRate;
        ASSERT_EQ(SaveAnimation(), 1);
        Bytes plain = Read(path);
        EXPECT_EQ(plain, ModelOfTheFile()) << "the layout without style records";

        std::vector<std::tuple<int32_t, int32_t, BoneStyle>> given; // frame, slot, style
        for (int32_t frame : {0, 1, 2, 4}) {
            for (int32_t slot = 0; row.styledEvery > 0 && slot < kSlotCount; ++slot) {
                BoneStyle style{};
                style.ownColour = random() % 3 != 0;
                int32_t colour =
                    style.ownColour != 0 ? static_cast<int32_t>(random() % 0x1000000) : 0;
                style.red = uint8_t(colour >> 16), style.green = uint8_t(colour >> 8);
                style.blue = uint8_t(colour);
                style.thickness = static_cast<uint8_t>(random() % 32);
                style.shape = static_cast<uint8_t>(random() % 3);
                if (BoneInUse(BoneAt(frame, slot)) && slot % row.styledEvery == 0) {
                    BoneAt(frame, slot).style = style;
                    given.emplace_back(frame, slot, style);
                }
            }
        }
        editor.animation.groundColour = row.ground;
        editor.animation.playbackRate = row.rate;
        ASSERT_EQ(SaveAnimation(), 1);
        Bytes styled = Read(path);
        EXPECT_EQ(styled, ModelOfTheFile()) << "the documented style records";
        if (given.empty() && row.ground == kDefaultGroundColour && row.rate == 40) {
            EXPECT_EQ(styled, plain) << "byte for byte the file without styles";
        }
        for (bool checked : {true, false}) {
            EXPECT_TRUE(LoadAsDescribed(styled, checked) == LoadAsDescribed(plain, checked))
                << (checked ? "checking" : "non-checking") << " loader";
        }

        ResetAll();
        editor.animation.groundColour = 0x123456, editor.animation.playbackRate = 7;
        ASSERT_EQ(LoadAnimation(), 1);
        EXPECT_EQ(
            std::vector<int32_t>({editor.animation.groundColour, editor.animation.playbackRate,
                                  editor.animation.playbackEnd}),
            std::vector<int32_t>({row.ground, row.rate, 4}));
        for (const auto& [frame, slot, style] : given) {
            EXPECT_TRUE(SameStyle(BoneAt(frame, slot).style, style))
                << "frame " << frame << " bone " << slot;
        }
        ASSERT_EQ(SaveAnimation(), 1);
        EXPECT_EQ(Read(path), styled) << "saved again";
    }
}

TEST_F(AnimationFileTest, StyledWorkedExampleAndStyleRecordsNoSaveWrites) {
    AddJoint(300, 200, JointNormal);
    AddJoint(300, 240, JointNormal);
    editor.session.pen = BoneStyle{0xFF, 0, 0, 1, 11, ShapeDisc};
    AddBone(0, 1, BoneStandard);
    editor.animation.groundColour = 0xFFFFFF;
    editor.animation.playbackRate = 12;
    ASSERT_EQ(SaveAnimation(), 1);
    Bytes file = Read(folder + "/walk.txt");
    Bytes example{0x90, 0x01, 0x2C, 0x01, 0,    0, 0, 0, 0, 0, 0x64, 0, 0x32, 0, 1, 0,
                  0,    0,    0x64, 0,    0x5A, 0, 1, 0, 0, 1, 0,    0, 1,    0, 1};
    for (int32_t type : {5, 2, 6, 7, 8, 0x10, 0x11, 0x12, 0x13}) {
        int32_t value = type == 5 ? 1 : type == 6 ? 0x0B : type == 7 ? 2 : type == 8 ? 0 : 0xFF;
        example.insert(example.end(),
                       {0, 0, static_cast<unsigned char>(type), 0xFF, 0xFF, 0xFF, 0xFF,
                        static_cast<unsigned char>(type == 0x13 ? 12 : value)});
    }
    EXPECT_EQ(file, example);

    // Out of range or naming no bone: thickness 33, shape 3, own colour 2, rate 0 and 101, a
    // bone at position 1 of a frame of one bone, and a bone of frame 600; then one record this
    // version does not know, and a red of the frame's bone.
    file.resize(7 + 3 * 8);
    for (auto [frame, type, value] :
         std::initializer_list<std::tuple<int32_t, int32_t, int32_t>>{{0, 6, 32},
                                                                      {0, 7, 3},
                                                                      {0, 5, 2},
                                                                      {0, 19, 0},
                                                                      {0, 19, 101},
                                                                      {0, 8, 1},
                                                                      {600, 8, 0},
                                                                      {0, 40, 1},
                                                                      {0, 5, 1},
                                                                      {0, 3, 0x80},
                                                                      {0, 8, 0}}) {
        file.insert(file.end(),
                    {static_cast<unsigned char>(frame & 0xFF),
                     static_cast<unsigned char>(frame >> 8), static_cast<unsigned char>(type), 0xFF,
                     0xFF, 0xFF, 0xFF, static_cast<unsigned char>(value)});
    }
    Write(folder + "/walk.txt", file);
    ASSERT_EQ(LoadAnimation(), 1);
    EXPECT_TRUE(SameStyle(BoneAt(0, 0).style, BoneStyle{0, 0x80, 0, 1, 0, ShapeLine}));
    EXPECT_FALSE(BoneInUse(BoneAt(0, 1)));
    EXPECT_EQ(std::vector<int32_t>({editor.animation.groundColour, editor.animation.playbackRate,
                                    editor.animation.playbackEnd}),
              std::vector<int32_t>({kDefaultGroundColour, 40, 0}));
}

// The sound's reference: one record per byte after everything else, in the frame of the last joint
// or bone record; a loader of the layout without them reads the same slots and the same end of
// playback, and this one the same reference, saved again to the same bytes. A file without a
// sound is the file as before.
TEST_F(AnimationFileTest, TheSoundsReferenceTravelsByteForByteAndOldLoadersReadTheSameSlots) {
    const std::string path = folder + "/walk.txt";
    BuildFigure(6, 40);
    editor.animation.playbackRate = 12;
    editor.animation.sound.reference.clear();
    ASSERT_EQ(SaveAnimation(), 1);
    const Bytes plain = Read(path);
    EXPECT_EQ(plain, ModelOfTheFile()) << "no record for no sound";
    for (const std::string& reference :
         {std::string("voice.ogg"),
          std::string("sounds/take 2/St\xc3\xa4"
                      "dte.flac"),
          std::string("/home/anna/voice.ogg"), std::string(4096, 'x')}) {
        SCOPED_TRACE(reference.substr(0, 40));
        editor.animation.sound.reference = reference;
        ASSERT_EQ(SaveAnimation(), 1);
        Bytes expected = plain;
        for (char byte : reference) {
            expected.insert(expected.end(),
                            {5, 0, 20, 0xFF, 0xFF, 0xFF, 0xFF, static_cast<unsigned char>(byte)});
        }
        const Bytes withSound = Read(path);
        EXPECT_EQ(withSound, expected);
        for (bool checked : {true, false}) {
            EXPECT_TRUE(LoadAsDescribed(withSound, checked) == LoadAsDescribed(plain, checked))
                << (checked ? "checking" : "non-checking") << " loader";
        }
        editor.animation.sound.reference = "stale";
        ASSERT_EQ(LoadAnimation(), 1);
        EXPECT_EQ(editor.animation.sound.reference, reference);
        EXPECT_EQ(editor.animation.playbackEnd, 5);
        editor.animation.sound.reference = editor.animation.sound.reference;
        ASSERT_EQ(SaveAnimation(), 1);
        EXPECT_EQ(Read(path), withSound) << "saved again";
    }
    // A zero byte is no part of a path; a reference longer than any path is none at all.
    Bytes file = plain;
    for (unsigned char byte : {'a', '\0', 'b'}) {
        file.insert(file.end(), {0, 0, 20, 0xFF, 0xFF, 0xFF, 0xFF, byte});
    }
    Write(path, file);
    ASSERT_EQ(LoadAnimation(), 1);
    EXPECT_EQ(editor.animation.sound.reference, "ab");
    for (int32_t count = 0; count < 4097; ++count) {
        file.insert(file.end(), {0, 0, 20, 0xFF, 0xFF, 0xFF, 0xFF, 'y'});
    }
    Write(path, file);
    ASSERT_EQ(LoadAnimation(), 1);
    EXPECT_EQ(editor.animation.sound.reference, "");
    editor.animation.sound.reference.clear();
}

TEST_F(AnimationFileTest, LoadThatCannotReadChangesNothingAndNeverWaits) {
    AddJoint(5, 5, JointNormal);
    Write(folder + "/unreadable.txt", Bytes(20000, 1));
    FileSystem().read = FailRead;
    UsePath(folder + "/unreadable.txt");
    EXPECT_EQ(LoadAnimation(), 0) << "a disk error while reading";
    FileSystem() = calls;
    std::filesystem::create_directory(folder + "/folder.txt");
    ASSERT_EQ(mkfifo((folder + "/pipe.txt").c_str(), 0600), 0);
    for (const std::string& path : {std::string(), folder + "/missing.txt", folder + "/folder.txt",
                                    folder + "/pipe.txt", std::string("/dev/zero")}) {
        UsePath(path);
        EXPECT_EQ(LoadAnimation(), 0) << path;
        EXPECT_EQ(SaveAnimation(), path.ends_with("missing.txt") ? 1 : 0) << path;
        EXPECT_EQ(JointAt(0, 0).state, JointNormal) << path;
    }
    EXPECT_TRUE(std::filesystem::is_fifo(folder + "/pipe.txt"));
}

TEST_F(AnimationFileTest, FilesBesideTheAnimationDropFourCharacters) {
    struct Case {
        const char* basePath;
        const char* backup;
    } cases[] = {
        {"/anim/walk.txt", "/anim/walk_autosave.txt"},
        {"ab", "_autosave.txt"},
        {"/anim/\xC3\x9C"
         "bung.txt",
         "/anim/\xC3\x9C"
         "bung_autosave.txt"},
        {"/\xE5\x8A\xA8\xE7\x94\xBB.txt", "/\xE5\x8A\xA8\xE7\x94\xBB_autosave.txt"},
        {"/x\xE5\x8A\xA8\xE7\x94\xBB\xC3\x9C"
         "b",
         "/x_autosave.txt"}, // four characters, not bytes
    };
    for (const Case& each : cases) {
        UsePath(each.basePath);
        int32_t start = WorkBufferLength();
        EXPECT_STREQ(SiblingFileName(editor.session.basePath, "_autosave.txt", start), each.backup);
        WorkBufferSetLength(start);
    }
}

// Replacing a file needs only the folder's permission; a file the user may not write is refused
// all the same. Tried by a child that gives up root.
TEST_F(AnimationFileTest, SaveRefusesAFileTheUserMayNotWrite) {
    ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
    Write(folder + "/walk.txt", {1, 2, 3});
    ASSERT_EQ(chmod((folder + "/walk.txt").c_str(), 0444), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        bool other = geteuid() != 0 || (setgid(65534) == 0 && setuid(65534) == 0);
        _exit(other ? SaveAnimation() : 2);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "refused";
    EXPECT_EQ(Read(folder + "/walk.txt"), (Bytes{1, 2, 3}));
    EXPECT_EQ(FilesInFolder(), 1u);
}

// Each fault strikes once the save is under way; the old file must come through unchanged.
int writesLeft;
long WriteThenFail(int descriptor, const void* bytes, unsigned long count) {
    if (writesLeft-- <= 0) {
        errno = ENOSPC;
        return writesLeft == -1 ? static_cast<long>(count / 2) : -1; // a short write, then none
    }
    return ::write(descriptor, bytes, count);
}

TEST_F(AnimationFileTest, SaveFailingAtAnyStepReportsItAndLeavesTheOldFile) {
    std::string path = folder + "/walk.txt";
    BuildFigure(20, 300);
    ASSERT_EQ(SaveAnimation(), 1);
    Bytes old = Read(path);
    AddJoint(1, 1, JointNormal);
    const char* faults[] = {"open", "write part-way", "write refused", "sync", "rename"};
    for (const char* fault : faults) {
        FileSystem() = calls;
        std::string name = fault;
        writesLeft = name == "write part-way" ? 0 : -1;
        if (name == "open") {
            FileSystem().open = FailOpen;
        } else if (name == "sync") {
            FileSystem().sync = FailSync;
        } else if (name == "rename") {
            FileSystem().rename = FailRename;
        } else {
            FileSystem().write = WriteThenFail;
        }
        EXPECT_EQ(SaveAnimation(), 0) << fault;
        EXPECT_EQ(Read(path), old) << fault;
        EXPECT_EQ(FilesInFolder(), 1u) << fault << ": the new file is removed";
    }
}

// A small file system of its own: mounted read-only, or too small for the animation.
TEST_F(AnimationFileTest, SaveOnAFullOrReadOnlyFileSystemLeavesTheOldFile) {
    std::string mountPoint = folder + "/disk";
    std::filesystem::create_directory(mountPoint);
    if (mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "cannot mount a file system here";
    }
    UsePath(mountPoint + "/walk.txt");
    AddJoint(300, 300, JointNormal);
    ASSERT_EQ(SaveAnimation(), 1);
    Bytes old = Read(mountPoint + "/walk.txt");
    BuildFigure(30, kSlotCount); // about 240 KB
    EXPECT_EQ(SaveAnimation(), 0) << "disk full";
    EXPECT_EQ(Read(mountPoint + "/walk.txt"), old);
    ASSERT_EQ(mount(nullptr, mountPoint.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    ResetAll();
    EXPECT_EQ(SaveAnimation(), 0) << "read-only";
    EXPECT_EQ(Read(mountPoint + "/walk.txt"), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(mountPoint), {}), 1);
    umount(mountPoint.c_str());
}

// A child saves two large animations in turn until it is killed at a moment the folder shows: after
// a random number of saves (each renames a new file over the old), either in the middle of a save
// (its temporary file there) or right after one. The file is always one of them, complete.
TEST_F(AnimationFileTest, KilledWhileSavingLeavesOneWholeFile) {
    auto inodeOf = [](const std::string& name) {
        struct stat status {};
        return stat(name.c_str(), &status) == 0 ? status.st_ino : 0;
    };
    auto temporaryFiles = [this] {
        std::vector<std::filesystem::path> found;
        std::error_code error;
        for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
             entry.increment(error)) {
            if (entry->path().extension() == ".tmp") {
                found.push_back(entry->path());
            }
        }
        return found;
    };
    // Polls for up to 30 s.
    auto waitFor = [](const std::function<bool()>& condition) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        return true;
    };
    std::string path = folder + "/walk.txt";
    Bytes versions[2];
    for (int32_t version = 0; version < 2; ++version) {
        ResetAll();
        BuildFigure(200, 250, version);
        ASSERT_EQ(SaveAnimation(), 1);
        versions[version] = Read(path);
    }
    std::mt19937 random(7);
    for (int kill = 0; kill < 25; ++kill) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int32_t version = 0;; version ^= 1) {
                ResetAll();
                BuildFigure(200, 250, version);
                SaveAnimation();
            }
        }
        int saves = std::uniform_int_distribution<int>(0, 2)(random);
        bool midSave = std::uniform_int_distribution<int>(0, 1)(random) == 1;
        bool reached = true;
        for (int save = 0; save < saves && reached; ++save) {
            ino_t before = inodeOf(path);
            reached = waitFor([&] { return inodeOf(path) != before; });
        }
        reached = reached && (!midSave || waitFor([&] { return !temporaryFiles().empty(); }));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        ASSERT_EQ(waitpid(child, nullptr, 0), child);
        ASSERT_TRUE(reached) << "kill " << kill << ": the child's saves did not come";
        Bytes now = Read(path);
        EXPECT_TRUE(now == versions[0] || now == versions[1]) << "kill " << kill;
        for (const std::filesystem::path& left : temporaryFiles()) {
            std::filesystem::remove(left); // the killed save's, which the next wait would take
        }
    }
}

} // namespace
