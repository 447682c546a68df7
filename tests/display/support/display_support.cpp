// Helpers for tests in a real X display, built on xdotool, xwininfo, xprop and ImageMagick's
// import, plus the small close-request sender built beside the display tests.
#include "display_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <sstream>

std::string ProcessTempPath(const std::string& name) {
    return testing::TempDir() + std::to_string(getpid()) + "_" + name;
}

std::string RunCommand(const std::string& command, int* status) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        if (status != nullptr) {
            *status = -1;
        }
        return output;
    }
    std::array<char, 4096> buffer{};
    std::size_t count = 0;
    while ((count = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        output.append(buffer.data(), count);
    }
    int result = pclose(pipe);
    if (status != nullptr) {
        *status = result;
    }
    return output;
}

unsigned long FindWindowByTitle(const std::string& title) {
    std::string output = RunCommand("xdotool search --name '^" + title + "$' 2>/dev/null");
    return std::strtoul(output.c_str(), nullptr, 10);
}

bool QueryGeometry(unsigned long window, ScreenGeometry* geometry) {
    int status = 0;
    std::string output =
        RunCommand("xwininfo -id " + std::to_string(window) + " 2>/dev/null", &status);
    if (status != 0) {
        return false;
    }
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        auto valueAfter = [&line](const std::string& label) {
            return std::atoi(line.c_str() + line.find(label) + label.size());
        };
        if (line.find("Absolute upper-left X:") != std::string::npos) {
            geometry->x = valueAfter("X:");
        } else if (line.find("Absolute upper-left Y:") != std::string::npos) {
            geometry->y = valueAfter("Y:");
        } else if (line.find("  Width:") != std::string::npos) {
            geometry->width = valueAfter("Width:");
        } else if (line.find("  Height:") != std::string::npos) {
            geometry->height = valueAfter("Height:");
        } else if (line.find("Map State:") != std::string::npos) {
            geometry->viewable = line.find("IsViewable") != std::string::npos;
        }
    }
    return true;
}

std::string WindowProperty(unsigned long window, const std::string& property) {
    return RunCommand("xprop -id " + std::to_string(window) + " " + property + " 2>/dev/null");
}

std::vector<uint32_t> CaptureScreen(int x, int y, int width, int height) {
    // Appended piece by piece: GCC 12 misreads a literal plus a temporary string in an optimised
    // build as an overlapping copy.
    std::string command = "import -window root -crop ";
    command += std::to_string(width);
    command += 'x';
    command += std::to_string(height);
    command += '+';
    command += std::to_string(x);
    command += '+';
    command += std::to_string(y);
    command += " -depth 8 rgb:- 2>/dev/null";
    int status = 0;
    std::string rgb = RunCommand(command, &status);
    std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (status != 0 || x < 0 || y < 0 || rgb.size() != count * 3) {
        return {};
    }
    std::vector<uint32_t> pixels(count);
    for (std::size_t index = 0; index < count; ++index) {
        auto byte = [&rgb, index](std::size_t channel) {
            return static_cast<uint32_t>(static_cast<unsigned char>(rgb[index * 3 + channel]));
        };
        pixels[index] = byte(0) << 16 | byte(1) << 8 | byte(2);
    }
    return pixels;
}

bool SendCloseRequest(unsigned long window) {
    int status = 0;
    RunCommand(std::string(LIMBRADO_CLOSE_REQUEST_PATH) + " " + std::to_string(window), &status);
    return status == 0;
}
