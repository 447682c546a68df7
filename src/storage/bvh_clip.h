// Motion-capture clips in the BVH text format: the hierarchy of joints (each with its offset from
// its parent and the channels it is moved by, end sites as joints without channels) and the
// motion, one line of channel values a clip frame. Reading is strict: a clip that is damaged,
// cut short, holds a number out of range or more joints than a frame has slots is refused whole.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class ClipChannel : uint8_t {
    XPosition,
    YPosition,
    ZPosition,
    XRotation,
    YRotation,
    ZRotation
};

struct ClipJoint {
    std::string name; // empty for an end site
    int32_t parent = -1;
    double offset[3] = {0, 0, 0};
    int32_t firstChannel = 0; // where its values start in a frame's line
    std::vector<ClipChannel> channels;
    bool endSite = false;
};

struct MotionClip {
    std::vector<ClipJoint> joints; // in the file's order: every parent before its children
    int32_t channelCount = 0;      // values on one frame's line
    int32_t frameCount = 0;
    double frameTime = 0;       // seconds from one clip frame to the next
    std::vector<double> values; // frameCount x channelCount, frame-major
};

constexpr int32_t kMostClipJoints = 501;   // the slots of a frame, end sites included
constexpr double kLargestClipNumber = 1e7; // offsets, positions and angles alike

// The clip in text (a UTF-8 byte-order mark before it passed over); false, with a line saying
// what is wrong, when it is not one this reads.
bool ParseMotionClip(std::string_view text, MotionClip* clip, std::string* error);
// The clip in the file at path, which must be a regular file of at most 64 MiB.
bool ReadMotionClip(const std::string& path, MotionClip* clip, std::string* error);
