// Replacements for the file layer's system calls that fail as a full, broken or locked disk
// would, for FileSystem () in tests.
#pragma once

#include <cerrno>
#include <set>
#include <string>

#include "storage/numbered_files.h"

inline int FailOpen(const char*, int, int) {
    errno = EACCES;
    return -1;
}
inline long FailRead(int, void*, unsigned long) {
    errno = EIO;
    return -1;
}
inline long FailWrite(int, const void*, unsigned long) {
    errno = ENOSPC;
    return -1;
}
inline int FailSync(int) {
    errno = EIO;
    return -1;
}
inline int FailRename(const char*, const char*) {
    errno = EXDEV;
    return -1;
}

// A disk that fills up while the files whose names hold `pattern` are written, or that refuses to
// rename one into the place of the file whose name ends with it, with every other call as it
// really is.
struct DiskFullAt {
    static inline std::string pattern;
    static inline std::set<int> descriptors;
    static inline FileSystemCalls real;
    static inline bool renameRefused = false;

    static void Plant(const std::string& file, bool atRename) {
        pattern = file;
        descriptors.clear();
        real = FileSystem();
        renameRefused = false;
        if (atRename) {
            // Only the first such rename fails, so that putting the old file back can work.
            FileSystem().rename = [](const char* from, const char* to) {
                std::string target = to;
                bool named =
                    target.size() >= pattern.size() &&
                    target.compare(target.size() - pattern.size(), pattern.size(), pattern) == 0;
                if (!renameRefused && named) {
                    renameRefused = true;
                    return FailRename(from, to);
                }
                return real.rename(from, to);
            };
            return;
        }
        FileSystem().open = [](const char* name, int flags, int mode) {
            int descriptor = real.open(name, flags, mode);
            if (descriptor >= 0 && std::string(name).find(pattern) != std::string::npos) {
                descriptors.insert(descriptor);
            }
            return descriptor;
        };
        FileSystem().write = [](int descriptor, const void* bytes, unsigned long count) {
            return descriptors.count(descriptor) != 0 ? FailWrite(descriptor, bytes, count)
                                                      : real.write(descriptor, bytes, count);
        };
        FileSystem().close = [](int descriptor) {
            descriptors.erase(descriptor);
            return real.close(descriptor);
        };
    }
    static void Remove() { FileSystem() = real; }
};
