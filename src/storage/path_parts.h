// A path's two parts: the folder it lies in and its name, split at its last slash.
#pragma once

#include <string>

struct PathParts {
    std::string folder; // up to and with the last slash; "" when the path has none
    std::string name;   // after the last slash; the whole path when it has none
};

PathParts SplitPath(const std::string& path);
