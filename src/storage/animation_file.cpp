// The animation file. Joint positions are stored relative to the box's top-left corner, and the
// box is centred in the window on loading. A joint record carries no slot number: loading packs a
// frame's joints into slots 0, 1, 2... in file order, so every bone end is written as its joint's
// position among the frame's saved joints, and a bone that names an unsaved joint is left out.
// Loading skips every record that could not have come from a save: frames outside the grid, joint
// states of 0 or below, bone ends that name no joint loaded so far, a 502nd joint or bone.
#include "storage/animation_file.h"

#include <cstring>
#include <string>

#include "model/editor_state.h"
#include "storage/atomic_file.h"
#include "storage/file_kinds.h"
#include "storage/numbered_files.h"
#include "storage/text.h"

namespace {

constexpr int32_t kFile = 0;
constexpr int32_t kHeaderSize = 7;
constexpr int32_t kRecordSize = 8;
constexpr int32_t kJointRecord = 0;
constexpr char kBackupSuffix[] = "_autosave.txt";
constexpr int32_t kStemCut = 4; // characters taken off the end, as ".txt"

// a - b in two's complement: only its low 16 bits are stored, and those never depend on an
// overflow, which the coordinates at the ends of the int32 range would otherwise cause.
int32_t Difference(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

void PutWord(unsigned char* at, int32_t value) {
    at[0] = static_cast<unsigned char>(value & 0xFF);
    at[1] = static_cast<unsigned char>((value >> 8) & 0xFF);
}
int32_t GetWord(const unsigned char* at) {
    return static_cast<int16_t>(static_cast<uint16_t>(at[0] | at[1] << 8));
}
int32_t GetByte(const unsigned char* at) {
    return static_cast<int8_t>(*at);
}

void PutRecord(unsigned char* record, int32_t frame, int32_t type, int32_t first, int32_t second,
               int32_t last) {
    PutWord(record, frame);
    record[2] = static_cast<unsigned char>(type);
    PutWord(record + 3, first);
    PutWord(record + 5, second);
    record[7] = static_cast<unsigned char>(last & 0xFF);
}

// Writes the header and the records through `put` (a callable taking a byte pointer and a count).
template <typename Put> void WriteAnimation(Put put) {
    unsigned char header[kHeaderSize];
    PutWord(header, Difference(editor.boxRight, editor.boxLeft));
    PutWord(header + 2, Difference(editor.boxBottom, editor.boxTop));
    header[4] = static_cast<unsigned char>(editor.shadowOn & 0xFF);
    header[5] = static_cast<unsigned char>(editor.headOn & 0xFF);
    header[6] = static_cast<unsigned char>(editor.collisionOn & 0xFF);
    put(header, kHeaderSize);

    int32_t positionOf[kSlotCount];
    unsigned char record[kRecordSize];
    for (int32_t frame = 0; frame <= editor.maxFrame; ++frame) {
        int32_t saved = 0;
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            const Joint& joint = JointAt(frame, slot);
            positionOf[slot] = -1;
            if (joint.state > 0) {
                positionOf[slot] = saved++;
                PutRecord(record, frame, kJointRecord, Difference(joint.x, editor.boxLeft),
                          Difference(joint.y, editor.boxTop), joint.state);
                put(record, kRecordSize);
            }
        }
        for (int32_t slot = 0; slot < kSlotCount && saved > 0; ++slot) {
            const Bone& bone = BoneAt(frame, slot);
            if (!BoneInUse(bone) || !IsJointSlot(bone.jointA) || !IsJointSlot(bone.jointB) ||
                positionOf[bone.jointA] < 0 || positionOf[bone.jointB] < 0) {
                continue;
            }
            PutRecord(record, frame, 1, positionOf[bone.jointA], positionOf[bone.jointB],
                      bone.kind);
            put(record, kRecordSize);
        }
    }
}

// The largest animation is about 4 MB; a file many times that size is no animation, however many
// records a loader could skip.
constexpr int64_t kLargestFile = int64_t{64} << 20;

// The box centred in the window with the stored size, and the toggles.
void LoadHeader(const unsigned char* header) {
    int32_t width = GetWord(header);
    int32_t height = GetWord(header + 2);
    editor.boxLeft = (editor.windowWidth - width) / 2;
    editor.boxTop = (editor.windowHeight - height) / 2;
    editor.boxRight = editor.boxLeft + width;
    editor.boxBottom = editor.boxTop + height;
    editor.shadowOn = GetByte(header + 4);
    editor.headOn = GetByte(header + 5);
    editor.collisionOn = GetByte(header + 6);
}

// How many joints and bones each frame has received so far. Every frame is empty when loading
// starts and only receives, so the first free slot of a frame is always its count: no frame is
// scanned, and the slots past the counts are emptied once at the end.
struct FrameFill {
    std::vector<int32_t> joints;
    std::vector<int32_t> bones;
};

// A bone's joints are in place before the bone is taken and never move during a load, so every
// rest length can be measured at the end, in one run of roots that overlap each other.
void MeasureLoadedBones(const FrameFill& fill) {
    for (int32_t frame = 0; frame <= editor.maxFrame; ++frame) {
        for (int32_t slot = 0; slot < fill.bones[static_cast<std::size_t>(frame)]; ++slot) {
            Bone& bone = BoneAt(frame, slot);
            bone.restLength =
                JointDistance(JointAt(frame, bone.jointA), JointAt(frame, bone.jointB));
        }
    }
}

void EmptyUnfilledSlots(const FrameFill& fill) {
    for (int32_t frame = 0; frame <= editor.maxFrame; ++frame) {
        for (int32_t slot = fill.joints[static_cast<std::size_t>(frame)]; slot < kSlotCount;
             ++slot) {
            JointAt(frame, slot).state = JointEmpty;
        }
        for (int32_t slot = fill.bones[static_cast<std::size_t>(frame)]; slot < kSlotCount;
             ++slot) {
            BoneAt(frame, slot).jointA = -1;
            BoneAt(frame, slot).jointB = -1;
        }
    }
}

// Returns whether the record was taken.
bool LoadRecord(const unsigned char* record, FrameFill* fill) {
    int32_t frame = GetWord(record);
    if (!IsFrame(frame)) {
        return false;
    }
    int32_t& joints = fill->joints[static_cast<std::size_t>(frame)];
    if (GetByte(record + 2) == kJointRecord) {
        int32_t state = GetByte(record + 7);
        if (state <= 0 || joints >= kSlotCount) {
            return false;
        }
        Joint& joint = JointAt(frame, joints++);
        joint.x = editor.boxLeft + GetWord(record + 3);
        joint.y = editor.boxTop + GetWord(record + 5);
        joint.state = static_cast<int8_t>(state);
        return true;
    }
    int32_t jointA = GetWord(record + 3);
    int32_t jointB = GetWord(record + 5);
    int32_t& bones = fill->bones[static_cast<std::size_t>(frame)];
    if (jointA < 0 || jointA >= joints || jointB < 0 || jointB >= joints || bones >= kSlotCount) {
        return false;
    }
    Bone& bone = BoneAt(frame, bones++);
    bone.jointA = jointA;
    bone.jointB = jointB;
    bone.kind = static_cast<int8_t>(GetByte(record + 7));
    return true;
}

bool IsContinuationByte(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}
bool IsLeadByte(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0xC0;
}

// The length of `path` less its last four characters. A character is a UTF-8 sequence (a lead
// byte and up to three continuation bytes); any other byte counts on its own. For names in ASCII
// this is the length less four, and never below 0.
int32_t StemLength(const char* path) {
    int32_t end = StringLength(path);
    for (int32_t cut = 0; cut < kStemCut && end > 0; ++cut) {
        int32_t at = end - 1;
        int32_t continuations = 0;
        while (at > 0 && continuations < 3 && IsContinuationByte(path[at])) {
            --at;
            ++continuations;
        }
        end = continuations > 0 && IsLeadByte(path[at]) ? at : end - 1;
    }
    return end;
}

} // namespace

// The buffer is sized for the largest animation once; records are copied in without growing it.
void EncodeAnimation(std::vector<unsigned char>* bytes) {
    auto frames = static_cast<std::size_t>(editor.maxFrame) + 1;
    std::size_t most = kHeaderSize + frames * kSlotCount * 2 * kRecordSize;
    if (bytes->size() < most) {
        bytes->resize(most);
    }
    unsigned char* out = bytes->data();
    std::size_t used = 0;
    WriteAnimation([out, &used](const unsigned char* data, int32_t count) {
        std::memcpy(out + used, data, static_cast<std::size_t>(count));
        used += static_cast<std::size_t>(count);
    });
    bytes->resize(used);
}

// The whole animation is encoded first and goes to a new file in one write, which then takes the
// old file's place.
int32_t SaveAnimation() {
    if (StringEqual(editor.basePath, "") != 0) {
        return 0;
    }
    static std::vector<unsigned char> bytes;
    EncodeAnimation(&bytes);
    std::string error; // the status line says only whether it worked
    return AtomicFileReplaceWith(editor.basePath, bytes.data(), bytes.size(), &error) ? 1 : 0;
}

// The whole file is read before anything changes, so that a file that cannot be read to its end
// (an error of the disk, a file far too large to be an animation) leaves the editor as it was.
int32_t LoadAnimation() {
    std::string error; // the status line says only whether it worked
    if (StringEqual(editor.basePath, "") != 0 || !CheckFileToRead(editor.basePath, &error) ||
        FileOpenRead(kFile, editor.basePath) == 0) {
        return 0;
    }
    int64_t length = FileLength(kFile);
    if (length < 0 || length > kLargestFile) {
        FileClose(kFile);
        return 0;
    }
    // Room for the header and a last record cut short, whose missing bytes read as 0.
    static std::vector<unsigned char> bytes;
    bytes.assign(static_cast<std::size_t>(length) + kHeaderSize + kRecordSize, 0);
    auto size = static_cast<int32_t>(length);
    bool read = size == 0 || FileReadBlock(kFile, bytes.data(), size) == size;
    FileClose(kFile);
    if (!read) {
        return 0;
    }
    LoadHeader(bytes.data());
    auto frames = static_cast<std::size_t>(editor.maxFrame) + 1;
    FrameFill fill{std::vector<int32_t>(frames, 0), std::vector<int32_t>(frames, 0)};
    int32_t lastFrame = 0;
    for (int32_t offset = kHeaderSize; offset < size; offset += kRecordSize) {
        const unsigned char* record = bytes.data() + offset;
        if (LoadRecord(record, &fill)) {
            lastFrame = GetWord(record);
        }
    }
    MeasureLoadedBones(fill);
    EmptyUnfilledSlots(fill);
    editor.playbackEnd = lastFrame;
    editor.currentFrame = 0;
    return 1;
}

char* SiblingFileName(const char* suffix, int32_t start) {
    StringLeft(editor.basePath, StemLength(editor.basePath), start);
    AppendText(suffix);
    return WorkBufferText(start);
}

void SaveBackupAtExit() {
    if (StringEqual(editor.basePath, "") != 0) {
        return;
    }
    int32_t start = WorkBufferLength();
    SiblingFileName(kBackupSuffix, start);
    StoreBuiltString(&editor.basePath, start);
    SaveAnimation();
}
