// What a path names, asked without ever waiting on it: whether it is a file that can be read (and
// not a folder, a FIFO or a device), whether two paths lead to one file, and whether an existing
// file is of the kind an export or the clip import writes, so that each replaces only its own
// earlier results. Every entry to a file that a user names goes through CheckFileToRead first.
#pragma once

#include <sys/stat.h>

#include <string>

enum class FileKind { Gif, Png, Mp4, WebM, WebP, Json, Animation };

// "a GIF", "a PNG picture", ...: what an export's file is, for the message that it is not.
const char* FileKindName(FileKind kind);

// True when path is a regular file (a link to one included) that can be opened to read. Neither
// looking nor the failure waits: a FIFO is never opened.
bool CheckFileToRead(const std::string& path, std::string* error);

// The status of what path leads to (a link followed), asked without opening it to read, so
// that a FIFO never waits; false with errno kept.
bool PathStatus(const std::string& path, struct stat* status);

// Whether both paths lead to one existing file (through links too).
bool SameFile(const std::string& path, const std::string& other);

// True when a file of `kind` may replace path: nothing is there yet, or a regular file that is
// empty or begins as a file of that kind does. Otherwise false, with a message naming the file
// and what it is not.
bool CheckReplaceable(const std::string& path, FileKind kind, std::string* error);
