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
#include <utility>
#include <vector>

#include "storage/atomic_file.h"
#include "storage/message_text.h"
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
int folderSyncError;
int FailFolderSync(int descriptor) {
    if (!IsFolder(descriptor)) {
        return realCalls.sync(descriptor);
    }
    errno = folderSyncError;
    return -1;
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

// Only a folder on disk makes the rename last; a folder whose flush fails fails the commit. A file
// system that cannot flush folders at all (EINVAL) makes the rename as lasting as it gets there.
TEST_F(AtomicFileTest, FolderIsFlushedAfterTheRenameAndAFailedFlushIsReported) {
    FileSystem().sync = RecordSync;
    FileSystem().rename = RecordRename;
    std::string error;
    ASSERT_TRUE(AtomicFileReplaceWith(target.c_str(), "new", 3, &error)) << error;
    EXPECT_EQ(callsSeen, (std::vector<std::string>{"flush file", "rename", "flush folder"}));
    FileSystem().sync = FailFolderSync;
    const std::pair<int, bool> cases[] = {{EIO, false}, {EINVAL, true}};
    for (auto [syncError, saved] : cases) {
        folderSyncError = syncError;
        error.clear();
        std::string bytes = "errno " + std::to_string(syncError);
        EXPECT_EQ(AtomicFileReplaceWith(target.c_str(), bytes.data(), bytes.size(), &error), saved)
            << bytes << ": " << error;
        EXPECT_EQ(error.find("cannot flush the folder") != std::string::npos, !saved) << error;
        EXPECT_EQ(Contents(), bytes); // replaced either way: only its lasting is in doubt
        EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"picture.gif"});
    }
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
        EXPECT_NE(error.find(Quoted(path)), std::string::npos) << error;
        EXPECT_TRUE(std::filesystem::is_directory(folder + "/sub")) << path;
        EXPECT_TRUE(std::filesystem::is_empty(folder + "/sub")) << path;
        EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"sub"}) << path;
    }
}

// A folder that takes no new file: creating one fails with errno `refusal`. With `failing` set,
// opening the target fails too ("open"), a write after the first two ("write") or a flush ("sync").
int refusal;
std::string failing;
int writesLeft;
int RefuseNewFiles(const char* name, int flags, int mode) {
    if ((flags & O_CREAT) != 0 || (failing == "open" && (flags & O_TRUNC) != 0)) {
        errno = refusal;
        return -1;
    }
    return ::open(name, flags, mode);
}
long WriteThenFail(int descriptor, const void* bytes, unsigned long count) {
    return writesLeft-- > 0 ? ::write(descriptor, bytes, count) : (errno = ENOSPC, -1);
}

TEST_F(AtomicFileTest, FolderRefusingNewFilesIsWrittenInPlaceWhereThatCanWork) {
    const struct {
        int refusal;
        bool targetExists;
        std::string failing;
        bool saved;
    } cases[] = {
        {EACCES, true, "", true},       {EPERM, true, "", true},
        {EROFS, true, "", false},       {ENOSPC, true, "", false},
        {EACCES, false, "", false},     {EACCES, true, "open", false},
        {EACCES, true, "write", false}, {EACCES, true, "sync", false},
    };
    std::string payload(200000, 'n'); // more than one chunk of the copy
    FileSystem().open = RefuseNewFiles;
    FileSystem().write = WriteThenFail;
    for (const auto& each : cases) {
        std::filesystem::remove(target);
        if (each.targetExists) {
            WriteOld("old bytes");
        }
        refusal = each.refusal;
        failing = each.failing;
        writesLeft = failing == "write" ? 2 : 99; // the bytes held in memory take the first
        FileSystem().sync = failing == "sync" ? FailSync : realCalls.sync;
        std::string error;
        bool saved = AtomicFileReplaceWith(target.c_str(), payload.data(), payload.size(), &error);
        std::string what = std::to_string(refusal) + " " + failing + ": " + error;
        EXPECT_EQ(saved, each.saved) << what;
        EXPECT_TRUE(saved || error.find(Quoted(target)) != std::string::npos) << what;
        if (saved || failing == "open" || !each.targetExists) {
            EXPECT_EQ(Contents(), saved ? payload : each.targetExists ? "old bytes" : "") << what;
        }
        EXPECT_EQ(FolderEntries(folder).size(), each.targetExists ? 1u : 0u) << what;
    }
}

// A real folder the user may not write, holding a file the user may: a child that gives up root
// saves it in place, and the file keeps its owner.
TEST_F(AtomicFileTest, FileInAFolderTheUserMayNotWriteIsSavedInPlaceAndKeepsItsOwner) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to give a file to someone else";
    }
    WriteOld("old bytes");
    ASSERT_EQ(chmod(target.c_str(), 0666) | chmod(folder.c_str(), 0755), 0);
    if (fork() == 0) {
        std::string error;
        _exit(setgid(65534) != 0 || setuid(65534) != 0 ||
              !AtomicFileReplaceWith(target.c_str(), "new", 3, &error));
    }
    int status = -1;
    struct stat after {};
    EXPECT_TRUE(wait(&status) > 0 && status == 0 && stat(target.c_str(), &after) == 0) << status;
    EXPECT_EQ(Contents() + ", owner " + std::to_string(after.st_uid), "new, owner 0");
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"picture.gif"});
}

} // namespace
