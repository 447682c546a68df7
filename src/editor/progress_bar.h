// The picture command's progress: a bar on stderr, redrawn in place, only when stderr is a
// terminal, so that a pipe or a log file gets nothing but the error lines.
#pragma once

#include <cstdint>
#include <functional>

using PictureProgress = std::function<void(int32_t done, int32_t total)>;

class ProgressBar {
  public:
    explicit ProgressBar(const char* label) : label_(label) {}
    ~ProgressBar() { End(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // What the exports call after each picture; empty when stderr is no terminal.
    PictureProgress Reporter();
    // Ends a bar left unfinished (an export that failed halfway) with its line.
    void End();

  private:
    void Show(int32_t done, int32_t total);

    const char* label_;
    bool shown_ = false; // a bar is on the line, not yet ended by a newline
};
