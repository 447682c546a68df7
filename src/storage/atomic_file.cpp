// Atomic replacement of a file: a new file with a name of its own in the target's folder (so the
// rename stays on one file system), created exclusively with the usual permissions, flushed before
// the rename, and the folder flushed after it. Where the folder takes no new file, the bytes wait
// in memory and overwrite the target in place at the commit.
#include "storage/atomic_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <vector>

#include "storage/message_text.h"
#include "storage/numbered_files.h"
#include "storage/path_parts.h"

namespace {

constexpr int kNewFilePermissions = 0666; // less the umask, as for every new file
constexpr int kLinkHops = 40;
constexpr int kNameAttempts = 64;

// The last error in the user's words.
std::string ErrorText() {
    return SystemErrorText(errno);
}

std::string SystemError(const std::string& what, const std::string& path) {
    return what + " " + Quoted(path) + ": " + ErrorText();
}

// Gives up on the file after a failure already described in *error, adding to it when even the
// new file cannot be removed.
void GiveUp(AtomicFile* file, std::string* error) {
    std::string temporary = file->temporary;
    if (!AtomicFileAbandon(file)) {
        *error += "; the temporary file " + Quoted(temporary) + " is left behind";
    }
}

// A symbolic link stays a link: the file it leads to, which need not exist yet, is the one
// replaced. A loop of links fails.
bool FileToReplace(const std::string& target, std::string* replaced, std::string* error) {
    std::string path = target;
    for (int hop = 0; hop < kLinkHops; ++hop) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            *replaced = path;
            return true;
        }
        std::string link(static_cast<std::size_t>(status.st_size) + 256, '\0');
        ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
        if (length < 0 || static_cast<std::size_t>(length) >= link.size()) {
            *error = SystemError("cannot follow the link", path);
            return false;
        }
        link.resize(static_cast<std::size_t>(length));
        path = link[0] == '/' ? link : SplitPath(path).folder + link;
    }
    errno = ELOOP;
    *error = SystemError("cannot follow the link", target);
    return false;
}

// A name no other file has in the folder yet. It begins with the target's name, so that one left
// behind by a killed program can be told apart, unless that name is so long that the suffix would
// not fit.
std::string CandidateName(const std::string& folder, const std::string& target) {
    constexpr std::size_t kLongestPrefix = 200; // names may have 255 bytes
    std::string prefix = target.size() <= kLongestPrefix ? "." + target : ".limbrado";
    static std::atomic<uint64_t> sequence{0}; // a backup may be written on a thread of its own
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    uint64_t mix = static_cast<uint64_t>(now.tv_nsec) * 0x9E3779B97F4A7C15ull ^
                   static_cast<uint64_t>(::getpid()) << 20 ^ ++sequence;
    char suffix[17];
    for (int digit = 0; digit < 16; ++digit) {
        suffix[digit] = "0123456789abcdef"[mix >> (digit * 4) & 0xF];
    }
    suffix[16] = 0;
    return folder + prefix + "." + suffix + ".tmp";
}

// A new file under a candidate name, created exclusively.
int OpenNewFileIn(const std::string& folder, const std::string& target, std::string* name) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        *name = CandidateName(folder, target);
        int descriptor = FileSystem().open(name->c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC,
                                           kNewFilePermissions);
        if (descriptor >= 0 || errno != EEXIST) {
            return descriptor;
        }
    }
    return -1;
}

// A rename lasts only once the folder that holds it is on disk too. File systems that cannot
// sync a folder say so with EINVAL; there the rename is as lasting as it gets.
bool SyncFolder(const std::string& folder, std::string* error) {
    std::string name = folder.empty() ? "." : folder;
    int descriptor = FileSystem().open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (descriptor < 0) {
        *error = SystemError("cannot open the folder", name);
        return false;
    }
    bool synced = FileSystem().sync(descriptor) == 0 || errno == EINVAL;
    if (!synced) {
        *error = SystemError("cannot flush the folder", name);
    }
    if (FileSystem().close(descriptor) != 0 && synced) {
        *error = SystemError("cannot close the folder", name);
        synced = false;
    }
    return synced;
}

// A folder that refuses new files (no write permission, or a flag that forbids it) may still
// hold a file the user can write. A read-only file system or a full disk refuses both ways.
bool FolderRefusedNewFile(int error) {
    return error == EACCES || error == EPERM;
}

// The bytes of an in-place save wait in an anonymous file in memory, so that the target keeps
// its old bytes until the commit, and callers may write to the descriptor as to any file.
bool BeginInPlace(AtomicFile* file, std::string* error) {
    file->descriptor = ::memfd_create("limbrado-in-place", MFD_CLOEXEC);
    if (file->descriptor < 0) {
        *error = SystemError("cannot hold the bytes in memory for", file->target);
        return false;
    }
    file->inPlace = true;
    return true;
}

// Every waiting byte to the target's descriptor.
bool CopyBytes(int source, int descriptor, const std::string& target, std::string* error) {
    unsigned char chunk[65536];
    for (;;) {
        long count = FileSystem().read(source, chunk, sizeof chunk);
        if (count == 0) {
            return true;
        }
        if (count < 0) {
            *error = SystemError("cannot read back the bytes for", target);
            return false;
        }
        if (!WriteAllBytes(descriptor, chunk, static_cast<std::size_t>(count), error)) {
            *error += " (" + Quoted(target) + ")";
            return false;
        }
    }
}

// Copies the waiting bytes over the target: truncate, write all, flush, close.
bool CopyInPlace(int source, const std::string& target, std::string* error) {
    if (FileSystem().seek(source, 0, SEEK_SET) != 0) {
        *error = SystemError("cannot read back the bytes for", target);
        return false;
    }
    int descriptor = FileSystem().open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC, 0);
    if (descriptor < 0) {
        *error = SystemError("cannot write", target);
        return false;
    }
    bool copied = CopyBytes(source, descriptor, target, error);
    if (copied && FileSystem().sync(descriptor) != 0) {
        *error = SystemError("cannot flush", target);
        copied = false;
    }
    if (FileSystem().close(descriptor) != 0 && copied) {
        *error = SystemError("cannot close", target);
        copied = false;
    }
    return copied;
}

} // namespace

bool WriteAllBytes(int descriptor, const void* bytes, std::size_t count, std::string* error) {
    const auto* next = static_cast<const unsigned char*>(bytes);
    while (count > 0) {
        long written = FileSystem().write(descriptor, next, count);
        if (written <= 0) {
            *error = std::string("cannot write: ") + (written < 0 ? ErrorText() : "no room");
            return false;
        }
        next += written;
        count -= static_cast<std::size_t>(written);
    }
    return true;
}

bool AtomicFileCreate(const char* target, AtomicFile* file, std::string* error) {
    *file = AtomicFile{};
    file->target = target != nullptr ? target : "";
    std::string name = SplitPath(file->target).name;
    if (name.empty() || name == "." || name == "..") {
        *error = Quoted(file->target) + " names a folder, not a file";
        return false;
    }
    if (!FileToReplace(file->target, &file->replaced, error)) {
        return false;
    }
    struct stat status {};
    bool exists = ::stat(file->replaced.c_str(), &status) == 0;
    if (!exists && errno != ENOENT) {
        *error = SystemError("cannot look at", file->replaced);
        return false;
    }
    if (exists && !S_ISREG(status.st_mode)) {
        *error = Quoted(file->target) + " is no regular file";
        return false;
    }
    // Renaming needs only the folder's permission: a file the user may not write is refused
    // here, as writing it in place would be.
    if (exists && ::faccessat(AT_FDCWD, file->replaced.c_str(), W_OK, AT_EACCESS) != 0) {
        *error = SystemError("cannot write", file->target);
        return false;
    }
    PathParts replaced = SplitPath(file->replaced);
    file->descriptor = OpenNewFileIn(replaced.folder, replaced.name, &file->temporary);
    if (file->descriptor < 0) {
        file->temporary.clear();
        if (exists && FolderRefusedNewFile(errno)) {
            return BeginInPlace(file, error);
        }
        *error = SystemError("cannot create a file beside", file->target);
        return false;
    }
    if (exists && ::fchmod(file->descriptor, status.st_mode & 07777) != 0) {
        *error = SystemError("cannot set the permissions of", file->temporary);
        GiveUp(file, error);
        return false;
    }
    // The owner stays too where the user may give the file away (root may; others only keep
    // what they own, and then the call changes nothing).
    if (exists && (status.st_uid != ::geteuid() || status.st_gid != ::getegid()) &&
        ::fchown(file->descriptor, status.st_uid, status.st_gid) != 0 && errno != EPERM) {
        *error = SystemError("cannot set the owner of", file->temporary);
        GiveUp(file, error);
        return false;
    }
    return true;
}

bool AtomicFileWrite(AtomicFile* file, const void* bytes, std::size_t count, std::string* error) {
    if (file->descriptor < 0) {
        *error = "no file is open for " + Quoted(file->target);
        return false;
    }
    if (!WriteAllBytes(file->descriptor, bytes, count, error)) {
        *error += " (" + Quoted(file->target) + ")";
        return false;
    }
    return true;
}

bool AtomicFileSeal(AtomicFile* file, std::string* error) {
    if (file->inPlace || (file->descriptor < 0 && !file->temporary.empty())) {
        return true; // the bytes wait in memory, or the file is sealed already
    }
    if (file->descriptor < 0) {
        *error = "no file is open for " + Quoted(file->target);
        return false;
    }
    if (FileSystem().sync(file->descriptor) != 0) {
        *error = SystemError("cannot flush", file->temporary);
        GiveUp(file, error);
        return false;
    }
    int descriptor = file->descriptor;
    file->descriptor = -1;
    if (FileSystem().close(descriptor) != 0) {
        *error = SystemError("cannot close", file->temporary);
        GiveUp(file, error);
        return false;
    }
    return true;
}

bool AtomicFileCommit(AtomicFile* file, std::string* error) {
    if (file->descriptor < 0 && file->temporary.empty()) {
        *error = "no file is open for " + Quoted(file->target);
        return false;
    }
    if (file->inPlace) {
        bool copied = CopyInPlace(file->descriptor, file->replaced, error);
        AtomicFileAbandon(file); // the bytes in memory, which leave no name behind
        return copied;
    }
    if (!AtomicFileSeal(file, error)) {
        return false;
    }
    if (FileSystem().rename(file->temporary.c_str(), file->replaced.c_str()) != 0) {
        *error = SystemError("cannot replace", file->target);
        GiveUp(file, error);
        return false;
    }
    file->temporary.clear();
    return SyncFolder(SplitPath(file->replaced).folder, error);
}

bool AtomicFileAbandon(AtomicFile* file) {
    if (file->descriptor >= 0) {
        // A failed close can only lose data that is being thrown away; the removal is what counts.
        static_cast<void>(FileSystem().close(file->descriptor));
        file->descriptor = -1;
    }
    if (file->temporary.empty()) {
        return true;
    }
    bool removed = FileSystem().unlink(file->temporary.c_str()) == 0 || errno == ENOENT;
    if (removed) {
        file->temporary.clear();
    }
    return removed;
}

bool AtomicFileWriteThrough(const char* target,
                            const std::function<bool(AtomicFile* file, std::string* error)>& write,
                            std::string* error) {
    AtomicFile file;
    if (!AtomicFileCreate(target, &file, error)) {
        return false;
    }
    if (!write(&file, error)) {
        *error += " (" + Quoted(file.target) + " is left as it was)";
        GiveUp(&file, error);
        return false;
    }
    return AtomicFileCommit(&file, error);
}

bool AtomicFileReplaceWith(const char* target, const void* bytes, std::size_t count,
                           std::string* error) {
    AtomicFile file;
    if (!AtomicFileCreate(target, &file, error)) {
        return false;
    }
    if (!AtomicFileWrite(&file, bytes, count, error)) {
        GiveUp(&file, error);
        return false;
    }
    return AtomicFileCommit(&file, error);
}

namespace {

// A target's old file while a group takes its place: a second name for it, empty when there was
// no old file or the file system keeps no second names (then it cannot be put back).
struct OldFile {
    std::string kept;
    bool existed = false;
};

bool KeepOldFile(const AtomicFile& file, OldFile* old, std::string* error) {
    PathParts replaced = SplitPath(file.replaced);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string name = CandidateName(replaced.folder, replaced.name);
        if (FileSystem().link(file.replaced.c_str(), name.c_str()) == 0) {
            *old = {name, true};
            return true;
        }
        if (errno == ENOENT) {
            return true;
        }
        if (errno == EPERM || errno == EOPNOTSUPP || errno == EMLINK) {
            old->existed = true;
            return true;
        }
        if (errno != EEXIST) {
            *error = SystemError("cannot keep the old file of", file.target);
            return false;
        }
    }
    *error = SystemError("cannot keep the old file of", file.target);
    return false;
}

// False when an old file's second name could not be removed (named in *error).
bool ForgetOldFiles(std::vector<OldFile>* olds, std::string* error) {
    bool forgotten = true;
    for (OldFile& old : *olds) {
        if (!old.kept.empty() && FileSystem().unlink(old.kept.c_str()) != 0 && errno != ENOENT) {
            *error += "; the old file " + Quoted(old.kept) + " is left behind";
            forgotten = false;
        }
        old.kept.clear();
    }
    return forgotten;
}

// Undoes the renames done: each target gets its old file back, or loses the new one where there
// was none.
void PutBack(AtomicFile* files, const std::vector<bool>& renamed, std::vector<OldFile>* olds,
             std::string* error) {
    for (std::size_t index = 0; index < renamed.size(); ++index) {
        OldFile& old = (*olds)[index];
        const std::string& target = files[index].replaced;
        if (!renamed[index]) {
            continue;
        }
        bool back = !old.kept.empty() ? FileSystem().rename(old.kept.c_str(), target.c_str()) == 0
                                      : !old.existed && FileSystem().unlink(target.c_str()) == 0;
        if (back) {
            old.kept.clear();
        } else {
            *error += "; " + Quoted(files[index].target) + " could not be put back as it was";
        }
    }
}

} // namespace

bool AtomicFilesCommit(AtomicFile* files, std::size_t count, std::string* error) {
    for (std::size_t index = 0; index < count; ++index) {
        if (!AtomicFileSeal(&files[index], error)) {
            AtomicFilesAbandon(files, count, error);
            return false;
        }
    }
    std::vector<OldFile> olds(count);
    for (std::size_t index = 0; index < count; ++index) {
        if (!files[index].inPlace && !KeepOldFile(files[index], &olds[index], error)) {
            ForgetOldFiles(&olds, error);
            AtomicFilesAbandon(files, count, error);
            return false;
        }
    }
    // The renames in a row, then the files that can only be copied in place.
    std::vector<bool> renamed(count, false);
    bool replaced = true;
    for (int inPlace = 0; inPlace < 2 && replaced; ++inPlace) {
        for (std::size_t index = 0; index < count && replaced; ++index) {
            AtomicFile& file = files[index];
            if (file.inPlace != (inPlace == 1)) {
                continue;
            }
            if (file.inPlace) {
                replaced = CopyInPlace(file.descriptor, file.replaced, error);
                AtomicFileAbandon(&file);
            } else if (FileSystem().rename(file.temporary.c_str(), file.replaced.c_str()) != 0) {
                *error = SystemError("cannot replace", file.target);
                replaced = false;
            } else {
                file.temporary.clear();
                renamed[index] = true;
            }
        }
    }
    if (!replaced) {
        PutBack(files, renamed, &olds, error);
        ForgetOldFiles(&olds, error);
        AtomicFilesAbandon(files, count, error);
        return false;
    }
    bool synced = ForgetOldFiles(&olds, error);
    std::vector<std::string> folders;
    for (std::size_t index = 0; index < count; ++index) {
        std::string folder = SplitPath(files[index].replaced).folder;
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
            folders.push_back(folder);
            synced = SyncFolder(folder, error) && synced;
        }
    }
    return synced;
}

bool AtomicFilesAbandon(AtomicFile* files, std::size_t count, std::string* error) {
    bool removed = true;
    for (std::size_t index = 0; index < count; ++index) {
        std::string temporary = files[index].temporary;
        if (!AtomicFileAbandon(&files[index])) {
            *error += "; the temporary file " + Quoted(temporary) + " is left behind";
            removed = false;
        }
    }
    return removed;
}
