// Helpers for tests in a real X display: running the X command-line tools, finding a window and
// its geometry, reading pixels back from the screen, and sending a window manager's close request.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A path in the test folder whose name carries the process number, so that display tests run side
// by side in processes of their own keep their files apart.
std::string ProcessTempPath(const std::string& name);

// Runs a shell command; returns its standard output, and its exit status through `status`.
std::string RunCommand(const std::string& command, int* status = nullptr);

// The X id of the first window whose name is exactly `title`, or 0.
unsigned long FindWindowByTitle(const std::string& title);

struct ScreenGeometry {
    int x = 0; // client area's top-left corner on the screen
    int y = 0;
    int width = 0;
    int height = 0;
    bool viewable = false;
};
// False when the window does not exist.
bool QueryGeometry(unsigned long window, ScreenGeometry* geometry);

// One text property of the window as xprop prints it, or "" when it is missing.
std::string WindowProperty(unsigned long window, const std::string& property);

// The screen's pixels in the rectangle as 0x00RRGGBB, rows of `width`; empty on failure.
std::vector<uint32_t> CaptureScreen(int x, int y, int width, int height);

// What a window manager sends when the user clicks the close box (WM_DELETE_WINDOW).
bool SendCloseRequest(unsigned long window);
