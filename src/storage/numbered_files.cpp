// Numbered files: a table of open POSIX files, each with one 4096-byte buffer from the program heap
// that holds either bytes waiting to be written or bytes read ahead, never both. Every system call
// goes through FileSystem(), so that tests can watch the transfers. The same table serves the
// atomic file (storage/atomic_file.h), which also flushes, renames and removes files through it.
#include "storage/numbered_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "runtime/heaps.h"
#include "runtime/object_table.h"

namespace {

constexpr int32_t kDirectionWrite = 0; // bytes pending in the buffer
constexpr int32_t kDirectionRead = 1;  // bytes read ahead, or nothing pending
constexpr int32_t kFileTableGrowth = 16;
constexpr int kCreatePermissions = 0666; // less the umask, as for every new file

// handle is the descriptor + 1, so that a zero first word means "not open" even for descriptor 0.
// Write direction: the pending bytes are buffer[0 .. size - count). Read direction: the next
// unread byte is buffer[fill - count]. The system file position lies after everything that has
// passed through the buffer.
struct FileRecord {
    int32_t handle;
    int32_t size;
    int32_t count;
    int32_t fill;
    int32_t direction;
    unsigned char* buffer;
};

ObjectTable files;

int SystemOpen(const char* name, int flags, int mode) {
    int descriptor;
    do {
        descriptor = ::open(name, flags, static_cast<mode_t>(mode));
    } while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

long SystemRead(int descriptor, void* bytes, unsigned long count) {
    ssize_t result;
    do {
        result = ::read(descriptor, bytes, count);
    } while (result < 0 && errno == EINTR);
    return result;
}

long SystemWrite(int descriptor, const void* bytes, unsigned long count) {
    ssize_t result;
    do {
        result = ::write(descriptor, bytes, count);
    } while (result < 0 && errno == EINTR);
    return result;
}

long SystemSeek(int descriptor, long offset, int whence) {
    return static_cast<long>(::lseek(descriptor, offset, whence)); // off_t may be wider
}

int SystemSync(int descriptor) {
    int result;
    do {
        result = ::fsync(descriptor);
    } while (result < 0 && errno == EINTR);
    return result;
}

int SystemRename(const char* from, const char* to) {
    return ::rename(from, to);
}

int SystemUnlink(const char* name) {
    return ::unlink(name);
}

int SystemStatus(int descriptor, struct stat* status) {
    return ::fstat(descriptor, status);
}

int SystemMakeFolder(const char* name, int mode) {
    return ::mkdir(name, static_cast<mode_t>(mode));
}

int SystemLink(const char* existing, const char* name) {
    return ::link(existing, name);
}

// Not retried on EINTR: on Linux the descriptor is gone either way.
int SystemClose(int descriptor) {
    return ::close(descriptor);
}

int DescriptorOf(const FileRecord* record) {
    return record->handle - 1;
}

// The record found last. Records move or go only in FileOpen and FileClose, which forget it, so
// the runs of byte and word transfers on one file skip the table lookup.
int32_t lastNumber;
FileRecord* lastRecord;

void ForgetLastRecord() {
    lastRecord = nullptr;
}

FileRecord* FindFile(int32_t number) {
    if (lastRecord != nullptr && number == lastNumber) {
        return lastRecord;
    }
    auto* record = static_cast<FileRecord*>(ObjectTableFind(&files, number));
    if (record != nullptr) {
        lastNumber = number;
        lastRecord = record;
    }
    return record;
}

// Repeats short writes so that a flush never drops bytes; one system write when it all fits.
int32_t WriteAll(const FileRecord* record, const unsigned char* bytes, int32_t count) {
    int32_t written = 0;
    while (written < count) {
        long result = FileSystem().write(DescriptorOf(record), bytes + written,
                                         static_cast<unsigned long>(count - written));
        if (result <= 0) {
            break;
        }
        written += static_cast<int32_t>(result);
    }
    return written;
}

int32_t ReadAll(const FileRecord* record, unsigned char* destination, int32_t count) {
    int32_t got = 0;
    while (got < count) {
        long result = FileSystem().read(DescriptorOf(record), destination + got,
                                        static_cast<unsigned long>(count - got));
        if (result <= 0) {
            break;
        }
        got += static_cast<int32_t>(result);
    }
    return got;
}

// The byte and word transfers are single moves rather than calls of a general copy.
void CopyBytes(unsigned char* destination, const unsigned char* source, int32_t count) {
    switch (count) {
    case 1:
        *destination = *source;
        return;
    case 2:
        std::memcpy(destination, source, 2);
        return;
    default:
        std::memcpy(destination, source, static_cast<std::size_t>(count));
    }
}

int32_t FileFlush(FileRecord* record) {
    if (record->direction == kDirectionRead) {
        return 0;
    }
    int32_t pending = record->size - record->count;
    record->count = record->size;
    return pending > 0 ? WriteAll(record, record->buffer, pending) : 0;
}

int32_t FileWriteBuffered(FileRecord* record, const unsigned char* bytes, int32_t count) {
    if (record->direction == kDirectionRead) {
        // Step back over what was read ahead, so the write lands right after the bytes consumed.
        if (record->count > 0) {
            FileSystem().seek(DescriptorOf(record), -static_cast<long>(record->count), SEEK_CUR);
        }
        record->direction = kDirectionWrite;
        record->count = record->size;
    }
    // Strictly less: a write that would fill the buffer flushes first, so a flush is < size.
    if (count < record->count) {
        CopyBytes(record->buffer + record->size - record->count, bytes, count);
        record->count -= count;
        return count;
    }
    FileFlush(record);
    if (count >= record->size) {
        return WriteAll(record, bytes, count);
    }
    CopyBytes(record->buffer, bytes, count);
    record->count -= count;
    return count;
}

int32_t FileReadBuffered(FileRecord* record, unsigned char* destination, int32_t count) {
    if (record->direction == kDirectionWrite) {
        FileFlush(record);
        record->direction = kDirectionRead;
        record->count = 0;
    }
    const unsigned char* unread = record->buffer + record->fill - record->count;
    if (record->count >= count) {
        CopyBytes(destination, unread, count);
        record->count -= count;
        return count;
    }
    int32_t buffered = record->count;
    std::memcpy(destination, unread, buffered);
    record->count = 0;
    int32_t rest = count - buffered;
    if (rest >= record->size) {
        return buffered + ReadAll(record, destination + buffered, rest);
    }
    long refill = FileSystem().read(DescriptorOf(record), record->buffer,
                                    static_cast<unsigned long>(record->size));
    record->fill = static_cast<int32_t>(std::max(refill, 0L));
    int32_t copied = std::min(rest, record->fill);
    std::memcpy(destination + buffered, record->buffer, copied);
    record->count = record->fill - copied;
    return buffered + copied;
}

// Without a buffer (its allocation failed) every transfer is one system call.
int32_t WriteThroughBufferOrSystem(FileRecord* record, const unsigned char* bytes, int32_t count) {
    if (record->buffer != nullptr) {
        return FileWriteBuffered(record, bytes, count);
    }
    long result =
        FileSystem().write(DescriptorOf(record), bytes, static_cast<unsigned long>(count));
    return static_cast<int32_t>(std::max(result, 0L));
}

int32_t ReadThroughBufferOrSystem(FileRecord* record, unsigned char* destination, int32_t count) {
    if (record->buffer != nullptr) {
        return FileReadBuffered(record, destination, count);
    }
    long result =
        FileSystem().read(DescriptorOf(record), destination, static_cast<unsigned long>(count));
    return static_cast<int32_t>(std::max(result, 0L));
}

// The common cases are kept small enough to be inlined into the byte and word operations: bytes
// joining those already pending, and bytes already read ahead. A write-direction record always
// has a buffer.
inline int32_t Write(FileRecord* record, const unsigned char* bytes, int32_t count) {
    if (record->direction == kDirectionWrite && count < record->count) {
        CopyBytes(record->buffer + record->size - record->count, bytes, count);
        record->count -= count;
        return count;
    }
    return WriteThroughBufferOrSystem(record, bytes, count);
}

inline int32_t Read(FileRecord* record, unsigned char* destination, int32_t count) {
    if (record->direction == kDirectionRead && record->buffer != nullptr &&
        record->count >= count) {
        CopyBytes(destination, record->buffer + record->fill - record->count, count);
        record->count -= count;
        return count;
    }
    return ReadThroughBufferOrSystem(record, destination, count);
}

int OpenFlags(int32_t mode) {
    switch (mode) {
    case FileModeRead:
        return O_RDONLY;
    case FileModeReadWrite:
        return O_RDWR | O_CREAT;
    case FileModeCreate:
        return O_RDWR | O_CREAT | O_TRUNC;
    default:
        return -1;
    }
}

// The descriptor, or -1. Only regular files are files here: a directory opens for reading on Linux
// but holds no bytes, and a FIFO or a device would block or never end. Opening does not wait for
// the other end of a FIFO, so such a name fails at once.
int OpenDescriptor(int32_t mode, const char* name) {
    int flags = OpenFlags(mode);
    if (flags < 0 || name == nullptr || name[0] == 0) {
        return -1;
    }
    int descriptor = FileSystem().open(name, flags | O_CLOEXEC | O_NONBLOCK, kCreatePermissions);
    if (descriptor < 0 && mode == FileModeCreate) {
        descriptor = FileSystem().open(name, O_WRONLY | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0);
    }
    struct stat status;
    if (descriptor >= 0 && (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode))) {
        FileSystem().close(descriptor);
        return -1;
    }
    return descriptor;
}

} // namespace

FileSystemCalls& FileSystem() {
    static FileSystemCalls calls{SystemOpen,   SystemRead,       SystemWrite,  SystemSeek,
                                 SystemClose,  SystemSync,       SystemRename, SystemUnlink,
                                 SystemStatus, SystemMakeFolder, SystemLink};
    return calls;
}

void FileTableInit() {
    if (files.elements == nullptr) {
        ObjectTableCreate(&files, sizeof(FileRecord), kFileTableGrowth, FileClose);
    }
}

void FileTableShutdown() {
    int32_t number = 0;
    for (void* record = ObjectTableFirst(&files, &number); record != nullptr;
         record = ObjectTableNext(&files, &number)) {
        FileClose(number);
    }
    // The table lives in the program heap, which the program destroys next: a later start-up
    // must build a new one rather than reach into freed memory.
    files = ObjectTable{};
    ForgetLastRecord();
}

// Taking the number closes whatever file was open under it, before the new one is opened.
intptr_t FileOpen(int32_t mode, int32_t number, const char* name) {
    FileTableInit();
    ForgetLastRecord();
    int32_t assigned = 0;
    auto* record = static_cast<FileRecord*>(ObjectTableTake(&files, number, &assigned));
    if (record == nullptr) {
        return 0;
    }
    int descriptor = OpenDescriptor(mode, name);
    if (descriptor < 0) {
        int failure = errno;
        ObjectTableFree(&files, assigned);
        errno = failure;
        return 0;
    }
    *record = FileRecord{};
    record->handle = descriptor + 1;
    record->buffer = static_cast<unsigned char*>(ProgramHeapAllocate(kFileBufferSize));
    record->size = kFileBufferSize;
    record->count = 0;
    record->direction = kDirectionRead;
    return number == kAutomaticNumber ? assigned : record->handle;
}

intptr_t FileOpenRead(int32_t number, const char* name) {
    return FileOpen(FileModeRead, number, name);
}

intptr_t FileCreate(int32_t number, const char* name) {
    return FileOpen(FileModeCreate, number, name);
}

void FileClose(int32_t number) {
    FileRecord* record = number == kAutomaticNumber ? nullptr : FindFile(number);
    if (record == nullptr) {
        return;
    }
    if (record->buffer != nullptr) {
        FileFlush(record);
        ProgramHeapFree(record->buffer);
    }
    FileSystem().close(DescriptorOf(record));
    ObjectTableFree(&files, number);
    ForgetLastRecord();
}

int32_t FileWriteByte(int32_t number, int32_t value) {
    FileRecord* record = FindFile(number);
    if (record == nullptr) {
        return 0;
    }
    unsigned char byte = static_cast<unsigned char>(value & 0xFF);
    return Write(record, &byte, 1);
}

int32_t FileWriteWord(int32_t number, int32_t value) {
    FileRecord* record = FindFile(number);
    if (record == nullptr) {
        return 0;
    }
    unsigned char bytes[2] = {static_cast<unsigned char>(value & 0xFF),
                              static_cast<unsigned char>((value >> 8) & 0xFF)};
    return Write(record, bytes, 2);
}

// Bytes that could not be read stay 0.
int32_t FileReadByte(int32_t number) {
    FileRecord* record = FindFile(number);
    if (record == nullptr) {
        return 0;
    }
    unsigned char byte = 0;
    Read(record, &byte, 1);
    return static_cast<int8_t>(byte);
}

int32_t FileReadWord(int32_t number) {
    FileRecord* record = FindFile(number);
    if (record == nullptr) {
        return 0;
    }
    unsigned char bytes[2] = {0, 0};
    Read(record, bytes, 2);
    return static_cast<int16_t>(static_cast<uint16_t>(bytes[0] | bytes[1] << 8));
}

// A number that is not open is at its end, so that no reading loop can run forever.
int32_t FileAtEnd(int32_t number) {
    FileRecord* record = FindFile(number);
    if (record == nullptr) {
        return 1;
    }
    unsigned char byte = 0;
    if (record->buffer != nullptr) {
        if (FileReadBuffered(record, &byte, 1) != 1) {
            return 1;
        }
        ++record->count; // puts the byte back
        return 0;
    }
    if (FileSystem().read(DescriptorOf(record), &byte, 1) != 1) {
        return -1;
    }
    FileSystem().seek(DescriptorOf(record), -1, SEEK_CUR);
    return 0;
}

int64_t FileLength(int32_t number) {
    FileRecord* record = FindFile(number);
    struct stat status;
    if (record == nullptr || ::fstat(DescriptorOf(record), &status) != 0) {
        return -1;
    }
    return status.st_size;
}

int32_t FileWriteBlock(int32_t number, const void* bytes, int32_t count) {
    FileRecord* record = FindFile(number);
    if (record == nullptr || bytes == nullptr || count <= 0) {
        return 0;
    }
    return Write(record, static_cast<const unsigned char*>(bytes), count);
}

int32_t FileReadBlock(int32_t number, void* destination, int32_t count) {
    FileRecord* record = FindFile(number);
    if (record == nullptr || destination == nullptr || count <= 0) {
        return 0;
    }
    return Read(record, static_cast<unsigned char*>(destination), count);
}
