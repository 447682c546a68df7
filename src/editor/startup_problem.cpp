// The start-up failure lines. The step says what could not be made; the platform's last failure
// says whether the display was missing altogether, which the same advice fixes for every step.
#include "editor/startup_problem.h"

#include <string>

#include "runtime/platform.h"

namespace {

constexpr const char* kDisplayAdvice =
    "start it in a graphical session, or set DISPLAY to a running X server";

std::string WithDetail(std::string text, const char* detail) {
    if (detail != nullptr && detail[0] != 0) {
        text += " (";
        text += detail;
        text += ")";
    }
    return text;
}

std::string DescribeStep(StartupStep step, PlatformFailure failure, const char* detail) {
    if (failure == PlatformFailureNoDisplay) {
        const char* what = step == StartupStep::FileChooser ? "the file chooser" : "the window";
        return WithDetail(std::string("no display to show ") + what + " on", detail) + "; " +
               kDisplayAdvice;
    }
    if (failure == PlatformFailureSurfaceRefused) {
        return WithDetail("the window has no pixel surface to draw into", detail) +
               "; check the display's colour depth";
    }
    switch (step) {
    case StartupStep::Memory:
        return "not enough memory for the animation's frames; close other programs and try again";
    case StartupStep::Font:
        return "no usable font: fontconfig finds no TrueType font for \"Arial\"; install one, "
               "for example Debian's fonts-liberation";
    case StartupStep::FileChooser:
        return "the file chooser could not be shown; give the animation file as the argument";
    case StartupStep::Window:
        return WithDetail("the display refused the 800 x 700 window", detail) +
               "; check that the display server accepts new windows";
    case StartupStep::Surface:
        break;
    }
    return "no memory for the 800 x 700 drawing surface; close other programs and try again";
}

} // namespace

const char* StartupProblem(StartupStep step) {
    static std::string line;
    const char* detail = "";
    PlatformFailure failure = step == StartupStep::Font || step == StartupStep::Memory
                                  ? PlatformFailureNone
                                  : PlatformLastFailure(&detail);
    line = DescribeStep(step, failure, detail);
    return line.c_str();
}
