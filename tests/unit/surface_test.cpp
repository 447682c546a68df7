// The back buffer on the headless backend: opening and closing, clearing, lending it to the
// drawing layer, presenting unscaled copies, and pacing the presents on the injected clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "runtime/drawing.h"
#include "runtime/headless.h"
#include "runtime/input.h"
#include "runtime/platform.h"
#include "runtime/surface.h"
#include "runtime/window.h"

namespace {

constexpr int32_t kRedColour = 0x0000FF; // red 255 as a packed colour
constexpr int64_t kTicksPerMillisecond = 10000;

class SurfaceTest : public testing::Test {
  protected:
    void SetUp() override {
        HeadlessReset();
        WindowSubsystemInit();
        SurfaceSubsystemInit();
        KeyboardInit();
        window = WindowOpen(0, 10, 10, 800, 600, "surface", 0xCA0000);
        ASSERT_EQ(SurfaceOpenInWindow(window, 0, 0, 800, 600, 1, 0, 0), 1);
    }
    void TearDown() override {
        SurfaceSubsystemShutdown();
        WindowSubsystemShutdown();
        KeyboardShutdown();
    }

    // The clock when each present's wait ended; presenting reads the counter no more after that.
    static std::vector<int64_t> PresentTimes(int count) {
        std::vector<int64_t> times;
        for (int index = 0; index < count; ++index) {
            PresentSurface();
            times.push_back(HeadlessClockNow());
        }
        return times;
    }

    intptr_t window = 0;
};

TEST_F(SurfaceTest, OpenSurfaceIsBlack800By600AndPacedAt61PerSecond) {
    ASSERT_NE(SurfacePixels(), nullptr);
    EXPECT_EQ(SurfaceWidth(), 800);
    EXPECT_EQ(SurfaceHeight(), 600);
    EXPECT_EQ(SurfaceParentWindow(), window);
    const uint32_t* pixels = SurfacePixels();
    EXPECT_TRUE(std::all_of(pixels, pixels + 800 * 600, [](uint32_t pixel) { return pixel == 0; }));
    EXPECT_EQ(FrameInterval(), PlatformCounterFrequency() / 61);
}

TEST_F(SurfaceTest, OpeningWithoutParentFailsAndLeavesNothingToDrawOn) {
    SurfaceClose();
    EXPECT_EQ(SurfaceOpenInWindow(0, 0, 0, 800, 600, 1, 0, 0), 0);
    EXPECT_EQ(SurfacePixels(), nullptr);
    EXPECT_EQ(SurfaceDrawTarget(), nullptr);
    EXPECT_EQ(SurfaceColourAt(0, 0), -1);
    SurfaceClear(kRedColour);
    PresentSurface();
    EXPECT_EQ(HeadlessPresentCount(), 0);
}

TEST_F(SurfaceTest, ClearWithRedWritesPixelFF0000Everywhere) {
    SurfaceClear(kRedColour);
    const uint32_t* pixels = SurfacePixels();
    EXPECT_TRUE(
        std::all_of(pixels, pixels + 800 * 600, [](uint32_t pixel) { return pixel == 0xFF0000; }));
    EXPECT_EQ(SurfaceColourAt(0, 0), kRedColour);
    EXPECT_EQ(SurfaceColourAt(799, 599), kRedColour);
}

TEST_F(SurfaceTest, ColourOutsideTheBufferIsMinusOne) {
    EXPECT_EQ(SurfaceColourAt(800, 0), -1);
    EXPECT_EQ(SurfaceColourAt(0, 600), -1);
    EXPECT_EQ(SurfaceColourAt(-1, 0), -1);
    EXPECT_EQ(SurfaceColourAt(0, -1), -1);
}

TEST_F(SurfaceTest, DrawTargetDescribesTheBackBufferAndIsLentOnce) {
    const DrawingTarget* target = SurfaceDrawTarget();
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->kind, DrawingTargetSurface);
    EXPECT_EQ(target->window, window);
    EXPECT_EQ(target->pixels, SurfacePixels());
    EXPECT_EQ(target->width, 800);
    EXPECT_EQ(target->height, 600);
    EXPECT_EQ(target->depth, 32);
    EXPECT_EQ(target->pixelFormat, 7);
    EXPECT_EQ(SurfaceDrawTarget(), nullptr);
    target->release();
    EXPECT_NE(SurfaceDrawTarget(), nullptr);
}

TEST_F(SurfaceTest, DrawingOnTheTargetWritesTheBackBufferAndEndingGivesItBack) {
    ASSERT_NE(DrawingBegin(SurfaceDrawTarget()), 0);
    DrawBox(10, 20, 2, 2, kRedColour);
    DrawingEnd();
    EXPECT_EQ(SurfaceColourAt(10, 20), kRedColour);
    EXPECT_EQ(SurfaceColourAt(11, 21), kRedColour);
    EXPECT_EQ(SurfaceColourAt(12, 20), 0);
    EXPECT_NE(SurfaceDrawTarget(), nullptr);
}

TEST_F(SurfaceTest, ClosingEndsADrawingStillUnderWaySoItCannotWriteTheFreedBuffer) {
    ASSERT_NE(DrawingBegin(SurfaceDrawTarget()), 0);
    SurfaceClose();
    DrawBox(10, 20, 2, 2, kRedColour); // the sanitizer build reports a write into freed memory
    EXPECT_EQ(DrawTextAt(5, 5, "after close", kRedColour), 0);
    ASSERT_EQ(SurfaceOpenInWindow(window, 0, 0, 800, 600, 1, 0, 0), 1);
    EXPECT_EQ(SurfaceColourAt(10, 20), 0);
}

TEST_F(SurfaceTest, PresentEndsADrawingStillUnderWaySoClosingLeavesNoWriterBehind) {
    ASSERT_NE(DrawingBegin(SurfaceDrawTarget()), 0);
    PresentSurface();
    DrawBox(10, 20, 2, 2, kRedColour);
    EXPECT_EQ(SurfaceColourAt(10, 20), 0);
    SurfaceClose();
    DrawBox(10, 20, 2, 2, kRedColour); // the sanitizer build reports a write into freed memory
    EXPECT_EQ(DrawTextAt(5, 5, "after close", kRedColour), 0);
}

TEST_F(SurfaceTest, PresentTakesBackATargetStillLent) {
    ASSERT_NE(SurfaceDrawTarget(), nullptr);
    PresentSurface();
    EXPECT_NE(SurfaceDrawTarget(), nullptr);
}

TEST_F(SurfaceTest, PresentCopiesTheBufferUnscaledAndLeavesItAlone) {
    uint32_t* pixels = SurfacePixels();
    for (int32_t index = 0; index < 800 * 600; ++index) {
        pixels[index] = static_cast<uint32_t>(index * 2654435761u) & 0xFFFFFF;
    }
    std::vector<uint32_t> drawn(pixels, pixels + 800 * 600);
    PresentSurface();
    ASSERT_EQ(HeadlessFrames().size(), 1u);
    const HeadlessFrame& frame = HeadlessFrames().back();
    EXPECT_EQ(frame.width, 800);
    EXPECT_EQ(frame.height, 600);
    EXPECT_EQ(frame.pixels, drawn);
    EXPECT_TRUE(std::equal(drawn.begin(), drawn.end(), SurfacePixels()));
    SurfaceClear(0);
    EXPECT_EQ(HeadlessFrames().back().pixels, drawn);
}

TEST_F(SurfaceTest, EveryPresentIsCapturedAndOnlyTheNewestFramesKept) {
    HeadlessKeepFrames(2);
    for (int32_t colour : {1, 2, 3}) {
        SurfaceClear(colour);
        PresentSurface();
    }
    EXPECT_EQ(HeadlessPresentCount(), 3);
    ASSERT_EQ(HeadlessFrames().size(), 2u);
    EXPECT_EQ(HeadlessFrames()[0].pixels[0], ColourToPixel(2));
    EXPECT_EQ(HeadlessFrames()[1].pixels[0], ColourToPixel(3));
}

TEST_F(SurfaceTest, PresentsAreMoreThanOneIntervalApartAndNotMuchMore) {
    HeadlessSetCounterReadStep(1); // so that a wait ending at exactly one interval would show
    int64_t interval = PlatformCounterFrequency() / 61;
    ASSERT_EQ(FrameInterval(), interval);
    int64_t opened = HeadlessClockNow();
    std::vector<int64_t> times = PresentTimes(20);
    EXPECT_GT(times[0] - opened, interval); // the first present waits a whole interval
    for (std::size_t index = 1; index < times.size(); ++index) {
        int64_t gap = times[index] - times[index - 1];
        EXPECT_GT(gap, interval);
        EXPECT_LE(gap, interval + 10);
    }
}

TEST_F(SurfaceTest, PresentLongAfterThePreviousOneDoesNotWait) {
    PresentSurface();
    DelayMs(100);
    int64_t before = HeadlessClockNow();
    int64_t sleptBefore = HeadlessSleptMicroseconds();
    PresentSurface();
    EXPECT_LT(HeadlessClockNow() - before, kTicksPerMillisecond / 10);
    EXPECT_EQ(HeadlessSleptMicroseconds(), sleptBefore);
}

TEST_F(SurfaceTest, FirstPresentAfterSetPresentRateWaitsOneNewInterval) {
    PresentSurface();
    DelayMs(100);
    ASSERT_EQ(SetPresentRate(30), 1);
    int64_t interval = PlatformCounterFrequency() / 31;
    EXPECT_EQ(FrameInterval(), interval);
    int64_t before = HeadlessClockNow();
    PresentSurface();
    EXPECT_GT(HeadlessClockNow() - before, interval);
    EXPECT_LE(HeadlessClockNow() - before, interval + kTicksPerMillisecond / 10);
}

TEST_F(SurfaceTest, PacingSleepsThroughMostOfTheInterval) {
    PresentSurface();
    int64_t sleptBefore = HeadlessSleptMicroseconds();
    PresentSurface();
    int64_t slept = HeadlessSleptMicroseconds() - sleptBefore;
    int64_t intervalMicroseconds = 1000000 / 61;
    // Spinning through more than a millisecond of each interval would cost over 6% of a core.
    EXPECT_GE(slept, intervalMicroseconds - 1000);
    EXPECT_LT(slept, intervalMicroseconds);
}

TEST_F(SurfaceTest, ClosingResetsTheDefaultRateSoReopeningPacesAt61Again) {
    SurfaceClose();
    EXPECT_EQ(FrameInterval(), PlatformCounterFrequency()); // rate 0: none set
    ASSERT_EQ(SurfaceOpenInWindow(window, 0, 0, 800, 600, 1, 0, 0), 1);
    EXPECT_EQ(FrameInterval(), PlatformCounterFrequency() / 61);
}

TEST_F(SurfaceTest, RateSetByTheCallerSurvivesCloseAndReopen) {
    ASSERT_EQ(SetPresentRate(30), 1);
    SurfaceClose();
    ASSERT_EQ(SurfaceOpenInWindow(window, 0, 0, 800, 600, 1, 0, 0), 1);
    EXPECT_EQ(FrameInterval(), PlatformCounterFrequency() / 31);
}

TEST_F(SurfaceTest, NegativeRateIsRefused) {
    EXPECT_EQ(SetPresentRate(-1), 0);
    EXPECT_EQ(SetPresentRate(-5), 0);
    EXPECT_EQ(FrameInterval(), PlatformCounterFrequency() / 61);
}

TEST_F(SurfaceTest, SecondOpenClosesTheFirstSurface) {
    SurfaceClear(kRedColour);
    ASSERT_NE(SurfaceDrawTarget(), nullptr);
    ASSERT_EQ(SurfaceOpenInWindow(window, 0, 0, 400, 300, 1, 0, 0), 1);
    EXPECT_EQ(SurfaceWidth(), 400);
    EXPECT_EQ(SurfaceHeight(), 300);
    EXPECT_EQ(SurfaceColourAt(0, 0), 0);
    EXPECT_NE(SurfaceDrawTarget(), nullptr);
    EXPECT_EQ(FrameInterval(), PlatformCounterFrequency() / 61);
}

TEST_F(SurfaceTest, DelayMsSleepsThatLong) {
    int64_t before = HeadlessClockNow();
    DelayMs(500);
    EXPECT_EQ(HeadlessSleptMicroseconds(), 500000);
    EXPECT_EQ(HeadlessClockNow() - before, 500 * kTicksPerMillisecond);
    DelayMs(0);
    DelayMs(-3);
    EXPECT_EQ(HeadlessSleptMicroseconds(), 500000);
}

} // namespace

TEST(OffscreenSurfaceTest, DrawsLikeAWindowSurfaceButPresentingNeitherWaitsNorShows) {
    HeadlessReset();
    SurfaceSubsystemInit();
    KeyboardInit();
    ASSERT_EQ(SurfaceOpenOffscreen(800, 600), 1);
    EXPECT_EQ(SurfaceParentWindow(), 0);
    ASSERT_NE(DrawingBegin(SurfaceDrawTarget()), 0);
    DrawLineAbs(10, 10, 20, 10, kRedColour);
    PresentSurface();
    PresentSurface();
    EXPECT_EQ(HeadlessClockNow(), 0);
    EXPECT_EQ(HeadlessPresentCount(), 0);
    EXPECT_EQ(SurfaceColourAt(20, 10), kRedColour);
    EXPECT_NE(SurfaceDrawTarget(), nullptr); // the present ended the drawing
    SurfaceSubsystemShutdown();
    KeyboardShutdown();
}
