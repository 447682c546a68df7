// Numbered files: the system transfers behind the 4096-byte buffer, direction switches, word and
// byte encoding, end tests, reopening a number, open modes, rejected names and numbers that are
// not open. The system calls are watched through the replaceable calls table.
#include "storage/numbered_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/object_table.h"

namespace {

// What the layer asked of the system, in order.
struct SystemCall {
    std::string kind; // "open", "write", "read", "seek", "close"
    long size;        // bytes asked for; the offset for "seek"; the flags for "open"
    std::string name; // for "open"
};

std::vector<SystemCall> calls;
FileSystemCalls realCalls;

int RecordOpen(const char* name, int flags, int mode) {
    calls.push_back({"open", flags, name});
    return realCalls.open(name, flags, mode);
}
long RecordRead(int descriptor, void* bytes, unsigned long count) {
    calls.push_back({"read", static_cast<long>(count), ""});
    return realCalls.read(descriptor, bytes, count);
}
long RecordWrite(int descriptor, const void* bytes, unsigned long count) {
    calls.push_back({"write", static_cast<long>(count), ""});
    return realCalls.write(descriptor, bytes, count);
}
long RecordSeek(int descriptor, long offset, int whence) {
    calls.push_back({"seek", offset, ""});
    return realCalls.seek(descriptor, offset, whence);
}
int RecordClose(int descriptor) {
    calls.push_back({"close", 0, ""});
    return realCalls.close(descriptor);
}

std::vector<long> WriteSizes() {
    std::vector<long> sizes;
    for (const SystemCall& call : calls) {
        if (call.kind == "write") {
            sizes.push_back(call.size);
        }
    }
    return sizes;
}

class NumberedFilesTest : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/numbered_files_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
        FileTableInit();
        realCalls = FileSystem();
        FileSystem().open = RecordOpen;
        FileSystem().read = RecordRead;
        FileSystem().write = RecordWrite;
        FileSystem().seek = RecordSeek;
        FileSystem().close = RecordClose;
        calls.clear();
    }
    void TearDown() override {
        FileTableShutdown();
        FileSystem() = realCalls;
        std::filesystem::remove_all(directory);
    }

    std::string PathOf(const char* name) const { return directory + "/" + name; }

    std::vector<unsigned char> Contents(const char* name) const {
        std::ifstream file(PathOf(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    void Write(const char* name, const std::vector<unsigned char>& bytes) const {
        std::ofstream file(PathOf(name), std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }

    std::string directory;
};

using Bytes = std::vector<unsigned char>;

TEST_F(NumberedFilesTest, SingleBytesReachTheSystemIn4095ByteFlushesAndTheRestAtClose) {
    ASSERT_NE(FileCreate(0, PathOf("bytes").c_str()), 0);
    for (int32_t index = 0; index < 4095; ++index) {
        ASSERT_EQ(FileWriteByte(0, index), 1);
    }
    EXPECT_TRUE(WriteSizes().empty()) << "4095 bytes still fit in the buffer";
    FileWriteByte(0, 4095);
    EXPECT_EQ(WriteSizes(), (std::vector<long>{4095})) << "the 4096th byte flushes first";
    FileClose(0);
    EXPECT_EQ(WriteSizes(), (std::vector<long>{4095, 1}));

    Bytes contents = Contents("bytes");
    ASSERT_EQ(contents.size(), 4096u);
    for (std::size_t index = 0; index < contents.size(); ++index) {
        ASSERT_EQ(contents[index], index & 0xFF) << "byte " << index;
    }
}

TEST_F(NumberedFilesTest, WriteAfterPartialReadLandsRightAfterTheBytesConsumed) {
    Write("mixed", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    ASSERT_NE(FileOpen(FileModeReadWrite, 0, PathOf("mixed").c_str()), 0);
    EXPECT_EQ(FileReadByte(0), 0);
    EXPECT_EQ(FileReadWord(0), 0x0201);
    FileWriteWord(0, 0xBBAA);
    FileClose(0);
    EXPECT_EQ(Contents("mixed"), (Bytes{0, 1, 2, 0xAA, 0xBB, 5, 6, 7, 8, 9}));
}

TEST_F(NumberedFilesTest, ReadAfterWriteFlushesAndContinuesAfterTheWrittenBytes) {
    Write("mixed", {0, 1, 2, 3, 4, 5});
    ASSERT_NE(FileOpen(FileModeReadWrite, 0, PathOf("mixed").c_str()), 0);
    FileWriteByte(0, 0x70);
    FileWriteByte(0, 0x71);
    EXPECT_EQ(FileReadByte(0), 2);
    EXPECT_EQ(WriteSizes(), (std::vector<long>{2}));
    EXPECT_EQ(FileReadByte(0), 3);
    FileClose(0);
    EXPECT_EQ(Contents("mixed"), (Bytes{0x70, 0x71, 2, 3, 4, 5}));
}

TEST_F(NumberedFilesTest, WordsAreLowByteFirstAndReadBackSignExtended) {
    ASSERT_NE(FileCreate(0, PathOf("words").c_str()), 0);
    EXPECT_EQ(FileWriteWord(0, 300), 2);
    FileWriteWord(0, -2);
    FileWriteWord(0, 70000); // only the low 16 bits: 4464
    FileWriteWord(0, 40000);
    FileWriteByte(0, 0xFE);
    FileWriteByte(0, 0x17F); // only the low 8 bits
    FileClose(0);
    EXPECT_EQ(Contents("words"),
              (Bytes{0x2C, 0x01, 0xFE, 0xFF, 0x70, 0x11, 0x40, 0x9C, 0xFE, 0x7F}));

    ASSERT_NE(FileOpenRead(0, PathOf("words").c_str()), 0);
    EXPECT_EQ(FileReadWord(0), 300);
    EXPECT_EQ(FileReadWord(0), -2);
    EXPECT_EQ(FileReadWord(0), 4464);
    EXPECT_EQ(FileReadWord(0), 40000 - 65536);
    EXPECT_EQ(FileReadByte(0), -2);
    EXPECT_EQ(FileReadByte(0), 0x7F);
    EXPECT_NE(FileAtEnd(0), 0);
}

TEST_F(NumberedFilesTest, FileAtEndConsumesNothing) {
    Write("empty", {});
    Write("one", {0x42});
    ASSERT_NE(FileOpenRead(0, PathOf("empty").c_str()), 0);
    EXPECT_NE(FileAtEnd(0), 0);
    ASSERT_NE(FileOpenRead(1, PathOf("one").c_str()), 0);
    EXPECT_EQ(FileAtEnd(1), 0);
    EXPECT_EQ(FileAtEnd(1), 0);
    EXPECT_EQ(FileReadByte(1), 0x42);
    EXPECT_NE(FileAtEnd(1), 0);
}

TEST_F(NumberedFilesTest, WordWithOneByteLeftTakesItAsTheLowByte) {
    Write("odd", {0x10, 0x20, 0xF0});
    ASSERT_NE(FileOpenRead(0, PathOf("odd").c_str()), 0);
    EXPECT_EQ(FileReadWord(0), 0x2010);
    EXPECT_EQ(FileReadWord(0), 0xF0) << "the missing high byte counts as 0";
    EXPECT_NE(FileAtEnd(0), 0);
    EXPECT_EQ(FileReadByte(0), 0) << "reading beyond the end gives 0";
    EXPECT_EQ(FileReadWord(0), 0);
}

TEST_F(NumberedFilesTest, ReopeningANumberFlushesAndClosesTheFirstFileBeforeTheSecondOpen) {
    ASSERT_NE(FileCreate(0, PathOf("first").c_str()), 0);
    FileWriteWord(0, 0x0605);
    FileWriteByte(0, 7);
    calls.clear();
    ASSERT_NE(FileCreate(0, PathOf("second").c_str()), 0);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].kind, "write");
    EXPECT_EQ(calls[0].size, 3);
    EXPECT_EQ(calls[1].kind, "close");
    EXPECT_EQ(calls[2].kind, "open");
    EXPECT_EQ(calls[2].name, PathOf("second"));
    EXPECT_EQ(Contents("first"), (Bytes{5, 6, 7}));
    FileWriteByte(0, 9);
    FileClose(0);
    EXPECT_EQ(Contents("second"), (Bytes{9}));
}

TEST_F(NumberedFilesTest, ReadsAcrossSeveralRefillsReturnEveryByte) {
    Bytes written(10000);
    for (std::size_t index = 0; index < written.size(); ++index) {
        written[index] = static_cast<unsigned char>(index * 7 + index / 256);
    }
    Write("long", written);
    ASSERT_NE(FileOpenRead(0, PathOf("long").c_str()), 0);
    Bytes read;
    while (FileAtEnd(0) == 0) {
        read.push_back(static_cast<unsigned char>(FileReadByte(0)));
    }
    EXPECT_EQ(read, written);
    long systemReads = 0;
    for (const SystemCall& call : calls) {
        systemReads += call.kind == "read";
    }
    EXPECT_EQ(systemReads, 4) << "three refills of up to 4096 bytes and one that finds the end";
}

TEST_F(NumberedFilesTest, BlocksOfABufferOrMoreBypassIt) {
    Bytes block(5000, 0x5A);
    ASSERT_NE(FileCreate(0, PathOf("block").c_str()), 0);
    FileWriteByte(0, 1);
    EXPECT_EQ(FileWriteBlock(0, block.data(), 5000), 5000);
    EXPECT_EQ(WriteSizes(), (std::vector<long>{1, 5000})) << "pending byte first, then the block";
    EXPECT_EQ(FileWriteBlock(0, block.data(), 4095), 4095);
    EXPECT_EQ(WriteSizes(), (std::vector<long>{1, 5000})) << "4095 bytes go into the buffer";
    FileClose(0);
    EXPECT_EQ(Contents("block").size(), 1u + 5000u + 4095u);

    ASSERT_NE(FileOpenRead(0, PathOf("block").c_str()), 0);
    EXPECT_EQ(FileReadByte(0), 1);
    calls.clear();
    Bytes read(9000);
    EXPECT_EQ(FileReadBlock(0, read.data(), 9000), 9000);
    EXPECT_EQ(read, Bytes(9000, 0x5A));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].kind, "read");
    EXPECT_EQ(calls[0].size, 9000 - 4095) << "the read-ahead bytes first, the rest straight";
}

TEST_F(NumberedFilesTest, OpenModesCreateKeepOrEmptyTheFile) {
    EXPECT_EQ(FileOpenRead(0, PathOf("missing").c_str()), 0) << "reading needs an existing file";
    ASSERT_NE(FileOpen(FileModeReadWrite, 0, PathOf("kept").c_str()), 0);
    FileWriteByte(0, 1);
    FileWriteByte(0, 2);
    FileClose(0);
    ASSERT_NE(FileOpen(FileModeReadWrite, 0, PathOf("kept").c_str()), 0);
    FileWriteByte(0, 3);
    FileClose(0);
    EXPECT_EQ(Contents("kept"), (Bytes{3, 2})) << "read-write keeps the rest of the file";

    ASSERT_NE(FileOpen(FileModeCreate, 0, PathOf("kept").c_str()), 0);
    FileWriteByte(0, 4);
    FileClose(0);
    EXPECT_EQ(Contents("kept"), (Bytes{4})) << "create empties the file";
}

TEST_F(NumberedFilesTest, NewFilesCloseOnExecAndTakeTheUsualPermissions) {
    mode_t previous = umask(022);
    intptr_t handle = FileCreate(0, PathOf("new").c_str());
    umask(previous);
    ASSERT_NE(handle, 0);
    ASSERT_FALSE(calls.empty());
    EXPECT_NE(calls[0].size & O_CLOEXEC, 0);
    FileClose(0);
    struct stat status;
    ASSERT_EQ(stat(PathOf("new").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644u);
}

int FailReadWriteOpen(const char* name, int flags, int mode) {
    calls.push_back({"open", flags, name});
    if ((flags & O_ACCMODE) == O_RDWR) {
        errno = EACCES;
        return -1;
    }
    return realCalls.open(name, flags, mode);
}

TEST_F(NumberedFilesTest, CreateFallsBackToWriteOnlyTruncation) {
    Write("locked", {1, 2, 3});
    FileSystem().open = FailReadWriteOpen;
    ASSERT_NE(FileCreate(0, PathOf("locked").c_str()), 0);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].size & (O_ACCMODE | O_TRUNC | O_CREAT), O_WRONLY | O_TRUNC);
    FileWriteByte(0, 9);
    FileClose(0);
    EXPECT_EQ(Contents("locked"), (Bytes{9}));
}

TEST_F(NumberedFilesTest, NamesTheSystemRejectsFailTheOpen) {
    EXPECT_EQ(FileOpenRead(0, nullptr), 0);
    EXPECT_EQ(FileCreate(0, ""), 0);
    EXPECT_EQ(FileOpenRead(0, directory.c_str()), 0);
    EXPECT_EQ(FileOpen(FileModeReadWrite, 0, directory.c_str()), 0);
    EXPECT_EQ(FileCreate(0, directory.c_str()), 0);
    EXPECT_EQ(FileCreate(0, PathOf("no/such/folder").c_str()), 0);
    EXPECT_EQ(FileOpen(7, 0, PathOf("x").c_str()), 0) << "no such mode";
    EXPECT_EQ(FileWriteByte(0, 1), 0) << "the number stays not open";
    EXPECT_NE(FileAtEnd(0), 0);
}

TEST_F(NumberedFilesTest, FailedOpenClosesTheFileThatHeldTheNumber) {
    ASSERT_NE(FileCreate(0, PathOf("held").c_str()), 0);
    FileWriteByte(0, 5);
    EXPECT_EQ(FileOpenRead(0, PathOf("missing").c_str()), 0);
    EXPECT_EQ(Contents("held"), (Bytes{5}));
    EXPECT_EQ(FileWriteByte(0, 1), 0);
}

TEST_F(NumberedFilesTest, NumbersThatAreNotOpenDoNothing) {
    for (int32_t number : {0, 5, 100, -1, -2, kFirstAutomaticNumber + 12345}) {
        EXPECT_EQ(FileWriteByte(number, 1), 0) << number;
        EXPECT_EQ(FileWriteWord(number, 1), 0) << number;
        EXPECT_EQ(FileReadByte(number), 0) << number;
        EXPECT_EQ(FileReadWord(number), 0) << number;
        EXPECT_NE(FileAtEnd(number), 0) << "a loop until the end must stop: " << number;
        FileClose(number);
    }
    EXPECT_TRUE(calls.empty());
}

TEST_F(NumberedFilesTest, AutomaticNumbersWorkLikeFixedOnes) {
    intptr_t number = FileCreate(kAutomaticNumber, PathOf("auto").c_str());
    ASSERT_GE(number, kFirstAutomaticNumber);
    auto file = static_cast<int32_t>(number);
    FileWriteWord(file, 0x1234);
    FileClose(file);
    EXPECT_EQ(Contents("auto"), (Bytes{0x34, 0x12}));
    EXPECT_EQ(FileWriteByte(file, 1), 0) << "closed for good";
    EXPECT_EQ(FileOpenRead(kAutomaticNumber, PathOf("missing").c_str()), 0);
}

TEST_F(NumberedFilesTest, ShutdownFlushesAndClosesEveryOpenFile) {
    ASSERT_NE(FileCreate(0, PathOf("a").c_str()), 0);
    ASSERT_NE(FileCreate(20, PathOf("b").c_str()), 0);
    auto automatic = static_cast<int32_t>(FileCreate(kAutomaticNumber, PathOf("c").c_str()));
    ASSERT_NE(automatic, 0);
    FileWriteByte(0, 1);
    FileWriteByte(20, 2);
    FileWriteByte(automatic, 3);
    FileTableShutdown();
    EXPECT_EQ(Contents("a"), (Bytes{1}));
    EXPECT_EQ(Contents("b"), (Bytes{2}));
    EXPECT_EQ(Contents("c"), (Bytes{3}));
    long closes = 0;
    for (const SystemCall& call : calls) {
        closes += call.kind == "close";
    }
    EXPECT_EQ(closes, 3);
    EXPECT_NE(FileAtEnd(automatic), 0);
}

} // namespace
