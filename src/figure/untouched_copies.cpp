// Untouched copies, found by walking back from the frame while the frames share its figure, with
// the span of each joint's places over the frames walked: a candidate key must hold every joint
// within a pixel of all of them.
#include "figure/untouched_copies.h"

#include <algorithm>
#include <array>

#include "figure/inbetweens.h"
#include "model/animation.h"
#include "model/frame_range.h"

namespace {

// The smallest and largest place of one joint over a run of frames.
struct JointSpan {
    int32_t leftmost;
    int32_t rightmost;
    int32_t topmost;
    int32_t bottommost;
};
using Spans = std::array<JointSpan, kSlotCount>;

void ClearSpans(Spans& spans) {
    spans.fill(JointSpan{INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN});
}

void WidenSpans(const Animation& animation, Spans& spans, int32_t frame) {
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Joint& joint = animation.JointAt(frame, slot);
        JointSpan& span = spans[slot];
        span.leftmost = std::min(span.leftmost, joint.x);
        span.rightmost = std::max(span.rightmost, joint.x);
        span.topmost = std::min(span.topmost, joint.y);
        span.bottommost = std::max(span.bottommost, joint.y);
    }
}

// Whether the places of every used joint of the frame, gathered in the spans, lie within `reach`
// pixels of where it is in the frame.
bool SpansWithin(const Animation& animation, const Spans& spans, int32_t frame, int32_t reach) {
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        const Joint& joint = animation.JointAt(frame, slot);
        const JointSpan& span = spans[slot];
        if (joint.state != JointEmpty &&
            (span.leftmost < joint.x - reach || span.rightmost > joint.x + reach ||
             span.topmost < joint.y - reach || span.bottommost > joint.y + reach)) {
            return false;
        }
    }
    return true;
}

bool WithinAPixel(const Animation& animation, int32_t frame, int32_t other) {
    Spans spans;
    ClearSpans(spans);
    WidenSpans(animation, spans, other);
    return SpansWithin(animation, spans, frame, 1);
}

} // namespace

int32_t UntouchedCopyKey(const Animation& animation, int32_t frame, int32_t* firstLooked) {
    if (firstLooked != nullptr) {
        *firstLooked = frame;
    }
    if (frame < 1 || !animation.IsFrame(frame) || !FrameInUse(animation, frame)) {
        return -1;
    }
    Spans spans; // the places in frames candidate + 1 to frame
    ClearSpans(spans);
    WidenSpans(animation, spans, frame);
    int32_t key = -1;
    int32_t candidate = frame - 1;
    // No earlier frame can be the key once the copies spread over more than two pixels.
    for (; candidate >= 0 && FramesShareFigure(animation, candidate, candidate + 1) &&
           SpansWithin(animation, spans, candidate, 2);
         --candidate) {
        if (SpansWithin(animation, spans, candidate, 1)) {
            key = candidate;
        }
        WidenSpans(animation, spans, candidate);
    }
    if (firstLooked != nullptr) {
        *firstLooked = std::max(candidate, 0);
    }
    bool nudged = key > 0 && FramesShareFigure(animation, key - 1, key) &&
                  WithinAPixel(animation, key, key - 1);
    return nudged ? -1 : key;
}

// Walks back from the last frame: each copy's key is found once, and the walk goes on before it.
std::vector<CopyRun> CopyRunsWithin(const Animation& animation, int32_t first, int32_t last) {
    std::vector<CopyRun> runs;
    int32_t frame = std::min(last, animation.maxFrame);
    int32_t after = frame + 1 <= animation.maxFrame ? UntouchedCopyKey(animation, frame + 1) : -1;
    while (frame >= std::max(first, 1)) {
        int32_t key = UntouchedCopyKey(animation, frame);
        if (key < 0) {
            after = key;
            --frame;
            continue;
        }
        bool endsHere = after != key && frame + 1 <= animation.maxFrame;
        if (endsHere && key + 1 >= first && FramesShareFigure(animation, key, frame + 1)) {
            runs.push_back(CopyRun{key, frame + 1});
        }
        after = key;
        frame = key;
    }
    std::reverse(runs.begin(), runs.end());
    return runs;
}
