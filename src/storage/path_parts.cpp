// Only '/' separates: the program's paths are POSIX paths, and a name may hold any other byte.
#include "storage/path_parts.h"

PathParts SplitPath(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {"", path};
    }
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}
