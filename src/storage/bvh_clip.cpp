// Reading a BVH clip: a tokenizer over the whole text held in memory (so that nothing is ever read
// past its end), the hierarchy read joint by joint, and the motion read value by value. Numbers
// are read by the program itself, independent of the locale.
#include "storage/bvh_clip.h"

#include <algorithm>
#include <cerrno>
#include <cmath>

#include "storage/file_kinds.h"
#include "storage/message_text.h"
#include "storage/numbered_files.h"

namespace {

constexpr int32_t kFile = 0;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr int64_t kLargestClipFile = int64_t{64} << 20;
constexpr int64_t kMostClipFrames = 10'000'000;
constexpr double kShortestFrameTime = 1e-6; // seconds
constexpr double kLongestFrameTime = 60;

bool IsSpace(char character) {
    return character == ' ' || character == '\t' || character == '\r' || character == '\n' ||
           character == '\f' || character == '\v';
}

class Tokens {
  public:
    explicit Tokens(std::string_view text) : text_(text) {}

    // The next word, empty at the end of the text.
    std::string_view Next() {
        while (at_ < text_.size() && IsSpace(text_[at_])) {
            ++at_;
        }
        std::size_t start = at_;
        while (at_ < text_.size() && !IsSpace(text_[at_])) {
            ++at_;
        }
        return text_.substr(start, at_ - start);
    }
    bool AtEnd() {
        std::size_t before = at_;
        bool end = Next().empty();
        at_ = before;
        return end;
    }
    // The line the reading stands on, counted from 1, for the message.
    int64_t Line() const {
        int64_t line = 1;
        for (std::size_t index = 0; index < at_ && index < text_.size(); ++index) {
            line += text_[index] == '\n' ? 1 : 0;
        }
        return line;
    }
    std::size_t Left() const { return text_.size() - at_; }

  private:
    std::string_view text_;
    std::size_t at_ = 0;
};

// A decimal number: sign, digits with at most one point, and an exponent. The significant digits
// make an exact integer and one correctly rounded division or multiplication by a power of ten
// makes the value, as exact as the clips' six decimals need.
bool ParseNumber(std::string_view word, double* value) {
    std::size_t at = 0;
    bool negative = false;
    if (at < word.size() && (word[at] == '-' || word[at] == '+')) {
        negative = word[at++] == '-';
    }
    uint64_t mantissa = 0;
    int32_t scale = 0;
    int32_t digits = 0;
    bool point = false;
    for (; at < word.size(); ++at) {
        char character = word[at];
        if (character == '.' && !point) {
            point = true;
            continue;
        }
        if (character < '0' || character > '9') {
            break;
        }
        ++digits;
        if (mantissa < 100'000'000'000'000'000ull) {
            mantissa = mantissa * 10 + static_cast<uint64_t>(character - '0');
            scale -= point ? 1 : 0;
        } else {
            scale += point ? 0 : 1; // digits past 18 no longer change a double
        }
    }
    if (digits == 0) {
        return false;
    }
    if (at < word.size() && (word[at] == 'e' || word[at] == 'E')) {
        ++at;
        bool negativeExponent = at < word.size() && word[at] == '-';
        at += at < word.size() && (word[at] == '-' || word[at] == '+') ? 1 : 0;
        int32_t exponent = 0;
        std::size_t first = at;
        for (; at < word.size() && word[at] >= '0' && word[at] <= '9'; ++at) {
            exponent = std::min(exponent * 10 + (word[at] - '0'), 1000);
        }
        if (at == first) {
            return false;
        }
        scale += negativeExponent ? -exponent : exponent;
    }
    if (at != word.size()) {
        return false;
    }
    double magnitude = static_cast<double>(mantissa);
    if (mantissa != 0 && scale != 0) {
        double power = std::pow(10.0, std::abs(scale));
        magnitude = scale < 0 ? magnitude / power : magnitude * power;
    }
    *value = negative ? -magnitude : magnitude;
    return std::isfinite(*value);
}

class ClipReader {
  public:
    ClipReader(std::string_view text, MotionClip* clip) : tokens_(text), clip_(clip) {}

    bool Read() {
        if (!Expect("HIERARCHY")) {
            return false;
        }
        std::string_view word = tokens_.Next();
        if (word != "ROOT") {
            return Fail("the hierarchy has no ROOT");
        }
        while (word == "ROOT") {
            if (!ReadJoint(-1, false)) {
                return false;
            }
            word = tokens_.Next();
        }
        if (word != "MOTION") {
            return Fail("MOTION or another ROOT expected, not " + Quoted(word));
        }
        return ReadMotion();
    }

    std::string problem;

  private:
    bool Fail(const std::string& what) {
        problem = "line " + std::to_string(tokens_.Line()) + ": " + what;
        return false;
    }
    bool Expect(std::string_view expected) {
        std::string_view word = tokens_.Next();
        if (word != expected) {
            return Fail(std::string(expected) + " expected" +
                        (word.empty() ? std::string(", the file ends") : ", not " + Quoted(word)));
        }
        return true;
    }
    bool Number(double* value) {
        std::string_view word = tokens_.Next();
        if (word.empty()) {
            return Fail("the file ends where a number belongs");
        }
        if (!ParseNumber(word, value)) {
            return Fail(Quoted(word) + " is not a number");
        }
        if (std::abs(*value) > kLargestClipNumber) {
            return Fail(Quoted(word) + " is out of range");
        }
        return true;
    }
    bool WholeNumber(int64_t most, int64_t* value) {
        double number = 0;
        if (!Number(&number)) {
            return false;
        }
        if (number != std::floor(number) || number < 0 || number > static_cast<double>(most)) {
            return Fail("a whole number from 0 to " + std::to_string(most) + " expected");
        }
        *value = static_cast<int64_t>(number);
        return true;
    }

    // After ROOT, JOINT or End Site: the name (up to the brace), then the body.
    bool ReadJoint(int32_t parent, bool endSite) {
        if (clip_->joints.size() >= static_cast<std::size_t>(kMostClipJoints)) {
            return Fail("more than " + std::to_string(kMostClipJoints) +
                        " joints and end sites, more than a frame holds");
        }
        ClipJoint joint;
        joint.parent = parent;
        joint.endSite = endSite;
        for (std::string_view word = tokens_.Next(); word != "{"; word = tokens_.Next()) {
            if (word.empty() || endSite) {
                return Fail("{ expected");
            }
            joint.name += joint.name.empty() ? "" : " ";
            joint.name += word;
        }
        if (!endSite && joint.name.empty()) {
            return Fail("a joint without a name");
        }
        if (!Expect("OFFSET") || !Number(&joint.offset[0]) || !Number(&joint.offset[1]) ||
            !Number(&joint.offset[2])) {
            return false;
        }
        auto self = static_cast<int32_t>(clip_->joints.size());
        if (endSite) {
            clip_->joints.push_back(std::move(joint));
            return Expect("}");
        }
        if (!Expect("CHANNELS") || !ReadChannels(&joint)) {
            return false;
        }
        clip_->joints.push_back(std::move(joint));
        for (std::string_view word = tokens_.Next(); word != "}"; word = tokens_.Next()) {
            if (word == "JOINT") {
                if (!ReadJoint(self, false)) {
                    return false;
                }
            } else if (word == "End") {
                if (!Expect("Site") || !ReadJoint(self, true)) {
                    return false;
                }
            } else {
                return Fail("JOINT, End Site or } expected" + (word.empty()
                                                                   ? std::string(", the file ends")
                                                                   : ", not " + Quoted(word)));
            }
        }
        return true;
    }

    bool ReadChannels(ClipJoint* joint) {
        static constexpr const char* kNames[] = {"Xposition", "Yposition", "Zposition",
                                                 "Xrotation", "Yrotation", "Zrotation"};
        int64_t count = 0;
        if (!WholeNumber(6, &count)) {
            return false;
        }
        joint->firstChannel = clip_->channelCount;
        for (int64_t index = 0; index < count; ++index) {
            std::string_view word = tokens_.Next();
            int32_t found = -1;
            for (int32_t kind = 0; kind < 6; ++kind) {
                found = word == kNames[kind] ? kind : found;
            }
            if (found < 0) {
                return Fail(Quoted(word) + " is no channel");
            }
            for (ClipChannel earlier : joint->channels) {
                if (static_cast<int32_t>(earlier) == found) {
                    return Fail("the channel " + std::string(word) + " twice");
                }
            }
            joint->channels.push_back(static_cast<ClipChannel>(found));
        }
        clip_->channelCount += static_cast<int32_t>(count);
        return true;
    }

    bool ReadMotion() {
        int64_t frames = 0;
        if (!Expect("Frames:") || !WholeNumber(kMostClipFrames, &frames)) {
            return false;
        }
        if (frames == 0) {
            return Fail("a clip without frames");
        }
        if (!Expect("Frame") || !Expect("Time:") || !Number(&clip_->frameTime)) {
            return false;
        }
        if (!(clip_->frameTime >= kShortestFrameTime && clip_->frameTime <= kLongestFrameTime)) {
            return Fail("the frame time is out of range");
        }
        // Each value takes two bytes at least, a digit and a space: more are not there.
        int64_t count = frames * clip_->channelCount;
        if (count > static_cast<int64_t>(tokens_.Left() / 2 + 1)) {
            return Fail("the file ends before its " + std::to_string(frames) + " frames");
        }
        clip_->frameCount = static_cast<int32_t>(frames);
        clip_->values.resize(static_cast<std::size_t>(count));
        for (double& value : clip_->values) {
            if (!Number(&value)) {
                return false;
            }
        }
        return ReadSurplusFrames(frames);
    }

    // Some clips hold whole frames more than they count; those are passed over, but anything
    // else after the counted frames means the file is not what it says.
    bool ReadSurplusFrames(int64_t frames) {
        int64_t surplus = 0;
        for (double value = 0; !tokens_.AtEnd(); ++surplus) {
            if (!Number(&value)) {
                return false;
            }
        }
        if (surplus > 0 && (clip_->channelCount == 0 || surplus % clip_->channelCount != 0)) {
            return Fail("more values than " + std::to_string(frames) +
                        " frames, not a whole frame");
        }
        return true;
    }

    Tokens tokens_;
    MotionClip* clip_;
};

} // namespace

bool ParseMotionClip(std::string_view text, MotionClip* clip, std::string* error) {
    // A byte-order mark, as some editors write at the start of UTF-8, is no part of the clip.
    if (text.starts_with(kByteOrderMark)) {
        text.remove_prefix(kByteOrderMark.size());
    }
    MotionClip read;
    ClipReader reader(text, &read);
    if (!reader.Read()) {
        *error = reader.problem;
        return false;
    }
    *clip = std::move(read);
    return true;
}

bool ReadMotionClip(const std::string& path, MotionClip* clip, std::string* error) {
    if (!CheckFileToRead(path, error)) {
        return false;
    }
    if (FileOpenRead(kFile, path.c_str()) == 0) {
        *error = "cannot open " + Quoted(path) + ": " + SystemErrorText(errno);
        return false;
    }
    int64_t length = FileLength(kFile);
    if (length < 0 || length > kLargestClipFile) {
        FileClose(kFile);
        *error = Quoted(path) + " is larger than a clip of 64 MiB";
        return false;
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    auto size = static_cast<int32_t>(length);
    errno = 0;
    bool read = size == 0 || FileReadBlock(kFile, text.data(), size) == size;
    int failure = errno;
    FileClose(kFile);
    if (!read) {
        *error = "cannot read " + Quoted(path) + " to its end" +
                 (failure != 0 ? ": " + SystemErrorText(failure) : std::string());
        return false;
    }
    if (!ParseMotionClip(text, clip, error)) {
        *error = Quoted(path) + " is not a motion clip: " + *error;
        return false;
    }
    return true;
}
