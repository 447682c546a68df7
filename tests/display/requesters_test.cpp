// The real requesters under X: a second thread plays the user with xdotool while the test thread
// is held in the modal call, and the test checks what the call gives back.
#include "storage/requesters.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "runtime/heaps.h"
#include "runtime/input.h"
#include "runtime/surface.h"
#include "runtime/window.h"
#include "storage/text.h"

namespace {

using namespace std::chrono_literals;

std::string CommandOutput(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return output;
    }
    char chunk[256];
    while (std::fgets(chunk, sizeof chunk, pipe) != nullptr) {
        output += chunk;
    }
    pclose(pipe);
    while (!output.empty() && output.back() == '\n') {
        output.pop_back();
    }
    return output;
}

// The first visible window whose whole title matches the pattern, waiting for it to appear while
// the call that shows it has not returned, for up to three minutes (the first requester of a
// sanitizer build on a busy machine starts GTK slowly); the empty text when none does.
std::string WaitForWindow(const std::string& titlePattern, const std::atomic<bool>& returned) {
    auto deadline = std::chrono::steady_clock::now() + 180s;
    std::string ids;
    while (ids.empty() && !returned && std::chrono::steady_clock::now() < deadline) {
        ids = CommandOutput("timeout 5 xdotool search --sync --onlyvisible --name '^" +
                            titlePattern + "$' 2>/dev/null");
    }
    return ids.substr(0, ids.find('\n'));
}

// For up to 30 s.
bool WaitForFocus(const std::string& window) {
    for (int attempt = 0; attempt < 300; ++attempt) {
        if (CommandOutput("xdotool getwindowfocus -f 2>/dev/null") == window) {
            return true;
        }
        std::this_thread::sleep_for(100ms);
    }
    return false;
}

// Plays the user of one requester from a second thread: waits for its window, gives it the
// keyboard unless told not to, then runs the xdotool commands. A requester still open afterwards
// is closed with Escape, so that a failing test ends instead of hanging.
class RequesterDriver {
  public:
    RequesterDriver(std::string titlePattern, std::vector<std::string> commands,
                    bool giveFocus = true)
        : thread_([this, titlePattern, commands, giveFocus] {
              Drive(titlePattern, commands, giveFocus);
          }) {}
    ~RequesterDriver() { Finish(); }

    // Called when the modal call has returned; waits for the driver to end.
    void Finish() {
        returned_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    std::string window;                 // the requester's window, empty when it never appeared
    std::string windowName;             // its title as the display has it
    bool focused = false;               // the requester had the keyboard before the first command
    std::atomic<bool> answering{false}; // the first command is on its way
    bool rescued = false;               // still open after the commands: closed with Escape

  private:
    void Drive(const std::string& titlePattern, const std::vector<std::string>& commands,
               bool giveFocus) {
        window = WaitForWindow(titlePattern, returned_);
        if (window.empty()) {
            return;
        }
        windowName = CommandOutput("xdotool getwindowname " + window);
        if (giveFocus) {
            CommandOutput("timeout 10 xdotool windowfocus --sync " + window);
        }
        focused = WaitForFocus(window);
        answering = true;
        for (const std::string& command : commands) {
            CommandOutput("xdotool " + command);
        }
        for (int attempt = 0; attempt < 600 && !returned_; ++attempt) { // a minute to answer
            std::this_thread::sleep_for(100ms);
        }
        for (int attempt = 0; attempt < 20 && !returned_; ++attempt) {
            rescued = true;
            CommandOutput("timeout 5 xdotool windowfocus --sync " + window +
                          "; xdotool key Escape");
            std::this_thread::sleep_for(500ms);
        }
    }

    std::atomic<bool> returned_{false};
    std::thread thread_;
};

class RequesterDisplayTest : public testing::Test {
  protected:
    void SetUp() override {
        StringHeapInit();
        TextWorkBufferInit();
        start = WorkBufferLength();
        char pattern[] = "/tmp/requester-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override {
        WorkBufferSetLength(start);
        std::filesystem::remove_all(folder);
    }

    std::string Ask(const char* title) {
        std::string defaultFile = folder + "/limbrado.lmb";
        return AskOpenFileName(title, defaultFile.c_str(), "*.txt", 1, start);
    }

    int32_t start = 0;
    std::string folder;
};

TEST_F(RequesterDisplayTest, TypedNameOfANewFileComesBackAsFullPath) {
    RequesterDriver driver("Chooser new name",
                           {"key ctrl+a", "type --delay 30 new_walk.lmb", "key Return"});
    std::string chosen = Ask("Chooser new name");
    bool answeredByTheUser = driver.answering;
    driver.Finish();

    ASSERT_FALSE(driver.window.empty()) << "the chooser never appeared";
    EXPECT_FALSE(driver.rescued);
    EXPECT_TRUE(answeredByTheUser) << "the call returned before the user answered";
    EXPECT_EQ(chosen, folder + "/new_walk.lmb");
    EXPECT_FALSE(std::filesystem::exists(chosen)) << "choosing a name does not create the file";
}

// Names are the file system's bytes both ways: a folder in umlauts is opened as it is, and a name
// with letters that code page 1252 lacks comes back as the very file.
TEST_F(RequesterDisplayTest, FoldersAndNamesBeyondCodePage1252ComeBackAsTheyAre) {
    std::string umlautFolder = folder + "/\xC3\x96rdner";
    std::filesystem::create_directory(umlautFolder);
    std::string defaultFile = umlautFolder + "/\xC3\x9C"
                                             "bung_\xE5\x8A\xA8.txt";
    RequesterDriver driver("Chooser letters", {"key Return"});
    std::string chosen = AskOpenFileName("Chooser letters", defaultFile.c_str(), "*.txt", 1, start);
    driver.Finish();

    EXPECT_FALSE(driver.rescued);
    EXPECT_EQ(chosen, defaultFile);
}

TEST_F(RequesterDisplayTest, ReturnAcceptsTheDefaultNameInItsFolder) {
    RequesterDriver driver("Chooser default", {"key Return"});
    std::string chosen = Ask("Chooser default");
    driver.Finish();

    ASSERT_FALSE(driver.window.empty()) << "the chooser never appeared";
    EXPECT_FALSE(driver.rescued);
    EXPECT_EQ(chosen, folder + "/limbrado.lmb");
}

TEST_F(RequesterDisplayTest, ExistingFileIsAcceptedWithoutAskingToReplaceIt) {
    std::FILE* file = std::fopen((folder + "/limbrado.lmb").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);

    RequesterDriver driver("Chooser existing", {"key Return"});
    std::string chosen = Ask("Chooser existing");
    driver.Finish();

    EXPECT_FALSE(driver.rescued) << "the chooser did not accept the existing file";
    EXPECT_EQ(chosen, folder + "/limbrado.lmb");
}

TEST_F(RequesterDisplayTest, EscapeGivesTheEmptyText) {
    RequesterDriver driver("Chooser escape", {"key Escape"});
    std::string chosen = Ask("Chooser escape");
    driver.Finish();

    ASSERT_FALSE(driver.window.empty()) << "the chooser never appeared";
    EXPECT_FALSE(driver.rescued);
    EXPECT_EQ(chosen, "");
    EXPECT_EQ(WorkBufferLength(), start);
}

TEST_F(RequesterDisplayTest, ChooserTakesTheKeyboardWithoutAWindowManager) {
    RequesterDriver driver("Chooser focus", {"key Escape"}, false);
    std::string chosen = Ask("Chooser focus");
    driver.Finish();

    ASSERT_FALSE(driver.window.empty()) << "the chooser never appeared";
    EXPECT_TRUE(driver.focused);
    EXPECT_FALSE(driver.rescued);
    EXPECT_EQ(chosen, "");
}

TEST_F(RequesterDisplayTest, ChooserTitleShowsCodePage1252Letters) {
    RequesterDriver driver("Chooser f.*r M.*rz", {"key Escape"});
    Ask("Chooser f\xFCr M\xE4rz");
    driver.Finish();

    EXPECT_EQ(driver.windowName, "Chooser f\xC3\xBCr M\xC3\xA4rz");
}

TEST_F(RequesterDisplayTest, MessageBoxHoldsTheProgramUntilReturnDismissesIt) {
    RequesterDriver driver("Box title", {"key Return"});
    int32_t button = ShowMessageBox("Box title", "Exportiert als /prog/limbrado_export.lmb", 0);
    bool dismissedByTheUser = driver.answering;
    driver.Finish();

    ASSERT_FALSE(driver.window.empty()) << "the message box never appeared";
    EXPECT_FALSE(driver.rescued);
    EXPECT_TRUE(dismissedByTheUser) << "the box returned before it was dismissed";
    EXPECT_EQ(button, 1);
}

TEST_F(RequesterDisplayTest, MessageBoxTakesTheKeyboardWithoutAWindowManager) {
    RequesterDriver driver("Box focus", {"key Return"}, false);
    ShowMessageBox("Box focus", "Konnte nicht speichern", 0);
    driver.Finish();

    ASSERT_FALSE(driver.window.empty()) << "the message box never appeared";
    EXPECT_TRUE(driver.focused);
    EXPECT_FALSE(driver.rescued);
}

// A requester in front of the program's window, as the export shows its message box.
class RequesterOverWindowTest : public RequesterDisplayTest {
  protected:
    void SetUp() override {
        RequesterDisplayTest::SetUp();
        WindowSubsystemInit();
        SurfaceSubsystemInit();
        KeyboardInit();
        intptr_t handle = WindowOpen(0, 10, 10, 400, 300, "Requester owner", 0);
        ASSERT_NE(handle, 0);
        ASSERT_EQ(SurfaceOpenInWindow(handle, 0, 0, 400, 300, 1, 0, 0), 1);
        ASSERT_TRUE(PumpUntil([] { return SampleKeyboard() == 1; })) << "no keyboard at first";
    }
    void TearDown() override {
        CommandOutput("xdotool keyup F9");
        SurfaceSubsystemShutdown();
        WindowSubsystemShutdown();
        KeyboardShutdown();
        RequesterDisplayTest::TearDown();
    }

    // Pumps the window's messages, as the main loop does, until the condition holds.
    static bool PumpUntil(const std::function<bool()>& condition) {
        for (int attempt = 0; attempt < 400; ++attempt) {
            PollWindowEvent();
            if (condition()) {
                return true;
            }
            std::this_thread::sleep_for(5ms);
        }
        return false;
    }

    // The window has the keyboard again and sees a key pressed through the X server.
    static void ExpectKeyboardBack() {
        EXPECT_TRUE(PumpUntil([] { return SampleKeyboard() == 1; })) << "keyboard not back";
        CommandOutput("xdotool keydown F9");
        EXPECT_TRUE(PumpUntil([] { return SampleKeyboard() == 1 && IsKeyDown(ScanF9) != 0; }));
        CommandOutput("xdotool keyup F9");
        EXPECT_TRUE(PumpUntil([] { return SampleKeyboard() == 1 && IsKeyDown(ScanF9) == 0; }));
    }
};

TEST_F(RequesterOverWindowTest, WindowGetsTheKeyboardBackAfterTheMessageBox) {
    RequesterDriver driver("Box over window", {"key Return"});
    EXPECT_EQ(ShowMessageBox("Box over window", "Exportiert als /prog/walk_export.lmb", 0), 1);
    driver.Finish();

    ASSERT_FALSE(driver.window.empty()) << "the message box never appeared";
    EXPECT_FALSE(driver.rescued);
    ExpectKeyboardBack();
}

TEST_F(RequesterOverWindowTest, WindowGetsTheKeyboardBackAfterTheChooser) {
    RequesterDriver driver("Chooser over window", {"key Return"});
    std::string chosen = Ask("Chooser over window");
    driver.Finish();

    EXPECT_FALSE(driver.rescued);
    EXPECT_EQ(chosen, folder + "/limbrado.lmb");
    ExpectKeyboardBack();
}

// Run in a child process without a display by the test after it.
TEST(RequesterWithoutDisplayTest, ChooserCancelsAndBoxReturnsAtOnce) {
    if (getenv("DISPLAY") != nullptr) {
        GTEST_SKIP() << "runs without a display only";
    }
    StringHeapInit();
    TextWorkBufferInit();
    EXPECT_STREQ(AskOpenFileName("Ort zum Laden/Speichern", "/tmp/limbrado.lmb", "*.txt", 1, 0),
                 "");
    EXPECT_EQ(ShowMessageBox("Error", "Konnte nicht speichern", 0), 1);
}

TEST(RequesterDisplayProcessTest, WithoutADisplayRequestersGiveUpInsteadOfCrashing) {
    std::string output =
        CommandOutput("env -u DISPLAY -u WAYLAND_DISPLAY -u GTEST_TOTAL_SHARDS -u "
                      "GTEST_SHARD_INDEX timeout 60 /proc/" +
                      std::to_string(getpid()) +
                      "/exe --gtest_filter=RequesterWithoutDisplayTest.* 2>&1; echo exit=$?");
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
    EXPECT_NE(output.find("exit=0"), std::string::npos) << output;
}

} // namespace
