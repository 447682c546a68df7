// Start-up and shutdown: after start-up the runtime's services work (texts, numbered files, the
// program's parameters); shutdown flushes and closes the files left open.
#include "editor/startup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "storage/numbered_files.h"
#include "storage/text.h"

namespace {

class StartupTest : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/startup_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(directory); }

    std::string directory;
};

TEST_F(StartupTest, ServicesWorkAfterStartUpAndShutdownFlushesOpenFiles) {
    char program[] = "limbrado";
    char animation[] = "walk cycle.txt";
    char* argv[] = {program, animation, nullptr};
    RuntimeStartup(2, argv);

    int32_t start = WorkBufferLength();
    EXPECT_STREQ(CommandLineArgument(start), "walk cycle.txt");
    EXPECT_STREQ(CommandLineArgument(start), "");
    EXPECT_STREQ(Int64ToText(-2147483649LL, start), "-2147483649");
    WorkBufferSetLength(start);

    std::string path = directory + "/left-open.txt";
    ASSERT_NE(FileCreate(0, path.c_str()), 0);
    FileWriteWord(0, 300);
    RuntimeShutdown();

    std::ifstream file(path, std::ios::binary);
    std::vector<unsigned char> contents{std::istreambuf_iterator<char>(file),
                                        std::istreambuf_iterator<char>()};
    EXPECT_EQ(contents, (std::vector<unsigned char>{0x2C, 0x01}));
    EXPECT_EQ(FileWriteByte(0, 1), 0) << "shutdown closed the file";
}

} // namespace
