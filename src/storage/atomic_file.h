// Files that replace their target whole or not at all: the bytes go to a new file in the target's
// folder, which is flushed to the disk and renamed over the target. Any failure removes the new
// file, leaves the target as it was and says what went wrong. Every call that creates, writes,
// flushes, closes, renames or removes goes through the file layer's replaceable calls
// (FileSystem ()), so tests can make each one fail. A folder that takes no new file is written
// through in place (see AtomicFileCreate).
#pragma once

#include <cstddef>
#include <functional>
#include <string>

struct AtomicFile {
    std::string target;    // the path exactly as the caller gave it
    std::string replaced;  // the file replaced: the target, or the file a symbolic link leads to
    std::string temporary; // empty once committed or abandoned
    int descriptor = -1;
    bool inPlace = false; // the folder took no new file: the bytes wait in memory (descriptor)
};

// Creates the new file beside the target (beside the file it links to, for a symbolic link),
// with the target's permissions when it exists. A target that exists but is no regular file
// fails at once. When the folder refuses the new file but the target is a file the user may
// write, the save goes in place: the bytes wait in memory and the commit overwrites the target,
// which keeps its owner and permissions; a failure during that copy can leave it damaged.
bool AtomicFileCreate(const char* target, AtomicFile* file, std::string* error);
bool AtomicFileWrite(AtomicFile* file, const void* bytes, std::size_t count, std::string* error);
// Flushes the data to the disk, closes it, renames it over the target and flushes the folder.
// On failure the new file is gone.
bool AtomicFileCommit(AtomicFile* file, std::string* error);
// Closes and removes the new file; the target stays as it was. Safe to call twice. False when
// the new file could not be removed (its name stays in `temporary`).
bool AtomicFileAbandon(AtomicFile* file);
// Flushes the new file to the disk and closes it; its rename waits for AtomicFilesCommit. An
// in-place file keeps its bytes in memory until then.
bool AtomicFileSeal(AtomicFile* file, std::string* error);
// Several files that take their places together: every one is sealed, then all are renamed over
// their targets in a row. When a rename fails, the targets already replaced get their old files
// back and the new ones are removed, so that every target is as it was. In-place files, which
// cannot be taken back, are written last.
bool AtomicFilesCommit(AtomicFile* files, std::size_t count, std::string* error);
// Abandons every file; false when a new file could not be removed (named in *error).
bool AtomicFilesAbandon(AtomicFile* files, std::size_t count, std::string* error);
// All of the above for a file that `write` fills: the new file is committed when `write` succeeds,
// and abandoned when it fails, with *error saying that the target is left as it was.
bool AtomicFileWriteThrough(const char* target,
                            const std::function<bool(AtomicFile* file, std::string* error)>& write,
                            std::string* error);
// All of the above for bytes held in memory. Uses no table of the runtime, so a thread of its own
// may call it while the main loop works with numbered files.
bool AtomicFileReplaceWith(const char* target, const void* bytes, std::size_t count,
                           std::string* error);

// All count bytes to the descriptor, through short writes and interrupted calls.
bool WriteAllBytes(int descriptor, const void* bytes, std::size_t count, std::string* error);
