// Files that replace their target whole or not at all: the bytes go to a temporary file in the
// target's folder, which is flushed to the disk and renamed over the target. Any failure removes
// the temporary file, leaves the target as it was and says what went wrong.
#pragma once

#include <cstddef>
#include <string>

struct AtomicFile {
    std::string target;    // the path exactly as the caller gave it
    std::string replaced;  // the file replaced: the target, or the file a symbolic link leads to
    std::string temporary; // empty once committed or abandoned
    int descriptor = -1;
};

// Creates the temporary file beside the target (beside the file it links to, for a symbolic
// link), with the target's permissions when it exists.
bool AtomicFileCreate(const char* target, AtomicFile* file, std::string* error);
bool AtomicFileWrite(AtomicFile* file, const void* bytes, std::size_t count, std::string* error);
// Flushes the data to the disk, closes it, renames it over the target and flushes the folder.
// On failure the temporary file is gone.
bool AtomicFileCommit(AtomicFile* file, std::string* error);
// Closes and removes the temporary file; the target stays as it was. Safe to call twice. False
// when the temporary file could not be removed (its name stays in `temporary`).
bool AtomicFileAbandon(AtomicFile* file);

// All count bytes to the descriptor, through short writes and interrupted calls.
bool WriteAllBytes(int descriptor, const void* bytes, std::size_t count, std::string* error);
