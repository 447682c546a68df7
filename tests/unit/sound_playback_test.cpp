// The sound heard in scripted sessions: F12 against the headless output's captured samples and
// its clock, and the slice that stepping onto a frame plays. The synthetic sound carries its own
// time on the left channel (1 + sample frame / 16, 0 being silence) and a click on the right.
#include "editor/sound_playback.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "figure/timeline_strip.h"
#include "model/sound_track.h"
#include "runtime/platform.h"
#include "support/editor_frames.h"
#include "support/scripted_session.h"

namespace {

constexpr int64_t kClickAt = 26'400; // 0.55 s
constexpr int16_t kClick = 20'000;

std::vector<int16_t> TimedSound(int64_t frames) {
    std::vector<int16_t> samples(static_cast<size_t>(frames * kSoundChannels));
    for (int64_t at = 0; at < frames; ++at) {
        samples[static_cast<size_t>(at * 2)] = static_cast<int16_t>(1 + at / 16);
        samples[static_cast<size_t>(at * 2 + 1)] =
            at >= kClickAt && at < kClickAt + 64 ? kClick : 0;
    }
    return samples;
}

int16_t Captured(int64_t frame, int channel) {
    return HeadlessAudioCaptured()[static_cast<size_t>(frame * 2 + channel)];
}
// The sound's time that a captured sample frame carries; -1 for silence.
int64_t TimeOf(int64_t frame) {
    return Captured(frame, 0) == 0 ? -1 : (Captured(frame, 0) - 1) * 16;
}

// What each picture of playback showed, and where in the captured samples the sound's clock
// stood then (heard) and where the output's queue began (stream).
struct Pass {
    int32_t frame;
    int64_t heard;
    int64_t stream;
    bool playing;
};
std::vector<Pass> passes;

class SoundPlayback : public ScriptedSession {
  protected:
    void TearDown() override {
        HeadlessOnPresent(nullptr);
        editor.animation.sound = SoundTrack{};
        ScriptedSession::TearDown();
    }
    // F12, held for the first pass, released for `count` more, then pressed again; returns the
    // pictures shown meanwhile.
    static std::vector<Pass> PlayPasses(int32_t count) {
        passes.clear();
        HeadlessOnPresent([] {
            int64_t stream = HeadlessAudioStreamStart();
            passes.push_back(Pass{editor.session.currentFrame, stream + PlatformAudioPlayed(),
                                  stream, editor.session.playing != 0});
        });
        HeadlessInput up;
        HeadlessInput down;
        down.keys[ScanF12] = 0x80;
        Hold(ScanF12);
        HeadlessQueueInput(down);
        for (int32_t pass = 0; pass < count; ++pass) {
            HeadlessQueueInput(up);
        }
        HeadlessQueueInput(down);
        Cycle();
        Release(ScanF12);
        Cycle();
        HeadlessOnPresent(nullptr);
        return passes;
    }
};

struct LoopRow {
    const char* name;
    int32_t rate;
    int32_t first; // the loop: the selection, or from frame 0 to playbackEnd - 1
    int32_t last;
    bool selected;
    int64_t soundFrames;
};

TEST_F(SoundPlayback, PicturesFollowTheSoundsClockAndEachLoopRestartsItsStretch) {
    const LoopRow rows[] = {
        {"whole animation at 10", 10, 0, 19, false, 96'000},
        {"whole animation at 24", 24, 0, 29, false, 96'000},
        {"selection at 40", 40, 12, 31, true, 96'000},
        {"sound shorter than the loop at 25", 25, 0, 39, false, 36'000},
    };
    for (const LoopRow& row : rows) {
        SCOPED_TRACE(row.name);
        editor.animation.sound.samples = TimedSound(row.soundFrames);
        editor.animation.playbackRate = row.rate;
        editor.animation.playbackEnd = row.selected ? 50 : row.last + 1;
        editor.session.selectionFirst = row.selected ? row.first : -1;
        editor.session.selectionLast = row.selected ? row.last : -1;
        int64_t perFrame = kSoundRate / row.rate;
        int64_t loopLength = (row.last - row.first + 1) * perFrame;
        int64_t loopStart = row.first * perFrame;

        std::vector<Pass> shown = PlayPasses(static_cast<int32_t>(loopLength * 5 / 2 / perFrame));
        std::erase_if(shown, [](const Pass& pass) { return !pass.playing; });
        ASSERT_GE(shown.size(), static_cast<size_t>(loopLength * 5 / 2 / perFrame));

        // Every picture shows the frame of the sound heard with it, within one frame, and the
        // click's first sample is heard while a picture within a frame of it is shown.
        int32_t clicksHeard = 0;
        for (size_t index = 0; index + 1 < shown.size(); ++index) {
            const Pass& pass = shown[index];
            int64_t time = TimeOf(pass.heard);
            if (time < 0) { // past the sound's end
                EXPECT_GE(pass.frame, row.soundFrames / perFrame - 1) << "pass " << index;
            } else {
                EXPECT_LE(std::abs(pass.frame - time / perFrame), 1) << "pass " << index;
            }
            for (int64_t at = std::max<int64_t>(pass.heard, 1); at < shown[index + 1].heard; ++at) {
                if (Captured(at, 1) == kClick && Captured(at - 1, 1) != kClick) {
                    EXPECT_LE(std::abs(pass.frame - kClickAt / perFrame), 1) << "pass " << index;
                    clicksHeard += 1;
                }
            }
        }
        // Once in each loop that reached the click's time, if the loop holds it.
        int64_t stream = shown.front().stream;
        bool clickInLoop = kClickAt >= loopStart && kClickAt < loopStart + loopLength &&
                           kClickAt < row.soundFrames;
        int32_t clickLoops = 0;
        for (int64_t at = stream + kClickAt - loopStart; clickInLoop && at < shown.back().heard;
             at += loopLength) {
            clickLoops += 1;
        }
        EXPECT_GE(clickLoops, clickInLoop ? 2 : 0);
        EXPECT_EQ(clicksHeard, clickLoops);
        // The stream starts at the first frame's time and starts over at each loop's top.
        EXPECT_EQ(TimeOf(stream), loopStart);
        EXPECT_EQ(TimeOf(stream + loopLength), loopStart);
        EXPECT_EQ(PlatformAudioPlayed(), 0) << "stopping playback stops the sound";
        EXPECT_EQ(editor.session.currentFrame, row.first);
    }
}

// Without an output the status line says so (a picture outside playback) before the first
// playback only, and the pictures go on at the strip's rate as without a sound.
TEST_F(SoundPlayback, WithoutAnOutputPlaybackRunsSilentAndSaysSoOnce) {
    editor.animation.sound.samples = TimedSound(48'000);
    HeadlessFailAudio(true);
    editor.animation.playbackEnd = 3;
    std::vector<size_t> outsidePlayback;
    for (int run = 0; run < 2; ++run) {
        std::vector<Pass> shown = PlayPasses(6);
        size_t before = shown.size();
        std::erase_if(shown, [](const Pass& pass) { return !pass.playing; });
        outsidePlayback.push_back(before - shown.size());
        ASSERT_GE(shown.size(), 6u) << "run " << run;
        for (size_t index = 0; index < shown.size(); ++index) {
            EXPECT_EQ(shown[index].frame, static_cast<int32_t>(index % 3)) << "run " << run;
        }
    }
    EXPECT_EQ(outsidePlayback[0], outsidePlayback[1] + 1);
    EXPECT_FALSE(HeadlessAudioOpen());
    EXPECT_TRUE(HeadlessAudioCaptured().empty());
}

struct StepRow {
    const char* name;
    int32_t rate;
    int32_t startFrame;
    int32_t scanCode; // 0: a click on the strip's cell of heardFrame
    int32_t heardFrame;
};

// Frames 0 to 30 hold a joint, so that Ende goes to frame 30.
TEST_F(SoundPlayback, SteppingOntoAFramePlaysItsSliceAlone) {
    editor.animation.sound.samples = TimedSound(48'000);
    for (int32_t frame = 0; frame <= 30; ++frame) {
        JointAt(frame, 0) = Joint{100, 100, JointNormal};
    }
    const StepRow rows[] = {
        {"F7 at 40", 40, 3, ScanF7, 4},
        {"F6 at 12", 12, 5, ScanF6, 4},
        {"Pos1 at 24", 24, 9, ScanHome, 0},
        {"Ende at 40", 40, 2, ScanEnd, 30},
        {"Ende at 1, past the sound", 1, 2, ScanEnd, 30},
        {"strip cell at 10", 10, 2, 0, 6},
    };
    for (const StepRow& row : rows) {
        SCOPED_TRACE(row.name);
        editor.animation.playbackRate = row.rate;
        editor.session.currentFrame = row.startFrame;
        int64_t clears = HeadlessAudioClears();
        if (row.scanCode != 0) {
            Tap(row.scanCode);
        } else {
            int32_t cell = row.heardFrame - StripFirstFrameFor(editor.session.currentFrame,
                                                               editor.animation.maxFrame);
            MoveCursor(4 + 66 * cell + 32, 620);
            SetButtons(kLeftButton);
            Cycle();
            SetButtons(0);
            Cycle();
        }
        ASSERT_EQ(editor.session.currentFrame, row.heardFrame);
        EXPECT_EQ(HeadlessAudioClears(), clears + 1) << "the slice cuts off what played before";
        int64_t start = std::min<int64_t>(row.heardFrame * kSoundRate / row.rate, 48'000);
        int64_t end = std::min<int64_t>(start + kSoundRate / row.rate, 48'000);
        const std::vector<int16_t>& captured = HeadlessAudioCaptured();
        EXPECT_TRUE(std::equal(captured.begin() + HeadlessAudioStreamStart() * kSoundChannels,
                               captured.end(),
                               editor.animation.sound.samples.begin() + start * kSoundChannels,
                               editor.animation.sound.samples.begin() + end * kSoundChannels));
    }
}

} // namespace
