// A folder of each test's own, emptied before the test: named after the test and the process, so
// that two builds testing at the same time keep apart; and everything a folder holds, to tell
// that a failure left every file as it was.
#pragma once

#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

inline std::string MakeTestFolder(const std::string& prefix) {
    std::string folder = testing::TempDir() + prefix + "_" + std::to_string(getpid()) + "_" +
                         testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    return folder;
}

// Every file under the folder, by its path inside it, with its bytes.
inline std::map<std::string, std::string> FolderContents(const std::string& folder) {
    std::map<std::string, std::string> contents;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        std::string name = std::filesystem::relative(entry.path(), folder).string();
        std::ifstream file(entry.path(), std::ios::binary);
        contents[name] = entry.is_regular_file()
                             ? std::string(std::istreambuf_iterator<char>(file), {})
                             : "(folder)";
    }
    return contents;
}
