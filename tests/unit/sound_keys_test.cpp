// The sound track in scripted sessions: T chooses a sound, which the strip shows under its frames'
// cells, Shift+T removes it, and both are undo steps; a load decodes the sound its file names, and
// a sound that is missing or no sound is reported while its reference survives the next save.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "editor/sound_keys.h"
#include "model/sound_track.h"
#include "storage/animation_file.h"
#include "support/editor_frames.h"
#include "support/scripted_session.h"
#include "support/sound_files.h"
#include "support/status_lines.h"

namespace {

constexpr uint32_t kLoudnessColour = 0x50C8DC;
constexpr int32_t kLoudnessRow = 669;

class SoundSession : public ScriptedSession {
  protected:
    void SetUp() override {
        ScriptedSession::SetUp();
        HeadlessKeepFrames(8);
        sound = StemOf(path) + "_click.wav";
    }
    void TearDown() override {
        ScriptedSession::TearDown();
        std::filesystem::remove(sound);
        editor.animation.sound = SoundTrack{};
    }
    static void TapWith(int32_t modifier, int32_t scanCode) {
        Hold(modifier);
        Tap(scanCode);
        Release(modifier);
        Cycle();
    }
    // The status lines of the pictures kept, oldest first.
    static std::vector<std::vector<std::size_t>> StatusLinesShown() {
        std::vector<std::vector<std::size_t>> lines;
        for (const HeadlessFrame& picture : HeadlessFrames()) {
            if (std::vector<std::size_t> red = RedLine(picture); !red.empty()) {
                lines.push_back(red);
            }
        }
        return lines;
    }
    // Whether the strip's cell shows loudness: its band's middle pixel.
    static bool CellShowsLoudness(int32_t cell) {
        const HeadlessFrame& picture = HeadlessFrames().back();
        int32_t x = 4 + cell * 66 + 32;
        return picture.pixels[static_cast<std::size_t>(kLoudnessRow * picture.width + x)] ==
               kLoudnessColour;
    }
    std::string sound;
};

TEST_F(SoundSession, TChoosesTheSoundShiftTRemovesItAndBothAreUndoSteps) {
    PlaceJoint(300, 300);
    WriteClickWav(sound, 44100, 1, 1.0, 0.2125); // amid frame 8 at 40 frames a second
    HeadlessQueueFileAnswer(sound);
    Tap(ScanT);
    ASSERT_EQ(HeadlessRequests().back().title, "Ton laden");
    std::string name = std::filesystem::path(sound).filename().string();
    EXPECT_EQ(editor.animation.sound.reference, name) << "beside the animation: by name";
    ASSERT_EQ(editor.animation.sound.samples.size(), static_cast<std::size_t>(kSoundRate) * 2);
    EXPECT_NEAR(static_cast<double>(FirstLoudFrame(editor.animation.sound.samples, 2)), 10200.0,
                2.0);
    const std::vector<int16_t> chosen = editor.animation.sound.samples;
    for (int32_t cell = 0; cell < 12; ++cell) {
        EXPECT_EQ(CellShowsLoudness(cell), cell == 8) << "cell " << cell;
    }

    const struct {
        int32_t modifier;
        int32_t key;
        bool sound;
    } steps[] = {
        {ScanLeftCtrl, ScanZ, false}, // the choice taken back
        {ScanLeftCtrl, ScanY, true},  // and done again
        {ScanLeftShift, ScanT, false},
        {ScanLeftCtrl, ScanZ, true}, // the removal taken back
    };
    for (const auto& step : steps) {
        TapWith(step.modifier, step.key);
        EXPECT_EQ(editor.animation.sound.reference, step.sound ? name : "");
        EXPECT_EQ(editor.animation.sound.samples, step.sound ? chosen : std::vector<int16_t>{});
        EXPECT_EQ(CellShowsLoudness(8), step.sound);
    }

    // Saved and loaded again, the animation keeps its sound; a cancelled chooser changes nothing.
    Tap(ScanF9);
    Tap(ScanF8);
    EXPECT_EQ(editor.animation.sound.reference, name);
    EXPECT_EQ(editor.animation.sound.samples, chosen);
    HeadlessQueueFileAnswer("");
    Tap(ScanT);
    EXPECT_EQ(editor.animation.sound.samples, chosen);
    // A file that is no sound is refused: the sound chosen stays, and the status line says so.
    const std::string notes = StemOf(path) + "_notes.ogg";
    std::ofstream(notes) << "words, not a sound";
    HeadlessQueueFileAnswer(notes);
    Tap(ScanT);
    EXPECT_EQ(editor.animation.sound.reference, name);
    EXPECT_EQ(editor.animation.sound.samples, chosen);
    std::string refused = "Ton nicht gefunden: " + std::filesystem::path(notes).filename().string();
    EXPECT_EQ(StatusLinesShown().back(), StatusLineOf(refused.c_str()));
    std::filesystem::remove(notes);
}

TEST_F(SoundSession, AMissingOrUndecodableSoundIsReportedAndItsReferenceKeptThroughASave) {
    const std::string notes = StemOf(path) + "_notes.ogg";
    std::ofstream(notes) << "words, not a sound";
    for (const std::string& reference :
         {std::string("gone.ogg"), std::filesystem::path(notes).filename().string()}) {
        SCOPED_TRACE(reference);
        PlaceJoint(300, 300);
        editor.animation.sound.reference = reference;
        Tap(ScanF9);
        editor.animation.sound = SoundTrack{};
        Tap(ScanF8);
        EXPECT_EQ(editor.animation.sound.reference, reference);
        EXPECT_TRUE(editor.animation.sound.samples.empty());
        std::vector<std::vector<std::size_t>> shown = StatusLinesShown();
        std::string expected = "Ton nicht gefunden: " + reference;
        ASSERT_GE(shown.size(), 2u);
        EXPECT_EQ(shown.back(), StatusLineOf(expected.c_str()));
        EXPECT_EQ(shown[shown.size() - 2], StatusLineOf("Geladen"));
        // The animation loaded without it, and a save keeps the reference for later.
        EXPECT_EQ(UsedJoints(), 1);
        Tap(ScanF9);
        ASSERT_EQ(LoadAnimation(), 1);
        EXPECT_EQ(editor.animation.sound.reference, reference);
        Tap(ScanX);
    }
    std::filesystem::remove(notes);
}

} // namespace
