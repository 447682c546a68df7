// A path split at its last slash, whatever else its name holds.
#include "storage/path_parts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PathParts, TheLastSlashEndsTheFolderAndEverythingAfterItIsTheName) {
    const struct {
        std::string path;
        std::string folder;
        std::string name;
    } cases[] = {
        {"walk.txt", "", "walk.txt"},
        {"/walk.txt", "/", "walk.txt"},
        {"/home/ana/walk.txt", "/home/ana/", "walk.txt"},
        {"frames/", "frames/", ""},
        {"a\\b/c d.txt", "a\\b/", "c d.txt"},
        {"", "", ""},
    };
    for (const auto& test : cases) {
        PathParts parts = SplitPath(test.path);
        EXPECT_EQ(parts.folder, test.folder) << test.path;
        EXPECT_EQ(parts.name, test.name) << test.path;
    }
}

} // namespace
