// A path is looked at through a descriptor opened with O_PATH, which never opens the file itself
// (so a FIFO does not wait for a writer); its first bytes are read only once it is known to be a
// regular file, and then without blocking. The kinds are told by their signatures: GIF87a or
// GIF89a, the PNG signature, an ISO media file's "ftyp" box, the EBML header of Matroska and
// WebM, RIFF with WEBP, and JSON's first character after white space. An animation file has no
// signature: it is a 7-byte header and 8-byte records, and its first records are of the kinds a
// save writes.
#include "storage/file_kinds.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>

#include "storage/message_text.h"
#include "storage/numbered_files.h"

namespace {

constexpr std::size_t kSignatureBytes = 64;

// What a path that is no regular file names instead.
const char* OtherKind(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "a folder";
    }
    if (S_ISFIFO(mode)) {
        return "a FIFO";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "a device";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    return "no regular file";
}

// Up to kSignatureBytes from the start of a regular file, opened without waiting.
bool ReadSignature(const std::string& path, std::string* bytes, std::string* error) {
    int descriptor = FileSystem().open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC, 0);
    if (descriptor < 0) {
        *error = "cannot read " + Quoted(path) + ": " + SystemErrorText(errno);
        return false;
    }
    struct stat status {};
    bool regular = FileSystem().status(descriptor, &status) == 0 && S_ISREG(status.st_mode);
    char buffer[kSignatureBytes];
    long count = regular ? FileSystem().read(descriptor, buffer, sizeof buffer) : -1;
    int failure = errno;
    FileSystem().close(descriptor); // opened only to read: nothing is lost on a failed close
    if (!regular) {
        *error = Quoted(path) + " is no regular file";
        return false;
    }
    if (count < 0) {
        *error = "cannot read " + Quoted(path) + ": " + SystemErrorText(failure);
        return false;
    }
    bytes->assign(buffer, static_cast<std::size_t>(count));
    return true;
}

bool StartsWith(const std::string& bytes, std::size_t at, const char* text, std::size_t count) {
    return bytes.size() >= at + count && bytes.compare(at, count, text, count) == 0;
}

bool BeginsAsGif(const std::string& bytes, int64_t /*size*/) {
    return StartsWith(bytes, 0, "GIF87a", 6) || StartsWith(bytes, 0, "GIF89a", 6);
}
bool BeginsAsPng(const std::string& bytes, int64_t /*size*/) {
    return StartsWith(bytes, 0, "\x89PNG\r\n\x1A\n", 8);
}
bool BeginsAsMp4(const std::string& bytes, int64_t /*size*/) {
    return StartsWith(bytes, 4, "ftyp", 4);
}
bool BeginsAsWebM(const std::string& bytes, int64_t /*size*/) {
    return StartsWith(bytes, 0, "\x1A\x45\xDF\xA3", 4);
}
bool BeginsAsWebP(const std::string& bytes, int64_t /*size*/) {
    return StartsWith(bytes, 0, "RIFF", 4) && StartsWith(bytes, 8, "WEBP", 4);
}
bool BeginsAsJson(const std::string& bytes, int64_t /*size*/) {
    std::size_t first = StartsWith(bytes, 0, "\xEF\xBB\xBF", 3) ? 3 : 0;
    first = bytes.find_first_not_of(" \t\r\n", first);
    return first != std::string::npos && (bytes[first] == '{' || bytes[first] == '[');
}

// A record as a save writes it: a frame from 0, then a joint (type 0, a state above 0), a bone
// (type 1, both ends a joint's position) or a style record (a type above 1, both ends -1).
bool IsAnimationRecord(const unsigned char* record) {
    auto word = [record](int at) {
        return static_cast<int16_t>(static_cast<uint16_t>(record[at] | record[at + 1] << 8));
    };
    int32_t type = record[2];
    if (word(0) < 0) {
        return false;
    }
    if (type == 0) {
        return static_cast<int8_t>(record[7]) > 0;
    }
    if (type == 1) {
        return word(3) >= 0 && word(5) >= 0;
    }
    return word(3) == -1 && word(5) == -1;
}

bool IsAnimation(const std::string& bytes, int64_t size) {
    constexpr std::size_t kHeader = 7;
    constexpr std::size_t kRecord = 8;
    if (size < static_cast<int64_t>(kHeader) || (size - kHeader) % kRecord != 0) {
        return false;
    }
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t at = kHeader; at + kRecord <= bytes.size(); at += kRecord) {
        if (!IsAnimationRecord(data + at)) {
            return false;
        }
    }
    return true;
}

} // namespace

// The status of what path leads to; false with errno kept.
bool PathStatus(const std::string& path, struct stat* status) {
    int descriptor = FileSystem().open(path.c_str(), O_PATH | O_CLOEXEC, 0);
    if (descriptor < 0) {
        return false;
    }
    bool known = FileSystem().status(descriptor, status) == 0;
    int failure = errno;
    bool closed = FileSystem().close(descriptor) == 0;
    if (!known) {
        errno = failure;
    }
    return known && closed;
}

const FileKind kGifFile{"a GIF", BeginsAsGif};
const FileKind kPngFile{"a PNG picture", BeginsAsPng};
const FileKind kMp4File{"an MP4 video", BeginsAsMp4};
const FileKind kWebMFile{"a WebM video", BeginsAsWebM};
const FileKind kWebPFile{"a WebP picture", BeginsAsWebP};
const FileKind kJsonFile{"a JSON file", BeginsAsJson};
const FileKind kAnimationFile{"an animation", IsAnimation, ", and a clip is added to nothing else"};

bool CheckFileToRead(const std::string& path, std::string* error) {
    struct stat status {};
    if (!PathStatus(path, &status)) {
        *error = "cannot read " + Quoted(path) + ": " + SystemErrorText(errno);
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        *error = "cannot read " + Quoted(path) + ": it is " + OtherKind(status.st_mode) +
                 (S_ISDIR(status.st_mode) ? "" : ", not a file");
        return false;
    }
    return true;
}

bool SameFile(const std::string& path, const std::string& other) {
    struct stat first {};
    struct stat second {};
    return PathStatus(path, &first) && PathStatus(other, &second) &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool CheckReplaceable(const std::string& path, const FileKind& kind, std::string* error) {
    struct stat status {};
    if (!PathStatus(path, &status)) {
        if (errno == ENOENT) {
            return true; // a new file, or a link to one (its folder is checked when it is made)
        }
        *error = "cannot look at " + Quoted(path) + ": " + SystemErrorText(errno);
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        *error = Quoted(path) + " is no regular file";
        return false;
    }
    if (status.st_size == 0) {
        return true; // nothing in it to lose
    }
    std::string bytes;
    if (!ReadSignature(path, &bytes, error)) {
        return false;
    }
    if (!kind.begins(bytes, status.st_size)) {
        *error = Quoted(path) + " is not " + kind.name + kind.refusal;
        return false;
    }
    return true;
}
