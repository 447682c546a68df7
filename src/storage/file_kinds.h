// What a path names, asked without ever waiting on it: whether it is a file that can be read (and
// not a folder, a FIFO or a device), whether two paths lead to one file, and whether an existing
// file is of the kind an export or the clip import writes, so that each replaces only its own
// earlier results. Every entry to a file that a user names goes through CheckFileToRead first.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

// A kind of file that an export or an import writes, told by how its files begin.
struct FileKind {
    const char* name; // "a GIF", "a PNG picture", ...: for the message that a file is not one
    // Whether a file whose first bytes these are, `size` bytes in all, is of this kind.
    bool (*begins)(const std::string& bytes, int64_t size);
    // The end of the message that a file is not of this kind.
    const char* refusal = ", and an export replaces nothing but its own kind";
};

extern const FileKind kGifFile;  // GIF87a or GIF89a
extern const FileKind kPngFile;  // the PNG signature
extern const FileKind kMp4File;  // an ISO media file's "ftyp" box
extern const FileKind kWebMFile; // the EBML header of Matroska and WebM
extern const FileKind kWebPFile; // RIFF with WEBP
extern const FileKind kJsonFile; // an object or an array after white space
// A 7-byte header and 8-byte records of the kinds a save writes: what the clip import adds to.
extern const FileKind kAnimationFile;

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
bool CheckReplaceable(const std::string& path, const FileKind& kind, std::string* error);
