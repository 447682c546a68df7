// Tests of the animation and export files: the texts, the file table and empty grids ready, a
// folder of the test's own, and the file layer's system calls put back after each test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "model/editor_state.h"
#include "runtime/heaps.h"
#include "storage/numbered_files.h"
#include "storage/text.h"
#include "test_folder.h"

class StorageTest : public testing::Test {
  protected:
    void SetUp() override {
        StringHeapInit();
        TextWorkBufferInit();
        FileTableInit();
        EditorStateInit();
        calls = FileSystem();
        folder = MakeTestFolder("storage");
    }
    void TearDown() override {
        FileSystem() = calls;
        FileTableShutdown();
        std::filesystem::remove_all(folder);
    }

    FileSystemCalls calls;
    std::string folder;
};
