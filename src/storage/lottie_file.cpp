// The Lottie text is built in one string: static properties only (no keyframes), each chain of
// bones an open path, each run of line bones of one colour and width stroked by one stroke. Numbers
// are written with std::to_chars, since the largest animation has a quarter of a million bones.
#include "storage/lottie_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "storage/atomic_file.h"
#include "storage/json_text.h"

namespace {

constexpr char kLottieVersion[] = "5.7.4";
constexpr int kSquareCap = 3;
constexpr int kRoundCap = 2;
constexpr int kRoundJoin = 2;

// Layer and shape transforms that leave everything where it is.
constexpr char kLayerTransform[] =
    "{\"o\":{\"a\":0,\"k\":100},\"r\":{\"a\":0,\"k\":0},\"p\":{\"a\":0,\"k\":[0,0,0]},"
    "\"a\":{\"a\":0,\"k\":[0,0,0]},\"s\":{\"a\":0,\"k\":[100,100,100]}}";
constexpr char kGroupTransform[] =
    "{\"ty\":\"tr\",\"p\":{\"a\":0,\"k\":[0,0]},\"a\":{\"a\":0,\"k\":[0,0]},"
    "\"s\":{\"a\":0,\"k\":[100,100]},\"r\":{\"a\":0,\"k\":0},\"o\":{\"a\":0,\"k\":100},"
    "\"sk\":{\"a\":0,\"k\":0},\"sa\":{\"a\":0,\"k\":0}}";

struct LottieText {
    std::string text;

    LottieText& operator<<(const char* part) {
        text += part;
        return *this;
    }
    LottieText& operator<<(const std::string& part) {
        text += part;
        return *this;
    }
    LottieText& operator<<(int64_t number) {
        char digits[24];
        auto result = std::to_chars(digits, digits + sizeof digits, number);
        text.append(digits, result.ptr);
        return *this;
    }
    // A length or position to a thousandth of a pixel, without trailing zeros.
    void Decimal(double value) {
        char digits[48];
        std::snprintf(digits, sizeof digits, "%.3f", value);
        std::string number = digits;
        while (number.back() == '0') {
            number.pop_back();
        }
        if (number.back() == '.') {
            number.pop_back();
        }
        text += number == "-0" ? "0" : number;
    }
    // The centre of pixel `coordinate`: the number plus one half.
    void PixelCentre(int32_t coordinate) {
        int64_t halves = int64_t{coordinate} * 2 + 1;
        if (halves < 0) {
            text += '-';
            halves = -halves;
        }
        *this << halves / 2;
        text += ".5";
    }
    void Colour(uint32_t colour) {
        char values[64];
        std::snprintf(values, sizeof values, "[%.6f,%.6f,%.6f,1]", ((colour >> 16) & 0xFF) / 255.0,
                      ((colour >> 8) & 0xFF) / 255.0, (colour & 0xFF) / 255.0);
        text += values;
    }
};

std::string HexColour(uint32_t colour) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "#%06x", static_cast<unsigned>(colour & 0xFFFFFF));
    return hex;
}

void PutPoint(LottieText* out, int32_t x, int32_t y) {
    *out << "[";
    out->PixelCentre(x);
    *out << ",";
    out->PixelCentre(y);
    *out << "]";
}

// Bones that follow on from the one before (the next starts where the last ended) share one open
// path: a chain of n bones is n + 1 points instead of n paths.
void PutBonePath(LottieText* out, const std::vector<VectorBone>& bones, std::size_t first,
                 std::size_t end) {
    std::string still;
    for (std::size_t point = first; point <= end; ++point) {
        still += point > first ? ",[0,0]" : "[0,0]";
    }
    *out << "{\"ty\":\"sh\",\"ks\":{\"a\":0,\"k\":{\"i\":[" << still << "],\"o\":[" << still
         << "],\"v\":[";
    PutPoint(out, bones[first].segment.x1, bones[first].segment.y1);
    for (std::size_t bone = first; bone < end; ++bone) {
        *out << ",";
        PutPoint(out, bones[bone].segment.x2, bones[bone].segment.y2);
    }
    *out << "],\"c\":false}}},";
}

void PutStroke(LottieText* out, uint32_t colour, int32_t width, int cap) {
    *out << "{\"ty\":\"st\",\"c\":{\"a\":0,\"k\":";
    out->Colour(colour);
    *out << "},\"o\":{\"a\":0,\"k\":100},\"w\":{\"a\":0,\"k\":" << int64_t{width}
         << "},\"lc\":" << int64_t{cap} << ",\"lj\":" << int64_t{kRoundJoin} << "},";
}

bool SameLine(const VectorBone& a, const VectorBone& b) {
    return a.shape == VectorShape::Line && b.shape == VectorShape::Line && a.colour == b.colour &&
           a.width == b.width;
}

// Line bones first to end, all of one colour and width: their chains under one stroke.
void PutLineGroup(LottieText* out, const std::vector<VectorBone>& bones, std::size_t first,
                  std::size_t end) {
    *out << "{\"ty\":\"gr\",\"nm\":\"bones\",\"it\":[";
    for (std::size_t chain = first; chain < end;) {
        std::size_t next = chain + 1;
        while (next < end && bones[next].segment.x1 == bones[next - 1].segment.x2 &&
               bones[next].segment.y1 == bones[next - 1].segment.y2) {
            ++next;
        }
        PutBonePath(out, bones, chain, next);
        chain = next;
    }
    const int32_t width = std::max(bones[first].width, 1);
    PutStroke(out, bones[first].colour, width, width == 1 ? kSquareCap : kRoundCap);
    *out << kGroupTransform << "]}";
}

// The circle through both joints' pixel centres with the bone as its diameter.
void PutCircleGroup(LottieText* out, const VectorBone& bone) {
    const BoneSegment& at = bone.segment;
    const double dx = static_cast<double>(at.x2) - at.x1;
    const double dy = static_cast<double>(at.y2) - at.y1;
    const double diameter = std::hypot(dx, dy);
    *out << "{\"ty\":\"gr\",\"nm\":\"circle\",\"it\":[{\"ty\":\"el\",\"d\":1,\"p\":{\"a\":0,"
            "\"k\":[";
    out->Decimal((static_cast<double>(at.x1) + at.x2 + 1) / 2);
    *out << ",";
    out->Decimal((static_cast<double>(at.y1) + at.y2 + 1) / 2);
    *out << "]},\"s\":{\"a\":0,\"k\":[";
    out->Decimal(diameter);
    *out << ",";
    out->Decimal(diameter);
    *out << "]}},";
    PutStroke(out, bone.colour, std::max(bone.width, 1), kRoundCap);
    if (bone.shape == VectorShape::Disc) {
        *out << "{\"ty\":\"fl\",\"c\":{\"a\":0,\"k\":";
        out->Colour(bone.colour);
        *out << "},\"o\":{\"a\":0,\"k\":100},\"r\":1},";
    }
    *out << kGroupTransform << "]}";
}

// Shapes listed first are drawn on top, so the bones go in from the last drawn to the first.
void PutBones(LottieText* out, const VectorFrame& frame) {
    const std::vector<VectorBone>& bones = frame.bones;
    bool firstGroup = true;
    for (std::size_t end = bones.size(); end > 0;) {
        std::size_t first = end - 1;
        while (first > 0 && SameLine(bones[first - 1], bones[end - 1])) {
            --first;
        }
        *out << (firstGroup ? "" : ",");
        firstGroup = false;
        if (bones[end - 1].shape == VectorShape::Line) {
            PutLineGroup(out, bones, first, end);
        } else {
            PutCircleGroup(out, bones[end - 1]);
        }
        end = first;
    }
}

void PutHead(LottieText* out, const VectorFrame& frame, const VectorStyle& style) {
    int64_t diameter = int64_t{style.headRadius} * 2;
    *out << (frame.bones.empty() ? "" : ",")
         << "{\"ty\":\"gr\",\"nm\":\"head\",\"it\":[{\"ty\":\"el\",\"d\":1,\"p\":{\"a\":0,\"k\":["
         << int64_t{frame.headX} << "," << int64_t{frame.headY} << "]},\"s\":{\"a\":0,\"k\":["
         << diameter << "," << diameter << "]}},{\"ty\":\"fl\",\"c\":{\"a\":0,\"k\":";
    out->Colour(style.headColour);
    *out << "},\"o\":{\"a\":0,\"k\":100},\"r\":1}," << kGroupTransform << "]}";
}

// Shapes listed first are drawn on top: the bones over the head.
void PutFrameLayer(LottieText* out, const VectorFrame& frame, const VectorStyle& style,
                   int64_t index) {
    *out << "{\"ddd\":0,\"ind\":" << index + 1 << ",\"ty\":4,\"nm\":\"frame " << index
         << "\",\"sr\":1,\"ks\":" << kLayerTransform << ",\"ao\":0,\"shapes\":[";
    PutBones(out, frame);
    if (frame.head) {
        PutHead(out, frame, style);
    }
    *out << "],\"ip\":" << index << ",\"op\":" << index + 1 << ",\"st\":0,\"bm\":0}";
}

void PutGroundLayer(LottieText* out, const VectorStyle& style, int64_t index, int64_t end) {
    *out << ",\n{\"ddd\":0,\"ind\":" << index + 1 << ",\"ty\":1,\"nm\":\"ground\",\"sc\":\""
         << HexColour(style.ground) << "\",\"sw\":" << int64_t{style.width}
         << ",\"sh\":" << int64_t{style.height} << ",\"ks\":" << kLayerTransform
         << ",\"ao\":0,\"ip\":0,\"op\":" << end << ",\"st\":0,\"bm\":0}";
}

} // namespace

bool WriteLottieAnimation(const char* path, const std::vector<VectorFrame>& frames,
                          const VectorStyle& style, int32_t framesPerSecond,
                          const std::string& name, std::string* error) {
    if (frames.empty() || framesPerSecond < 1 || style.width < 1 || style.height < 1) {
        *error = "a vector animation needs at least one frame and a frame rate";
        return false;
    }
    auto count = static_cast<int64_t>(frames.size());
    LottieText out;
    out << "{\"v\":\"" << kLottieVersion << "\",\"fr\":" << int64_t{framesPerSecond}
        << ",\"ip\":0,\"op\":" << count << ",\"w\":" << int64_t{style.width}
        << ",\"h\":" << int64_t{style.height} << ",\"nm\":" << JsonString(name)
        << ",\"ddd\":0,\"assets\":[],\"layers\":[";
    for (int64_t index = 0; index < count; ++index) {
        out << (index > 0 ? ",\n" : "\n");
        PutFrameLayer(&out, frames[static_cast<std::size_t>(index)], style, index);
    }
    if (!style.transparent) {
        PutGroundLayer(&out, style, count, count);
    }
    out << "],\"markers\":[]}\n";
    return AtomicFileReplaceWith(path, out.text.data(), out.text.size(), error);
}
