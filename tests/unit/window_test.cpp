// Numbered windows and the event pump on the headless backend: opening, closing, the order and
// de-duplication of queued events, and how each kind of message turns into an event code.
#include <gtest/gtest.h>

#include <string>

#include "runtime/headless.h"
#include "runtime/object_table.h"
#include "runtime/platform.h"
#include "runtime/window.h"

namespace {

constexpr const char* kTitle = "Limbrado Tool by Orvelin_";
constexpr int32_t kEditorStyle = 0xCA0000;

class WindowTest : public testing::Test {
  protected:
    void SetUp() override {
        HeadlessReset();
        WindowSubsystemInit();
    }
    void TearDown() override { WindowSubsystemShutdown(); }

    static intptr_t OpenEditorWindow() {
        return WindowOpen(0, 10, 10, 800, 600, kTitle, kEditorStyle);
    }
};

TEST_F(WindowTest, OpenedWindowKeepsItsHandleTitleAndClientSize) {
    intptr_t handle = OpenEditorWindow();
    ASSERT_NE(handle, 0);
    EXPECT_EQ(WindowNativeHandle(0), handle);
    EXPECT_EQ(HeadlessOpenWindowCount(), 1);
    EXPECT_EQ(HeadlessWindowTitle(), kTitle);
    int32_t width = 0;
    int32_t height = 0;
    EXPECT_EQ(WindowClientSize(0, &width, &height), 1);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
}

TEST_F(WindowTest, TitleIsHandedToThePlatformAsUtf8) {
    ASSERT_NE(WindowOpen(0, 10, 10, 800, 600, "M\xE4nner \x80", kEditorStyle), 0);
    EXPECT_EQ(HeadlessWindowTitle(), "M\xC3\xA4nner \xE2\x82\xAC");
}

TEST_F(WindowTest, NullTitleOpensWithEmptyTitle) {
    ASSERT_NE(WindowOpen(0, 10, 10, 800, 600, nullptr, kEditorStyle), 0);
    EXPECT_EQ(HeadlessWindowTitle(), "");
}

TEST_F(WindowTest, ClosingFreesTheSlotAndClosingAgainIsIgnored) {
    OpenEditorWindow();
    ASSERT_NE(WindowOpen(2, 20, 20, 100, 100, "second", kEditorStyle), 0);
    WindowClose(0);
    EXPECT_EQ(WindowNativeHandle(0), 0);
    EXPECT_EQ(HeadlessOpenWindowCount(), 1);
    WindowClose(0);
    WindowClose(7);
    EXPECT_EQ(HeadlessOpenWindowCount(), 1);
    EXPECT_NE(WindowNativeHandle(2), 0);
}

TEST_F(WindowTest, ReopeningANumberClosesTheWindowThatHadIt) {
    intptr_t first = OpenEditorWindow();
    intptr_t second = OpenEditorWindow();
    EXPECT_NE(second, first);
    EXPECT_EQ(WindowNativeHandle(0), second);
    EXPECT_EQ(HeadlessOpenWindowCount(), 1);
}

TEST_F(WindowTest, AutomaticNumberIsReturnedInsteadOfTheHandle) {
    intptr_t number = WindowOpen(kAutomaticNumber, 0, 0, 320, 200, "auto", kEditorStyle);
    ASSERT_GE(number, kFirstAutomaticNumber);
    intptr_t handle = WindowNativeHandle(static_cast<int32_t>(number));
    EXPECT_NE(handle, 0);
    EXPECT_NE(handle, number);
    WindowClose(static_cast<int32_t>(number));
    EXPECT_EQ(HeadlessOpenWindowCount(), 0);
}

TEST_F(WindowTest, FreeAndInvalidNumbersHaveNoHandle) {
    OpenEditorWindow();
    EXPECT_EQ(WindowNativeHandle(5), 0);
    EXPECT_EQ(WindowNativeHandle(100), 0);
    EXPECT_EQ(WindowNativeHandle(-7), 0);
    int32_t width = 1;
    int32_t height = 1;
    EXPECT_EQ(WindowClientSize(5, &width, &height), 0);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
}

TEST_F(WindowTest, ShutdownClosesEveryWindowLeft) {
    OpenEditorWindow();
    WindowOpen(3, 0, 0, 100, 100, "three", kEditorStyle);
    WindowOpen(kAutomaticNumber, 0, 0, 100, 100, "auto", kEditorStyle);
    ASSERT_EQ(HeadlessOpenWindowCount(), 3);
    WindowSubsystemShutdown();
    EXPECT_EQ(HeadlessOpenWindowCount(), 0);
    EXPECT_EQ(WindowNativeHandle(3), 0);
    WindowSubsystemInit();
}

TEST_F(WindowTest, PollWithNothingPendingReturnsZeroWithoutWaiting) {
    OpenEditorWindow();
    int64_t before = HeadlessClockNow();
    EXPECT_EQ(PollWindowEvent(), 0);
    EXPECT_EQ(HeadlessClockNow(), before);
    EXPECT_EQ(WindowEventWindow(), -1);
}

TEST_F(WindowTest, AwaitWithTimeoutWaitsThatLongAtMost) {
    OpenEditorWindow();
    int64_t before = HeadlessClockNow();
    EXPECT_EQ(AwaitWindowEvent(50), 0);
    EXPECT_EQ(HeadlessClockNow() - before, PlatformCounterFrequency() / 20);
    HeadlessQueueMessage(PlatformMessageMoved);
    before = HeadlessClockNow();
    EXPECT_EQ(AwaitWindowEvent(50), EventMoved);
    EXPECT_EQ(HeadlessClockNow(), before);
}

TEST_F(WindowTest, EqualConsecutiveEventsAreQueuedOnce) {
    QueueWindowEvent(EventMoved, 0);
    QueueWindowEvent(EventMoved, 0);
    EXPECT_EQ(PollWindowEvent(), EventMoved);
    EXPECT_EQ(PollWindowEvent(), 0);
}

TEST_F(WindowTest, EventsBetweenEqualOnesAreAllKeptInOrder) {
    QueueWindowEvent(EventMoved, 0);
    QueueWindowEvent(EventSized, 0);
    QueueWindowEvent(EventMoved, 0);
    QueueWindowEvent(EventMoved, 1); // same code, another window
    EXPECT_EQ(PollWindowEvent(), EventMoved);
    EXPECT_EQ(PollWindowEvent(), EventSized);
    EXPECT_EQ(PollWindowEvent(), EventMoved);
    EXPECT_EQ(WindowEventWindow(), 0);
    EXPECT_EQ(PollWindowEvent(), EventMoved);
    EXPECT_EQ(WindowEventWindow(), 1);
    EXPECT_EQ(PollWindowEvent(), 0);
}

TEST_F(WindowTest, QueuedEventsComeBeforeTheNextMessage) {
    OpenEditorWindow();
    QueueWindowEvent(EventSized, 0);
    HeadlessQueueMessage(PlatformMessageMoved);
    EXPECT_EQ(PollWindowEvent(), EventSized);
    EXPECT_EQ(PollWindowEvent(), EventMoved);
}

TEST_F(WindowTest, EachPollHandlesOneMessage) {
    OpenEditorWindow();
    HeadlessQueueMessage(PlatformMessageMoved);
    HeadlessQueueMessage(PlatformMessageMoved);
    EXPECT_EQ(PollWindowEvent(), EventMoved);
    EXPECT_EQ(PollWindowEvent(), EventMoved);
    EXPECT_EQ(PollWindowEvent(), 0);
}

TEST_F(WindowTest, MoveMessageBecomesEventOfItsWindow) {
    OpenEditorWindow();
    HeadlessQueueMessage(PlatformMessageMoved);
    EXPECT_EQ(PollWindowEvent(), EventMoved);
    EXPECT_EQ(WindowEventWindow(), 0);
}

TEST_F(WindowTest, CloseRequestIsQueuedAndTheWindowStaysOpen) {
    intptr_t handle = OpenEditorWindow();
    HeadlessQueueMessage(PlatformMessageCloseRequest);
    EXPECT_EQ(PollWindowEvent(), EventCloseRequest);
    EXPECT_EQ(PollWindowEvent(), 0);
    EXPECT_EQ(HeadlessOpenWindowCount(), 1);
    EXPECT_EQ(WindowNativeHandle(0), handle);
}

TEST_F(WindowTest, MinimiseAndMaximiseQueueTheirCodeBeforeTheSizeEvent) {
    OpenEditorWindow();
    HeadlessQueueMessage(PlatformMessageMinimised);
    HeadlessQueueMessage(PlatformMessageRestored);
    HeadlessQueueMessage(PlatformMessageMaximised);
    EXPECT_EQ(PollWindowEvent(), EventMinimised);
    EXPECT_EQ(PollWindowEvent(), EventSized);
    EXPECT_EQ(PollWindowEvent(), EventRestored);
    EXPECT_EQ(PollWindowEvent(), EventSized);
    EXPECT_EQ(PollWindowEvent(), EventMaximised);
    EXPECT_EQ(PollWindowEvent(), EventSized);
    EXPECT_EQ(PollWindowEvent(), 0);
}

TEST_F(WindowTest, RestoreWithoutMinimiseOrMaximiseIsAPlainSizeChange) {
    OpenEditorWindow();
    HeadlessQueueMessage(PlatformMessageMinimised);
    HeadlessQueueMessage(PlatformMessageRestored);
    HeadlessQueueMessage(PlatformMessageRestored);
    HeadlessQueueMessage(PlatformMessageResized);
    for (int32_t expected : {int32_t{EventMinimised}, int32_t{EventSized}, int32_t{EventRestored},
                             int32_t{EventSized}, int32_t{EventSized}, int32_t{EventSized}, 0}) {
        EXPECT_EQ(PollWindowEvent(), expected);
    }
}

TEST_F(WindowTest, ActivationIsQueuedAndDeactivationReturnsItsOwnCode) {
    OpenEditorWindow();
    HeadlessQueueMessage(PlatformMessageActivated);
    HeadlessQueueMessage(PlatformMessageDeactivated, 0x77);
    HeadlessQueueMessage(PlatformMessageOther, 0x1234);
    EXPECT_EQ(PollWindowEvent(), EventActivated);
    EXPECT_EQ(PollWindowEvent(), 0x77);
    EXPECT_EQ(PollWindowEvent(), 0x1234);
    EXPECT_EQ(WindowEventWindow(), 0);
    EXPECT_EQ(PollWindowEvent(), 0);
}

TEST_F(WindowTest, ExposureRepaintsTheLastFrameAndQueuesEraseEvent) {
    OpenEditorWindow();
    HeadlessQueueMessage(PlatformMessageExposed);
    EXPECT_EQ(HeadlessRepaintCount(), 0);
    EXPECT_EQ(PollWindowEvent(), EventEraseBackground);
    EXPECT_EQ(HeadlessRepaintCount(), 1);
}

TEST_F(WindowTest, MessagesOfNoRuntimeWindowQueueOnlyActivationAndErase) {
    HeadlessQueueMessage(PlatformMessageMoved, 41);
    HeadlessQueueMessage(PlatformMessageCloseRequest, 42);
    HeadlessQueueMessage(PlatformMessageResized, 43);
    HeadlessQueueMessage(PlatformMessageExposed, 44);
    EXPECT_EQ(PollWindowEvent(), 41);
    EXPECT_EQ(PollWindowEvent(), 42);
    EXPECT_EQ(PollWindowEvent(), 43);
    EXPECT_EQ(PollWindowEvent(), EventEraseBackground);
    EXPECT_EQ(WindowEventWindow(), -1);
}

} // namespace
