// The animation file. Joint positions are stored relative to the box's top-left corner, and the
// box is centred in the window on loading. A joint record carries no slot number: loading packs a
// frame's joints into slots 0, 1, 2... in file order, so every bone end is written as its joint's
// position among the frame's saved joints, and a bone that names an unsaved joint is left out.
// Loading skips every record that could not have come from a save: frames outside the grid, joint
// states of 0 or below, bone ends that name no joint loaded so far, a 502nd joint or bone.
//
// Styles, the ground colour and the playback rate travel in style records: bone records of a type
// above 1 whose two joint numbers are both -1, placed after the last bone of their frame. A loader
// that knows only joints and bones puts such a record into the frame's first free bone slot and
// leaves that slot free (both ends -1), so the next one takes the same slot again and no slot in
// use changes; this loader never takes them as bones at all. Each carries one byte of value; the
// style bytes set a running style, which an apply record then gives to one of the frame's bones.
// The sound's reference travels the same way, one byte of its path a record.
#include "storage/animation_file.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "model/bone_style.h"
#include "storage/atomic_file.h"
#include "storage/file_kinds.h"
#include "storage/numbered_files.h"
#include "storage/text.h"

namespace {

constexpr int32_t kFile = 0;
constexpr int32_t kHeaderSize = 7;
constexpr int32_t kRecordSize = 8;
constexpr int32_t kJointRecord = 0;
constexpr int32_t kBoneRecord = 1;
constexpr int32_t kNoJoint = -1; // both joint numbers of a style record
// The types of the style records, and the value byte each carries.
enum StyleRecord : int32_t {
    StyleRed = 2,           // red of the running style's own colour
    StyleGreen = 3,         // green
    StyleBlue = 4,          // blue
    StyleOwnColour = 5,     // 1: the colour above, 0: the bone kind's colour (red, green, blue 0)
    StyleThickness = 6,     // width in pixels less one, 0 to 31
    StyleShape = 7,         // 0 line, 1 circle, 2 disc
    StyleApplyLow = 8,      // the running style goes to the frame's bone at this position
    StyleApplyHigh = 9,     // ... at 256 + this position
    StyleGroundRed = 16,    // the animation's ground colour
    StyleGroundGreen = 17,  //
    StyleGroundBlue = 18,   //
    StylePlaybackRate = 19, // the strip's playback rate, 1 to 100 frames a second
    SoundReferenceByte = 20 // the next byte of the sound's reference (never 0)
};
// The parts of a bone's style that the style records above carry into the running style, in the
// order a save writes them, each with the highest value a save writes. The colour's red, green and
// blue mean nothing while the style has the kind's colour, and are not written then.
struct StylePart {
    int32_t type;
    uint8_t BoneStyle::*part;
    int32_t most;
    bool colour;
};
constexpr StylePart kStyleParts[] = {
    {StyleOwnColour, &BoneStyle::ownColour, 1, false},
    {StyleRed, &BoneStyle::red, 255, true},
    {StyleGreen, &BoneStyle::green, 255, true},
    {StyleBlue, &BoneStyle::blue, 255, true},
    {StyleThickness, &BoneStyle::thickness, kThickestBone - 1, false},
    {StyleShape, &BoneStyle::shape, kShapeCount - 1, false},
};
// Longer references than any path the system opens are no reference at all.
constexpr std::size_t kLongestSoundReference = 4096;
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

// The record's eight bytes are put together in one value and stored in one go: saving writes half
// a million of them.
void PutRecord(unsigned char* record, int32_t frame, int32_t type, int32_t first, int32_t second,
               int32_t last) {
    uint64_t value =
        uint64_t{static_cast<uint16_t>(frame)} | uint64_t{static_cast<uint8_t>(type)} << 16 |
        uint64_t{static_cast<uint16_t>(first)} << 24 |
        uint64_t{static_cast<uint16_t>(second)} << 40 | uint64_t{static_cast<uint8_t>(last)} << 56;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(record, &value, kRecordSize);
    } else {
        for (int32_t index = 0; index < kRecordSize; ++index) {
            record[index] = static_cast<unsigned char>(value >> (8 * index));
        }
    }
}

// What an encoding writes: the header's box and toggles, `frames` frames of 501 joints and 501
// bones each, and the animation's ground, rate and sound.
struct AnimationSource {
    Box box;
    int32_t shadowOn;
    int32_t headOn;
    int32_t collisionOn;
    const Joint* joints;
    const Bone* bones;
    int32_t frames;
    int32_t groundColour;
    int32_t playbackRate;
    const std::string* soundReference; // null: none
};

AnimationSource SourceOf(const Animation& animation) {
    return {animation.box,           animation.shadowOn,
            animation.headOn,        animation.collisionOn,
            animation.joints.data(), animation.bones.data(),
            animation.maxFrame + 1,  animation.groundColour,
            animation.playbackRate,  &animation.sound.reference};
}

// Bytes appended to a buffer that only grows, so that encoding the same animation again writes
// into memory already there and never clears it first; `used` says how much of it holds the file.
class RecordBuffer {
  public:
    explicit RecordBuffer(std::vector<unsigned char>* bytes) : bytes_(bytes) {}
    // Room for count more bytes, written through the pointer and then committed with Commit.
    unsigned char* Reserve(std::size_t count) {
        if (used_ + count > bytes_->size()) {
            bytes_->resize(std::max(bytes_->size() * 2, used_ + count));
        }
        return bytes_->data() + used_;
    }
    void Commit(std::size_t count) { used_ += count; }
    void Put(const unsigned char* data, std::size_t count) {
        std::memcpy(Reserve(count), data, count);
        Commit(count);
    }
    std::size_t Used() const { return used_; }

  private:
    std::vector<unsigned char>* bytes_;
    std::size_t used_ = 0;
};

void PutStyleRecord(RecordBuffer& out, int32_t frame, int32_t type, int32_t value) {
    unsigned char record[kRecordSize];
    PutRecord(record, frame, type, kNoJoint, kNoJoint, value);
    out.Put(record, kRecordSize);
}

// The records that give the bone at `position` its style, after the frame's bones: only the
// parts that differ from the running style, then the apply record.
void PutBoneStyle(RecordBuffer& out, int32_t frame, int32_t position, const BoneStyle& style,
                  BoneStyle* running) {
    for (const StylePart& part : kStyleParts) {
        bool colourUnused = part.colour && style.ownColour == 0;
        if (style.*part.part != running->*part.part && !colourUnused) {
            PutStyleRecord(out, frame, part.type, style.*part.part);
        }
    }
    *running = style;
    if (style.ownColour == 0) { // a loader clears the colour with the flag
        running->red = running->green = running->blue = 0;
    }
    PutStyleRecord(out, frame, StyleApplyLow + (position >> 8), position & 0xFF);
}

// What a frame's records hold: how many joints and bones, and whether a saved bone has a style of
// its own (the slots of the saved bones, in their order, go into `savedBones`).
struct FrameRecords {
    int32_t joints = 0;
    int32_t bones = 0;
    bool styles = false;
};

// One frame's joint and bone records, written straight into room reserved for the most a frame
// can hold.
FrameRecords PutFrame(RecordBuffer& out, const AnimationSource& source, int32_t frame,
                      const Joint* joints, const Bone* bones, int32_t savedBones[]) {
    unsigned char* record = out.Reserve(std::size_t{2} * kSlotCount * kRecordSize);
    unsigned char* const first = record;
    int32_t positionOf[kSlotCount];
    int32_t count = 0;
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Joint& joint = joints[slot];
        positionOf[slot] = -1;
        if (joint.state > 0) {
            positionOf[slot] = count++;
            PutRecord(record, frame, kJointRecord, Difference(joint.x, source.box.left),
                      Difference(joint.y, source.box.top), joint.state);
            record += kRecordSize;
        }
    }
    FrameRecords records;
    records.joints = count;
    for (int32_t slot = 0; slot < kSlotCount && count > 0; ++slot) {
        const Bone& bone = bones[slot];
        if (!BoneInUse(bone) || !IsJointSlot(bone.jointA) || !IsJointSlot(bone.jointB) ||
            positionOf[bone.jointA] < 0 || positionOf[bone.jointB] < 0) {
            continue;
        }
        PutRecord(record, frame, kBoneRecord, positionOf[bone.jointA], positionOf[bone.jointB],
                  bone.kind);
        record += kRecordSize;
        savedBones[records.bones++] = slot;
        records.styles = records.styles || HasOwnStyle(bone.style);
    }
    out.Commit(static_cast<std::size_t>(record - first));
    return records;
}

// Writes the header and the records into `out`.
void WriteAnimation(const AnimationSource& source, RecordBuffer& out) {
    unsigned char header[kHeaderSize];
    PutWord(header, Difference(source.box.right, source.box.left));
    PutWord(header + 2, Difference(source.box.bottom, source.box.top));
    header[4] = static_cast<unsigned char>(source.shadowOn & 0xFF);
    header[5] = static_cast<unsigned char>(source.headOn & 0xFF);
    header[6] = static_cast<unsigned char>(source.collisionOn & 0xFF);
    out.Put(header, kHeaderSize);

    int32_t savedBones[kSlotCount];
    BoneStyle running{};
    int32_t lastFrameWritten = 0;
    for (int32_t frame = 0; frame < source.frames; ++frame) {
        const Joint* joints = source.joints + static_cast<std::ptrdiff_t>(frame) * kSlotCount;
        const Bone* bones = source.bones + static_cast<std::ptrdiff_t>(frame) * kSlotCount;
        FrameRecords records = PutFrame(out, source, frame, joints, bones, savedBones);
        for (int32_t position = 0; records.styles && position < records.bones; ++position) {
            BoneStyle style = CleanStyle(bones[savedBones[position]].style);
            if (!IsDefaultStyle(style)) {
                PutBoneStyle(out, frame, position, style, &running);
            }
        }
        lastFrameWritten = records.joints > 0 ? frame : lastFrameWritten;
    }
    // The animation's own settings close the file, in the frame of its last record, so that even a
    // loader that takes every record as a joint or bone ends playback where it would without them.
    if (source.groundColour != kDefaultGroundColour) {
        PutStyleRecord(out, lastFrameWritten, StyleGroundRed, source.groundColour >> 16 & 0xFF);
        PutStyleRecord(out, lastFrameWritten, StyleGroundGreen, source.groundColour >> 8 & 0xFF);
        PutStyleRecord(out, lastFrameWritten, StyleGroundBlue, source.groundColour & 0xFF);
    }
    if (source.playbackRate != kDefaultPlaybackRate && source.playbackRate >= 1 &&
        source.playbackRate <= kHighestPlaybackRate) {
        PutStyleRecord(out, lastFrameWritten, StylePlaybackRate, source.playbackRate);
    }
    const std::string* reference = source.soundReference;
    if (reference != nullptr && reference->size() <= kLongestSoundReference &&
        reference->find('\0') == std::string::npos) {
        for (char byte : *reference) {
            PutStyleRecord(out, lastFrameWritten, SoundReferenceByte, static_cast<uint8_t>(byte));
        }
    }
}

// Encodes into `bytes`, which keeps its size from one encoding to the next; returns how many of
// them the file is.
std::size_t Encode(const AnimationSource& source, std::vector<unsigned char>* bytes) {
    RecordBuffer out(bytes);
    WriteAnimation(source, out);
    return out.Used();
}

// The largest animation is about 4 MB; a file many times that size is no animation, however many
// records a loader could skip.
constexpr int64_t kLargestFile = int64_t{64} << 20;

// Where a decoding puts what it reads: `frames` frames of 501 joints and 501 bones each (`stride`
// slots apart), the box centred in the window with the stored size, the toggles, the ground and
// the rate.
struct AnimationTarget {
    Joint* joints;
    Bone* bones;
    int32_t frames;
    int32_t stride;
    Box box = {};
    int32_t shadowOn = 0;
    int32_t headOn = 0;
    int32_t collisionOn = 0;
    int32_t groundColour = kDefaultGroundColour;
    int32_t playbackRate = kDefaultPlaybackRate;
    std::string soundReference = {}; // empty for none
    Joint& JointOf(int32_t frame, int32_t slot) const {
        return joints[static_cast<std::ptrdiff_t>(frame) * stride + slot];
    }
    Bone& BoneOf(int32_t frame, int32_t slot) const {
        return bones[static_cast<std::ptrdiff_t>(frame) * stride + slot];
    }
};

void LoadHeader(const unsigned char* header, AnimationTarget* target) {
    int32_t width = GetWord(header);
    int32_t height = GetWord(header + 2);
    target->box.left = (kSceneWidth - width) / 2;
    target->box.top = (kSceneHeight - height) / 2;
    target->box.right = target->box.left + width;
    target->box.bottom = target->box.top + height;
    target->shadowOn = GetByte(header + 4);
    target->headOn = GetByte(header + 5);
    target->collisionOn = GetByte(header + 6);
}

// How many joints and bones each frame has received so far. Every frame is empty when loading
// starts and only receives, so the first free slot of a frame is always its count: no frame is
// scanned, and the slots past the counts are emptied once at the end.
struct FrameFill {
    std::vector<int32_t> joints;
    std::vector<int32_t> bones;
    BoneStyle running;
    std::string soundReference; // its bytes so far; longer than kLongestSoundReference: none
};

// A bone's joints are in place before the bone is taken and never move during a load, so every
// rest length can be measured at the end, in one run of roots that overlap each other.
void MeasureLoadedBones(const FrameFill& fill, const AnimationTarget& target) {
    for (int32_t frame = 0; frame < target.frames; ++frame) {
        for (int32_t slot = 0; slot < fill.bones[static_cast<std::size_t>(frame)]; ++slot) {
            Bone& bone = target.BoneOf(frame, slot);
            bone.restLength = JointDistance(target.JointOf(frame, bone.jointA),
                                            target.JointOf(frame, bone.jointB));
        }
    }
}

void EmptyUnfilledSlots(const FrameFill& fill, const AnimationTarget& target) {
    for (int32_t frame = 0; frame < target.frames; ++frame) {
        for (int32_t slot = fill.joints[static_cast<std::size_t>(frame)]; slot < kSlotCount;
             ++slot) {
            target.JointOf(frame, slot).state = JointEmpty;
        }
        for (int32_t slot = fill.bones[static_cast<std::size_t>(frame)]; slot < kSlotCount;
             ++slot) {
            target.BoneOf(frame, slot).jointA = -1;
            target.BoneOf(frame, slot).jointB = -1;
        }
    }
}

bool IsStyleRecord(const unsigned char* record) {
    int32_t type = record[2];
    return type > kBoneRecord && GetWord(record + 3) == kNoJoint && GetWord(record + 5) == kNoJoint;
}

// A style record's value goes into the running style, gives it to a bone the frame has received,
// or sets the ground or the rate. Values that no save writes leave everything as it was.
void LoadStyleRecord(int32_t frame, int32_t type, int32_t value, FrameFill* fill,
                     AnimationTarget* target) {
    BoneStyle& running = fill->running;
    auto byte = static_cast<uint8_t>(value);
    int32_t position = (type - StyleApplyLow) * 256 + value;
    for (const StylePart& part : kStyleParts) {
        if (type == part.type && value <= part.most) {
            running.*part.part = byte;
            if (type == StyleOwnColour) {
                running = CleanStyle(running); // the kind's colour clears red, green and blue
            }
        }
    }
    switch (type) {
    case StyleApplyLow:
    case StyleApplyHigh:
        if (position < fill->bones[static_cast<std::size_t>(frame)]) {
            target->BoneOf(frame, position).style = CleanStyle(running);
        }
        break;
    case StyleGroundRed:
        target->groundColour = (target->groundColour & 0x00FFFF) | value << 16;
        break;
    case StyleGroundGreen:
        target->groundColour = (target->groundColour & 0xFF00FF) | value << 8;
        break;
    case StyleGroundBlue:
        target->groundColour = (target->groundColour & 0xFFFF00) | value;
        break;
    case StylePlaybackRate:
        if (value >= 1 && value <= kHighestPlaybackRate) {
            target->playbackRate = value;
        }
        break;
    case SoundReferenceByte:
        if (value != 0 && fill->soundReference.size() <= kLongestSoundReference) {
            fill->soundReference.push_back(static_cast<char>(byte));
        }
        break;
    default: // a later version's record
        break;
    }
}

// Returns whether the record was taken as a joint or a bone. Records of frames the target does
// not hold are passed over.
bool LoadRecord(const unsigned char* record, FrameFill* fill, AnimationTarget* target) {
    int32_t frame = GetWord(record);
    if (frame < 0 || frame >= target->frames) {
        return false;
    }
    if (IsStyleRecord(record)) {
        LoadStyleRecord(frame, record[2], record[7], fill, target);
        return false;
    }
    int32_t& joints = fill->joints[static_cast<std::size_t>(frame)];
    if (GetByte(record + 2) == kJointRecord) {
        int32_t state = GetByte(record + 7);
        if (state <= 0 || joints >= kSlotCount) {
            return false;
        }
        Joint& joint = target->JointOf(frame, joints++);
        joint.x = target->box.left + GetWord(record + 3);
        joint.y = target->box.top + GetWord(record + 5);
        joint.state = static_cast<int8_t>(state);
        return true;
    }
    int32_t jointA = GetWord(record + 3);
    int32_t jointB = GetWord(record + 5);
    int32_t& bones = fill->bones[static_cast<std::size_t>(frame)];
    if (jointA < 0 || jointA >= joints || jointB < 0 || jointB >= joints || bones >= kSlotCount) {
        return false;
    }
    Bone& bone = target->BoneOf(frame, bones++);
    bone.jointA = jointA;
    bone.jointB = jointB;
    bone.kind = static_cast<int8_t>(GetByte(record + 7));
    bone.style = BoneStyle{};
    return true;
}

// Decodes a whole file's bytes (followed by room for a header and a record cut short, zero) into
// the target; returns the frame of the last record taken as a joint or bone, 0 for none.
int32_t Decode(const std::vector<unsigned char>& bytes, int32_t size, AnimationTarget* target) {
    LoadHeader(bytes.data(), target);
    auto frames = static_cast<std::size_t>(target->frames);
    FrameFill fill{std::vector<int32_t>(frames, 0), std::vector<int32_t>(frames, 0), BoneStyle{},
                   std::string()};
    int32_t lastFrame = 0;
    for (int32_t offset = kHeaderSize; offset < size; offset += kRecordSize) {
        const unsigned char* record = bytes.data() + offset;
        if (LoadRecord(record, &fill, target)) {
            lastFrame = GetWord(record);
        }
    }
    MeasureLoadedBones(fill, *target);
    EmptyUnfilledSlots(fill, *target);
    bool referenceWhole = fill.soundReference.size() <= kLongestSoundReference;
    target->soundReference = referenceWhole ? std::move(fill.soundReference) : std::string();
    return lastFrame;
}

// The whole file at `path` into `bytes`, with room after it for the header and a last record cut
// short, whose missing bytes read as 0. False, with `bytes` of no use, when the path is no file
// that can be read, cannot be read to its end or is far too large to be an animation.
bool ReadAnimationBytes(const char* path, std::vector<unsigned char>* bytes, int32_t* size) {
    std::string error; // the status line says only whether it worked
    if (StringEqual(path, "") != 0 || !CheckFileToRead(path, &error) ||
        FileOpenRead(kFile, path) == 0) {
        return false;
    }
    int64_t length = FileLength(kFile);
    if (length < 0 || length > kLargestFile) {
        FileClose(kFile);
        return false;
    }
    bytes->assign(static_cast<std::size_t>(length) + kHeaderSize + kRecordSize, 0);
    *size = static_cast<int32_t>(length);
    bool read = *size == 0 || FileReadBlock(kFile, bytes->data(), *size) == *size;
    FileClose(kFile);
    return read;
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

void EncodeAnimation(const Animation& animation, std::vector<unsigned char>* bytes) {
    bytes->resize(Encode(SourceOf(animation), bytes));
}

// The toggles, the ground and the rate are the defaults: they belong to an animation, not to a
// figure.
void EncodeOneFrame(const Joint* joints, const Bone* bones, const Box& box,
                    std::vector<unsigned char>* bytes) {
    AnimationSource source{
        box, 0, 0, 0, joints, bones, 1, kDefaultGroundColour, kDefaultPlaybackRate, nullptr};
    bytes->resize(Encode(source, bytes));
}

// The whole animation is encoded first and goes to a new file in one write, which then takes the
// old file's place. The encoding's buffer stays for the next save.
bool SaveAnimation(const char* path, const Animation& animation, std::string* error) {
    std::string ignored;
    std::string* reason = error != nullptr ? error : &ignored;
    if (StringEqual(path, "") != 0) {
        *reason = "no file name";
        return false;
    }
    static std::vector<unsigned char> bytes;
    std::size_t size = Encode(SourceOf(animation), &bytes);
    return AtomicFileReplaceWith(path, bytes.data(), size, reason);
}

namespace {

// The file's bytes into an animation of empty frames.
void DecodeInto(const std::vector<unsigned char>& bytes, int32_t size, Animation* animation) {
    AnimationTarget target{animation->joints.data(), animation->bones.data(),
                           animation->maxFrame + 1, kSlotCount};
    animation->playbackEnd = Decode(bytes, size, &target);
    animation->box = target.box;
    animation->shadowOn = target.shadowOn;
    animation->headOn = target.headOn;
    animation->collisionOn = target.collisionOn;
    animation->groundColour = target.groundColour;
    animation->playbackRate = target.playbackRate;
    animation->sound.reference = std::move(target.soundReference);
}

std::vector<unsigned char> loadedBytes; // kept between loads, so that a load allocates nothing

} // namespace

// The whole file is read before anything is decoded, so that a file that cannot be read to its end
// (an error of the disk, a file far too large to be an animation) gives no animation at all.
std::optional<Animation> LoadAnimation(const char* path, int32_t lastFrame) {
    int32_t size = 0;
    if (!ReadAnimationBytes(path, &loadedBytes, &size)) {
        return std::nullopt;
    }
    std::optional<Animation> animation(std::in_place, lastFrame);
    DecodeInto(loadedBytes, size, &*animation);
    return animation;
}

bool LoadAnimationInto(const char* path, Animation* animation) {
    int32_t size = 0;
    if (!ReadAnimationBytes(path, &loadedBytes, &size)) {
        return false;
    }
    // Every setting as a fresh animation has it, the frames' memory kept: the decoding fills or
    // empties every slot itself.
    Animation fresh(-1);
    fresh.maxFrame = animation->maxFrame;
    fresh.joints = std::move(animation->joints);
    fresh.bones = std::move(animation->bones);
    *animation = std::move(fresh);
    DecodeInto(loadedBytes, size, animation);
    return true;
}

int32_t LoadFirstFrame(const char* path, Joint* joints, Bone* bones) {
    std::vector<unsigned char> bytes;
    int32_t size = 0;
    if (!ReadAnimationBytes(path, &bytes, &size)) {
        return 0;
    }
    EmptySlots(joints, bones, kSlotCount);
    AnimationTarget target{joints, bones, 1, kSlotCount};
    Decode(bytes, size, &target);
    return 1;
}

char* SiblingFileName(const char* basePath, const char* suffix, int32_t start) {
    StringLeft(basePath, StemLength(basePath), start);
    AppendText(suffix);
    return WorkBufferText(start);
}

char* BackupFileName(const char* basePath, int32_t start) {
    return SiblingFileName(basePath, kBackupSuffix, start);
}
