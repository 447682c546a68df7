// Atomic replacement: the target holds either its old bytes or all the new ones, keeps its
// permissions, and no temporary file survives a commit, an abandon or a failure.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "storage/atomic_file.h"
#include "storage/numbered_files.h"
#include "support/picture_decoding.h"
#include "support/test_folder.h"

namespace {

// The file layer's own calls, and the flushes and renames seen through them in order.
FileSystemCalls realCalls;
std::vector<std::string> callsSeen;
bool IsFolder(int descriptor) {
    struct stat status {};
    return fstat(descriptor, &status) == 0 && S_ISDIR(status.st_mode);
}
int RecordSync(int descriptor) {
    callsSeen.push_back(IsFolder(descriptor) ? "flush folder" : "flush file");
    return realCalls.sync(descriptor);
}
int RecordRename(const char* from, const char* to) {
    callsSeen.push_back("rename");
    return realCalls.rename(from, to);
}
int FailFolderSync(int descriptor) {
    errno = EIO;
    return IsFolder(descriptor) ? -1 : realCalls.sync(descriptor);
}

class AtomicFileTest : public testing::Test {
  protected:
    void SetUp() override {
        folder = MakeTestFolder("atomic");
        target = folder + "/picture.gif";
        realCalls = FileSystem();
        callsSeen.clear();
    }
    void TearDown() override {
        FileSystem() = realCalls;
        std::filesystem::remove_all(folder);
    }

    void WriteOld(const std::string& text) const { std::ofstream(target) << text; }
    std::string Contents() const {
        std::ifstream in(target);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string folder;
    std::string target;
};

TEST_F(AtomicFileTest, CommitReplacesTheTargetWholeAndKeepsItsPermissions) {
    WriteOld("old bytes");
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    AtomicFile file;
    std::string error;
    ASSERT_TRUE(AtomicFileCreate(target.c_str(), &file, &error)) << error;
    ASSERT_TRUE(AtomicFileWrite(&file, "new", 3, &error)) << error;
    EXPECT_EQ(Contents(), "old bytes"); // untouched until the commit
    ASSERT_TRUE(AtomicFileCommit(&file, &error)) << error;
    EXPECT_EQ(Contents(), "new");
    struct stat status {};
    ASSERT_EQ(stat(target.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"picture.gif"});
}

// Only a folder on disk makes the rename last; a folder that cannot be flushed fails the commit.
TEST_F(AtomicFileTest, FolderIsFlushedAfterTheRenameAndAFailedFlushIsReported) {
    FileSystem().sync = RecordSync;
    FileSystem().rename = RecordRename;
    std::string error;
    ASSERT_TRUE(AtomicFileReplaceWith(target.c_str(), "new", 3, &error)) << error;
    EXPECT_EQ(callsSeen, (std::vector<std::string>{"flush file", "rename", "flush folder"}));
    FileSystem().sync = FailFolderSync;
    EXPECT_FALSE(AtomicFileReplaceWith(target.c_str(), "newer", 5, &error));
    EXPECT_NE(error.find("cannot flush the folder"), std::string::npos) << error;
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"picture.gif"});
}

TEST_F(AtomicFileTest, SymbolicLinkStaysALinkAndTheFileItLeadsToIsReplaced) {
    WriteOld("old bytes");
    std::string link = folder + "/link.gif";
    std::filesystem::create_symlink("picture.gif", link);
    AtomicFile file;
    std::string error;
    ASSERT_TRUE(AtomicFileCreate(link.c_str(), &file, &error)) << error;
    ASSERT_TRUE(AtomicFileWrite(&file, "new", 3, &error)) << error;
    ASSERT_TRUE(AtomicFileCommit(&file, &error)) << error;
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(Contents(), "new");
}

TEST_F(AtomicFileTest, TargetsThatCannotBeReplacedFailWithAMessageAndLeaveNothingBehind) {
    std::filesystem::create_directory(folder + "/sub");
    const std::string targets[] = {folder + "/missing/picture.gif", folder + "/sub",
                                   folder + "/sub/"};
    for (const std::string& path : targets) {
        AtomicFile file;
        std::string error;
        bool created = AtomicFileCreate(path.c_str(), &file, &error);
        bool written = created && AtomicFileWrite(&file, "x", 1, &error);
        EXPECT_FALSE(written && AtomicFileCommit(&file, &error)) << path;
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_TRUE(std::filesystem::is_directory(folder + "/sub")) << path;
        EXPECT_TRUE(std::filesystem::is_empty(folder + "/sub")) << path;
        EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"sub"}) << path;
    }
}

} // namespace
