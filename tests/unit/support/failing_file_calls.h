// Replacements for the file layer's system calls that fail as a full, broken or locked disk
// would, for FileSystem () in tests.
#pragma once

#include <cerrno>

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
