// Atomic replacement of a file: a temporary file from mkostemp in the target's own folder (so the
// rename stays on one file system), fsync before the rename and fsync of the folder after it.
#include "storage/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

std::string SystemError(const std::string& what, const std::string& path) {
    return what + " '" + path + "': " + std::strerror(errno);
}

// Gives up on the file after a failure already described in *error, adding to it when even the
// temporary file cannot be removed.
void GiveUp(AtomicFile* file, std::string* error) {
    std::string temporary = file->temporary;
    if (!AtomicFileAbandon(file)) {
        *error += "; the temporary file '" + temporary + "' is left behind";
    }
}

// The folder part of a path ("." when it has none) and the name after the last slash.
std::string FolderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A replaced file keeps its permissions; a new one gets what open() would give it (0666 less the
// umask), not the 0600 of a temporary file.
bool PermissionsFor(const std::string& target, mode_t* permissions, std::string* error) {
    struct stat status {};
    if (stat(target.c_str(), &status) == 0) {
        *permissions = status.st_mode & 07777;
        return true;
    }
    if (errno != ENOENT) {
        *error = SystemError("cannot look at", target);
        return false;
    }
    mode_t mask = umask(0);
    umask(mask);
    *permissions = 0666 & ~mask;
    return true;
}

// A symbolic link stays a link: the file it leads to is the one replaced.
bool FileToReplace(const std::string& target, std::string* replaced, std::string* error) {
    struct stat status {};
    if (lstat(target.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
        *replaced = target;
        return true;
    }
    char* resolved = realpath(target.c_str(), nullptr);
    if (resolved == nullptr) {
        *error = SystemError("cannot follow the link", target);
        return false;
    }
    *replaced = resolved;
    std::free(resolved);
    return true;
}

bool SyncFolder(const std::string& folder, std::string* error) {
    int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) {
        *error = SystemError("cannot open the folder", folder);
        return false;
    }
    // Some file systems cannot sync a folder (EINVAL); the rename has happened all the same.
    bool synced = fsync(descriptor) == 0 || errno == EINVAL;
    if (!synced) {
        *error = SystemError("cannot flush the folder", folder);
    }
    if (close(descriptor) != 0 && synced) {
        *error = SystemError("cannot close the folder", folder);
        synced = false;
    }
    return synced;
}

} // namespace

bool WriteAllBytes(int descriptor, const void* bytes, std::size_t count, std::string* error) {
    const auto* next = static_cast<const unsigned char*>(bytes);
    while (count > 0) {
        ssize_t written = write(descriptor, next, count);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            *error =
                std::string("cannot write: ") + (written < 0 ? std::strerror(errno) : "no room");
            return false;
        }
        next += written;
        count -= static_cast<std::size_t>(written);
    }
    return true;
}

bool AtomicFileCreate(const char* target, AtomicFile* file, std::string* error) {
    *file = AtomicFile{};
    file->target = target;
    std::string name = NameOf(file->target);
    if (name.empty() || name == "." || name == "..") {
        *error = "'" + file->target + "' names a folder, not a file";
        return false;
    }
    mode_t permissions = 0;
    if (!FileToReplace(file->target, &file->replaced, error) ||
        !PermissionsFor(file->replaced, &permissions, error)) {
        return false;
    }
    std::string pattern = FolderOf(file->replaced) + "/." + NameOf(file->replaced) + ".XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    int descriptor = mkostemp(buffer.data(), O_CLOEXEC);
    if (descriptor < 0) {
        *error = SystemError("cannot create a file beside", file->target);
        return false;
    }
    file->descriptor = descriptor;
    file->temporary = buffer.data();
    if (fchmod(descriptor, permissions) != 0) {
        *error = SystemError("cannot set the permissions of", file->temporary);
        GiveUp(file, error);
        return false;
    }
    return true;
}

bool AtomicFileWrite(AtomicFile* file, const void* bytes, std::size_t count, std::string* error) {
    if (file->descriptor < 0) {
        *error = "no file is open for '" + file->target + "'";
        return false;
    }
    if (!WriteAllBytes(file->descriptor, bytes, count, error)) {
        *error += " ('" + file->temporary + "')";
        return false;
    }
    return true;
}

bool AtomicFileCommit(AtomicFile* file, std::string* error) {
    if (file->descriptor < 0) {
        *error = "no file is open for '" + file->target + "'";
        return false;
    }
    if (fsync(file->descriptor) != 0) {
        *error = SystemError("cannot flush", file->temporary);
        GiveUp(file, error);
        return false;
    }
    int descriptor = file->descriptor;
    file->descriptor = -1;
    if (close(descriptor) != 0) {
        *error = SystemError("cannot close", file->temporary);
        GiveUp(file, error);
        return false;
    }
    if (rename(file->temporary.c_str(), file->replaced.c_str()) != 0) {
        *error = SystemError("cannot replace", file->target);
        GiveUp(file, error);
        return false;
    }
    file->temporary.clear();
    return SyncFolder(FolderOf(file->replaced), error);
}

bool AtomicFileAbandon(AtomicFile* file) {
    if (file->descriptor >= 0) {
        // A failed close can only lose data that is being thrown away; the removal is what counts.
        static_cast<void>(close(file->descriptor));
        file->descriptor = -1;
    }
    if (file->temporary.empty()) {
        return true;
    }
    bool removed = unlink(file->temporary.c_str()) == 0 || errno == ENOENT;
    if (removed) {
        file->temporary.clear();
    }
    return removed;
}
