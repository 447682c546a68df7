// Figure files and the figure library: a figure is kept as an animation file of one frame holding
// it, styles included, so any animation file serves as a figure file (its frame 0). The library
// is a folder of the user's own, beside the figures the program ships.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "model/animation.h"

// The library folder from the environment's values (null when unset): $XDG_DATA_HOME/limbrado/
// figures when XDG_DATA_HOME is an absolute path, else $HOME/.local/share/limbrado/figures; empty
// when neither names a folder.
std::string FigureLibraryPath(const char* dataHome, const char* home);
// The library folder from this process's environment, made with every missing parent (0700, as
// for a user's data) when it is missing. False, with the reason, when there is none or it cannot
// be made; `folder` then holds what it would have been.
bool EnsureFigureLibrary(std::string* folder, std::string* error);

// The shipped figures: share/limbrado/figures above the program's folder (installed) or in it (the
// build folder), the first of the two that is a folder; empty when neither is.
std::string ShippedFiguresFolder(const std::string& executablePath);

// A name for a new figure file in `folder` that no file there has yet: figure.txt, figure_2.txt,
// figure_3.txt and so on.
std::string FreeFigureFileName(const std::string& folder);

// The figure made of the joint slots `slots` of `frame` with every bone between two of them, saved
// at `path` as an animation file of one frame, by the rules of every save (a new file flushed and
// renamed over the target). False, with the reason, when it fails; the target is then as it was.
bool SaveFigureFile(const char* path, const Animation& animation, int32_t frame,
                    std::span<const int32_t> slots, std::string* error);
