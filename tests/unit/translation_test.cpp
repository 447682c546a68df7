// The window in the user's language: the language follows the locale variables as gettext reads
// them, the catalogs are found beside the program, and an English session shows its overlay, strip,
// status lines, message boxes and file chooser in English, with no German text left over.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "editor/command_table.h"
#include "editor/editor_picture.h"
#include "model/easing.h"
#include "storage/requesters.h"
#include "storage/translation.h"
#include "support/drawing_session.h"
#include "support/scripted_session.h"
#include "support/status_lines.h"

namespace {

const std::string kBuildFolder = LIMBRADO_BINARY_DIR;

std::vector<std::string> BuildCatalogs() {
    return CatalogFolders(kBuildFolder + "/unit_tests");
}

// A C literal's text: "\xfc" is the byte 0xFC, "\\" and "\"" the characters.
std::string Unescaped(const std::string& literal) {
    std::string text;
    for (std::size_t index = 0; index < literal.size(); ++index) {
        if (literal[index] != '\\' || index + 1 >= literal.size()) {
            text += literal[index];
        } else if (literal[index + 1] == 'x') {
            text += static_cast<char>(std::stoi(literal.substr(index + 2, 2), nullptr, 16));
            index += 3;
        } else {
            text += literal[++index];
        }
    }
    return text;
}

struct LocaleCase {
    const char* language;
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    std::vector<std::string> expected;
};

TEST(Translation, LanguagesFollowTheLocaleVariablesInGettextsOrder) {
    const LocaleCase cases[] = {
        {nullptr, nullptr, nullptr, "en_US.UTF-8", {"en_US", "en"}},
        {nullptr, nullptr, nullptr, "de_DE.UTF-8", {"de_DE", "de"}},
        {nullptr, "en_GB.UTF-8", "de_DE", "de_AT", {"en_GB", "en"}},
        {nullptr, "", "en_US", "de_DE", {"en_US", "en"}},
        {"fr:en_GB", nullptr, nullptr, "de_DE.UTF-8", {"fr", "en_GB", "en"}},
        {"sr@latin", nullptr, nullptr, "sr_RS", {"sr@latin", "sr"}},
        {nullptr,
         nullptr,
         nullptr,
         "sr_RS.UTF-8@latin",
         {"sr_RS@latin", "sr@latin", "sr_RS", "sr"}},
        {"en", nullptr, nullptr, "C", {}},
        {"en", "POSIX", nullptr, "en_US", {}},
        {nullptr, nullptr, nullptr, "C.UTF-8", {}},
        {"en", nullptr, nullptr, nullptr, {}},
        {nullptr, nullptr, nullptr, "", {}},
    };
    for (const LocaleCase& locale : cases) {
        EXPECT_EQ(
            LanguagesFromLocale(locale.language, locale.lcAll, locale.lcMessages, locale.lang),
            locale.expected)
            << (locale.language ? locale.language : "-") << " "
            << (locale.lcAll ? locale.lcAll : "-") << " " << (locale.lang ? locale.lang : "-");
    }
}

TEST(Translation, TheFirstLanguageWithACatalogWinsAndGermanOrNoneKeepsTheIds) {
    EXPECT_EQ(CatalogFolders("/opt/limbrado/bin/limbrado"),
              (std::vector<std::string>{"/opt/limbrado/bin/../share/locale",
                                        "/opt/limbrado/bin/share/locale"}));
    EXPECT_EQ(UseLanguage({"en_US", "en"}, BuildCatalogs()), "en");
    EXPECT_STREQ(Translate("Gespeichert"), "Saved");
    EXPECT_STREQ(Translate("Freie L\xe4nge"), "Free length");
    EXPECT_EQ(UseLanguage({"fr_FR", "fr", "en"}, BuildCatalogs()), "en");
    EXPECT_EQ(UseLanguage({"de_CH", "de", "en"}, BuildCatalogs()), "de");
    EXPECT_STREQ(Translate("Gespeichert"), "Gespeichert");
    EXPECT_EQ(UseLanguage({"fr"}, BuildCatalogs()), "de");
    EXPECT_EQ(UseLanguage({}, BuildCatalogs()), "de");
    EXPECT_TRUE(UntranslatedTexts().empty());

    // A catalog that is a FIFO, or bytes that are no catalog, count as none, without waiting.
    std::string folder = testing::TempDir() + "catalogs_" + std::to_string(getpid());
    std::filesystem::create_directories(folder + "/fr/LC_MESSAGES");
    std::filesystem::create_directories(folder + "/it/LC_MESSAGES");
    ASSERT_EQ(mkfifo((folder + "/fr/LC_MESSAGES/limbrado.mo").c_str(), 0600), 0);
    std::ofstream(folder + "/it/LC_MESSAGES/limbrado.mo") << "\xde\x12\x04\x95 not a catalog";
    EXPECT_EQ(UseLanguage({"fr", "it"}, {folder}), "de");
    std::ifstream english(kBuildFolder + "/share/locale/en/LC_MESSAGES/limbrado.mo",
                          std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(english)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(UseCatalog(bytes));
    EXPECT_FALSE(UseCatalog(bytes.substr(0, bytes.size() / 2))) << "cut short";
    EXPECT_STREQ(Translate("Gespeichert"), "Gespeichert");
    std::filesystem::remove_all(folder);
}

// Every text literal that the code hands to the status line, a message box, the file chooser or
// the translation itself, read from the sources: each must have an English entry, so that no text
// stays German by oversight. (The help lines are all drawn, and checked, in the session below.)
TEST(Translation, EveryTextTheCodeShowsHasAnEnglishEntry) {
    ASSERT_EQ(UseLanguage({"en"}, BuildCatalogs()), "en");
    const std::regex call(
        R"((Translate|ShowStatusMessage|ShowMessageBox|ShowFileMessageBox|AskOpenFileName|)"
        R"(AskFigureFile|ReportFileResult)\(((?:\s*"(?:[^"\\]|\\.)*"\s*|[^;{}"])*)\))");
    const std::regex literal(R"("((?:[^"\\]|\\.)*)\"(\s*(?="))?)");
    int32_t texts = 0;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(std::string(LIMBRADO_SOURCE_DIR) + "/src")) {
        if (!entry.is_regular_file() ||
            (entry.path().extension() != ".cpp" && entry.path().extension() != ".h")) {
            continue;
        }
        std::ifstream file(entry.path());
        std::string source((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
        for (std::sregex_iterator found(source.begin(), source.end(), call), end; found != end;
             ++found) {
            std::string arguments = (*found)[2];
            std::string text;
            for (std::sregex_iterator part(arguments.begin(), arguments.end(), literal);
                 part != std::sregex_iterator(); ++part) {
                text += Unescaped((*part)[1]);
                if ((*part)[2].matched) {
                    continue; // the next literal continues this one
                }
                if (!text.empty() && text[0] != '*') {
                    ++texts;
                    Translate(text.c_str());
                }
                text.clear();
            }
        }
    }
    EXPECT_GT(texts, 15) << "the sources were read";
    EXPECT_EQ(UntranslatedTexts(), std::vector<std::string>{});
    UseLanguage({}, {});
}

// Where the ink of a text drawn at (0, 0) in the overlay font ends.
int32_t InkRight(const char* text) {
    SurfaceClear(0);
    DrawingBegin(SurfaceDrawTarget());
    DrawingSetMode(DrawingTransparentText);
    DrawingSetFont(FontHandle(editor.session.hudFont));
    DrawTextAt(0, 0, text, PackColour(255, 255, 255));
    DrawingEnd();
    std::vector<int32_t> pixels = SurfaceSnapshot();
    int32_t right = 0;
    for (std::size_t index = 0; index < pixels.size(); ++index) {
        if (pixels[index] != 0) {
            right = std::max(right, static_cast<int32_t>(index % kSurfaceWidth) + 1);
        }
    }
    return right;
}

struct PlacedText {
    int32_t x;
    int32_t y;
    const char* text;
    int32_t colour;
};

std::vector<int32_t> DrawTexts(const std::vector<PlacedText>& texts) {
    SurfaceClear(0);
    DrawingBegin(SurfaceDrawTarget());
    DrawingSetMode(DrawingTransparentText);
    DrawingSetFont(FontHandle(editor.session.hudFont));
    for (const PlacedText& placed : texts) {
        DrawTextAt(placed.x, placed.y, placed.text, placed.colour);
    }
    DrawingEnd();
    return SurfaceSnapshot();
}

// Where the ink of a text drawn at (0, 0) in the overlay font ends.
int32_t InkRight(const std::string& text) {
    std::vector<int32_t> pixels = DrawTexts({{0, 0, text.c_str(), PackColour(255, 255, 255)}});
    int32_t right = 0;
    for (std::size_t index = 0; index < pixels.size(); ++index) {
        if (pixels[index] != 0) {
            right = std::max(right, static_cast<int32_t>(index % kSurfaceWidth) + 1);
        }
    }
    return right;
}

// The English overlay itself is compared with its reference picture (help_overlay_test.cpp); here
// every text it and the strip draw has an English entry, and fits the place the German one had.
TEST(Translation, EnglishOverlayAndStripTextsAreTranslatedAndFitTheirPlaces) {
    DrawingSession session(700);
    ASSERT_TRUE(session.opened);
    ASSERT_EQ(UseLanguage({"en"}, BuildCatalogs()), "en");
    editor.session.currentFrame = 4;
    SurfaceClear(0);
    DrawEditorOverlay();
    DrawEditorStrip();

    // A label ends before its value at x = 70; the strip's counts stay in the boxes a click hits
    // (4 to 146, 150 to 256, 260 to 420) and the frame count within the strip's 800 pixels.
    const char* easingLabel = "N - \xdc"
                              "bergang:";
    for (const char* label :
         {"F2 - Modus: ", "F3 - Schatten:", "F4 - Kollision:", "F5 - Kopf:", easingLabel}) {
        EXPECT_LT(1 + InkRight(Translate(label)), 70) << Translate(label);
    }
    EXPECT_LE(4 + InkRight(std::string(Translate("Zwiebel zur\xfc"
                                                 "ck: ")) +
                           "5"),
              146);
    EXPECT_LE(150 + InkRight(std::string(Translate("vor: ")) + "5"), 256);
    EXPECT_LE(260 + InkRight(std::string("40") + Translate(" Bilder/s")), 420);
    EXPECT_LE(620 + InkRight(std::string(Translate("Bild ")) + "500 / 500"), 800);
    EXPECT_TRUE(UntranslatedTexts().empty());

    // The pen's easing on the list's last line, its word in lime, in English in a context of its
    // own: there "Aus" is an easing, not the toggles' "Off".
    const char* easings[] = {"Linear",    "Ease in", "Ease out", "Ease in-out", "Smooth",
                             "Overshoot", "Elastic", "Bounce",   "Hold"};
    std::vector<HelpLine> lines;
    for (int32_t easing = 0; easing < kEasingCount; ++easing) {
        editor.session.penEasing = easing;
        FillHelpLines(CommandTable(), MouseGestureTable(), editor, &lines);
        ASSERT_EQ(lines.size(), static_cast<std::size_t>(HelpItem::PenEasing) + 1);
        EXPECT_STREQ(lines.back().text, easingLabel);
        EXPECT_EQ(lines.back().value.colour, PackColour(187, 255, 0));
        EXPECT_STREQ(Translate(lines.back().value.text.data()), easings[easing]);
    }
    EXPECT_STREQ(Translate(easingLabel), "N - Easing:");
    EXPECT_STREQ(Translate("Aus"), "Off");
    EXPECT_TRUE(UntranslatedTexts().empty());
    UseLanguage({}, {});
    EXPECT_STREQ(Translate(lines.back().value.text.data()), "Halten") << "German, the word alone";
    editor.session.penEasing = kEasingLinear;
    UseLanguage({}, {});
}

// The red status line's pixels of a presented picture, or of the text drawn alone.

class EnglishSession : public ScriptedSession {
  protected:
    void SetUp() override {
        setenv("LANG", "en_US.UTF-8", 1);
        ScriptedSession::SetUp();
        HeadlessKeepFrames(8);
    }
    void TearDown() override {
        ScriptedSession::TearDown();
        setenv("LANG", "C.UTF-8", 1); // as the test program starts
        UseLanguage({}, {});
    }
    // The status line that the last key showed, as the red pixels of its picture.
    static std::vector<std::size_t> LastStatusLine() {
        for (auto picture = HeadlessFrames().rbegin(); picture != HeadlessFrames().rend();
             ++picture) {
            std::vector<std::size_t> red = RedLine(*picture);
            if (!red.empty()) {
                return red;
            }
        }
        return {};
    }
};

TEST_F(EnglishSession, StatusLinesMessageBoxesAndChooserAreEnglishWithNoGermanLeft) {
    Cycle();
    EXPECT_EQ(HeadlessWindowTitle(), "Limbrado Tool by Orvelin_");
    PlaceJoint(300, 300);
    const std::pair<int32_t, const char*> keys[] = {
        {ScanF9, "Saved"},
        {ScanF8, "Loaded"},
        {ScanI, "No in-betweens possible here"},
    };
    for (const auto& [key, text] : keys) {
        Tap(key);
        std::vector<std::size_t> shown = LastStatusLine();
        EXPECT_FALSE(shown.empty()) << text;
        EXPECT_EQ(shown, StatusLineOf(text)) << text;
    }
    std::filesystem::remove(path);
    Tap(ScanF8);
    EXPECT_EQ(LastStatusLine(), StatusLineOf("Load failed"));

    Tap(ScanF10);
    ASSERT_EQ(HeadlessRequests().size(), 1u);
    EXPECT_EQ(HeadlessRequests()[0].title, "OK");
    EXPECT_EQ(HeadlessRequests()[0].name, "Exported as " + StemOf(path) + "_export.lmb");
    AskOpenFileName("Ort zum Laden/Speichern", "", "*.txt", 1, WorkBufferLength());
    ASSERT_EQ(HeadlessRequests().size(), 2u);
    EXPECT_EQ(HeadlessRequests()[1].title, "Where to load and save");
    EXPECT_EQ(HeadlessRequests()[1].filters,
              (std::vector<std::string>{"*.txt|*.txt", "All files|*"}));

    // The strip's second row: the counts in grey, the current and last frame in lime.
    const int32_t grey = PackColour(155, 155, 155);
    const int32_t lime = PackColour(187, 255, 0);
    std::vector<int32_t> row = DrawTexts({{4, 0, "Onion back: 1", grey},
                                          {150, 0, "ahead: 0", grey},
                                          {260, 0, "40 frames/s", grey},
                                          {620, 0, "Frame 0 / 0", lime}});
    const HeadlessFrame& shown = HeadlessFrames().back();
    for (std::size_t y = 0; y < 12; ++y) {
        for (std::size_t x = 0; x < kSurfaceWidth; ++x) {
            uint32_t pixel = shown.pixels[(678 + y) * kSurfaceWidth + x];
            int32_t drawn = row[y * kSurfaceWidth + x];
            bool text = pixel == 0x9B9B9B || pixel == 0xBBFF00;
            ASSERT_EQ(text, drawn == grey || drawn == lime) << "strip text at " << x << ", " << y;
        }
    }

    // Everything drawn while the editor ran, strip and overlay included, had an English text.
    Tap(ScanF2);
    Tap(ScanF3);
    Tap(ScanF5);
    EXPECT_EQ(UntranslatedTexts(), std::vector<std::string>{});
}

} // namespace
