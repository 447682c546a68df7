// The picture command's outputs in one table, a row each: the option that asks for it, its name on
// the progress bar, what the usage calls its output and says of it, the kinds of file it may
// replace, whether it takes a frame rate, a sound, a transparent ground and columns, and the
// encoder that writes it. The command line's reading, its refusals and its usage text and the
// picture command all read this table: a new output is a row.
#pragma once

#include <span>
#include <string>

#include "editor/picture_export.h"
#include "storage/file_kinds.h"

struct OutputKind {
    const char* option;              // "--export-gif"
    const char* label;               // on the progress bar
    const char* output;              // what follows the option in the usage: "OUT.gif", "FOLDER"
    const char* description;         // in the usage; each '\n' goes on under the first line
    const FileKind* file;            // the output's kind, or with `folder` each frame file's
    const FileKind* atlas = nullptr; // the kind of the atlas beside it (AtlasPathFor)
    bool folder = false;             // the output is a folder of numbered frames (FramePath)
    bool rate = true;                // takes --fps
    bool sound = false;              // takes --sound and --no-sound; carries the animation's sound
    bool transparency = true;        // takes --transparent
    bool columns = false;            // takes --columns
    bool (*write)(const char* path, const PictureRequest& request, std::string* error) = nullptr;
};

// Every output, in the order the usage lists them.
std::span<const OutputKind> OutputKinds();
// The row of an export option; null for any other argument.
const OutputKind* FindOutputKind(const std::string& option);
