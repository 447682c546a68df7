// Numbered files on POSIX files, each with one 4096-byte buffer that serves reading and writing.
// Values are little-endian; words are the low 16 bits and read back sign-extended, like bytes.
#pragma once

#include <cstdint>

enum FileOpenMode : int32_t { FileModeRead = 1, FileModeReadWrite = 2, FileModeCreate = 3 };
constexpr int32_t kFileBufferSize = 4096;

void FileTableInit();
void FileTableShutdown(); // flushes and closes every open file
// Returns the native handle (the automatic number for -1) or 0 on failure, errno saying why.
intptr_t FileOpen(int32_t mode, int32_t number, const char* name);
intptr_t FileOpenRead(int32_t number, const char* name);
intptr_t FileCreate(int32_t number, const char* name);
void FileClose(int32_t number);
int32_t FileWriteByte(int32_t number, int32_t value); // bytes written
int32_t FileWriteWord(int32_t number, int32_t value);
int32_t FileReadByte(int32_t number); // 0 for bytes that could not be read
int32_t FileReadWord(int32_t number);
int32_t FileAtEnd(int32_t number);  // 0 while a byte is left; consumes nothing
int64_t FileLength(int32_t number); // the file's size in bytes; -1 when it is not open
// Blocks of count bytes through the same buffer; blocks of 4096 bytes or more bypass it.
int32_t FileWriteBlock(int32_t number, const void* bytes, int32_t count); // bytes written
int32_t FileReadBlock(int32_t number, void* destination, int32_t count);  // bytes read

struct stat;

// The system calls the layer makes, replaceable so that tests can watch them and make them fail.
struct FileSystemCalls {
    int (*open)(const char* name, int flags, int mode);
    long (*read)(int descriptor, void* bytes, unsigned long count);
    long (*write)(int descriptor, const void* bytes, unsigned long count);
    long (*seek)(int descriptor, long offset, int whence);
    int (*close)(int descriptor);
    int (*sync)(int descriptor);                     // to disk
    int (*rename)(const char* from, const char* to); // replaces `to`
    int (*unlink)(const char* name);
    int (*status)(int descriptor, struct stat* status);
    int (*makeFolder)(const char* name, int mode);
    int (*link)(const char* existing, const char* name); // a second name for a file
};
FileSystemCalls& FileSystem();
