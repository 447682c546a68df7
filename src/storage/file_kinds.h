// What a path names, asked without ever waiting on it: whether it is a file that can be read (and
// not a folder, a FIFO or a device), whether two paths lead to one file, and whether an existing
// file is of the kind an export writes, so that an export replaces only its own earlier results.
// Every entry to a file that a user names goes through CheckFileToRead first.
#pragma once

#include <sys/stat.h>

#include <string>

// A kind of file that an export writes, told by how its files begin.
struct FileKind {
    const char* name; // "a GIF", "a PNG picture", ...: for the message that a file is not one
    bool (*begins)(const std::string& bytes); // whether a file's first bytes are of this kind
};

extern const FileKind kGifFile;  // GIF87a or GIF89a
extern const FileKind kPngFile;  // the PNG signature
extern const FileKind kMp4File;  // an ISO media file's "ftyp" box
extern const FileKind kWebMFile; // the EBML header of Matroska and WebM
extern const FileKind kWebPFile; // RIFF with WEBP
extern const FileKind kJsonFile; // an object or an array after white space

// True when path is a regular file (a link to one included) that can be opened to read. Neither
// looking nor the failure waits: a FIFO is never opened.
bool CheckFileToRead(const std::string& path, std::string* error);

// The status of what path leads to (a link followed), asked without opening it to read, so
// that a FIFO never waits; false with errno kept.
bool PathStatus(const std::string& path, struct stat* status);

// Whether both paths lead to one existing file (through links too).
bool SameFile(const std::string& path, const std::string& other);

// True when an export of `kind` may replace path: nothing is there yet, or a regular file that is
// empty or begins as a file of that kind does. Otherwise false, with a message naming the file
// and what it is not.
bool CheckReplaceable(const std::string& path, const FileKind& kind, std::string* error);
