// The progress bar: "LABEL [#####.....] done/total", forty marks wide, rewritten after a carriage
// return, its line ended once the last picture is done.
#include "editor/progress_bar.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

constexpr int32_t kProgressWidth = 40;

} // namespace

PictureProgress ProgressBar::Reporter() {
    if (isatty(STDERR_FILENO) != 1) {
        return {};
    }
    return [this](int32_t done, int32_t total) { Show(done, total); };
}

void ProgressBar::Show(int32_t done, int32_t total) {
    int32_t filled = total > 0 ? done * kProgressWidth / total : kProgressWidth;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.resize(kProgressWidth, '.');
    std::fprintf(stderr, "\r%s [%s] %d/%d", label_, bar.c_str(), static_cast<int>(done),
                 static_cast<int>(total));
    shown_ = done < total;
    if (!shown_) {
        std::fputc('\n', stderr);
    }
}

void ProgressBar::End() {
    if (shown_) {
        std::fputc('\n', stderr);
        shown_ = false;
    }
}
