// The sound heard in scripted sessions: F12 against the headless output's captured samples and
// its clock, and the slice that stepping onto a frame plays. The synthetic sound carries its own
// time on the left channel (1 + sample frame / 16, 0 being silence) and a click on the right.
#include "editor/sound_playback.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "editor/timeline.h"
#include "figure/timeline_strip.h"
#include "model/sound_track.h"
#include "runtime/platform.h"
#include "support/scripted_session.h"

namespace {

constexpr int64_t kClickAt = 26'400; // 0.55 s
constexpr int64_t kClickLength = 64;
constexpr int16_t kClick = 20'000;

std::vector<int16_t> TimedSound(int64_t frames) {
    std::vector<int16_t> samples(static_cast<size_t>(frames * kSoundChannels));
    for (int64_t at = 0; at < frames; ++at) {
        samples[static_cast<size_t>(at * 2)] = static_cast<int16_t>(1 + at / 16);
        samples[static_cast<size_t>(at * 2 + 1)] =
            at >= kClickAt && at < kClickAt + kClickLength ? kClick : 0;
    }
    return samples;
}

// The sound's time that a captured sample frame carries; -1 for silence.
int64_t TimeOf(int64_t capturedFrame) {
    int16_t code = HeadlessAudioCaptured()[static_cast<size_t>(capturedFrame * 2)];
    return code == 0 ? -1 : (code - 1) * 16;
}

// What each picture showed, and where in the captured samples the sound's clock stood then.
struct Pass {
    int32_t frame;
    int64_t heard;  // a sample frame of HeadlessAudioCaptured()
    int64_t stream; // where the output's queue started in HeadlessAudioCaptured()
    bool playing;
};
std::vector<Pass> passes;

class SoundPlayback : public ScriptedSession {
  protected:
    void TearDown() override {
        HeadlessOnPresent(nullptr);
        soundTrack = SoundTrack{};
        passes.clear();
        ScriptedSession::TearDown();
    }
    static void FollowPresents() {
        HeadlessOnPresent([] {
            passes.push_back(Pass{editor.currentFrame,
                                  HeadlessAudioStreamStart() + PlatformAudioPlayed(),
                                  HeadlessAudioStreamStart(), editor.playing != 0});
        });
    }
    // F12, held for the first pass, released for `count` more, then pressed again.
    static void PlayPasses(int32_t count) {
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
    }
};

struct LoopRow {
    const char* name;
    int32_t rate;
    int32_t playbackEnd;
    int32_t selectionFirst; // -1: none
    int32_t selectionLast;
    int64_t soundFrames;
};

TEST_F(SoundPlayback, PicturesFollowTheSoundsClockAndEachLoopRestartsItsStretch) {
    const LoopRow rows[] = {
        {"whole animation at 10", 10, 20, -1, -1, 96'000},
        {"whole animation at 24", 24, 30, -1, -1, 96'000},
        {"selection at 40", 40, 50, 12, 31, 96'000},
        {"sound shorter than the loop at 25", 25, 40, -1, -1, 36'000},
    };
    for (const LoopRow& row : rows) {
        SCOPED_TRACE(row.name);
        soundTrack.samples = TimedSound(row.soundFrames);
        editor.playbackRate = row.rate;
        editor.playbackEnd = row.playbackEnd;
        editor.selectionFirst = row.selectionFirst;
        editor.selectionLast = row.selectionLast;
        int32_t first = row.selectionFirst >= 0 ? row.selectionFirst : 0;
        int32_t last = row.selectionFirst >= 0 ? row.selectionLast : row.playbackEnd - 1;
        int32_t loopFrames = last - first + 1;
        int64_t perFrame = kSoundRate / row.rate;
        int64_t loopStart = first * perFrame;

        passes.clear();
        FollowPresents();
        PlayPasses(loopFrames * 5 / 2);
        HeadlessOnPresent(nullptr);
        std::erase_if(passes, [](const Pass& pass) { return !pass.playing; });
        ASSERT_GE(passes.size(), static_cast<size_t>(loopFrames * 5 / 2));

        // Every picture shows the frame of the sound heard with it, within one frame.
        int32_t clicksShown = 0;
        for (size_t index = 0; index < passes.size(); ++index) {
            const Pass& pass = passes[index];
            int64_t time = TimeOf(pass.heard);
            if (time < 0) {
                EXPECT_GE(pass.frame, row.soundFrames / perFrame - 1) << "pass " << index;
            } else {
                EXPECT_LE(std::abs(pass.frame - time / perFrame), 1)
                    << "pass " << index << " heard " << time;
            }
            int64_t until = index + 1 < passes.size() ? passes[index + 1].heard : pass.heard;
            for (int64_t at = pass.heard; at < until; ++at) {
                bool clickStarts =
                    HeadlessAudioCaptured()[static_cast<size_t>(at * 2 + 1)] == kClick &&
                    (at == 0 || HeadlessAudioCaptured()[static_cast<size_t>(at * 2 - 1)] != kClick);
                if (clickStarts) {
                    EXPECT_LE(std::abs(pass.frame - kClickAt / perFrame), 1) << "pass " << index;
                    clicksShown += 1;
                }
            }
        }
        // The click is heard once in each loop that reached its time.
        int64_t start = passes.front().stream;
        int64_t loopLength = loopFrames * perFrame;
        int32_t clickLoops = 0;
        bool clickInLoop = kClickAt >= loopStart && kClickAt < loopStart + loopLength &&
                           kClickAt < row.soundFrames;
        for (int64_t at = start + kClickAt - loopStart; clickInLoop && at < passes.back().heard;
             at += loopLength) {
            clickLoops += at >= passes.front().heard;
        }
        EXPECT_GE(clickLoops, clickInLoop ? 2 : 0);
        EXPECT_EQ(clicksShown, clickLoops);

        // The stream starts at the first frame's time and starts over at each loop's top.
        for (int64_t loop = 0; loop < 2; ++loop) {
            EXPECT_EQ(TimeOf(start + loop * loopFrames * perFrame), loopStart) << "loop " << loop;
        }
        EXPECT_EQ(PlatformAudioPlayed(), 0) << "stopping playback stops the sound";
        EXPECT_EQ(editor.currentFrame, first);
    }
}

// Without an output the status line says so (a picture outside playback) before the first
// playback only, and the pictures go on at the strip's rate as without a sound.
TEST_F(SoundPlayback, WithoutAnOutputPlaybackRunsSilentAndSaysSoOnce) {
    soundTrack.samples = TimedSound(48'000);
    HeadlessFailAudio(true);
    editor.playbackEnd = 3;
    std::vector<int32_t> picturesOutsidePlayback;
    for (int run = 0; run < 2; ++run) {
        passes.clear();
        FollowPresents();
        PlayPasses(6);
        std::vector<int32_t> shown;
        for (const Pass& pass : passes) {
            if (pass.playing) {
                shown.push_back(pass.frame);
            }
        }
        picturesOutsidePlayback.push_back(static_cast<int32_t>(passes.size() - shown.size()));
        ASSERT_GE(shown.size(), 6u) << "run " << run;
        for (size_t index = 0; index < shown.size(); ++index) {
            EXPECT_EQ(shown[index], static_cast<int32_t>(index % 3)) << "run " << run;
        }
    }
    EXPECT_EQ(picturesOutsidePlayback[0], picturesOutsidePlayback[1] + 1);
    EXPECT_FALSE(HeadlessAudioOpen());
    EXPECT_TRUE(HeadlessAudioCaptured().empty());
}

enum class Step { Forward, Back, Home, End, StripCell };

struct StepRow {
    const char* name;
    int32_t rate;
    int32_t startFrame;
    Step step;
    int32_t cellFrame; // StripCell: the frame whose cell is clicked
    int32_t heardFrame;
};

// The frames 0 to 30 hold a joint, so that Ende goes to frame 30.
TEST_F(SoundPlayback, SteppingOntoAFramePlaysItsSliceAlone) {
    soundTrack.samples = TimedSound(48'000);
    for (int32_t frame = 0; frame <= 30; ++frame) {
        JointAt(frame, 0) = Joint{100, 100, JointNormal};
    }
    const StepRow rows[] = {
        {"F7 at 40", 40, 3, Step::Forward, 0, 4},
        {"F6 at 12", 12, 5, Step::Back, 0, 4},
        {"Pos1 at 24", 24, 9, Step::Home, 0, 0},
        {"Ende at 40", 40, 2, Step::End, 0, 30},
        {"Ende at 1, past the sound's end", 1, 2, Step::End, 0, 30},
        {"strip cell at 10", 10, 2, Step::StripCell, 6, 6},
    };
    for (const StepRow& row : rows) {
        SCOPED_TRACE(row.name);
        editor.playbackRate = row.rate;
        GoToFrame(row.startFrame);
        int64_t clears = HeadlessAudioClears();
        switch (row.step) {
        case Step::Forward:
            Tap(ScanF7);
            break;
        case Step::Back:
            Tap(ScanF6);
            break;
        case Step::Home:
            Tap(ScanHome);
            break;
        case Step::End:
            Tap(ScanEnd);
            break;
        case Step::StripCell:
            MoveCursor(4 +
                           66 * (row.cellFrame -
                                 StripFirstFrameFor(editor.currentFrame, editor.maxFrame)) +
                           32,
                       620);
            SetButtons(kLeftButton);
            Cycle();
            SetButtons(0);
            Cycle();
            break;
        }
        ASSERT_EQ(editor.currentFrame, row.heardFrame);
        EXPECT_EQ(HeadlessAudioClears(), clears + 1) << "the slice cuts off what played before";
        int64_t perFrame = kSoundRate / row.rate;
        int64_t start = std::min<int64_t>(row.heardFrame * perFrame, 48'000);
        int64_t end = std::min<int64_t>(start + perFrame, 48'000);
        const std::vector<int16_t>& captured = HeadlessAudioCaptured();
        auto slice = captured.begin() + HeadlessAudioStreamStart() * kSoundChannels;
        EXPECT_TRUE(std::equal(slice, captured.end(),
                               soundTrack.samples.begin() + start * kSoundChannels,
                               soundTrack.samples.begin() + end * kSoundChannels));
    }
}

} // namespace
