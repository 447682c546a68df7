// What the browser's C library declares but does not provide. An anonymous file in memory is only
// wanted for a save into a folder that refuses new files, which the page's store never does.
#include <sys/mman.h>

#include <cerrno>

extern "C" int memfd_create(const char* /*name*/, unsigned /*flags*/) {
    errno = ENOSYS;
    return -1;
}
