// The real backend in an X display: window 0's title, size and place, exact pixels after a
// present and after the window is uncovered, ignored close requests, and keys, pointer and
// buttons driven through the X server.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include "runtime/input.h"
#include "runtime/platform.h"
#include "runtime/surface.h"
#include "runtime/window.h"
#include "support/display_support.h"

namespace {

constexpr const char* kTitle = "Limbrado Tool by Orvelin_";
constexpr int32_t kEditorStyle = 0xCA0000;
constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kLeft = 10;
constexpr int kTop = 10;

// Pumps window messages, as the editor's loop does, until the condition holds or time runs out.
bool PumpUntil(const std::function<bool()>& condition, int milliseconds = 2000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < deadline) {
        PollWindowEvent();
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// Polls until the pump returns `code` for runtime window `window`.
bool PumpUntilEvent(int32_t code, int32_t window = 0) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(2000);
    while (std::chrono::steady_clock::now() < deadline) {
        if (PollWindowEvent() == code && WindowEventWindow() == window) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

bool KeyReads(int32_t scanCode, int32_t expected) {
    return PumpUntil([&] { return SampleKeyboard() == 1 && IsKeyDown(scanCode) == expected; });
}

std::vector<uint32_t> Pattern(uint32_t seed) {
    std::vector<uint32_t> pixels(static_cast<std::size_t>(kWidth) * kHeight);
    for (std::size_t index = 0; index < pixels.size(); ++index) {
        pixels[index] = static_cast<uint32_t>((index + seed) * 2654435761u) & 0xFFFFFF;
    }
    return pixels;
}

// xdotool's absolute move does not refresh SDL's idea of the global pointer; a relative step
// there and back does.
void MovePointer(int x, int y) {
    RunCommand("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) +
               " mousemove_relative 1 0 mousemove_relative -- -1 0");
}

class DisplayWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        WindowSubsystemInit();
        SurfaceSubsystemInit();
        KeyboardInit();
        handle = WindowOpen(0, kLeft, kTop, kWidth, kHeight, kTitle, kEditorStyle);
        ASSERT_NE(handle, 0);
        ASSERT_EQ(SurfaceOpenInWindow(handle, 0, 0, kWidth, kHeight, 1, 0, 0), 1);
        ASSERT_TRUE(PumpUntil([this] {
            xWindow = FindWindowByTitle(kTitle);
            ScreenGeometry geometry;
            return xWindow != 0 && QueryGeometry(xWindow, &geometry) && geometry.viewable;
        }));
        ASSERT_TRUE(PumpUntil([] { return SampleKeyboard() == 1; })) << "no keyboard focus";
    }
    void TearDown() override {
        RunCommand("xdotool mouseup 1 mouseup 3");
        SurfaceSubsystemShutdown();
        WindowSubsystemShutdown();
        KeyboardShutdown();
    }

    void PresentPattern(const std::vector<uint32_t>& pixels) {
        std::copy(pixels.begin(), pixels.end(), SurfacePixels());
        PresentSurface();
    }

    intptr_t handle = 0;
    unsigned long xWindow = 0;
};

TEST_F(DisplayWindowTest, WindowZeroHasItsTitleAndAResizable800By600ClientAreaAt10And10) {
    ScreenGeometry geometry;
    ASSERT_TRUE(QueryGeometry(xWindow, &geometry));
    EXPECT_EQ(geometry.x, kLeft);
    EXPECT_EQ(geometry.y, kTop);
    EXPECT_EQ(geometry.width, kWidth);
    EXPECT_EQ(geometry.height, kHeight);
    std::string hints = WindowProperty(xWindow, "WM_NORMAL_HINTS");
    EXPECT_EQ(hints.find("maximum size: 800 by 600"), std::string::npos) << hints;
}

TEST_F(DisplayWindowTest, CodePage1252TitleReachesTheWindowSystemAsUtf8) {
    ASSERT_NE(WindowOpen(1, 900, 10, 200, 100, "Gr\xFC\xDF\x65 \x80", kEditorStyle), 0);
    unsigned long other = 0;
    ASSERT_TRUE(PumpUntil([&other] { return (other = FindWindowByTitle("Gr.*")) != 0; }));
    std::string name = WindowProperty(other, "_NET_WM_NAME");
    EXPECT_NE(name.find("\"Grüße €\""), std::string::npos) << name;
}

TEST_F(DisplayWindowTest, PresentedFrameReadsBackWithExactPixels) {
    std::vector<uint32_t> pattern = Pattern(1);
    PresentPattern(pattern);
    EXPECT_EQ(CaptureScreen(kLeft, kTop, kWidth, kHeight), pattern);
}

TEST_F(DisplayWindowTest, UncoveredWindowShowsTheLastPresentedFrameAgain) {
    std::vector<uint32_t> pattern = Pattern(2);
    PresentPattern(pattern);
    ASSERT_NE(WindowOpen(1, kLeft, kTop, kWidth, kHeight, "cover", kEditorStyle), 0);
    ASSERT_TRUE(PumpUntil([] { return FindWindowByTitle("cover") != 0; }));
    std::vector<uint32_t> cover(pattern.size(), 0x00FF00);
    PlatformPresent(WindowNativeHandle(1), cover.data(), kWidth, kHeight);
    ASSERT_EQ(CaptureScreen(kLeft, kTop, kWidth, kHeight), cover);
    PumpUntil([] { return false; }, 200); // the cover's own messages
    WindowClose(1);
    ASSERT_TRUE(PumpUntilEvent(EventEraseBackground));
    EXPECT_EQ(CaptureScreen(kLeft, kTop, kWidth, kHeight), pattern);
}

TEST_F(DisplayWindowTest, CloseRequestIsQueuedAndTheWindowStaysOpen) {
    ASSERT_TRUE(SendCloseRequest(xWindow));
    EXPECT_TRUE(PumpUntilEvent(EventCloseRequest));
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(WindowNativeHandle(0), handle);
    ScreenGeometry geometry;
    ASSERT_TRUE(QueryGeometry(xWindow, &geometry));
    EXPECT_TRUE(geometry.viewable);
    std::vector<uint32_t> pattern = Pattern(3);
    PresentPattern(pattern);
    EXPECT_EQ(CaptureScreen(kLeft, kTop, kWidth, kHeight), pattern);
}

TEST_F(DisplayWindowTest, EachKeyReadsDownByItsScanCodeWhileHeld) {
    const std::pair<const char*, int32_t> keys[] = {
        {"Escape", ScanEscape},
        {"1", ScanKey1},
        {"Tab", ScanTab},
        {"w", ScanW},
        {"Control_L", ScanLeftCtrl},
        {"Shift_L", ScanLeftShift},
        {"x", ScanX},
        {"F1", ScanF1},
        {"F2", ScanF2},
        {"F3", ScanF3},
        {"F4", ScanF4},
        {"F5", ScanF5},
        {"F6", ScanF6},
        {"F7", ScanF7},
        {"F8", ScanF8},
        {"F9", ScanF9},
        {"F10", ScanF10},
        {"F11", ScanF11},
        {"F12", ScanF12},
        {"Delete", ScanDelete},
    };
    for (const auto& [name, scanCode] : keys) {
        RunCommand(std::string("xdotool keydown ") + name);
        EXPECT_TRUE(KeyReads(scanCode, 0x80)) << name;
        int32_t downCount = 0;
        for (int32_t code = 0; code < 256; ++code) {
            downCount += IsKeyDown(code) != 0 ? 1 : 0;
        }
        EXPECT_EQ(downCount, 1) << name;
        RunCommand(std::string("xdotool keyup ") + name);
        EXPECT_TRUE(KeyReads(scanCode, 0)) << name;
    }
}

TEST_F(DisplayWindowTest, KeysReadUpWhileAnotherWindowHasTheFocus) {
    ASSERT_NE(WindowOpen(1, 900, 10, 200, 100, "elsewhere", kEditorStyle), 0);
    unsigned long other = 0;
    ASSERT_TRUE(PumpUntil([&other] { return (other = FindWindowByTitle("elsewhere")) != 0; }));
    RunCommand("xdotool windowfocus --sync " + std::to_string(other));
    ASSERT_TRUE(PumpUntil([] { return SampleKeyboard() == 0; }));
    RunCommand("xdotool keydown F2");
    EXPECT_FALSE(PumpUntil([] { return SampleKeyboard() != 0 || IsKeyDown(ScanF2) != 0; }, 300));
    EXPECT_EQ(IsKeyDown(-1), 0);
    RunCommand("xdotool windowfocus --sync " + std::to_string(xWindow));
    EXPECT_TRUE(KeyReads(ScanF2, 0x80));
    RunCommand("xdotool keyup F2");
}

TEST_F(DisplayWindowTest, CursorReadsClientCoordinatesInsideAndMinusOneOutside) {
    MovePointer(kLeft + 799, kTop + 599);
    EXPECT_TRUE(PumpUntil([] { return WindowCursorX(0) == 799 && WindowCursorY(0) == 599; }));
    MovePointer(kLeft, kTop);
    EXPECT_TRUE(PumpUntil([] { return WindowCursorX(0) == 0 && WindowCursorY(0) == 0; }));
    MovePointer(kLeft + 800, kTop + 10);
    EXPECT_TRUE(PumpUntil([] { return WindowCursorX(0) == -1 && WindowCursorY(0) == -1; }));
    MovePointer(kLeft + 10, kTop + 600);
    EXPECT_TRUE(PumpUntil([] { return WindowCursorX(0) == -1 && WindowCursorY(0) == -1; }));
}

TEST_F(DisplayWindowTest, ButtonsReadDownWhileHeldInsideAndOutsideTheWindow) {
    for (auto [x, y] : {std::pair{kLeft + 400, kTop + 300}, {1000, 900}}) {
        MovePointer(x, y);
        RunCommand("xdotool mousedown 1");
        EXPECT_TRUE(PumpUntil([] { return MouseButtonPressed(MouseLeft) != 0; })) << x;
        EXPECT_EQ(MouseButtonPressed(MouseRight), 0) << x;
        RunCommand("xdotool mouseup 1 mousedown 3");
        EXPECT_TRUE(PumpUntil([] {
            return MouseButtonPressed(MouseRight) != 0 && MouseButtonPressed(MouseLeft) == 0;
        })) << x;
        RunCommand("xdotool mouseup 3");
        EXPECT_TRUE(PumpUntil([] { return MouseButtonPressed(MouseRight) == 0; })) << x;
    }
}

// The click has come once its press is known and the button reads up again; the press itself is
// left for the query to report.
TEST_F(DisplayWindowTest, ClickReleasedBeforeTheNextQueryStillReadsDownOnce) {
    MovePointer(kLeft + 400, kTop + 300);
    RunCommand("xdotool click 1");
    int32_t x = 0;
    int32_t y = 0;
    ASSERT_TRUE(PumpUntil([&] {
        return PlatformMousePressPosition(WindowNativeHandle(0), MouseLeft, &x, &y) == 1 &&
               PlatformMouseButtons() == 0;
    }));
    EXPECT_NE(MouseButtonPressed(MouseLeft), 0);
    EXPECT_EQ(MouseButtonPressed(MouseLeft), 0);
}

// A button and a key that go down while the pointer moves on before anything looks keep where
// they went down; the pointer reads where it is now.
TEST_F(DisplayWindowTest, PressPositionsAreWhereTheButtonAndTheKeyWentDown) {
    MovePointer(kLeft + 100, kTop + 200);
    ASSERT_TRUE(PumpUntil([] { return WindowCursorX(0) == 100 && WindowCursorY(0) == 200; }));
    RunCommand("xdotool mousedown 2 mousemove " + std::to_string(kLeft + 300) + " " +
               std::to_string(kTop + 250) + " keydown s");
    MovePointer(kLeft + 500, kTop + 400);
    EXPECT_TRUE(PumpUntil([] {
        ClientPoint button = MousePressPosition(0, MouseMiddle);
        ClientPoint key = KeyPressPosition(0, ScanS);
        return SampleKeyboard() == 1 && IsKeyDown(ScanS) != 0 && button.x == 100 &&
               button.y == 200 && key.x == 300 && key.y == 250 && WindowCursorX(0) == 500 &&
               WindowCursorY(0) == 400;
    }));
    RunCommand("xdotool keyup s mouseup 2");
}

} // namespace
