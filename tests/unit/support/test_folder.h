// A folder of each test's own, emptied before the test: named after the test and the process, so
// that two builds testing at the same time keep apart.
#pragma once

#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

inline std::string MakeTestFolder(const std::string& prefix) {
    std::string folder = testing::TempDir() + prefix + "_" + std::to_string(getpid()) + "_" +
                         testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    return folder;
}
