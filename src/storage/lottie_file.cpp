// The Lottie text is built in one string: static properties only (no keyframes), each chain of
// bones an open path, all of a frame's bones stroked by one stroke. Numbers are written with
// std::to_chars, since the largest animation has a quarter of a million bones.
#include "storage/lottie_file.h"

#include <charconv>
#include <cstdio>

#include "storage/atomic_file.h"

namespace {

constexpr char kLottieVersion[] = "5.7.4";
constexpr int kSquareCap = 3;
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

std::string JsonString(const std::string& text) {
    std::string quoted = "\"";
    for (char character : text) {
        if (character == '"' || character == '\\') {
            quoted += '\\';
        }
        quoted += static_cast<unsigned char>(character) < 0x20 ? ' ' : character;
    }
    return quoted + "\"";
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
void PutBonePath(LottieText* out, const std::vector<BoneSegment>& bones, std::size_t first,
                 std::size_t end) {
    std::string still;
    for (std::size_t point = first; point <= end; ++point) {
        still += point > first ? ",[0,0]" : "[0,0]";
    }
    *out << "{\"ty\":\"sh\",\"ks\":{\"a\":0,\"k\":{\"i\":[" << still << "],\"o\":[" << still
         << "],\"v\":[";
    PutPoint(out, bones[first].x1, bones[first].y1);
    for (std::size_t bone = first; bone < end; ++bone) {
        *out << ",";
        PutPoint(out, bones[bone].x2, bones[bone].y2);
    }
    *out << "],\"c\":false}}},";
}

void PutBones(LottieText* out, const VectorFrame& frame, const VectorStyle& style) {
    *out << "{\"ty\":\"gr\",\"nm\":\"bones\",\"it\":[";
    const std::vector<BoneSegment>& bones = frame.bones;
    for (std::size_t first = 0; first < bones.size();) {
        std::size_t end = first + 1;
        while (end < bones.size() && bones[end].x1 == bones[end - 1].x2 &&
               bones[end].y1 == bones[end - 1].y2) {
            ++end;
        }
        PutBonePath(out, bones, first, end);
        first = end;
    }
    *out << "{\"ty\":\"st\",\"c\":{\"a\":0,\"k\":";
    out->Colour(style.boneColour);
    *out << "},\"o\":{\"a\":0,\"k\":100},\"w\":{\"a\":0,\"k\":" << int64_t{style.boneWidth}
         << "},\"lc\":" << int64_t{kSquareCap} << ",\"lj\":" << int64_t{kRoundJoin} << "},"
         << kGroupTransform << "]}";
}

void PutHead(LottieText* out, const VectorFrame& frame, const VectorStyle& style) {
    int64_t diameter = int64_t{style.headRadius} * 2;
    *out << ",{\"ty\":\"gr\",\"nm\":\"head\",\"it\":[{\"ty\":\"el\",\"d\":1,\"p\":{\"a\":0,\"k\":["
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
    PutBones(out, frame, style);
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
