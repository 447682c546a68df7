// Requesters on the headless backend: what the chooser is shown (folder, name, filters, title),
// how its answer comes back as a temporary text, and the message box.
#include "storage/requesters.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/headless.h"
#include "runtime/heaps.h"
#include "storage/text.h"

namespace {

class RequesterTest : public testing::Test {
  protected:
    void SetUp() override {
        StringHeapInit();
        TextWorkBufferInit();
        HeadlessResetDialogs();
        start = WorkBufferLength();
    }
    void TearDown() override {
        WorkBufferSetLength(start);
        HeadlessResetDialogs();
    }

    // Shows the chooser for defaultFile (cancelled) and returns what it was shown.
    HeadlessRequest ChooserShownFor(const char* defaultFile, const char* patternText = "*.txt",
                                    int32_t position = 1) {
        AskOpenFileName("Ort zum Laden/Speichern", defaultFile, patternText, position, start);
        EXPECT_EQ(HeadlessRequests().size(), 1u);
        return HeadlessRequests().empty() ? HeadlessRequest{} : HeadlessRequests().back();
    }

    std::string Chosen(const std::string& answer) {
        HeadlessQueueFileAnswer(answer);
        return AskOpenFileName("Ort zum Laden/Speichern", "/prog/limbrado.lmb", "*.txt", 1, start);
    }

    int32_t start = 0;
};

// Folder and name of the default file.

TEST_F(RequesterTest, DefaultFileOpensInItsFolderWithItsNameFilledIn) {
    HeadlessRequest request = ChooserShownFor("/prog/limbrado.lmb");
    EXPECT_FALSE(request.messageBox);
    EXPECT_EQ(request.title, "Ort zum Laden/Speichern");
    EXPECT_EQ(request.folder, "/prog/");
    EXPECT_EQ(request.name, "limbrado.lmb");
}

TEST_F(RequesterTest, DefaultFileInTheRootFolderKeepsTheRootAsFolder) {
    HeadlessRequest request = ChooserShownFor("/limbrado.lmb");
    EXPECT_EQ(request.folder, "/");
    EXPECT_EQ(request.name, "limbrado.lmb");
}

TEST_F(RequesterTest, DefaultFileWithBackslashesDividesAtTheLastOne) {
    HeadlessRequest request = ChooserShownFor("C:\\prog\\limbrado.lmb");
    EXPECT_EQ(request.folder, "C:\\prog\\");
    EXPECT_EQ(request.name, "limbrado.lmb");
}

TEST_F(RequesterTest, DefaultFileWithoutSeparatorIsTheNameAlone) {
    HeadlessRequest request = ChooserShownFor("limbrado.lmb");
    EXPECT_EQ(request.folder, "");
    EXPECT_EQ(request.name, "limbrado.lmb");
}

TEST_F(RequesterTest, DefaultFileEndingInSeparatorGivesFolderAndEmptyName) {
    HeadlessRequest request = ChooserShownFor("/prog/animations/");
    EXPECT_EQ(request.folder, "/prog/animations/");
    EXPECT_EQ(request.name, "");
}

TEST_F(RequesterTest, NameThatCannotBeAFileNameIsClearedButTheFolderStays) {
    for (const char* defaultFile : {"/prog/walk:1.lmb", "/prog/wa\x01lk.lmb", "/prog/walk?.lmb"}) {
        HeadlessResetDialogs();
        HeadlessRequest request = ChooserShownFor(defaultFile);
        EXPECT_EQ(request.folder, "/prog/") << defaultFile;
        EXPECT_EQ(request.name, "") << defaultFile;
    }
}

TEST_F(RequesterTest, MissingDefaultFileOpensWithoutFolderAndName) {
    HeadlessRequest request = ChooserShownFor(nullptr);
    EXPECT_EQ(request.folder, "");
    EXPECT_EQ(request.name, "");
}

// The pattern text as a list of filters.

TEST_F(RequesterTest, SinglePatternIsOfferedWithAnAllFilesEntryThatPositionOneSelects) {
    HeadlessRequest request = ChooserShownFor("/prog/limbrado.lmb", "*.txt", 1);
    EXPECT_EQ(request.filters, (std::vector<std::string>{"*.txt|*.txt", "Alle Dateien|*"}));
    EXPECT_EQ(request.selectedFilter, 1);
}

TEST_F(RequesterTest, DescriptionAndPatternPairsBecomeOneEntryEach) {
    HeadlessRequest request = ChooserShownFor("/prog/limbrado.lmb", "Text|*.txt|All|*.*", 1);
    EXPECT_EQ(request.filters, (std::vector<std::string>{"Text|*.txt", "All|*"}));
    EXPECT_EQ(request.selectedFilter, 1);

    HeadlessResetDialogs();
    request = ChooserShownFor("/prog/limbrado.lmb", "Text|*.txt;*.lmb|Images|*.png|", 0);
    EXPECT_EQ(request.filters,
              (std::vector<std::string>{"Text|*.txt;*.lmb", "Images|*.png", "Alle Dateien|*"}));
    EXPECT_EQ(request.selectedFilter, 0);
}

TEST_F(RequesterTest, PositionOutsideTheListSelectsTheFirstEntry) {
    EXPECT_EQ(ChooserShownFor("/prog/limbrado.lmb", "Text|*.txt|All|*", 2).selectedFilter, 0);
    HeadlessResetDialogs();
    EXPECT_EQ(ChooserShownFor("/prog/limbrado.lmb", "Text|*.txt|All|*", -1).selectedFilter, 0);
}

TEST_F(RequesterTest, MissingPatternTextOffersAllFilesOnly) {
    HeadlessRequest request = ChooserShownFor("/prog/limbrado.lmb", nullptr, 1);
    EXPECT_EQ(request.filters, (std::vector<std::string>{"Alle Dateien|*"}));
    EXPECT_EQ(request.selectedFilter, 0);
}

// The answer.

TEST_F(RequesterTest, ChosenPathComesBackAtStartAndEarlierTextStays) {
    StringLeft("kept text", 9, start);
    int32_t after = start + 10; // past the earlier text and its 0
    WorkBufferSetLength(after);
    HeadlessQueueFileAnswer("/home/user/walk.lmb");

    char* result =
        AskOpenFileName("Ort zum Laden/Speichern", "/prog/limbrado.lmb", "*.txt", 1, after);

    EXPECT_EQ(result, WorkBufferText(after));
    EXPECT_STREQ(result, "/home/user/walk.lmb");
    EXPECT_EQ(WorkBufferLength(), after + 19);
    EXPECT_STREQ(WorkBufferText(start), "kept text");
}

TEST_F(RequesterTest, ArgumentsBuiltAtStartAreReadBeforeTheAnswerReplacesThem) {
    char* defaultFile = StringLeft("/prog/limbrado.lmb", 100, start);
    HeadlessQueueFileAnswer("/a/folder/with/a/name/longer/than/the/default/file.lmb");

    char* result = AskOpenFileName("Ort zum Laden/Speichern", defaultFile, "*.txt", 1, start);

    ASSERT_EQ(HeadlessRequests().size(), 1u);
    EXPECT_EQ(HeadlessRequests()[0].folder, "/prog/");
    EXPECT_EQ(HeadlessRequests()[0].name, "limbrado.lmb");
    EXPECT_STREQ(result, "/a/folder/with/a/name/longer/than/the/default/file.lmb");
}

TEST_F(RequesterTest, CancelGivesTheEmptyText) {
    EXPECT_EQ(Chosen(""), "");
    EXPECT_EQ(WorkBufferLength(), start);
    EXPECT_EQ(HeadlessRequests().size(), 1u);
}

TEST_F(RequesterTest, ChooserWithoutAnAnswerCountsAsCancelled) {
    char* result =
        AskOpenFileName("Ort zum Laden/Speichern", "/prog/limbrado.lmb", "*.txt", 1, start);
    EXPECT_STREQ(result, "");
    EXPECT_EQ(HeadlessRequests().size(), 1u);
}

TEST_F(RequesterTest, AnswersAreTakenInOrder) {
    HeadlessQueueFileAnswer("/first.lmb");
    HeadlessQueueFileAnswer("");
    HeadlessQueueFileAnswer("/third.lmb");
    EXPECT_EQ(std::string(AskOpenFileName("a", "", "", 0, start)), "/first.lmb");
    EXPECT_EQ(std::string(AskOpenFileName("b", "", "", 0, start)), "");
    EXPECT_EQ(std::string(AskOpenFileName("c", "", "", 0, start)), "/third.lmb");
    EXPECT_EQ(HeadlessRequests().size(), 3u);
}

TEST_F(RequesterTest, SaveAndMultipleSelectionRequestersAlsoGiveOnePath) {
    HeadlessQueueFileAnswer("/prog/out.lmb");
    HeadlessQueueFileAnswer("/prog/one.lmb");
    EXPECT_STREQ(AskFileName(0, "Speichern", "/prog/x.lmb", "*.txt", 1, 1, start), "/prog/out.lmb");
    EXPECT_STREQ(AskFileName(1, "Laden", "/prog/x.lmb", "*.txt", 1, 0, start), "/prog/one.lmb");
}

TEST_F(RequesterTest, PathLongerThanTheSystemLimitCountsAsCancelled) {
    EXPECT_EQ(Chosen("/" + std::string(5000, 'a')), "");
    EXPECT_EQ(Chosen("/" + std::string(4000, 'a')).size(), 4001u);
}

// Code page 1252 in the program, UTF-8 at the platform.

TEST_F(RequesterTest, TextsReachTheChooserAsUtf8AndTheDefaultPathAsItsOwnBytes) {
    AskOpenFileName("\xE4 und \xFC", "/d\xC3\xA4ten/\xE5\x8A\xA8.lmb", "Texte f\xFCr M\xE4rz|*.txt",
                    0, start);
    ASSERT_EQ(HeadlessRequests().size(), 1u);
    EXPECT_EQ(HeadlessRequests()[0].title, "\xC3\xA4 und \xC3\xBC");
    EXPECT_EQ(HeadlessRequests()[0].folder, "/d\xC3\xA4ten/");
    EXPECT_EQ(HeadlessRequests()[0].name, "\xE5\x8A\xA8.lmb");
    ASSERT_FALSE(HeadlessRequests()[0].filters.empty());
    EXPECT_EQ(HeadlessRequests()[0].filters[0], "Texte f\xC3\xBCr M\xC3\xA4rz|*.txt");
}

TEST_F(RequesterTest, ChosenPathComesBackAsTheFileSystemNamesIt) {
    for (const char* path :
         {"/d\xC3\xA4ten/\xC3\x9C \xE2\x82\xAC.lmb", "/home/\xE5\x8A\xA8\xE7\x94\xBB.txt",
          "/home/\xFF.lmb", "/home/what?.lmb"}) {
        EXPECT_EQ(Chosen(path), path);
    }
}

// The message box.

TEST_F(RequesterTest, MessageBoxShowsTitleAndTextAndAnswersOk) {
    EXPECT_EQ(ShowMessageBox("Ok", "Exportiert als /prog/limbrado_export.lmb", 0), 1);
    ASSERT_EQ(HeadlessRequests().size(), 1u);
    EXPECT_TRUE(HeadlessRequests()[0].messageBox);
    EXPECT_EQ(HeadlessRequests()[0].title, "Ok");
    EXPECT_EQ(HeadlessRequests()[0].name, "Exportiert als /prog/limbrado_export.lmb");
}

TEST_F(RequesterTest, FileMessageBoxShowsThePathLegiblyAfterTheText) {
    struct Case {
        const char* path;
        const char* shown;
    } cases[] = {
        {"/d\xC3\x9C"
         "bung.lmb",
         "/d\xC3\x9C"
         "bung.lmb"},
        {"/\xE5\x8A\xA8_export.lmb", "/\xE5\x8A\xA8_export.lmb"},
        {"/a\xFC\xE5\x8A.lmb", "/a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD.lmb"}, // no UTF-8
        {"/\xED\xA0\x80", "/\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},           // a surrogate
    };
    for (const Case& each : cases) {
        EXPECT_EQ(ShowFileMessageBox("Ok", "Exportiert als ", each.path), 1);
        EXPECT_EQ(HeadlessRequests().back().name, std::string("Exportiert als ") + each.shown);
    }
}

TEST_F(RequesterTest, MessageBoxTextReachesThePlatformAsUtf8) {
    ShowMessageBox("Gr\xFC\xDF", "M\xE4rz \x80", 0);
    ASSERT_EQ(HeadlessRequests().size(), 1u);
    EXPECT_EQ(HeadlessRequests()[0].title, "Gr\xC3\xBC\xC3\x9F");
    EXPECT_EQ(HeadlessRequests()[0].name, "M\xC3\xA4rz \xE2\x82\xAC");
}

TEST_F(RequesterTest, MessageBoxLeavesQueuedFileAnswersForTheChooser) {
    HeadlessQueueFileAnswer("/prog/walk.lmb");
    ShowMessageBox("Error", "Konnte nicht speichern", 0);
    EXPECT_EQ(Chosen("/prog/other.lmb"), "/prog/walk.lmb");
}

} // namespace
