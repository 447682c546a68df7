// Sound references, worked out on the names alone (the folder need not exist, and no link is
// followed), so that the reference says what the user chose.
#include "storage/sound_reference.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

std::filesystem::path Absolute(const std::string& path) {
    std::error_code failure;
    std::filesystem::path absolute = std::filesystem::absolute(path, failure);
    return (failure ? std::filesystem::path(path) : absolute).lexically_normal();
}

// Whether every part of folder begins path.
bool IsWithin(const std::filesystem::path& path, const std::filesystem::path& folder) {
    auto folderEnd = folder.end();
    if (!folder.empty() && !folder.has_filename()) {
        --folderEnd; // the empty last part of "/a/b/"
    }
    auto [folderAt, pathAt] = std::mismatch(folder.begin(), folderEnd, path.begin(), path.end());
    return folderAt == folderEnd && pathAt != path.end();
}

} // namespace

std::string SoundReferenceFor(const std::string& soundPath, const std::string& animationPath) {
    std::filesystem::path sound = Absolute(soundPath);
    if (animationPath.empty()) {
        return sound.string();
    }
    std::filesystem::path folder = Absolute(animationPath).parent_path();
    if (!IsWithin(sound, folder)) {
        return sound.string();
    }
    return sound.lexically_relative(folder).string();
}

std::string SoundPathFor(const std::string& reference, const std::string& animationPath) {
    std::filesystem::path named(reference);
    if (named.is_absolute() || reference.empty()) {
        return reference;
    }
    return (std::filesystem::path(animationPath).parent_path() / named).string();
}
