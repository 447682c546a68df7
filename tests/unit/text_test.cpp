// Texts: building in the shared work buffer, decimal text of integers, left parts, equality,
// directory parts, file-name checks, string variables and the program's parameters.
#include "storage/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "runtime/heaps.h"

namespace {

class TextTest : public testing::Test {
  protected:
    void SetUp() override {
        StringHeapInit();
        TextWorkBufferInit();
        start = WorkBufferLength();
    }
    void TearDown() override { WorkBufferSetLength(start); }

    int32_t start = 0;
};

std::string Text(const char* text) {
    return text == nullptr ? "<null>" : std::string(text);
}

TEST_F(TextTest, Int32ToTextWritesPlainDecimal) {
    EXPECT_EQ(Text(Int32ToText(0, start)), "0");
    EXPECT_EQ(Text(Int32ToText(-7, start)), "-7");
    EXPECT_EQ(Text(Int32ToText(1234567, start)), "1234567");
    EXPECT_EQ(Text(Int32ToText(INT32_MAX, start)), "2147483647");
    EXPECT_EQ(Text(Int32ToText(INT32_MIN, start)), "-2147483648");
    EXPECT_EQ(WorkBufferLength(), start + 11) << "the unused room is given back";
}

TEST_F(TextTest, Int64ToTextCoversTheWholeRange) {
    EXPECT_EQ(Text(Int64ToText(-500, start)), "-500");
    EXPECT_EQ(Text(Int64ToText(2147483648LL, start)), "2147483648");
    EXPECT_EQ(Text(Int64ToText(-2147483649LL, start)), "-2147483649");
    EXPECT_EQ(Text(Int64ToText(INT64_MAX, start)), "9223372036854775807");
    EXPECT_EQ(Text(Int64ToText(INT64_MIN, start)), "-9223372036854775808");
    EXPECT_EQ(WorkBufferLength(), start + 20);
}

TEST_F(TextTest, LabelIsBuiltFromNumbersAndAppendedTexts) {
    Int64ToText(120, start);
    AppendText(", ");
    Int64ToText(-45, WorkBufferLength());
    EXPECT_EQ(Text(WorkBufferText(start)), "120, -45");
    EXPECT_EQ(WorkBufferLength(), start + 8);
    AppendText(nullptr);
    EXPECT_EQ(Text(WorkBufferText(start)), "120, -45") << "null appends only the terminating 0";
}

TEST_F(TextTest, BuildingLabelsEveryFrameKeepsTheBufferInPlace) {
    Int64ToText(0, start);
    WorkBufferSetLength(start);
    const char* buffer = WorkBufferText(0);
    for (int32_t frame = 0; frame < 5000; ++frame) {
        StringLeft("Frame ", 6, start);
        Int64ToText(frame, WorkBufferLength());
        AppendText(", ");
        Int64ToText(int64_t{frame} * -1000, WorkBufferLength());
        WorkBufferSetLength(start);
    }
    EXPECT_EQ(WorkBufferText(0), buffer) << "no reallocation once the buffer has grown";
}

TEST_F(TextTest, StringLeftClampsTheCount) {
    EXPECT_EQ(Text(StringLeft("abc", -1, start)), "");
    EXPECT_EQ(Text(StringLeft("abc", 2, start)), "ab");
    EXPECT_EQ(Text(StringLeft("abc", 10, start)), "abc");
    EXPECT_EQ(WorkBufferLength(), start + 3);
    EXPECT_EQ(Text(StringLeft(nullptr, 5, start)), "");
    EXPECT_EQ(Text(StringLeft("abc", INT32_MIN, start)), "");
}

TEST_F(TextTest, BackupNameIsBuiltFromTheVariableItReplaces) {
    char* basePath = nullptr;
    InitString(&basePath, "/home/user/walk.txt");
    StringLeft(basePath, StringLength(basePath) - 4, start);
    AppendText("_autosave.txt");
    StoreBuiltString(&basePath, start);
    EXPECT_EQ(Text(basePath), "/home/user/walk_autosave.txt");
    EXPECT_EQ(WorkBufferLength(), start);
    StringFree(basePath);
}

TEST_F(TextTest, InputInsideTheBufferSurvivesAReallocation) {
    // Texts of growing size until one copy makes the buffer move; the copy must come out whole.
    bool moved = false;
    for (int32_t size = 1024; size <= (1 << 24) && !moved; size *= 2) {
        std::string pattern(static_cast<std::size_t>(size), ' ');
        for (int32_t index = 0; index < size; ++index) {
            pattern[static_cast<std::size_t>(index)] = static_cast<char>('a' + index % 26);
        }
        WorkBufferSetLength(start);
        AppendText(pattern.c_str());
        WorkBufferSetLength(WorkBufferLength() + 1); // keep the first text, build after it
        const char* before = WorkBufferText(0);
        char* copy = StringLeft(WorkBufferText(start), size, WorkBufferLength());
        moved = WorkBufferText(0) != before;
        if (moved) {
            EXPECT_EQ(Text(copy), pattern);
            EXPECT_EQ(Text(WorkBufferText(start)), pattern);
        }
    }
    EXPECT_TRUE(moved) << "no copy made the buffer grow";
}

TEST_F(TextTest, TextCopiedOntoItselfIsKept) {
    AppendText("abcdef");
    EXPECT_EQ(Text(StringLeft(WorkBufferText(start), 4, start)), "abcd");
    EXPECT_EQ(Text(StringLeft(WorkBufferText(start + 1), 2, start)), "bc");
}

TEST_F(TextTest, StringEqualTreatsNullAsEmpty) {
    EXPECT_EQ(StringEqual(nullptr, ""), 1);
    EXPECT_EQ(StringEqual("", nullptr), 1);
    EXPECT_EQ(StringEqual(nullptr, nullptr), 1);
    EXPECT_EQ(StringEqual(nullptr, "a"), 0);
    EXPECT_EQ(StringEqual("abc", "abc"), 1);
    EXPECT_EQ(StringEqual("abc", "abd"), 0);
    EXPECT_EQ(StringEqual("abc", "ab"), 0);
    EXPECT_EQ(StringEqual("ab", "abc"), 0);
    EXPECT_EQ(StringEqual("gr\xfc\xdf", "gr\xfc\xdf"), 1);
}

TEST_F(TextTest, StringLengthCountsBytesBeforeTheZero) {
    EXPECT_EQ(StringLength(nullptr), 0);
    EXPECT_EQ(StringLength(""), 0);
    EXPECT_EQ(StringLength("Men\xfc"), 4);
}

TEST_F(TextTest, PathDirectoryPartKeepsTheFinalSeparator) {
    EXPECT_EQ(Text(PathDirectoryPart("C:\\dir\\prog.exe", start)), "C:\\dir\\");
    EXPECT_EQ(Text(PathDirectoryPart("/usr/local/bin/limbrado", start)), "/usr/local/bin/");
    EXPECT_EQ(Text(PathDirectoryPart("prog.exe", start)), "");
    EXPECT_EQ(Text(PathDirectoryPart(nullptr, start)), "");
    EXPECT_EQ(WorkBufferLength(), start);
}

TEST_F(TextTest, PathDirectoryPartSkipsAnOpeningQuoteAndStopsAtABar) {
    EXPECT_EQ(Text(PathDirectoryPart("\"C:\\my dir\\prog.exe\"", start)), "C:\\my dir\\");
    EXPECT_EQ(Text(PathDirectoryPart("C:\\a|b\\c", start)), "C:\\");
    EXPECT_EQ(Text(PathDirectoryPart("ab|c/d", start)), "");
    EXPECT_EQ(Text(PathDirectoryPart("\"", start)), "");
}

TEST_F(TextTest, PathDirectoryPartOfATextInTheBuffer) {
    AppendText("/tmp/x/file.lmb");
    WorkBufferSetLength(WorkBufferLength() + 1);
    EXPECT_EQ(Text(PathDirectoryPart(WorkBufferText(start), WorkBufferLength())), "/tmp/x/");
}

TEST_F(TextTest, IsValidFileNameRejectsReservedCharacters) {
    EXPECT_EQ(IsValidFileName("limbrado.lmb"), 1);
    EXPECT_EQ(IsValidFileName("Figur \xe4\xfc.txt"), 1) << "bytes from 128 up are allowed";
    EXPECT_EQ(IsValidFileName(""), 0);
    EXPECT_EQ(IsValidFileName(nullptr), 0);
    for (const char* name :
         {"a:b", "a\"b", "a*b", "a/b", "a<b", "a>b", "a?b", "a\\b", "a|b", "a\tb", "a\x1f"}) {
        EXPECT_EQ(IsValidFileName(name), 0) << name;
    }
}

TEST_F(TextTest, AssignStringCopiesReplacesAndFrees) {
    char* variable = nullptr;
    EXPECT_EQ(AssignString(&variable, "Gespeichert"), 12);
    ASSERT_NE(variable, nullptr);
    EXPECT_EQ(Text(variable), "Gespeichert");
    EXPECT_EQ(AssignString(&variable, variable), 12) << "a variable can take its own text";
    EXPECT_EQ(Text(variable), "Gespeichert");
    EXPECT_EQ(AssignString(&variable, ""), 1);
    EXPECT_EQ(Text(variable), "");
    EXPECT_EQ(AssignString(&variable, nullptr), 1);
    EXPECT_EQ(variable, nullptr);
}

TEST_F(TextTest, InitStringGivesAnOwnCopyAndIgnoresNull) {
    char source[] = "walk.txt";
    char* variable = nullptr;
    InitString(&variable, nullptr);
    EXPECT_EQ(variable, nullptr);
    InitString(&variable, source);
    source[0] = 'X';
    EXPECT_EQ(Text(variable), "walk.txt");
    StringFree(variable);
    StringFree(nullptr);
}

TEST_F(TextTest, ArgumentsAreHandedOutOnceEach) {
    char program[] = "/usr/bin/limbrado";
    char spaced[] = "my file.txt";
    char other[] = "other";
    char* argv[] = {program, spaced, other, nullptr};
    ParameterStateInit(3, argv);
    EXPECT_EQ(Text(CommandLineArgument(start)), "my file.txt");
    EXPECT_EQ(Text(CommandLineArgument(start)), "other");
    EXPECT_EQ(Text(CommandLineArgument(start)), "");
    EXPECT_EQ(Text(CommandLineArgument(start)), "");
    EXPECT_EQ(WorkBufferLength(), start);
}

TEST_F(TextTest, ArgumentsAreCopiedAtStartUp) {
    char program[] = "limbrado";
    char name[] = "walk.txt";
    char* argv[] = {program, name};
    ParameterStateInit(2, argv);
    name[0] = 'X';
    EXPECT_EQ(Text(CommandLineArgument(start)), "walk.txt");
    ParameterStateInit(0, nullptr);
    EXPECT_EQ(Text(CommandLineArgument(start)), "");
}

TEST_F(TextTest, ExecutablePathNamesThisProgram) {
    std::string path = Text(ExecutablePath(start));
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_NE(path.find("unit_tests"), std::string::npos) << path;
    EXPECT_EQ(WorkBufferLength(), start + static_cast<int32_t>(path.size()));
}

} // namespace
