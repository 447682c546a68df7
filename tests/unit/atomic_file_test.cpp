// Atomic replacement: the target holds either its old bytes or all the new ones, keeps its
// permissions, and no temporary file survives a commit, an abandon or a failure.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "storage/atomic_file.h"
#include "storage/numbered_files.h"
#include "support/failing_file_calls.h"
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

// A folder that takes no new file: creating one fails with `refusal`; the target's own open fails
// too when `targetRefused` is set. Writes fail with a full disk after the first `writesLeft`.
int refusal;
bool targetRefused;
int writesLeft;
int RefuseNewFiles(const char* name, int flags, int mode) {
    if ((flags & O_CREAT) != 0 || (targetRefused && (flags & O_TRUNC) != 0)) {
        errno = refusal;
        return -1;
    }
    return ::open(name, flags, mode);
}
long WriteThenFail(int descriptor, const void* bytes, unsigned long count) {
    return writesLeft-- > 0 ? ::write(descriptor, bytes, count) : (errno = ENOSPC, -1);
}

TEST_F(AtomicFileTest, FolderRefusingNewFilesIsWrittenInPlaceWhereThatCanWork) {
    struct Case {
        const char* what;
        int refusal;
        bool targetExists, targetRefused;
        int writes;       // that succeed; the held bytes take one, the copy the rest
        int (*sync)(int); // null: the system's own
        bool saved;
    } cases[] = {
        {"no permission in the folder", EACCES, true, false, 99, nullptr, true},
        {"the folder forbids new files", EPERM, true, false, 99, nullptr, true},
        {"read-only file system", EROFS, true, false, 99, nullptr, false},
        {"disk full", ENOSPC, true, false, 99, nullptr, false},
        {"no target to write in place", EACCES, false, false, 99, nullptr, false},
        {"the target cannot be opened", EACCES, true, true, 99, nullptr, false},
        {"writing the target fails", EACCES, true, false, 2, nullptr, false},
        {"flushing the target fails", EACCES, true, false, 99, FailSync, false},
    };
    std::string payload(200000, 'n'); // more than one chunk of the copy
    for (const Case& each : cases) {
        std::filesystem::remove(target);
        if (each.targetExists) {
            WriteOld("old bytes");
        }
        refusal = each.refusal;
        targetRefused = each.targetRefused;
        writesLeft = each.writes;
        FileSystem() = realCalls;
        FileSystem().open = RefuseNewFiles;
        FileSystem().write = WriteThenFail;
        FileSystem().sync = each.sync != nullptr ? each.sync : realCalls.sync;
        std::string error;
        bool saved = AtomicFileReplaceWith(target.c_str(), payload.data(), payload.size(), &error);
        EXPECT_EQ(saved, each.saved) << each.what << ": " << error;
        EXPECT_TRUE(saved || error.find(target) != std::string::npos) << error;
        if (saved || each.targetRefused || !each.targetExists) {
            EXPECT_EQ(Contents(), saved ? payload : each.targetExists ? "old bytes" : "");
        }
        EXPECT_EQ(FolderEntries(folder).size(), each.targetExists ? 1u : 0u) << each.what;
    }
}

// A real folder the user may not write, holding a file the user may: the save goes in place and
// the file keeps its owner. Tried by a child that gives up root.
TEST_F(AtomicFileTest, FileInAFolderTheUserMayNotWriteIsSavedInPlaceAndKeepsItsOwner) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to give a file to someone else";
    }
    WriteOld("old bytes");
    ASSERT_EQ(chmod(target.c_str(), 0666), 0);
    ASSERT_EQ(chmod(folder.c_str(), 0755), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string error;
        bool other = setgid(65534) == 0 && setuid(65534) == 0;
        _exit(other ? (AtomicFileReplaceWith(target.c_str(), "new", 3, &error) ? 0 : 1) : 2);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "not saved";
    EXPECT_EQ(Contents(), "new");
    struct stat after {};
    ASSERT_EQ(stat(target.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, 0u);
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"picture.gif"});
}

} // namespace
